// The week list as a person reads it: each day's items by time, names in their colours, a
// crowded day ending in 「ほか N 件」 with the whole day in its tooltip, at the smallest window
// and a grown one.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/MainWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

// Monday 21 September 2026 is 敬老の日; its items in the order they were entered.
constexpr int kRow = 1;
const char* const kEntered[] = {
    "会議- 本社3階大会議室- 14:30:0- TRUE",
    "朝礼- - 9:0:0- FALSE",
    "買い物- スーパー- ::0- FALSE",
    "歯医者- 駅前クリニック- 10:00:0- TRUE",
    "打ち合わせ- 第二会議室- 16:0:0- FALSE",
    "夕食会- レストラン青葉- 19:0:0- FALSE",
    "電話- - 12:0:0- FALSE",
    "資料作成- - 12:00:0- FALSE",
    "墓参り- - ::0- FALSE",
};
// How the day reads: its holiday, the whole-day items, then by time (equal times as entered).
const char* const kRead[] = {
    "敬老の日",
    "買い物 @スーパー",
    "墓参り",
    "09:00 朝礼",
    "10:00 歯医者 @駅前クリニック",
    "12:00 電話",
    "12:00 資料作成",
    "14:30 会議 @本社3階大会議室",
    "16:00 打ち合わせ @第二会議室",
    "19:00 夕食会 @レストラン青葉",
};
constexpr int kEntries = std::size(kRead);

TEST(WeekListTest, CrowdedDayReadsByTimeEndsInMoreAndItsTooltipListsItAll) {
  QTemporaryDir dir;
  TFakeDialogs dialogs;
  TMainWindow form(dialogs, std::filesystem::path(dir.path().toStdString()), std::nullopt);
  for (const char* text : kEntered)
    form.Schedule.Lines().Add(Utf8ToCp932(std::string("2026,2026,9,21,,,\"") + text + "\""));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.SyncDate(2026, 9, 24);
  TWeeklyCalendar& week = *form.WeekCalendar;
  const QColor red = week.Fonts().Holiday().Color();

  int shownWhenSmall = 0;
  for (const QSize size : {form.minimumSize(), QSize(1200, 780)}) {
    SCOPED_TRACE(size.width());
    form.resize(size);
    QTest::qWait(50);
    const TStripLayout& strip = week.Strip(kRow);
    ASSERT_GE(strip.Pieces.size(), 2u);
    // The caption keeps the holiday's red though the day has items, and so does its name.
    EXPECT_EQ(strip.Pieces[0].Text.trimmed(), QStringLiteral("9/21(月)"));
    EXPECT_EQ(strip.Pieces[0].Color, red);
    EXPECT_EQ(strip.Pieces[1].Color, red);
    const int shown = static_cast<int>(strip.Pieces.size()) - 1;
    for (int i = 0; i < shown; ++i) {
      const TStripPiece& p = strip.Pieces[static_cast<size_t>(i) + 1];
      QString text = p.Text;
      if (text.endsWith(u'…')) text.chop(1);  // a piece too long for a line of its own
      const QString read = QString::fromUtf8(kRead[i]);
      EXPECT_TRUE(read.startsWith(text)) << i;
      EXPECT_EQ(p.Bell, read.startsWith("14:30") || read.startsWith("10:00")) << i;  // alarms
    }
    // Some of the day does not fit: the strip says how much.
    EXPECT_LT(shown, kEntries);
    EXPECT_EQ(strip.Hidden, kEntries - shown);
    EXPECT_EQ(strip.More.Text, QStringLiteral("ほか %1 件").arg(kEntries - shown));
    EXPECT_GT(shown, shownWhenSmall);  // a grown window shows more
    shownWhenSmall = shown;

    // Resting the mouse on the strip brings up the whole day, in the same order.
    const QRect r = strip.Pieces.back().Place;
    QTest::mouseMove(&week, r.center() + week.contentsRect().topLeft());
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    QString tip = QToolTip::text();
    int at = 0;
    for (const char* entry : kRead) {
      at = tip.indexOf(QString::fromUtf8(entry).toHtmlEscaped(), at);
      EXPECT_GE(at, 0) << entry;
    }
    EXPECT_TRUE(tip.contains(QStringLiteral("会議 @本社3階大会議室（アラーム）")));
    // On a day without entries the tip goes.
    QTest::mouseMove(&week, week.contentsRect().topLeft() + QPoint(5, 2));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
  }
}

}  // namespace
}  // namespace moriva
