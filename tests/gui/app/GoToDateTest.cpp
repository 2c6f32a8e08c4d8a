// 日付へ移動 by keyboard: Ctrl+G, a date, Enter; a text that names no day keeps the window open.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "app/GoToDateDialog.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/WeeklyCalendar.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

// The main window back in front with the month calendar focused, as after a dialog closes.
void Focus(TMainWindow& form) {
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.MonthCalendar->setFocus();
}

TEST(GoToDateTest, CtrlGMovesBothCalendars) {
  QTemporaryDir dir;
  TFakeDialogs dialogs;
  TMainWindow form(dialogs, std::filesystem::path(dir.path().toStdString()), std::nullopt);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.SyncDate(2026, 12, 7);
  const struct {
    const char* typed;  // committed as by the input method
    int32_t y;
    uint8_t m, d;
  } cases[] = {{"2027/1/10", 2027, 1, 10},
               {"3/4", 2027, 3, 4},
               {"H31.4.30", 2019, 4, 30},
               {"令和元年5月1日", 2019, 5, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    WhenModal([&](QWidget* w) {
      Commit(QString::fromUtf8(c.typed));
      Press(Qt::Key_Return);
      EXPECT_FALSE(w->isVisible());
    });
    Focus(form);
    Press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(form.MonthCalendar->Year(), c.y);
    EXPECT_EQ(form.MonthCalendar->Month(), c.m);
    EXPECT_EQ(form.MonthCalendar->Day(), c.d);
    EXPECT_EQ(form.WeekCalendar->Year() * 10000 + form.WeekCalendar->Month() * 100 +
                  form.WeekCalendar->Day(),
              c.y * 10000 + c.m * 100 + c.d);
  }

  // A date outside its era: the note says so, the text can be mended, Esc leaves all as it was.
  bool noted = false;
  WhenModal([&noted](QWidget* w) {
    auto* dialog = qobject_cast<TGoToDateDialog*>(w);
    ASSERT_TRUE(dialog);
    Commit(QStringLiteral("平成32年1月1日"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(w->isVisible());
    noted = dialog->Note->text().contains(QStringLiteral("平成32年1月1日"));
    Press(Qt::Key_Escape);
  });
  Focus(form);
  Press(Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(noted);
  EXPECT_EQ(form.MonthCalendar->Year(), 2019);
  EXPECT_EQ(form.MonthCalendar->Month(), 5);
}

}  // namespace
}  // namespace moriva
