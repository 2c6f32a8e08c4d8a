#include "formats/ICalendarSeries.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/Cp932.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

constexpr const char* kWeekdayWords[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

icaltimetype DayValue(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return DateValue(y, m, d);
}

// The day `z` at the event's time: a date for an all-day event, else the wall-clock time in
// the user's zone.
icaltimetype At(JuliusDay z, const std::optional<std::pair<int, int>>& time,
                const TICalZone& zone) {
  icaltimetype t = DayValue(z);
  if (!time) return t;
  t.is_date = 0;
  t.hour = time->first;
  t.minute = time->second;
  t.second = 0;
  t.zone = zone.Zone();
  return t;
}

std::string RRuleText(const TRecurrence& r, JuliusDay until, bool dated, const TICalZone& zone,
                      std::optional<uint32_t> count) {
  static constexpr const char* kFreq[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  std::string text = std::string("FREQ=") + kFreq[static_cast<int>(r.Unit)];
  if (r.Interval != 1) text += ";INTERVAL=" + std::to_string(r.Interval);
  if (r.Unit == TRepeatUnit::Week) {
    if (r.Interval != 1) text += ";WKST=MO";
    std::string days;
    // Monday first, as the week counts.
    for (uint8_t w : {2, 3, 4, 5, 6, 7, 1})
      if (r.Weekdays & WeekdayBit(w))
        days += std::string(days.empty() ? "" : ",") + kWeekdayWords[w - 1];
    text += ";BYDAY=" + days;
  } else if (r.Unit == TRepeatUnit::Month) {
    if (r.MonthDay != 0) {
      text += ";BYMONTHDAY=" + (r.MonthDay == kLastMonthDay ? "-1" : std::to_string(r.MonthDay));
    } else {
      uint8_t w = 1;
      while (!(r.Weekdays & WeekdayBit(w))) ++w;
      text += ";BYDAY=" + std::to_string(r.WeekNo) + kWeekdayWords[w - 1];
    }
  }
  if (count) {
    text += ";COUNT=" + std::to_string(*count);
  } else if (until != kLastSeriesDay) {
    icaltimetype t = DayValue(until);
    char buf[32];
    if (!dated) {
      // A timed start wants UNTIL in UTC: the end of the last day in the user's zone.
      t.is_date = 0;
      t.hour = 23;
      t.minute = 59;
      t.second = 59;
      t.zone = zone.Zone();
      t = icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone());
      std::snprintf(buf, sizeof buf, ";UNTIL=%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day,
                    t.hour, t.minute, t.second);
    } else {
      std::snprintf(buf, sizeof buf, ";UNTIL=%04d%02d%02d", t.year, t.month, t.day);
    }
    text += buf;
  }
  return text;
}

icalproperty* ExDate(icaltimetype t) {
  icalproperty* p = icalproperty_new_exdate(t);
  if (!t.is_date && t.zone && !icaltime_is_utc(t))
    icalproperty_add_parameter(
        p, icalparameter_new_tzid(icaltimezone_get_tzid(const_cast<icaltimezone*>(t.zone))));
  return p;
}

}  // namespace

TICalComponent SeriesToVEvent(const TSeries& series, const TICalZone& zone, time_t stamp,
                              const TICalHolidays& holidays) {
  const TRecurrence& rule = series.Rule;
  if (!IsValidRecurrence(rule) || series.Id.empty()) return nullptr;
  // Other calendars count DTSTART as an occurrence, so it goes on the rule's first day: the
  // same weeks, months and years count from there.
  const std::optional<JuliusDay> first = NextRuleDay(rule, rule.Start);
  if (!first) return nullptr;
  const std::optional<TItemParts> parts = SplitItemText(series.Text);
  const std::string subject = Cp932ToUtf8(parts ? parts->Subject : series.Text);
  const std::optional<std::pair<int, int>> time = parts ? ParseItemTime(parts->Time) : std::nullopt;

  TICalComponent ev(icalcomponent_new_vevent());
  icalcomponent* e = ev.get();
  icalcomponent_add_property(e, icalproperty_new_uid(series.Id.c_str()));
  icalcomponent_add_property(e, icalproperty_new_dtstamp(icaltime_from_timet_with_zone(
                                    stamp, 0, icaltimezone_get_utc_timezone())));
  icalcomponent_add_property(e, icalproperty_new_summary(subject.c_str()));
  icalcomponent_set_dtstart(e, At(*first, time, zone));
  if (parts && !parts->Place.empty())
    icalcomponent_add_property(e, icalproperty_new_location(Cp932ToUtf8(parts->Place).c_str()));

  const TOccurrences occurrences(rule, *holidays.Test);
  std::optional<uint32_t> count = rule.Count;
  JuliusDay until = rule.Until.value_or(kLastSeriesDay);
  if (count && rule.SkipHolidays) {
    until = occurrences.End();
    count.reset();
  }
  const std::string rrule = RRuleText(rule, until, !time, zone, count);
  icalcomponent_add_property(e,
                             icalproperty_new_rrule(icalrecurrencetype_from_string(rrule.c_str())));

  for (JuliusDay z : rule.Exceptions) icalcomponent_add_property(e, ExDate(At(z, time, zone)));
  if (rule.SkipHolidays) {
    icalproperty* x = icalproperty_new_x("SKIP");
    icalproperty_set_x_name(x, kICalHolidaysProperty);
    icalcomponent_add_property(e, x);
    if (rule.Count) {
      icalproperty* n = icalproperty_new_x(std::to_string(*rule.Count).c_str());
      icalproperty_set_x_name(n, kICalCountProperty);
      icalcomponent_add_property(e, n);
    }
    const JuliusDay last = std::min(occurrences.End(), holidays.Until);
    for (std::optional<JuliusDay> z = NextRuleDay(rule, std::max(rule.Start, holidays.From));
         z && *z <= last; z = NextRuleDay(rule, *z + 1)) {
      if (!holidays.Test->IsHoliday(*z) ||
          std::binary_search(rule.Exceptions.begin(), rule.Exceptions.end(), *z))
        continue;
      icalproperty* p = ExDate(At(*z, time, zone));
      icalparameter* mark = icalparameter_new_x("TRUE");
      icalparameter_set_xname(mark, kICalHolidayParameter);
      icalproperty_add_parameter(p, mark);
      icalcomponent_add_property(e, p);
    }
  }
  if (parts && parts->Alarm()) AddAlarm(e, subject);
  return ev;
}

std::optional<TRecurrence> RecurrenceFromRRule(const icalrecurrencetype& r, JuliusDay start) {
  auto none = [](const short* values) { return values[0] == ICAL_RECURRENCE_ARRAY_MAX; };
  auto count = [](const short* values, size_t size) {
    size_t n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
    return n;
  };
  if (!none(r.by_second) || !none(r.by_minute) || !none(r.by_hour) || !none(r.by_year_day) ||
      !none(r.by_week_no) || !none(r.by_set_pos) || r.rscale)
    return std::nullopt;
  if (r.interval < 1 || r.interval > kMaxSeriesInterval || r.count < 0 ||
      static_cast<uint32_t>(r.count) > kMaxSeriesCount)
    return std::nullopt;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(start, y, m, d);

  TRecurrence rule;
  rule.Start = start;
  rule.Interval = static_cast<uint16_t>(r.interval);
  if (r.count > 0) rule.Count = static_cast<uint32_t>(r.count);
  const size_t days = count(r.by_day, ICAL_BY_DAY_SIZE);
  const size_t monthDays = count(r.by_month_day, ICAL_BY_MONTHDAY_SIZE);
  const size_t months = count(r.by_month, ICAL_BY_MONTH_SIZE);
  switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
      if (days || monthDays || months) return std::nullopt;
      rule.Unit = TRepeatUnit::Day;
      break;
    case ICAL_WEEKLY_RECURRENCE:
      if (monthDays || months) return std::nullopt;
      // Weeks counted from another weekday group the days differently.
      if (r.interval > 1 && r.week_start != ICAL_MONDAY_WEEKDAY) return std::nullopt;
      rule.Unit = TRepeatUnit::Week;
      for (size_t i = 0; i < days; ++i) {
        if (icalrecurrencetype_day_position(r.by_day[i]) != 0) return std::nullopt;
        rule.Weekdays |= WeekdayBit(icalrecurrencetype_day_day_of_week(r.by_day[i]));
      }
      if (!days) rule.Weekdays = WeekdayBit(JuliusDayOfWeek(start));
      break;
    case ICAL_MONTHLY_RECURRENCE:
      if (months || days + monthDays > 1) return std::nullopt;
      rule.Unit = TRepeatUnit::Month;
      if (days) {
        const int pos = icalrecurrencetype_day_position(r.by_day[0]);
        if (pos != -1 && (pos < 1 || pos > 5)) return std::nullopt;
        rule.WeekNo = static_cast<int8_t>(pos == -1 ? kLastWeek : pos);
        rule.Weekdays = WeekdayBit(icalrecurrencetype_day_day_of_week(r.by_day[0]));
      } else {
        const int day = monthDays ? r.by_month_day[0] : d;
        if ((day < 1 || day > 31) && day != -1) return std::nullopt;
        rule.MonthDay = day == -1 ? kLastMonthDay : static_cast<uint8_t>(day);
      }
      break;
    case ICAL_YEARLY_RECURRENCE:
      // Only the start's own month and day, said again or not at all.
      if (days || months > 1 || monthDays > 1 || (months && r.by_month[0] != m) ||
          (monthDays && r.by_month_day[0] != d))
        return std::nullopt;
      rule.Unit = TRepeatUnit::Year;
      break;
    default:
      return std::nullopt;
  }
  if (!IsValidRecurrence(rule) || NextRuleDay(rule, start) != start) return std::nullopt;
  return rule;
}

}  // namespace moriva
