#pragma once
// A series (calendar/SeriesLine.h) as one iCalendar event and back: DTSTART on the start day
// (at the item's time in the user's zone, or all-day), an RRULE saying the rule, one EXDATE per
// taken-out day, and the series' identity as UID.
//
// 祝日を除く has no RRULE word. The event says it twice: X-MORIVA-HOLIDAYS:SKIP, which this
// program reads back as the switch, and, for every other calendar, the holidays the rule falls
// on around today as EXDATEs marked X-MORIVA-HOLIDAY=TRUE (an import that reads the switch
// passes over those). A count end with holidays skipped becomes UNTIL its last day, since
// COUNT would count the holidays too; X-MORIVA-COUNT keeps the count, and an import takes it
// back while the rule's days up to UNTIL, less the marked holidays, still number that many.
#include <ctime>
#include <optional>
#include <string>

#include "calendar/Recurrence.h"
#include "calendar/SeriesLine.h"
#include "formats/ICalendar.h"

namespace moriva {

inline constexpr const char* kICalHolidaysProperty = "X-MORIVA-HOLIDAYS";
inline constexpr const char* kICalHolidayParameter = "X-MORIVA-HOLIDAY";
// The count of a series that skips holidays, whose RRULE ends on a date instead.
inline constexpr const char* kICalCountProperty = "X-MORIVA-COUNT";

// The holidays a series export names as EXDATEs: those of `Test` from `From` to `Until`.
struct TICalHolidays {
  const THolidayTest* Test = &NoHolidays();
  JuliusDay From = kFirstSeriesDay;
  JuliusDay Until = kFirstSeriesDay;
};

// The holidays of `test` from a year before `today` to two years after (the span an import
// expands), so that a daily series of centuries costs no more than a short one.
inline TICalHolidays ExportHolidays(const THolidayTest& test, JuliusDay today) {
  return {&test, today - 366, today + 731};
}

// The VEVENT of a series whose rule is valid; texts from CP932 to UTF-8.
TICalComponent SeriesToVEvent(const TSeries& series, const TICalZone& zone, time_t stamp,
                              const TICalHolidays& holidays);

// The rule an RRULE gives from `start` (its DTSTART's local day), when a series can say it:
// FREQ with INTERVAL, weekdays for WEEKLY (weeks from Monday), one BYMONTHDAY or one BYDAY
// with a position 1..5 or -1 for MONTHLY, nothing but DTSTART's own month and day for YEARLY,
// COUNT; and `start` itself must be a day of the rule. UNTIL is left to the caller (it needs
// the event's zones); a rule with any other part gives nullopt.
std::optional<TRecurrence> RecurrenceFromRRule(const icalrecurrencetype& rrule, JuliusDay start);

}  // namespace moriva
