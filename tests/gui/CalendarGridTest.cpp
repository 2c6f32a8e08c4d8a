// The grid arithmetic on its own: which days the month grid shows, how many rows it has, and
// how client points map to cells and strips.
#include "calendar/CalendarGrid.h"

#include <gtest/gtest.h>

namespace moriva {
namespace {

TEST(CalendarGridTest, FirstCellDay) {
  struct Case {
    int32_t year;
    uint8_t month;
    TDayOfWeek first;
    bool firstRowFirstDay;
    int32_t y;
    uint8_t m, d;
  } cases[] = {
      // 1 July 2001 is a Sunday: the first row shows the week before unless it may start on it.
      {2001, 7, dowSun, false, 2001, 6, 24},
      {2001, 7, dowSun, true, 2001, 7, 1},
      {2001, 7, dowMon, false, 2001, 6, 25},
      {2001, 7, dowSat, false, 2001, 6, 30},
      // 1 August 2001 is a Wednesday: the setting does not matter.
      {2001, 8, dowSun, false, 2001, 7, 29},
      {2001, 8, dowSun, true, 2001, 7, 29},
      {2001, 8, dowThu, true, 2001, 7, 26},
      {2001, 1, dowSun, false, 2000, 12, 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "/" << int(c.month) << " first " << int(c.first)
                                    << " frfd " << c.firstRowFirstDay);
    EXPECT_EQ(GetFirstCellDay(c.year, c.month, c.first, c.firstRowFirstDay),
              DateToJulius(c.y, c.m, c.d));
  }
}

TEST(CalendarGridTest, RowCount) {
  struct Case {
    int32_t year;
    uint8_t month;
    bool autoResize, firstRowFirstDay, lastRowLastDay;
    int rows;
  } cases[] = {
      // February 2009 runs from a Sunday to a Saturday: four whole weeks.
      {2009, 2, true, true, true, 5},
      {2009, 2, true, true, false, 6},
      {2009, 2, true, false, true, 6},
      {2009, 2, true, false, false, 7},
      {2009, 2, false, true, true, 7},
      // July 2001 (Sunday to Tuesday) needs five weeks after the leading one.
      {2001, 7, true, false, false, 7},
      {2001, 7, true, true, false, 6},
      {2001, 7, false, true, false, 7},
      // June 2001 ends on a Saturday, in the last column.
      {2001, 6, true, false, true, 6},
      {2001, 6, true, false, false, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.year << "/" << int(c.month) << " auto " << c.autoResize << " frfd "
                 << c.firstRowFirstDay << " lrld " << c.lastRowLastDay);
    EXPECT_EQ(
        GetRowCount(c.year, c.month, dowSun, c.autoResize, c.firstRowFirstDay, c.lastRowLastDay),
        c.rows);
  }
}

TEST(CalendarGridTest, CellRectanglesTileTheArea) {
  for (auto [w, h, rows] : {std::tuple{176, 273, 7}, {100, 100, 5}, {7, 6, 6}, {0, 0, 7}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h << " rows " << rows);
    for (int row = 0; row < rows; ++row) {
      for (int col = 0; col < 7; ++col) {
        const TGridRect r = MonthCellRect(col, row, rows, w, h);
        EXPECT_EQ(r.Left, col == 0 ? 0 : MonthCellRect(col - 1, row, rows, w, h).Right);
        EXPECT_EQ(r.Top, row == 0 ? 0 : MonthCellRect(col, row - 1, rows, w, h).Bottom);
        if (col == 6) {
          EXPECT_EQ(r.Right, w);
        }
        if (row == rows - 1) {
          EXPECT_EQ(r.Bottom, h);
        }
        EXPECT_LE(std::abs((r.Right - r.Left) - w / 7), 1);
      }
    }
  }
  // Without AutoResize the header takes one seventh of the height.
  EXPECT_EQ(MonthCellRect(0, 0, 7, 176, 273), (TGridRect{0, 0, 25, 39}));
  EXPECT_EQ(MonthCellRect(6, 6, 7, 176, 273), (TGridRect{150, 234, 176, 273}));
}

TEST(CalendarGridTest, CellAtAPoint) {
  struct Case {
    int x, y, width, height, rows;
    TGridCell cell;
  } cases[] = {
      {0, 0, 176, 273, 7, {0, 0}},
      {24, 38, 176, 273, 7, {0, 0}},
      {25, 39, 176, 273, 7, {1, 1}},
      // 7 × (176 div 7) = 175: the last pixel column still belongs to column 6.
      {175, 100, 176, 273, 7, {6, 2}},
      {174, 272, 176, 273, 7, {6, 6}},
      {50, 272, 176, 273, 5, {2, 4}},
      // Outside the area or in one too small to divide: clamped, never a division by zero.
      {-5, -5, 176, 273, 7, {0, 0}},
      {500, 900, 176, 273, 7, {6, 6}},
      {3, 3, 5, 4, 7, {3, 3}},
      {3, 3, 0, 0, 7, {3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " in " << c.width << "x" << c.height);
    EXPECT_EQ(MonthCellAt(c.x, c.y, c.width, c.height, c.rows), c.cell);
  }
}

TEST(CalendarGridTest, WeekStartAndStrips) {
  const JuliusDay fri = DateToJulius(2001, 7, 13);
  EXPECT_EQ(GetWeekStart(fri, dowSun), DateToJulius(2001, 7, 8));
  EXPECT_EQ(GetWeekStart(fri, dowMon), DateToJulius(2001, 7, 9));
  EXPECT_EQ(GetWeekStart(fri, dowFri), fri);
  EXPECT_EQ(GetWeekStart(fri, dowSat), DateToJulius(2001, 7, 7));
  EXPECT_EQ(ColumnWeekday(6, dowMon), 0);

  for (int h : {100, 273, 6, 7}) {
    SCOPED_TRACE(h);
    int minHeight = h, maxHeight = 0;
    for (int row = 0; row < 7; ++row) {
      const TGridRect r = WeekStripRect(row, 300, h);
      EXPECT_EQ(r.Top, row == 0 ? 0 : WeekStripRect(row - 1, 300, h).Bottom);
      minHeight = std::min(minHeight, r.Bottom - r.Top);
      maxHeight = std::max(maxHeight, r.Bottom - r.Top);
      if (r.Bottom > r.Top) {
        EXPECT_EQ(WeekStripAt(r.Top, h), row);
        EXPECT_EQ(WeekStripAt(r.Bottom - 1, h), row);
      }
    }
    EXPECT_EQ(WeekStripRect(6, 300, h).Bottom, h);
    EXPECT_LE(maxHeight - minHeight, 1);
  }
  EXPECT_EQ(WeekStripAt(-3, 100), 0);
  EXPECT_EQ(WeekStripAt(100, 100), 6);
  EXPECT_EQ(WeekStripAt(5, 0), 0);
}

}  // namespace
}  // namespace moriva
