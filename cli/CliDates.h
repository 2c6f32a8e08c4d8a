#pragma once
// Dates on the command line: YYYY-MM-DD (a leading '-' for years before year 0 in
// astronomical numbering), limited to the day numbers whose dates the engine converts exactly.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "calendar/Julius.h"

namespace moriva {

class TCliArgs;

inline constexpr JuliusDay kFirstCliDay = 0;       // 1 January -4712
inline constexpr JuliusDay kLastCliDay = 5373484;  // 31 December 9999
inline constexpr int32_t kFirstCliYear = -4712;
inline constexpr int32_t kLastCliYear = 9999;

// "YYYY-MM-DD" → day number. EUsageError when it is no date of the range (also for
// 1582-10-05 ... 1582-10-14, which the calendar skips).
JuliusDay ParseDateArg(std::string_view text);
// "YYYY-MM" → year and month; EUsageError when malformed or out of range.
void ParseMonthArg(std::string_view text, int32_t& year, uint8_t& month);
// "YYYY" → year; EUsageError when malformed or out of range.
int32_t ParseYearArg(std::string_view text);

// Year zero-padded to four digits (a leading '-' when negative), then -MM-DD.
std::string FormatDate(int32_t year, uint8_t month, uint8_t day);

// The rule set named by "--holidays current|classic" (default current); EUsageError for any
// other name.
THolidaySet HolidaySetOption(TCliArgs& args);

// The holidays of the rule set named by "--holidays" (HolidaySetOption), as series that skip
// holidays go by.
TDayRules HolidayRulesOption(TCliArgs& args);

// The program's calendar rules: the holiday rule set and the given special-day lines. Each
// faulty special-day line is reported on `err`, after "moriva-cli COMMAND: ", and left out.
TDayRules ProgramDayRules(THolidaySet set, const TLineList& specialDays, std::string_view command,
                          std::ostream& err);

}  // namespace moriva
