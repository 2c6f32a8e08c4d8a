#pragma once
// An item edited here, written over the event on the calendar server it came from: the event
// keeps what a schedule line cannot say (its notes, its own reminders, its length, what other
// programs added) and takes from the line what the line says (day and time, subject, place,
// whether there is a reminder at all).
#include <ctime>
#include <string>
#include <string_view>

#include "formats/ICalendar.h"

namespace moriva {

struct TEditedEvent {
  enum class TKind {
    Merged,      // Document holds the server's calendar with the event changed
    Repeating,   // a series (or one with exceptions): one line cannot stand for it
    Unreadable,  // not one calendar with one event
  };
  TKind Kind = TKind::Unreadable;
  std::string Document;
};

// The server's calendar `serverData` with its one event changed to say what `made` (the
// VEVENT of the edited line, as ScheduleLineToVEvent makes it) says. An all-day event stays
// all-day while the line's time is 0:00; the event's length is kept while it stays all-day or
// timed. `zone` is the zone of `made`'s times.
TEditedEvent MergeEditedEvent(std::string_view serverData, icalcomponent* made,
                              const TICalZone& zone);

}  // namespace moriva
