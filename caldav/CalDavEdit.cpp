#include "caldav/CalDavEdit.h"

#include <optional>
#include <vector>

#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"

namespace moriva {
namespace {

void RemoveAll(icalcomponent* c, icalproperty_kind kind) {
  while (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
}

void RemoveLineProperties(icalcomponent* c) {
  std::vector<icalproperty*> lines;
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY))
    if (const char* name = icalproperty_get_x_name(p);
        name && std::string_view(name) == kICalLineProperty)
      lines.push_back(p);
  for (icalproperty* p : lines) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
}

// Copies every property of `kind` from `from` to `to`.
void CopyAll(icalcomponent* from, icalcomponent* to, icalproperty_kind kind) {
  for (icalproperty* p = icalcomponent_get_first_property(from, kind); p;
       p = icalcomponent_get_next_property(from, kind))
    icalcomponent_add_property(to, icalproperty_new_clone(p));
}

std::string TzidOf(icalproperty* p) {
  icalparameter* id = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  return id ? ICalText(icalparameter_get_tzid(id)) : std::string();
}

// The event's length in seconds when its end is written like its start (both days, or both
// times of one zone), so that it can be measured without the zones; else nothing.
std::optional<int> Length(icalcomponent* ev, icalproperty* start) {
  if (icalproperty* d = icalcomponent_get_first_property(ev, ICAL_DURATION_PROPERTY))
    return icaldurationtype_as_int(icalproperty_get_duration(d));
  icalproperty* end = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY);
  if (!end || TzidOf(end) != TzidOf(start)) return std::nullopt;
  icaltimetype s = icalproperty_get_dtstart(start), e = icalproperty_get_dtend(end);
  if (s.is_date != e.is_date || icaltime_is_utc(s) != icaltime_is_utc(e)) return std::nullopt;
  s.zone = e.zone = nullptr;
  const int seconds = icaldurationtype_as_int(icaltime_subtract(e, s));
  if (seconds < 0) return std::nullopt;
  return seconds;
}

}  // namespace

TEditedEvent MergeEditedEvent(std::string_view serverData, icalcomponent* made,
                              const TICalZone& zone) {
  TEditedEvent out;
  TICalComponent root;
  try {
    root = ParseICalendar(serverData);
  } catch (const EICalendarError&) {
    return out;
  }
  icalcomponent* cal = root.get();
  if (icalcomponent_isa(cal) != ICAL_VCALENDAR_COMPONENT) return out;
  icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
  icalproperty* oldStart =
      ev ? icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY) : nullptr;
  if (!oldStart) return out;
  if (icalcomponent_count_components(cal, ICAL_VEVENT_COMPONENT) > 1 ||
      icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY) ||
      icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY) ||
      icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY)) {
    out.Kind = TEditedEvent::TKind::Repeating;
    return out;
  }

  // The new start: the line's, but a day stays a day while the line says 0:00.
  const bool wasDay = icalproperty_get_dtstart(oldStart).is_date;
  const std::optional<int> length = Length(ev, oldStart);
  icalproperty* start =
      icalproperty_new_clone(icalcomponent_get_first_property(made, ICAL_DTSTART_PROPERTY));
  icaltimetype t = icalproperty_get_dtstart(start);
  if (wasDay && !t.is_date && t.hour == 0 && t.minute == 0) {
    icalproperty_free(start);
    t.is_date = 1;
    t.zone = nullptr;
    start = icalproperty_new_dtstart(t);
  }
  const bool isDay = icalproperty_get_dtstart(start).is_date;

  for (icalproperty_kind k : {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_DURATION_PROPERTY,
                              ICAL_SUMMARY_PROPERTY, ICAL_LOCATION_PROPERTY, ICAL_DTSTAMP_PROPERTY})
    RemoveAll(ev, k);
  RemoveLineProperties(ev);
  icalcomponent_add_property(ev, start);
  if (length && wasDay == isDay)
    icalcomponent_add_property(ev, icalproperty_new_duration(icaldurationtype_from_int(*length)));
  for (icalproperty_kind k :
       {ICAL_SUMMARY_PROPERTY, ICAL_LOCATION_PROPERTY, ICAL_DTSTAMP_PROPERTY, ICAL_X_PROPERTY})
    CopyAll(made, ev, k);
  const icaltimetype stamp = icalcomponent_get_dtstamp(made);
  if (icalproperty* m = icalcomponent_get_first_property(ev, ICAL_LASTMODIFIED_PROPERTY))
    icalproperty_set_lastmodified(m, stamp);
  icalproperty* seq = icalcomponent_get_first_property(ev, ICAL_SEQUENCE_PROPERTY);
  if (seq)
    icalproperty_set_sequence(seq, icalproperty_get_sequence(seq) + 1);
  else
    icalcomponent_add_property(ev, icalproperty_new_sequence(1));

  // Reminders: the event's own ones while the line wants one, the line's when it had none.
  icalcomponent* ownAlarm = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT);
  icalcomponent* lineAlarm = icalcomponent_get_first_component(made, ICAL_VALARM_COMPONENT);
  if (!lineAlarm) {
    while (icalcomponent* a = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT)) {
      icalcomponent_remove_component(ev, a);
      icalcomponent_free(a);
    }
  } else if (!ownAlarm) {
    icalcomponent_add_component(ev, icalcomponent_new_clone(lineAlarm));
  }

  // The line's time names the user's zone: the calendar must describe it.
  if (const std::string tzid = TzidOf(start);
      !tzid.empty() && !icalcomponent_get_timezone(cal, tzid.c_str()))
    if (TICalComponent vtz = zone.VTimeZone()) icalcomponent_add_component(cal, vtz.release());

  out.Kind = TEditedEvent::TKind::Merged;
  out.Document = ICalString(cal);
  return out;
}

}  // namespace moriva
