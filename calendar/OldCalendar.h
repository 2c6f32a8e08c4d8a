#pragma once
// The old Japanese lunisolar calendar and the rokuyo, from a table of month starts that the
// program carries (resources/jdoldcal.txt, compiled in; written by tools/gen_jdoldcal.py). The
// table covers 1 January 1900 to 28 January 2101 inclusive (every month that touches 1900-2100);
// outside it there is no old-calendar date and no rokuyo.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/Julius.h"

namespace moriva {

// One row of the table: the day number of a month's first day and the month's number
// (1..12, or 100 + n for the leap month that repeats month n).
struct TJDOldMonth {
  int32_t Start = 0;
  int32_t Month = 0;
  bool operator==(const TJDOldMonth&) const = default;
};

// Rows in ascending order; the last row only ends the month before it.
const std::vector<TJDOldMonth>& OldCalendarTable();

// The table text as compiled into the program (ASCII rows "start,month", CR LF).
std::string_view OldCalendarTableText();

// Parses table text: each line split as comma text, the first two fields as decimal integers.
// Throws EConvertError for a row that does not hold them.
std::vector<TJDOldMonth> ParseOldCalendarTable(std::string_view text);

// Old-calendar month (1..12, 101..112 for a leap month) and day (1..30) of a day number;
// 0 and 0 outside the table.
void OldCalendarDate(JuliusDay z, uint8_t& month, uint8_t& day);

// Index into RokuyoNames: 1..6, or 0 outside the table. The first day of month n is rokuyo n
// (counted round from 1 in steps of six); a leap month counts like the month it repeats.
uint8_t RokuyoOf(JuliusDay z);

// The seven rokuyo names as CP932: 不明 (outside the table), 先勝, 友引, 先負, 仏滅, 大安, 赤口.
// Use as RokuyoNames[i] for i in 0..6.
struct TRokuyoNames {
  const std::string& operator[](size_t index) const;
  static constexpr size_t size() { return 7; }
};
inline constexpr TRokuyoNames RokuyoNames{};

}  // namespace moriva
