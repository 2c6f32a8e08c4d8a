#pragma once
// The arithmetic of the two calendar controls, kept free of any window system so it can be
// checked without painting: which day a grid cell shows, how many rows the month grid has,
// where a cell lies and which cell lies under a point.
//
// Rectangles are half-open: Left/Top belong to the cell, Right/Bottom belong to the next one.
// Weekday numbers are 1 = Sunday ... 7 = Saturday; TDayOfWeek counts from 0 = Sunday.
#include <cstdint>

#include "calendar/Julius.h"

namespace moriva {

enum TDayOfWeek : uint8_t { dowSun, dowMon, dowTue, dowWed, dowThu, dowFri, dowSat };

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

struct TGridCell {
  int Col = 0;
  int Row = 0;
  bool operator==(const TGridCell&) const = default;
};

// Days from the start of a row beginning on `first` to a day of weekday `weekday` (1..7): 0..6.
int WeekdayOffset(uint8_t weekday, TDayOfWeek first);

// Weekday (0 = Sunday .. 6) shown in column `col` (0..6) of a grid whose first column is `first`.
int ColumnWeekday(int col, TDayOfWeek first);

// Day shown in column 0 of the first week row of the month grid. When the 1st of the month
// would open the first row and `firstRowFirstDay` is false, the whole preceding week is shown
// first, so the month never starts at the top-left corner.
JuliusDay GetFirstCellDay(int32_t year, uint8_t month, TDayOfWeek first, bool firstRowFirstDay);

// Number of grid rows, the weekday header row included. Without `autoResize` always 7 (header
// and six weeks). Otherwise just enough weeks to reach the last day of the month; unless
// `lastRowLastDay` is set, a month ending in the last column gets one more week row so the
// following month shows too.
int GetRowCount(int32_t year, uint8_t month, TDayOfWeek first, bool autoResize,
                bool firstRowFirstDay, bool lastRowLastDay);

// Day shown in cell (col, row) of the month grid; row 0 is the header, so row 1 is the first week.
inline JuliusDay MonthCellDay(JuliusDay firstCellDay, int col, int row) {
  return firstCellDay + (row - 1) * 7 + col;
}

// Cell (col 0..6, row 0..rowCount-1) of a width × height client area. The boundaries are
// computed in floating point, so the columns share the width evenly to within one pixel and
// the cells tile the area without gaps.
TGridRect MonthCellRect(int col, int row, int rowCount, int width, int height);

// Cell under a client point. Integer division by the whole-pixel column width and row height,
// so the few pixels right of or below the last whole cell belong to the last column or row;
// the result is clamped to the grid. A point left of or above the area gives column or row 0,
// and an area too small to hold one pixel per cell does not divide by zero.
TGridCell MonthCellAt(int x, int y, int width, int height, int rowCount);

// Day of the top strip of the week list that shows `day`.
JuliusDay GetWeekStart(JuliusDay day, TDayOfWeek first);

// Strip `row` (0..6) of the week list: full width, heights differing by at most one pixel.
TGridRect WeekStripRect(int row, int width, int height);

// Strip (0..6) whose pixel rows include client height `y`, clamped; X does not matter.
int WeekStripAt(int y, int height);

}  // namespace moriva
