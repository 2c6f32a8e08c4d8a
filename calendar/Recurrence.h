#pragma once
// The rule of a repeating item: which days it falls on, worked out by arithmetic on day numbers,
// so that asking about one day of a series that runs for a hundred years costs what asking
// about a short one costs.
//
// Three layers, each one on top of the last:
// - the bare rule: every Interval-th day, week, month or year counted from Start, on the given
//   weekdays or day of the month, not before Start and not after Until;
// - the candidates: the days of the bare rule that are no holidays when SkipHolidays is set;
//   Count keeps the first Count candidates;
// - the occurrences: the candidates that are not taken out (Exceptions). A taken-out day still
//   counts towards Count.
// Weeks begin on Monday. A month without the day (31 in April) or without a fifth such weekday
// has no occurrence; 29 February falls in leap years only. All days lie in
// kFirstSeriesDay..kLastSeriesDay (Gregorian dates with four-digit years).
#include <cstdint>
#include <optional>
#include <vector>

#include "calendar/Julius.h"

namespace moriva {

enum class TRepeatUnit : uint8_t { Day, Week, Month, Year };

inline constexpr JuliusDay kFirstSeriesDay = 2299239;  // 1583-01-01
inline constexpr JuliusDay kLastSeriesDay = 5373484;   // 9999-12-31
inline constexpr uint16_t kMaxSeriesInterval = 999;
// Ten thousand times is 27 years of a daily series; more is an end on a date.
inline constexpr uint32_t kMaxSeriesCount = 9999;
// A rule that skips holidays and meets this many in a row has no more candidates: its days are
// holidays for good (a yearly date that is one), and looking on would walk to the year 9999.
// Days of a rule that are not for good holidays (Golden Week, Happy Mondays) come far fewer in
// a row.
inline constexpr int kMaxHolidaysInARow = 64;
// WeekNo for the last such weekday of the month.
inline constexpr int8_t kLastWeek = -1;
// MonthDay for the last day of the month, whatever its length (月末: rent, pay day, invoices).
inline constexpr uint8_t kLastMonthDay = 32;

// The weekday bit of weekday w (1 = Sunday ... 7 = Saturday).
constexpr uint8_t WeekdayBit(uint8_t w) {
  return static_cast<uint8_t>(1u << (w - 1));
}

struct TRecurrence {
  JuliusDay Start = kFirstSeriesDay;
  TRepeatUnit Unit = TRepeatUnit::Week;
  uint16_t Interval = 1;  // 1..kMaxSeriesInterval
  // Week: the weekdays (WeekdayBit), at least one. Month by weekday: exactly one. Else 0.
  uint8_t Weekdays = 0;
  uint8_t MonthDay = 0;               // Month by day: 1..31 or kLastMonthDay. Else 0.
  int8_t WeekNo = 0;                  // Month by weekday: 1..5 or kLastWeek. Else 0.
  std::optional<JuliusDay> Until;     // inclusive; not together with Count
  std::optional<uint32_t> Count;      // 1..kMaxSeriesCount
  bool SkipHolidays = false;          // 祝日を除く
  std::vector<JuliusDay> Exceptions;  // taken-out days, ascending, no repeats

  bool operator==(const TRecurrence&) const = default;
};

// Whether the fields form a rule as described above (what a series line may hold).
bool IsValidRecurrence(const TRecurrence& rule);

// What 祝日を除く asks. TDayRules answers by the holiday law the window shows.
class THolidayTest {
 public:
  virtual bool IsHoliday(JuliusDay z) const = 0;

 protected:
  ~THolidayTest() = default;
};
// A test that knows no holiday.
const THolidayTest& NoHolidays();

// The first day of the bare rule on or after `from`; nullopt when there is none (the rule has
// ended, or can never fall, as the 31st of every twelfth February). `rule` must be valid.
std::optional<JuliusDay> NextRuleDay(const TRecurrence& rule, JuliusDay from);

// The occurrences of a valid rule under a holiday test. A view: the rule and the test must
// outlive it. Making it works out End, which for a Count end steps through the Count
// candidates once (TSeriesDays keeps that result between views).
class TOccurrences {
 public:
  TOccurrences(const TRecurrence& rule, const THolidayTest& holidays);
  // With End already known (a value an earlier view of the same rule and test gave).
  TOccurrences(const TRecurrence& rule, const THolidayTest& holidays, JuliusDay end)
      : rule_(rule), holidays_(holidays), end_(end) {}

  const TRecurrence& Rule() const { return rule_; }
  // No candidate lies after this day: Until, the Count-th candidate, or kLastSeriesDay (or
  // the day before Start when there is no candidate at all).
  JuliusDay End() const { return end_; }

  // The first occurrence on or after `from` (and not after `limit`).
  std::optional<JuliusDay> Next(JuliusDay from, JuliusDay limit = kLastSeriesDay) const;
  bool Occurs(JuliusDay z) const;
  // The last occurrence; nullopt when there is none or the series never ends.
  std::optional<JuliusDay> Last() const;
  // Calls visit(day) for each occurrence in from..to, ascending.
  template <class Visit>
  void ForEach(JuliusDay from, JuliusDay to, Visit&& visit) const {
    for (std::optional<JuliusDay> z = Next(from, to); z; z = Next(*z + 1, to)) visit(*z);
  }

  // Whether z is a candidate (a day of the bare rule up to End, not a skipped holiday): what
  // Count counts. Taken-out days are candidates.
  bool IsCandidate(JuliusDay z) const;
  // The next candidate on or after `from`, up to End (and `limit`).
  std::optional<JuliusDay> NextCandidate(JuliusDay from, JuliusDay limit = kLastSeriesDay) const;
  // The number of candidates before `day`.
  uint32_t CandidatesBefore(JuliusDay day) const;

 private:
  bool TakenOut(JuliusDay z) const;

  const TRecurrence& rule_;
  const THolidayTest& holidays_;
  JuliusDay end_;
};

}  // namespace moriva
