// A weekly meeting made, cut and ended in the schedule editor with the keyboard alone, each
// editor session one step of the undo history.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "app/EditMenu.h"
#include "app/EnterAdvanceControls.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/RepeatSection.h"
#include "app/ScheduleEditorWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleFile.h"
#include "tests/gui/mainwin/EmptyScheduleWindowTest.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

using Days = std::vector<std::string>;

class RepeatScenarioTest : public EmptyScheduleWindowTest {
 protected:
  TMainWindow& Start() { return OpenEmptySchedule(); }

  // Opens the editor on a day with Enter and drives it with `keys`, which must close it.
  void Edit(int32_t y, uint8_t m, uint8_t d, std::function<void(TScheduleEditorWindow&)> keys) {
    form_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->SyncDate(y, m, d);
    form_->MonthCalendar->setFocus();
    WhenModal([&](QWidget* w) {
      auto* editor = qobject_cast<TScheduleEditorWindow*>(w);
      if (!editor) {
        w->close();
        return;
      }
      keys(*editor);
      if (editor->isVisible()) {
        ADD_FAILURE() << "the keys did not close the editor";
        editor->done(TScheduleEditorWindow::kAbort);
      }
    });
    Press(Qt::Key_Return);
  }

  // Enter through subject, place, hour and minute to OK, and OK.
  static void EnterToOk(TScheduleEditorWindow& e) {
    for (int i = 0; i < 4; ++i) Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), e.OKBtn);
    Press(Qt::Key_Return);
  }

  // "m/d subject" of every item from 2026-12-01 to 2027-03-31, occurrences marked "↻".
  Days Agenda() const {
    Days days;
    for (const TAgendaItem& item :
         CollectAgenda(form_->Schedule.Lines(), DateToJulius(2026, 12, 1),
                       DateToJulius(2027, 3, 31), form_->Schedule.Rules())) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(item.Day, y, m, d);
      days.push_back(std::to_string(m) + "/" + std::to_string(d) + " " +
                     Cp932ToUtf8(item.Parts.Subject) + (item.Repeating ? "↻" : ""));
    }
    return days;
  }
};

TEST_F(RepeatScenarioTest, WeeklyMeetingMadeCutEndedAndUndone) {
  TMainWindow& f = Start();
  // 毎週火曜 10:00 会議, 祝日を除く, 10 times from Tuesday 2026-12-08.
  Edit(2026, 12, 8, [](TScheduleEditorWindow& e) {
    Commit(QStringLiteral("会議"));
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    for (int i = 0; i < 4; ++i) Press(Qt::Key_Down);  // hour 0, 7, 8, 9, 10
    Press(Qt::Key_R, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), e.Repeat->Kind);
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);  // 毎週
    Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), e.Repeat->Interval);
    EXPECT_TRUE(e.Repeat->Weekdays[2]->isChecked());    // 火, the day's own weekday
    for (int i = 0; i < 8; ++i) Press(Qt::Key_Return);  // the interval and the seven weekdays
    ASSERT_EQ(QApplication::focusWidget(), e.Repeat->End);
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);  // 回数
    Press(Qt::Key_Return);
    EXPECT_EQ(e.Repeat->Count->text(), QStringLiteral("10"));
    Press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), e.Repeat->SkipHolidays);
    Press(Qt::Key_Space);
    Press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), e.OKBtn);
    Press(Qt::Key_Return);
  });
  const std::vector<std::string> made(f.Schedule.Lines().begin(), f.Schedule.Lines().end());
  ASSERT_EQ(made.size(), 1u);
  EXPECT_TRUE(made[0].find(";start=20261208;every=1w;on=tu;count=10;holidays=skip,\"") !=
              std::string::npos)
      << made[0];
  const Days tuesdays = {"12/8 会議↻", "12/15 会議↻", "12/22 会議↻", "12/29 会議↻", "1/5 会議↻",
                         "1/12 会議↻", "1/19 会議↻",  "1/26 会議↻",  "2/2 会議↻",   "2/9 会議↻"};
  EXPECT_EQ(Agenda(), tuesdays);
  // The week list marks the occurrence on Tuesday, its third strip.
  const auto tuesdayStrip = [&f] {
    const std::vector<TStripPiece>& pieces = f.WeekCalendar->Strip(2).Pieces;
    return pieces.size() < 2 ? QString() : pieces[1].Text;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return tuesdayStrip() == QStringLiteral("↻10:00 会議"); }))
      << tuesdayStrip().toStdString();

  // この日だけ, deleted.
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  Edit(2026, 12, 22, [](TScheduleEditorWindow& e) {
    ASSERT_EQ(e.ItemTree->topLevelItemCount(), 1);
    EXPECT_TRUE(e.ItemTree->topLevelItem(0)->text(0).startsWith(QStringLiteral("↻")));
    EXPECT_EQ(e.Repeat->Kind->currentIndex(), static_cast<int>(TRepeatKind::Weekly));
    Press(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(e.ItemTree->topLevelItemCount(), 0);
    EnterToOk(e);
  });
  Days expected = tuesdays;
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(Agenda(), expected);
  const TLineList takenOut = f.Schedule.Lines();

  // この日だけ, changed: the day becomes a plain item of its own.
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  Edit(2027, 1, 12, [](TScheduleEditorWindow& e) {
    Press(Qt::Key_A, Qt::ControlModifier);
    Commit(QStringLiteral("臨時会議"));
    EnterToOk(e);
  });
  expected[4] = "1/12 臨時会議";
  EXPECT_EQ(Agenda(), expected);
  const TLineList changed = f.Schedule.Lines();

  // この日以降, deleted: nothing from 2027-02-02 on.
  dialogs_.AnswerThreeWay(TMsgAnswer::No);
  Edit(2027, 2, 2, [](TScheduleEditorWindow& e) {
    Press(Qt::Key_D, Qt::ControlModifier);
    EnterToOk(e);
  });
  expected.resize(expected.size() - 2);
  EXPECT_EQ(Agenda(), expected);
  EXPECT_EQ(dialogs_.QuestionTexts().size(), 3u);

  // Each session is one step back.
  for (const TLineList* before : {&changed, &takenOut}) {
    f.EditMenu->Undo->trigger();
    EXPECT_EQ(f.Schedule.Lines(), *before);
  }
  f.EditMenu->Undo->trigger();
  EXPECT_EQ(Agenda(), tuesdays);
  f.EditMenu->Undo->trigger();
  EXPECT_TRUE(f.Schedule.Lines().Count() == 0);
}

}  // namespace
}  // namespace moriva
