#include "calendar/CalendarGrid.h"

#include <algorithm>
#include <cmath>

namespace moriva {

namespace {

// Floating-point share of a length, cut toward zero: the boundaries of `parts` equal parts.
int Share(int length, int index, int parts) {
  return static_cast<int>(std::trunc(length * (static_cast<double>(index) / parts)));
}

}  // namespace

int WeekdayOffset(uint8_t weekday, TDayOfWeek first) {
  return (weekday - static_cast<int>(first) + 6) % 7;
}

int ColumnWeekday(int col, TDayOfWeek first) {
  return (static_cast<int>(first) + col) % 7;
}

JuliusDay GetFirstCellDay(int32_t year, uint8_t month, TDayOfWeek first, bool firstRowFirstDay) {
  const JuliusDay d1 = DateToJulius(year, month, 1);
  JuliusDay f = d1 - WeekdayOffset(JuliusDayOfWeek(d1), first);
  if (!firstRowFirstDay && f == d1) f = d1 - 7;
  return f;
}

int GetRowCount(int32_t year, uint8_t month, TDayOfWeek first, bool autoResize,
                bool firstRowFirstDay, bool lastRowLastDay) {
  if (!autoResize) return 7;
  const JuliusDay f = GetFirstCellDay(year, month, first, firstRowFirstDay);
  const JuliusDay last = DateToJulius(year, month, DaysInMonth(year, month));
  const int span = last - f;
  int rows = span / 7 + 2;
  if (!lastRowLastDay && (span + 1) % 7 == 0) ++rows;
  return rows;
}

TGridRect MonthCellRect(int col, int row, int rowCount, int width, int height) {
  return {Share(width, col, 7), Share(height, row, rowCount), Share(width, col + 1, 7),
          Share(height, row + 1, rowCount)};
}

TGridCell MonthCellAt(int x, int y, int width, int height, int rowCount) {
  const int colWidth = std::max(1, width / 7);
  const int rowHeight = std::max(1, height / std::max(1, rowCount));
  return {std::clamp(x / colWidth, 0, 6), std::clamp(y / rowHeight, 0, std::max(0, rowCount - 1))};
}

JuliusDay GetWeekStart(JuliusDay day, TDayOfWeek first) {
  return day - WeekdayOffset(JuliusDayOfWeek(day), first);
}

TGridRect WeekStripRect(int row, int width, int height) {
  return {0, row * height / 7, width, (row + 1) * height / 7};
}

int WeekStripAt(int y, int height) {
  if (height <= 0) return 0;
  // The exact inverse of WeekStripRect: the strip whose rows include y. (Scaling y by 7 / height
  // would give the strip above for the top row of some strips.)
  if (y < 0) return 0;
  return std::min(static_cast<int>((7LL * (y + 1) - 1) / height), 6);
}

}  // namespace moriva
