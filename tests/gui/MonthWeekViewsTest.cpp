// The two views: mouse and keys, and what lands in the off-screen image.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "app/MonthlyCalendar.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "calendar/HolidayLines.h"
#include "schedule/ScheduleLine.h"
#include "tests/gui/CalendarViewTestUtil.h"

namespace moriva {
namespace {

// Darkest value of each colour channel over a rectangle of the image, and whether any pixel
// differs from `background`.
struct Ink {
  int r = 255, g = 255, b = 255;
  bool any = false;
};
Ink InkIn(const QImage& image, const QRect& rect, QColor background) {
  Ink ink;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c == background) continue;
      ink.any = true;
      ink.r = std::min(ink.r, c.red());
      ink.g = std::min(ink.g, c.green());
      ink.b = std::min(ink.b, c.blue());
    }
  }
  return ink;
}

class MonthlyTest : public testing::Test {
 protected:
  void SetUp() override {
    ShowAt(mc, 176, 273);
    mc.SetDate(2001, 7, 13);  // first week row starts on Sunday 24 June
  }
  void Click(int col, int row, QPoint offset = {2, 2}) {
    const QPoint p = mc.CellRect(col, row).topLeft() + offset + mc.contentsRect().topLeft();
    QTest::mouseClick(&mc, Qt::LeftButton, {}, p);
  }
  TestCalendar<TMonthlyCalendar> mc;
};

TEST_F(MonthlyTest, MouseSelects) {
  DayChanges changes(mc);
  Click(3, 0);  // the header row is inert
  EXPECT_EQ(changes.count, 0);
  Click(1, 3);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2001, 7, 9));
  // The last pixel column, right of 7 × (176 div 7), belongs to column 6.
  QTest::mouseClick(&mc, Qt::LeftButton, {}, mc.contentsRect().topLeft() + QPoint(175, 100));
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2001, 7, 7));

  Click(0, 1);  // 24 June: not selectable without NeighborJump
  EXPECT_EQ(mc.Month(), 7);
  mc.SetNeighborJump(true);
  Click(6, 6);  // 4 August
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2001, 8, 4));
  EXPECT_EQ(mc.GetFirstCellDay(), DateToJulius(2001, 7, 29));
}

TEST_F(MonthlyTest, KeysMoveThenReachOnKeyDown) {
  struct Case {
    Qt::Key key;
    int32_t y;
    uint8_t m, d;
  } cases[] = {
      {Qt::Key_Right, 2001, 7, 14}, {Qt::Key_Left, 2001, 7, 12},   {Qt::Key_Up, 2001, 7, 6},
      {Qt::Key_Down, 2001, 7, 20},  {Qt::Key_PageUp, 2001, 6, 13}, {Qt::Key_PageDown, 2001, 8, 13},
      {Qt::Key_A, 2001, 7, 13},
  };
  JuliusDay seen = 0;
  mc.OnKeyDown = [&](TCalendarView& c, QKeyEvent*) { seen = c.GetJuliusDay(); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    mc.SetDate(2001, 7, 13);
    QTest::keyClick(&mc, c.key);
    EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(c.y, c.m, c.d));
    EXPECT_EQ(seen, mc.GetJuliusDay());
  }
}

TEST_F(MonthlyTest, SelectedAndNeighbouringCellsInTheImage) {
  const QImage& image = mc.Image();
  ASSERT_EQ(image.size(), QSize(176, 273));
  const QColor bg = mc.Color();
  // Header: navy with the white weekday names.
  EXPECT_EQ(image.pixelColor(mc.CellRect(0, 0).topLeft()), QColor(0, 0, 128));
  EXPECT_EQ(InkIn(image, mc.CellRect(0, 0), QColor(0, 0, 128)).any, true);

  // Friday 13 July, selected: filled with the weekday font's colour.
  EXPECT_EQ(image.pixelColor(mc.CellRect(5, 3).topLeft()), QColor(0, 0, 0));
  // Neighbouring days are blank while ShowNeighbor is off.
  EXPECT_FALSE(InkIn(image, mc.CellRect(1, 1), bg).any);

  mc.SetShowNeighbor(true);
  // Monday 25 June: black OR silver, so no channel goes below 192.
  const Ink weekday = InkIn(image, mc.CellRect(1, 1), bg);
  ASSERT_TRUE(weekday.any);
  EXPECT_GE(std::min({weekday.r, weekday.g, weekday.b}), 192);
  EXPECT_LT(weekday.r, 230);
  // Sunday 24 June: red OR silver = (255, 192, 192).
  const Ink sunday = InkIn(image, mc.CellRect(0, 1), bg);
  EXPECT_EQ(sunday.r, 255);
  EXPECT_GE(sunday.g, 192);
  EXPECT_LT(sunday.g, 230);
  // A day of the month itself is drawn at full strength.
  EXPECT_LT(InkIn(image, mc.CellRect(1, 3), bg).r, 100);
}

TEST_F(MonthlyTest, RokuyoOnlyInsideTheOldCalendarTable) {
  // The table covers 1900 to 2100: with the names shown the picture of July 2001 changes, that
  // of July 1899 does not.
  for (auto [year, inside] : {std::pair{2001, true}, {1899, false}}) {
    SCOPED_TRACE(year);
    mc.SetDate(year, 7, 13);
    mc.SetShowRokuyo(false);
    const QImage plain = mc.Image().copy();
    mc.SetShowRokuyo(true);
    EXPECT_EQ(mc.Image() != plain, inside);
    // The name lies at the bottom of the cell, below the raised day number.
    const QRect cell = mc.CellRect(1, 2);
    const QRect strip(cell.left(), cell.bottom() - 7, cell.width(), 8);
    EXPECT_EQ(InkIn(mc.Image(), strip, mc.Color()).any, inside);
  }
}

// September 2026: 21 敬老の日, 22 国民の休日, 23 秋分の日, each with an item, as 19 (a Saturday)
// and 24 (a Thursday). Items no longer paint a day green: it keeps the colour of its kind and
// gets the special-day mark; the selected and the neighbouring days follow the same rule.
TEST_F(MonthlyTest, ItemDaysKeepTheColourOfTheirKindAndGetAMark) {
  mc.Schedule.SetHolidays(HolidayLines(THolidaySet::Current),
                          HolidaySwitches(THolidaySet::Current));
  for (int d : {19, 21, 22, 23, 24, 27})
    mc.Schedule.Lines().Add(MakeScheduleLine(2026, 9, d, "x", "", "9", "0", false));
  mc.SetDate(2026, 9, 27);
  mc.SetShowNeighbor(true);
  const QColor red = mc.Fonts().Holiday().Color(), blue = mc.Fonts().Saturday().Color();
  const QColor black = mc.Fonts().Weekday().Color(), green = mc.Fonts().SpecialDay().Color();
  struct Case {
    int32_t y;
    uint8_t m, d;
    QColor number;
    std::optional<QColor> mark;
    std::optional<QColor> fill;
  } cases[] = {
      {2026, 9, 21, red, green, {}},
      {2026, 9, 22, red, green, {}},
      {2026, 9, 23, red, green, {}},
      {2026, 9, 19, blue, green, {}},
      {2026, 9, 24, black, green, {}},
      {2026, 9, 25, black, {}, {}},
      {2026, 9, 27, mc.Color(), mc.Color(), red},  // selected Sunday: inverted
      {2026, 10, 1, QColor(192, 192, 192), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.m) << "/" << int(c.d));
    const TMonthlyCalendar::TCellLook look = mc.CellLook(DateToJulius(c.y, c.m, c.d));
    EXPECT_EQ(look.Number, c.number);
    EXPECT_EQ(look.Mark, c.mark);
    EXPECT_EQ(look.Fill, c.fill);
  }
  // The subjects are listed only once the cells have grown.
  EXPECT_EQ(mc.ItemLines(), 0);
  ShowAt(mc, 370, 680);
  EXPECT_GT(mc.ItemLines(), 1);
}

class WeeklyTest : public testing::Test {
 protected:
  void SetUp() override {
    ShowAt(wc, 300, 100);  // 100 is no multiple of 7
    wc.SetDate(2001, 7, 13);
  }
  TestCalendar<TWeeklyCalendar> wc;
};

TEST_F(WeeklyTest, DefaultsFollowThePalette) {
  EXPECT_EQ(wc.Color(), wc.palette().color(QPalette::ToolTipBase));
  EXPECT_EQ(wc.BorderColor(), wc.palette().color(QPalette::ToolTipText));
  EXPECT_TRUE(wc.DefaultDrawing());
  EXPECT_EQ(wc.DayCaption(2001, 7, 13, 5), QString::fromUtf8("7/13(金) "));
}

TEST_F(WeeklyTest, MouseSelectsByStripOnly) {
  const JuliusDay start = wc.GetWeekStart();
  ASSERT_EQ(start, DateToJulius(2001, 7, 8));
  const QPoint origin = wc.contentsRect().topLeft();
  // The third strip covers rows 28..41 of 100.
  for (QPoint p : {QPoint(0, 28), QPoint(150, 35), QPoint(299, 41)}) {
    SCOPED_TRACE(p.y());
    wc.SetJuliusDay(start + 6);
    QTest::mouseClick(&wc, Qt::LeftButton, {}, origin + p);
    EXPECT_EQ(wc.GetJuliusDay(), start + 2);
  }
}

TEST_F(WeeklyTest, DoubleClickSelectsThenReports) {
  JuliusDay seen = 0;
  wc.OnDblClick = [&](TCalendarView& c) { seen = c.GetJuliusDay(); };
  QTest::mouseDClick(&wc, Qt::LeftButton, {}, wc.contentsRect().topLeft() + QPoint(10, 90));
  EXPECT_EQ(seen, wc.GetWeekStart() + 6);
  EXPECT_EQ(wc.GetJuliusDay(), seen);
}

TEST_F(WeeklyTest, KeysReachOnKeyDownThenMove) {
  JuliusDay seen = 0;
  wc.OnKeyDown = [&](TCalendarView& c, QKeyEvent*) { seen = c.GetJuliusDay(); };
  wc.SetDate(2001, 7, 14);  // Saturday, the last strip
  QTest::keyClick(&wc, Qt::Key_Down);
  EXPECT_EQ(seen, DateToJulius(2001, 7, 14));
  EXPECT_EQ(wc.GetJuliusDay(), DateToJulius(2001, 7, 15));
  EXPECT_EQ(wc.GetWeekStart(), wc.GetJuliusDay());  // now the top strip

  struct Case {
    Qt::Key key;
    int delta;
  } cases[] = {{Qt::Key_Up, -1},
               {Qt::Key_PageUp, -7},
               {Qt::Key_PageDown, 7},
               {Qt::Key_Left, 0},
               {Qt::Key_Right, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const JuliusDay before = wc.GetJuliusDay();
    QTest::keyClick(&wc, c.key);
    EXPECT_EQ(wc.GetJuliusDay(), before + c.delta);
  }
}

TEST_F(WeeklyTest, OwnerDrawing) {
  wc.Schedule.HolidayLines().Assign(ClassicHolidayLines());
  wc.Schedule.Lines().Add(Utf8ToCp932("2001,2001,7,20,,,\"予定- - 9:30:0- TRUE\""));
  struct Call {
    QString dayText;
    std::string mainText;
    QRect rect;
    int row;
    QColor pen;
  };
  std::vector<Call> calls;
  wc.SetDefaultDrawing(false);
  wc.OnDrawDayCell = [&](TWeeklyCalendar&, QPainter& canvas, const QString& dayText,
                         const std::string& mainText, QRect& rect, int32_t row) {
    calls.push_back({dayText, mainText, rect, row, canvas.pen().color()});
  };
  wc.SetDate(2001, 7, 20);  // Friday, a holiday with an item
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].dayText, QString::fromUtf8("7/15(日) "));
  EXPECT_EQ(calls[0].pen, wc.Fonts().Sunday().Color());
  EXPECT_EQ(calls[5].dayText, QString::fromUtf8("7/20(金) "));
  EXPECT_EQ(calls[5].mainText, Utf8ToCp932("\"予定- - 9:30:0- TRUE\",海の日"));
  EXPECT_EQ(calls[5].pen, wc.Color());  // selected: drawn inverted
  EXPECT_EQ(calls[5].row, 5);
  EXPECT_EQ(calls[2].rect, QRect(0, 28, 300, 14));
  EXPECT_EQ(calls[6].rect.bottom(), 99);
}

TEST_F(WeeklyTest, WithoutTextOnlyFillAndLines) {
  wc.SetDefaultDrawing(false);
  wc.SetBorderColor(QColor(0, 128, 128));
  wc.SetColor(QColor(255, 255, 225));
  const QImage& image = wc.Image();
  // Friday 13 July is strip 5 (rows 71..84), filled with the weekday colour.
  for (int y = 0; y < 100; ++y) {
    SCOPED_TRACE(y);
    // The line under strip 4 (row 71) lies under the selected strip's fill.
    const bool line = y == 14 || y == 28 || y == 42 || y == 57 || y == 85;
    const QColor expected = y >= 71 && y <= 84 && !line ? QColor(0, 0, 0)
                            : line                      ? QColor(0, 128, 128)
                                                        : QColor(255, 255, 225);
    EXPECT_EQ(image.pixelColor(150, y), expected);
  }
}

}  // namespace
}  // namespace moriva
