#include "calendar/Recurrence.h"

#include <algorithm>
#include <bit>

namespace moriva {
namespace {

// Day numbers divisible by 7 are Mondays: the week of z is z / 7, its place in the week z % 7
// (0 = Monday). Series days are positive, so plain division floors.
constexpr int kWeekdayOfPlace[7] = {2, 3, 4, 5, 6, 7, 1};

bool InSeriesRange(JuliusDay z) {
  return z >= kFirstSeriesDay && z <= kLastSeriesDay;
}

uint8_t OnlyWeekday(uint8_t bits) {
  return static_cast<uint8_t>(std::countr_zero(bits) + 1);
}

// The day of month `m` of year `y` the monthly rule names; 0 when the month has none.
int MonthlyDay(const TRecurrence& r, int32_t y, uint8_t m) {
  const int days = DaysInMonth(y, m);
  if (r.MonthDay == kLastMonthDay) return days;
  if (r.MonthDay != 0) return r.MonthDay <= days ? r.MonthDay : 0;
  const int first = JuliusDayOfWeek(DateToJulius(y, m, 1));
  const int firstMatch = 1 + (OnlyWeekday(r.Weekdays) - first + 7) % 7;
  if (r.WeekNo == kLastWeek) return firstMatch + 7 * ((days - firstMatch) / 7);
  const int d = firstMatch + 7 * (r.WeekNo - 1);
  return d <= days ? d : 0;
}

std::optional<JuliusDay> NextDaily(const TRecurrence& r, JuliusDay from) {
  const int64_t k = (int64_t{from} - r.Start + r.Interval - 1) / r.Interval;
  return static_cast<JuliusDay>(r.Start + k * r.Interval);
}

std::optional<JuliusDay> NextWeekly(const TRecurrence& r, JuliusDay from) {
  int64_t week = from / 7;
  int place = from % 7;
  const int64_t off = (week - r.Start / 7) % r.Interval;
  if (off != 0) {
    week += r.Interval - off;
    place = 0;
  }
  for (int round = 0; round < 2; ++round, week += r.Interval, place = 0)
    for (int p = place; p < 7; ++p)
      if (r.Weekdays & WeekdayBit(kWeekdayOfPlace[p])) return static_cast<JuliusDay>(week * 7 + p);
  return std::nullopt;  // no weekday: not a valid rule
}

std::optional<JuliusDay> NextMonthly(const TRecurrence& r, JuliusDay from) {
  int32_t y, y0;
  uint8_t m, d, m0, d0;
  JuliusToDate(from, y, m, d);
  JuliusToDate(r.Start, y0, m0, d0);
  int64_t month = int64_t{y} * 12 + (m - 1);
  int floor = d;
  const int64_t off = (month - (int64_t{y0} * 12 + (m0 - 1))) % r.Interval;
  if (off != 0) {
    month += r.Interval - off;
    floor = 1;
  }
  // Month lengths and weekdays repeat every 400 years (4800 months), so a rule that finds no
  // day in that many of its months finds none ever.
  for (int tries = 0; tries <= 4800; ++tries, month += r.Interval, floor = 1) {
    const auto yy = static_cast<int32_t>(month / 12);
    const auto mm = static_cast<uint8_t>(month % 12 + 1);
    if (yy > 9999) break;
    const int day = MonthlyDay(r, yy, mm);
    if (day >= floor) return DateToJulius(yy, mm, static_cast<uint8_t>(day));
  }
  return std::nullopt;
}

std::optional<JuliusDay> NextYearly(const TRecurrence& r, JuliusDay from) {
  int32_t y, y0;
  uint8_t m, d, m0, d0;
  JuliusToDate(from, y, m, d);
  JuliusToDate(r.Start, y0, m0, d0);
  const int64_t off = (int64_t{y} - y0) % r.Interval;
  int64_t year = off == 0 ? y : y + (r.Interval - off);
  for (; year <= 9999; year += r.Interval) {
    const auto yy = static_cast<int32_t>(year);
    if (d0 > DaysInMonth(yy, m0)) continue;  // 29 February of a common year
    const JuliusDay z = DateToJulius(yy, m0, d0);
    if (z >= from) return z;
  }
  return std::nullopt;
}

}  // namespace

bool IsValidRecurrence(const TRecurrence& r) {
  if (!InSeriesRange(r.Start) || r.Interval < 1 || r.Interval > kMaxSeriesInterval) return false;
  if (r.Weekdays >= 0x80) return false;
  switch (r.Unit) {
    case TRepeatUnit::Day:
    case TRepeatUnit::Year:
      if (r.Weekdays != 0 || r.MonthDay != 0 || r.WeekNo != 0) return false;
      break;
    case TRepeatUnit::Week:
      if (r.Weekdays == 0 || r.MonthDay != 0 || r.WeekNo != 0) return false;
      break;
    case TRepeatUnit::Month:
      if (r.MonthDay != 0) {
        if ((r.MonthDay > 31 && r.MonthDay != kLastMonthDay) || r.Weekdays != 0 || r.WeekNo != 0)
          return false;
      } else if (std::popcount(r.Weekdays) != 1 ||
                 !(r.WeekNo == kLastWeek || (r.WeekNo >= 1 && r.WeekNo <= 5))) {
        return false;
      }
      break;
    default:
      return false;
  }
  if (r.Until && r.Count) return false;
  if (r.Until && !InSeriesRange(*r.Until)) return false;
  if (r.Count && (*r.Count < 1 || *r.Count > kMaxSeriesCount)) return false;
  for (size_t i = 0; i < r.Exceptions.size(); ++i) {
    if (!InSeriesRange(r.Exceptions[i])) return false;
    if (i > 0 && r.Exceptions[i] <= r.Exceptions[i - 1]) return false;
  }
  return true;
}

const THolidayTest& NoHolidays() {
  struct TNone final : THolidayTest {
    bool IsHoliday(JuliusDay) const override { return false; }
  };
  static const TNone none;
  return none;
}

std::optional<JuliusDay> NextRuleDay(const TRecurrence& r, JuliusDay from) {
  from = std::max(from, r.Start);
  const JuliusDay last = r.Until ? std::min(*r.Until, kLastSeriesDay) : kLastSeriesDay;
  if (from > last) return std::nullopt;
  std::optional<JuliusDay> z;
  switch (r.Unit) {
    case TRepeatUnit::Day:
      z = NextDaily(r, from);
      break;
    case TRepeatUnit::Week:
      z = NextWeekly(r, from);
      break;
    case TRepeatUnit::Month:
      z = NextMonthly(r, from);
      break;
    case TRepeatUnit::Year:
      z = NextYearly(r, from);
      break;
  }
  if (z && *z > last) return std::nullopt;
  return z;
}

TOccurrences::TOccurrences(const TRecurrence& rule, const THolidayTest& holidays)
    : rule_(rule), holidays_(holidays) {
  end_ = rule.Until ? std::min(*rule.Until, kLastSeriesDay) : kLastSeriesDay;
  if (!rule.Count) return;
  if (rule.Unit == TRepeatUnit::Day && !rule.SkipHolidays) {
    end_ = static_cast<JuliusDay>(
        std::min<int64_t>(kLastSeriesDay, rule.Start + int64_t{*rule.Count - 1} * rule.Interval));
    return;
  }
  JuliusDay last = rule.Start - 1;
  uint32_t n = 0;
  if (rule.Unit == TRepeatUnit::Day) {
    // The same walk as below without looking for each next day: a daily series with the
    // largest count that skips holidays steps through 27 years of days, and a schedule may
    // hold a thousand of them.
    int holidaysInARow = 0;
    for (int64_t z = rule.Start; z <= kLastSeriesDay && n < *rule.Count; z += rule.Interval) {
      if (holidays.IsHoliday(static_cast<JuliusDay>(z))) {
        if (++holidaysInARow == kMaxHolidaysInARow) break;
        continue;
      }
      holidaysInARow = 0;
      last = static_cast<JuliusDay>(z);
      ++n;
    }
    end_ = last;
    return;
  }
  for (std::optional<JuliusDay> z = NextCandidate(rule.Start); z && n < *rule.Count;
       z = NextCandidate(*z + 1)) {
    last = *z;
    ++n;
  }
  end_ = last;
}

bool TOccurrences::TakenOut(JuliusDay z) const {
  return std::binary_search(rule_.Exceptions.begin(), rule_.Exceptions.end(), z);
}

std::optional<JuliusDay> TOccurrences::NextCandidate(JuliusDay from, JuliusDay limit) const {
  limit = std::min(limit, end_);
  for (int holidays = 0; holidays < kMaxHolidaysInARow; ++holidays) {
    if (from > limit) return std::nullopt;
    const std::optional<JuliusDay> z = NextRuleDay(rule_, from);
    if (!z || *z > limit) return std::nullopt;
    if (!rule_.SkipHolidays || !holidays_.IsHoliday(*z)) return z;
    from = *z + 1;
  }
  // A rule whose days stay on holidays (a yearly date that is one) has no more candidates.
  return std::nullopt;
}

bool TOccurrences::IsCandidate(JuliusDay z) const {
  return NextCandidate(z, z) == z;
}

std::optional<JuliusDay> TOccurrences::Next(JuliusDay from, JuliusDay limit) const {
  for (;;) {
    const std::optional<JuliusDay> z = NextCandidate(from, limit);
    if (!z || !TakenOut(*z)) return z;
    from = *z + 1;
  }
}

bool TOccurrences::Occurs(JuliusDay z) const {
  return Next(z, z) == z;
}

std::optional<JuliusDay> TOccurrences::Last() const {
  if (!rule_.Until && !rule_.Count) return std::nullopt;
  // Windows growing backwards from the end: the cost follows the occurrences near the end.
  for (int64_t width = 64;; width *= 2) {
    const JuliusDay from = static_cast<JuliusDay>(std::max<int64_t>(rule_.Start, end_ - width + 1));
    std::optional<JuliusDay> last;
    ForEach(from, end_, [&](JuliusDay z) { last = z; });
    if (last || from <= rule_.Start) return last;
  }
}

uint32_t TOccurrences::CandidatesBefore(JuliusDay day) const {
  uint32_t n = 0;
  for (std::optional<JuliusDay> z = NextCandidate(rule_.Start); z && *z < day;
       z = NextCandidate(*z + 1))
    ++n;
  return n;
}

}  // namespace moriva
