#pragma once
// Which alarm items are due for a reminder, without a window or a clock of its own. Times are
// local wall-clock seconds (day number * 86400 + second of the day), the way the items are
// written; the caller reads its clock and asks again whenever the list changed or the time it
// was told has come.
//
// An item is due at its date and time when its alarm is on. It is raised once: at its time, or
// later only while it is less than kReminderGrace late, so nothing stale pops up after the
// program was closed or the machine slept. An item counts as the same reminder as long as its
// line and time stay the same; an edited item is a new one. Each occurrence of a series with
// the alarm on is such an item on its day (祝日を除く judged by the holidays given).
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "schedule/Agenda.h"

namespace moriva {

using TWallSeconds = int64_t;

inline constexpr TWallSeconds kReminderGrace = 15 * 60;

// The local wall-clock seconds of a moment.
TWallSeconds LocalWallSeconds(std::chrono::system_clock::time_point moment);

struct TReminder {
  TWallSeconds Due = 0;
  std::string Subject;   // CP932
  std::string Place;     // CP932
  std::string TimeText;  // "9:30"
  bool operator==(const TReminder&) const = default;
};

class TReminderSchedule {
 public:
  // The reminders of `list` due at `now` and not raised before, by time; they count as raised
  // from now on.
  std::vector<TReminder> TakeDue(const TLineList& list, TWallSeconds now,
                                 const THolidayTest& holidays = CurrentLawHolidays());
  // The earliest time after `now` at which an item of `list` falls due; nullopt when none does.
  std::optional<TWallSeconds> NextDue(const TLineList& list, TWallSeconds now,
                                      const THolidayTest& holidays = CurrentLawHolidays()) const;
  // The same for the special-day list `rules` were built on (TDayRules::BuildOn), found by
  // date: the window asks after every edit and each minute, however long the schedule.
  std::vector<TReminder> TakeDue(const TDayRules& rules, TWallSeconds now);
  std::optional<TWallSeconds> NextDue(const TDayRules& rules, TWallSeconds now) const;

 private:
  std::vector<TReminder> Take(std::vector<TAgendaItem> items, const TLineList& list,
                              TWallSeconds now);
  std::set<std::pair<TWallSeconds, std::string>> raised_;  // due time and line
};

}  // namespace moriva
