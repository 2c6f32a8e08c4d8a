#pragma once
// The editor's 繰り返し section without a window: what its controls hold, the rule they make for
// the edited day, and back. The rule starts on the edited day, so the controls only ask what the
// day alone cannot say (the weekdays of a weekly series, day or weekday of a monthly one).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/Recurrence.h"

namespace moriva {

enum class TRepeatKind : uint8_t { None, Daily, Weekly, Monthly, Yearly };
// A monthly series falls on the start's day of the month, on its nth weekday (第2火曜日), on
// its last such weekday, or on the last day of every month.
enum class TMonthlyBy : uint8_t { Day, Weekday, LastWeekday, LastDay };
enum class TRepeatEnd : uint8_t { None, Date, Count };

struct TRepeatFields {
  TRepeatKind Kind = TRepeatKind::None;
  int Interval = 1;
  uint8_t Weekdays = 0;  // weekly (WeekdayBit); none means the start's weekday
  TMonthlyBy MonthlyBy = TMonthlyBy::Day;
  TRepeatEnd End = TRepeatEnd::None;
  JuliusDay Until = 0;  // TRepeatEnd::Date; 0 means the start
  int Count = 10;       // TRepeatEnd::Count
  bool SkipHolidays = false;
  bool operator==(const TRepeatFields&) const = default;
};

// The choices' texts (UTF-8), in the enums' order.
inline constexpr std::array<std::string_view, 5> kRepeatKindTexts = {"しない", "毎日", "毎週",
                                                                     "毎月", "毎年"};
inline constexpr std::array<std::string_view, 3> kRepeatEndTexts = {"なし", "日付", "回数"};
// Sunday first, as WeekdayBit counts.
inline constexpr std::array<std::string_view, 7> kWeekdayTexts = {"日", "月", "火", "水",
                                                                  "木", "金", "土"};
// The monthly choices for a start day (UTF-8): "8日", "第2火曜日", "最終火曜日", "末日".
std::array<std::string, 4> MonthlyByTexts(JuliusDay start);

// The rule the fields make for a series starting on `start`; nullopt for しない or fields that
// make no valid rule (an end before the start, an interval or count out of range, a 5th weekday
// chosen as "nth").
std::optional<TRecurrence> RuleOfFields(const TRepeatFields& fields, JuliusDay start);

// The fields that show a rule (its taken-out days and start are not among them).
TRepeatFields FieldsOfRule(const TRecurrence& rule);

// Whether the fields' rule differs from `rule` other than by start and taken-out days.
bool RuleFieldsChanged(const TRepeatFields& fields, const TRecurrence& rule);

}  // namespace moriva
