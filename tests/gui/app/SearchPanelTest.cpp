// 検索 by keyboard: Ctrl+F, a word, Enter; F3 and Shift+F3 from either window; the other order;
// Enter and a double click in the list; the hits follow a changed schedule.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/SearchPanel.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

int ShownDay(const TCalendarView& c) {
  return c.Year() * 10000 + c.Month() * 100 + c.Day();
}

TEST(SearchPanelTest, KeysFindAndStepThroughHits) {
  QTemporaryDir dir;
  TFakeDialogs dialogs;
  TMainWindow form(dialogs, std::filesystem::path(dir.path().toStdString()), std::nullopt);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.Schedule.Lines().Assign(std::vector<std::string>{
      Utf8ToCp932(R"(2025,2025,1,5,,,"ﾐｰﾃｨﾝｸﾞ- 本社- 14:0:0- FALSE")"),
      Utf8ToCp932(R"(2027,2027,3,4,,,"ミーティング- - 9:0:0- FALSE")"),
      Utf8ToCp932(R"(2026,2026,6,1,,,"定例ＭＴＧ- ミーティング室- 10:0:0- FALSE")"),
  });
  form.Document().ListEdited();
  TSearchPanel& panel = *form.Search;
  auto expectDay = [&form](int day) {
    EXPECT_EQ(ShownDay(*form.MonthCalendar), day);
    EXPECT_EQ(ShownDay(*form.WeekCalendar), day);
  };

  form.MonthCalendar->setFocus();
  Press(Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == panel.SearchEdit; }));
  Commit(QStringLiteral("ﾐｰﾃｨﾝｸﾞ"));
  Press(Qt::Key_Return);  // newest first: the last line entered
  EXPECT_EQ(panel.CountLabel->text(), QStringLiteral("3 件"));
  expectDay(20260601);
  for (int day : {20270304, 20250105, 20260601}) {  // round past the end
    Press(Qt::Key_F3);
    expectDay(day);
  }
  Press(Qt::Key_F3, Qt::ShiftModifier);
  expectDay(20250105);

  // By date, chosen from the list with the arrow keys and Enter, or with a double click.
  panel.OrderBox->setCurrentIndex(1);
  panel.SearchEdit->setFocus();
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  Press(Qt::Key_Return);
  expectDay(20260601);
  const QRect third = panel.HitList->visualRect(panel.HitList->model()->index(2, 2));
  QTest::mouseClick(panel.HitList->viewport(), Qt::LeftButton, {}, third.center());
  QTest::mouseDClick(panel.HitList->viewport(), Qt::LeftButton, {}, third.center());
  expectDay(20270304);

  // Esc leaves the panel; F3 goes on from the main window.
  Press(Qt::Key_Escape);
  EXPECT_FALSE(panel.isVisible());
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.MonthCalendar->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == form.MonthCalendar; }));
  Press(Qt::Key_F3);
  expectDay(20250105);

  form.Schedule.Lines().Add(Utf8ToCp932(R"(2028,2028,2,2,,,"ﾐｰﾃｨﾝｸﾞ2- - 9:0:0- FALSE")"));
  form.Document().ListEdited();
  EXPECT_EQ(panel.Hits().size(), 4u);

  // A series is one hit, marked as the week list marks its days.
  form.Schedule.Lines().Add(
      Utf8ToCp932(R"(repeat;id=m1;start=20250101;every=1y,"ﾐｰﾃｨﾝｸﾞ3- - 9:0:0- FALSE")"));
  form.Document().ListEdited();
  QStringList marked;
  for (int row = 0; row < panel.HitList->model()->rowCount(); ++row) {
    const QString subject = panel.HitList->model()->index(row, 2).data().toString();
    if (subject.startsWith(u'↻')) marked << subject;
  }
  EXPECT_EQ(marked, QStringList{QStringLiteral("↻ﾐｰﾃｨﾝｸﾞ3")});
}

}  // namespace
}  // namespace moriva
