#pragma once
// Rule lines and their parsed items: the holiday list and the special-day list of a calendar
// are both lines of this syntax (split as comma text; the field count decides the meaning):
//
//   3 fields  Month, Day, Name                            that date in every year
//   4 fields  Month, WeekNo, DayOfWeek, Name              the WeekNo-th weekday, every year
//   5 fields  Year, Mode, Month, Day, Name                that date in the years of Mode
//   6 fields  Year, Mode, Month, WeekNo, DayOfWeek, Name  the WeekNo-th weekday, years of Mode
//   7 fields  FromYear, ToYear, Month, Day, DayOfWeek, WeekNo, Name
//             every day that meets all non-empty conditions (0 = no condition as well)
//
// Mode: "0" Year only, "1" every year up to Year, "2" every year from Year on, any other text
// every year (the year field is then not read). DayOfWeek is 1 = Sunday ... 7 = Saturday;
// WeekNo counts that weekday from the first of the month (days 1-7 are week 1). Numbers are
// decimal integers, stored in the field's width (a month of 257 is kept as 1). Any other field
// count makes the line no rule at all.
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/CommaText.h"

namespace moriva {

// FromYear/ToYear value that sets no bound.
inline constexpr int32_t kNoYear = INT32_MIN;

class TDayListItem {
 public:
  TDayListItem() = default;
  TDayListItem(const TDayListItem&) = default;
  TDayListItem(TDayListItem&&) = default;
  TDayListItem& operator=(const TDayListItem&) = default;
  TDayListItem& operator=(TDayListItem&&) = default;

  // Whether the rule covers the date. FromYear > ToYear (both set) is a window that wraps:
  // years up to ToYear and from FromYear on. Throws EJuliusError for 1582/10/5-14 when the
  // weekday has to be looked at. (Declared first, so it is the first virtual slot.)
  virtual bool Match(int32_t y, uint8_t m, uint8_t d) const;
  virtual ~TDayListItem() = default;

  // True when the item can match no day but FromYear/Month/Day (so it can be looked up by
  // that date instead of being tested on every day).
  bool IsSingleDay() const {
    return FromYear != kNoYear && FromYear == ToYear && Month != 0 && Day != 0;
  }

  uint8_t Day = 0;        // 0 = any
  uint8_t Month = 0;      // 0 = any
  uint8_t DayOfWeek = 0;  // 1..7, 0 = any
  uint8_t WeekNo = 0;     // 1..5, 0 = any
  int32_t FromYear = kNoYear;
  int32_t ToYear = kNoYear;
  std::string Name;  // CP932
};

enum class TDayLineKind {
  Rule,    // the line gave an item
  NoRule,  // a field count other than 3..7: not a rule, silently passed over
  Faulty,  // a numeric field that is not a decimal integer
};

// Parses one line into `item` (which is reset first). A faulty line leaves `item` undefined.
TDayLineKind ParseDayListLine(std::string_view line, TDayListItem& item);
// The same without copying the name: for a rule, `name` is set to the name's field as it
// stands in the line (item.Name stays empty).
TDayLineKind ParseDayListLine(std::string_view line, TDayListItem& item, TCommaField* name);

}  // namespace moriva
