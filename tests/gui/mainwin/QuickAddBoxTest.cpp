// The toolbar's quick-add box with the keyboard alone: Ctrl+L, a typed line, its preview, Enter;
// the item in both calendars and one step of the undo history.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "app/EditMenu.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/QuickAddBox.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "schedule/ScheduleFile.h"
#include "tests/gui/mainwin/EmptyScheduleWindowTest.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

class QuickAddBoxTest : public EmptyScheduleWindowTest {
 protected:
  // The window on an empty schedule, on Monday 2026/12/7, which the box takes for today.
  TMainWindow& Start() {
    OpenEmptySchedule();
    form_->SyncDate(2026, 12, 7);
    form_->MonthCalendar->setFocus();
    form_->QuickAdd->Today = [] { return DateToJulius(2026, 12, 7); };
    return *form_;
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const std::string& line : form_->Schedule.Lines()) lines.push_back(Cp932ToUtf8(line));
    return lines;
  }
};

TEST_F(QuickAddBoxTest, TypedLineBecomesAnItemInBothCalendars) {
  TMainWindow& f = Start();
  Press(Qt::Key_L, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), f.QuickAdd);
  Commit(QStringLiteral("明日15時 歯医者 @駅前"));
  EXPECT_TRUE(f.QuickAdd->Preview->isVisible());
  EXPECT_EQ(f.QuickAdd->Preview->text(), QStringLiteral("12月8日(火) 15:00 歯医者 @駅前"));
  Press(Qt::Key_Return);  // makes the item: the editor does not open
  EXPECT_EQ(Lines(), std::vector<std::string>{"2026,2026,12,8,,,\"歯医者- 駅前- 15:0:0- FALSE\""});
  EXPECT_TRUE(f.Modified());
  EXPECT_TRUE(f.QuickAdd->text().isEmpty());
  EXPECT_FALSE(f.QuickAdd->Preview->isVisible());
  const JuliusDay day = DateToJulius(2026, 12, 8);
  EXPECT_EQ(f.MonthCalendar->GetJuliusDay(), day);
  EXPECT_EQ(f.WeekCalendar->GetJuliusDay(), day);
  EXPECT_TRUE(f.MonthCalendar->GetDayState(2026, 12, 8).Has(dsSpecialDay));
  f.WeekCalendar->repaint();
  QStringList pieces;
  for (const TStripPiece& p :
       f.WeekCalendar->Strip(static_cast<int>(day - f.WeekCalendar->GetWeekStart())).Pieces)
    pieces << p.Text.trimmed();
  EXPECT_TRUE(pieces.join(' ').contains(QStringLiteral("15:00 歯医者 @駅前")))
      << pieces.join(' ').toStdString();

  // A line it cannot read says why, and Enter makes nothing; Esc clears it, and once more
  // gives the keyboard back to the calendar.
  Commit(QStringLiteral("2月30日 予定"));
  EXPECT_TRUE(
      f.QuickAdd->Preview->text().startsWith(QStringLiteral("「2月30日」という日はありません")));
  Press(Qt::Key_Return);
  EXPECT_EQ(Lines().size(), 1u);
  Press(Qt::Key_Escape);
  EXPECT_TRUE(f.QuickAdd->text().isEmpty());
  Press(Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), f.MonthCalendar);

  // A series, then each addition is one step back.
  Press(Qt::Key_L, Qt::ControlModifier);
  Commit(QStringLiteral("毎週火曜 10時 定例"));
  EXPECT_EQ(f.QuickAdd->Preview->text(),
            QStringLiteral("毎週火曜日 10:00 定例（12月8日(火)から）"));
  Press(Qt::Key_Return);
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_NE(Lines()[1].find(";start=20261208;every=1w;on=tu,\"定例- - 10:0:0- FALSE\""),
            std::string::npos);
  f.EditMenu->Undo->trigger();
  EXPECT_EQ(Lines().size(), 1u);
  f.EditMenu->Undo->trigger();
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace moriva
