#include "formats/ICalendarImport.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/MappedFile.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarSeries.h"
#include "formats/LineMerge.h"
#include "schedule/ScheduleLine.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {
namespace {

// The zones the TZIDs of one calendar name: its own VTIMEZONEs first, then the zone database
// by the whole name or by its last parts, for names such as "/mozilla.org/20050126_1/Asia/Tokyo".
// A name nobody knows gives null: the time is then taken as floating.
class TZoneResolver {
 public:
  explicit TZoneResolver(icalcomponent* calendar) : calendar_(calendar) {}

  icaltimezone* Find(const char* tzid) {
    auto [it, fresh] = cache_.try_emplace(tzid, nullptr);
    if (!fresh) return it->second;
    if (calendar_) it->second = icalcomponent_get_timezone(calendar_, tzid);
    std::string_view name = tzid;
    // A name that climbs out of the zone folder is no zone.
    for (int i = 0; !it->second && !name.empty() && i < 8 && name.find("..") == name.npos; ++i) {
      it->second = icaltimezone_get_builtin_timezone(std::string(name).c_str());
      size_t slash = name.find('/', 1);
      if (slash == name.npos) break;
      name.remove_prefix(slash + 1);
    }
    return it->second;
  }

  // A date-time value of `p` with the zone its TZID names (UTC stays UTC, dates stay dates).
  icaltimetype Resolve(icalproperty* p, icaltimetype t) {
    if (t.is_date || icaltime_is_utc(t)) return t;
    t.zone = nullptr;
    if (icalparameter* id = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER))
      if (const char* name = icalparameter_get_tzid(id)) t.zone = Find(name);
    return t;
  }

 private:
  icalcomponent* calendar_;
  std::map<std::string, icaltimezone*> cache_;
};

// An instance's identity: its moment (floating times as if they were UTC, consistently) and,
// for EXDATE;VALUE=DATE, its day.
int64_t Moment(icaltimetype t) {
  if (t.is_date) return icaltime_as_timet_with_zone(t, nullptr);
  return icaltime_as_timet_with_zone(t, t.zone);
}
int32_t DayNumber(icaltimetype t) {
  return t.year * 400 + t.month * 32 + t.day;
}

icaltimetype ToUserTime(icaltimetype t, const TICalZone& zone) {
  if (t.is_date || !t.zone) return t;
  icaltimezone_convert_time(&t, const_cast<icaltimezone*>(t.zone), zone.Zone());
  t.zone = zone.Zone();
  return t;
}

// True when libical had to drop a value of the event (its own properties; an alarm's damage
// does not cost the event) or could not read a line inside it.
bool IsDamaged(icalcomponent* ev) {
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_XLICERROR_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_XLICERROR_PROPERTY)) {
    icalparameter* type = icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
    if (!type) return true;
    switch (icalparameter_get_xlicerrortype(type)) {
      case ICAL_XLICERRORTYPE_PROPERTYPARSEERROR:  // a property name it does not know
      case ICAL_XLICERRORTYPE_PARAMETERNAMEPARSEERROR:
      case ICAL_XLICERRORTYPE_PARAMETERVALUEPARSEERROR:
        break;
      case ICAL_XLICERRORTYPE_VALUEPARSEERROR:
        // An empty value ("DESCRIPTION:", a field left blank on a phone) is dropped as if it
        // were absent; the properties an item needs are checked on their own.
        if (const char* why = icalproperty_get_xlicerror(p);
            why && std::string_view(why).starts_with("No value for "))
          break;
        return true;
      default:
        return true;
    }
  }
  return false;
}

// The properties of an event the import looks at, found in one pass over its list: every
// lookup by kind walks the whole list again, which cost more than the rest of the import.
struct TEventProps {
  icalproperty* start = nullptr;
  icalproperty* summary = nullptr;
  icalproperty* location = nullptr;
  icalproperty* uid = nullptr;
  icalproperty* status = nullptr;
  bool damaged = false;  // libical left an error note
  bool extension = false;
  bool rrule = false, rdate = false, recurrenceId = false;
  bool exrule = false;
  size_t rrules = 0;
};

TEventProps ScanEvent(icalcomponent* ev) {
  TEventProps e;
  auto first = [](icalproperty*& slot, icalproperty* p) {
    if (!slot) slot = p;
  };
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_ANY_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_ANY_PROPERTY)) {
    switch (icalproperty_isa(p)) {
      case ICAL_DTSTART_PROPERTY:
        first(e.start, p);
        break;
      case ICAL_SUMMARY_PROPERTY:
        first(e.summary, p);
        break;
      case ICAL_LOCATION_PROPERTY:
        first(e.location, p);
        break;
      case ICAL_UID_PROPERTY:
        first(e.uid, p);
        break;
      case ICAL_STATUS_PROPERTY:
        first(e.status, p);
        break;
      case ICAL_XLICERROR_PROPERTY:
        e.damaged = true;
        break;
      case ICAL_X_PROPERTY:
        e.extension = true;
        break;
      case ICAL_RRULE_PROPERTY:
        e.rrule = true;
        ++e.rrules;
        break;
      case ICAL_EXRULE_PROPERTY:
        e.exrule = true;
        break;
      case ICAL_RDATE_PROPERTY:
        e.rdate = true;
        break;
      case ICAL_RECURRENCEID_PROPERTY:
        e.recurrenceId = true;
        break;
      default:
        break;
    }
  }
  return e;
}

std::string UidOf(const TEventProps& e) {
  return e.uid ? ICalText(icalproperty_get_uid(e.uid)) : std::string();
}

// Text from the file made fit for a schedule line (see the header); CP932.
std::string SafeText(const char* utf8, bool& changed) {
  std::string s;
  for (const char* p = utf8 ? utf8 : ""; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"') {
      s += "”";
      changed = true;
    } else if (c < 0x20 || c == 0x7F) {
      s += ' ';
      changed = true;
    } else if (c == '-' && p[1] == ' ') {
      s += "－";
      changed = true;
    } else {
      s += static_cast<char>(c);
    }
  }
  size_t replaced = 0;
  std::string cp932 = Utf8ToCp932(s, "\x81\xAC", replaced);  // 〓
  if (replaced) changed = true;
  return cp932;
}

std::string PropertyText(icalcomponent* ev, icalproperty_kind kind) {
  icalproperty* p = icalcomponent_get_first_property(ev, kind);
  return p ? ICalText(icalproperty_get_value_as_string(p)) : std::string();
}

// What an event says, as far as the line it was made from decides it: compared between the
// event in the file and the one that line makes today, to see whether the line still holds.
std::string Fingerprint(icalcomponent* ev, TZoneResolver& zones, const TICalZone& zone) {
  icalproperty* start = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
  if (!start) return {};
  std::string f = ICalText(icaltime_as_ical_string(
                      ToUserTime(zones.Resolve(start, icalproperty_get_dtstart(start)), zone))) +
                  '|' + PropertyText(ev, ICAL_RRULE_PROPERTY) + '|' +
                  PropertyText(ev, ICAL_SUMMARY_PROPERTY) + '|' +
                  PropertyText(ev, ICAL_LOCATION_PROPERTY) + '|';
  for (icalproperty_kind k :
       {ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_RECURRENCEID_PROPERTY})
    f += std::to_string(icalcomponent_count_properties(ev, k));
  f += std::to_string(icalcomponent_count_components(ev, ICAL_VALARM_COMPONENT) > 0);
  return f;
}

// The line the event was exported from, when the event still says what that line says.
std::optional<std::string> KeptLine(icalcomponent* ev, TZoneResolver& zones,
                                    const TICalZone& zone) {
  icalproperty* x = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY);
  for (; x; x = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY))
    if (const char* name = icalproperty_get_x_name(x);
        name && std::string_view(name) == kICalLineProperty)
      break;
  if (!x) return std::nullopt;
  const std::string utf8 = ICalText(icalproperty_get_x(x));
  size_t replaced = 0;
  std::string line = Utf8ToCp932(utf8, "?", replaced);
  if (replaced || line.empty()) return std::nullopt;
  TICalComponent again = ScheduleLineToVEvent(line, "", zone, 0);
  TZoneResolver plain(nullptr);
  if (!again || Fingerprint(again.get(), plain, zone) != Fingerprint(ev, zones, zone))
    return std::nullopt;
  return line;
}

void CheckCancel(const TICalBudget& budget) {
  if (budget.CancelRequested && budget.CancelRequested()) throw EICalendarCancelled();
}

// Takes one step of the budget; false when none is left.
bool TakeStep(TICalBudget& budget) {
  if (budget.StepsLeft == 0) {
    budget.RulesCut = true;
    return false;
  }
  if (--budget.StepsLeft % 4096 == 0) CheckCancel(budget);
  return true;
}

// The minute of the user's wall clock a line is made for, as a number in time order: instances
// within one minute make the same line.
int64_t LineMinute(icaltimetype local) {
  const int64_t day = (int64_t{local.year} * 13 + local.month) * 32 + local.day;
  return local.is_date ? day * 1440 : day * 1440 + local.hour * 60 + local.minute;
}

// Collects the lines' times of a repeating event that fall on the window's days, in time order,
// as the user's wall-clock times: the earliest `room` of them, the others only counted.
class TInstances {
 public:
  TInstances(const TICalZone& zone, const TICalWindow& window, size_t room)
      : zone_(zone), window_(window), room_(room) {}

  void Exclude(icaltimetype t) {
    if (t.is_date)
      excludedDays_.insert(DayNumber(t));
    else
      excluded_.insert(Moment(t));
  }
  void Add(icaltimetype t) {
    if (excluded_.count(Moment(t)) || excludedDays_.count(DayNumber(t))) return;
    const icaltimetype local = ToUserTime(t, zone_);
    if (local.year < 1 || local.year > 9999) return;
    const JuliusDay day = DateToJulius(local.year, local.month, local.day);
    if (day < window_.From || day > window_.To) return;
    if (!found_.try_emplace(LineMinute(local), local).second || found_.size() <= room_) return;
    found_.erase(std::prev(found_.end()));
    ++dropped_;
  }
  const std::map<int64_t, icaltimetype>& Found() const { return found_; }
  size_t Dropped() const { return dropped_; }

 private:
  const TICalZone& zone_;
  const TICalWindow& window_;
  const size_t room_;
  size_t dropped_ = 0;
  std::set<int64_t> excluded_;
  std::set<int32_t> excludedDays_;
  std::map<int64_t, icaltimetype> found_;
};

icaltimetype WindowEdge(JuliusDay day, icaltimetype like) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(day, y, m, d);
  icaltimetype t = like;
  t.year = y;
  t.month = m;
  t.day = d;
  t.hour = t.minute = t.second = 0;
  return t;
}

struct TRecurIteratorFree {
  void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

// Follows every RRULE of the event from the window's start on (with two days to spare for any
// zone difference) until past its end, as far as the budget's steps go; false when a rule
// cannot be followed at all.
bool ExpandRules(icalcomponent* ev, icaltimetype start, const TICalWindow& window, TInstances& out,
                 TICalBudget& budget) {
  const icaltimetype from = WindowEdge(window.From - 2, start);
  const icaltimetype to = WindowEdge(window.To + 2, start);
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype rule = icalproperty_get_rrule(p);
    if (rule.freq == ICAL_NO_RECURRENCE) return false;
    std::unique_ptr<icalrecur_iterator, TRecurIteratorFree> it(icalrecur_iterator_new(rule, start));
    if (!it) return false;
    if (rule.count == 0 && icaltime_compare(start, from) < 0)
      icalrecur_iterator_set_start(it.get(), from);
    for (size_t step = 0; step < kMaxRecurrenceSteps && TakeStep(budget); ++step) {
      icaltimetype t = icalrecur_iterator_next(it.get());
      if (icaltime_is_null_time(t) || icaltime_compare(t, to) > 0) break;
      if (icaltime_compare(t, from) >= 0) {
        t.zone = start.zone;
        out.Add(t);
      }
    }
  }
  return true;
}

}  // namespace

TICalWindow DefaultICalWindow(JuliusDay today) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(today, y, m, d);
  // 29 February falls back to the 28th in the years that lack it.
  auto sameDay = [&](int32_t year) {
    return DateToJulius(year, m, std::min(d, DaysInMonth(year, m)));
  };
  return {sameDay(y - 1), sameDay(y + 2)};
}

namespace {

// Whether a time of the event reads as the same wall-clock time in the user's zone all year:
// a day, a floating time, or a time of the user's own zone (by the zone's name, which other
// programs may prefix with a path of their own).
bool FollowsUserClock(icaltimetype t, const TICalZone& zone) {
  if (t.is_date || !t.zone) return true;
  if (icaltime_is_utc(t)) return zone.Name() == "UTC";
  const char* id = icaltimezone_get_tzid(const_cast<icaltimezone*>(t.zone));
  const char* location = icaltimezone_get_location(const_cast<icaltimezone*>(t.zone));
  for (const char* name : {id, location}) {
    if (!name) continue;
    const std::string_view n = name;
    const std::string& mine = zone.Name();
    if (n == mine ||
        (n.size() > mine.size() && n.ends_with(mine) && n[n.size() - mine.size() - 1] == '/'))
      return true;
  }
  return false;
}

std::optional<JuliusDay> SeriesDay(icaltimetype local) {
  if (local.year < 1583 || local.year > 9999) return std::nullopt;
  return DateToJulius(local.year, local.month, local.day);
}

bool HasHolidayMark(icalproperty* p) {
  for (icalparameter* x = icalproperty_get_first_parameter(p, ICAL_X_PARAMETER); x;
       x = icalproperty_get_next_parameter(p, ICAL_X_PARAMETER))
    if (const char* name = icalparameter_get_xname(x);
        name && std::string_view(name) == kICalHolidayParameter)
      return true;
  return false;
}

// The value of the event's first extension property of this name.
std::optional<std::string> Extension(icalcomponent* ev, std::string_view wanted) {
  for (icalproperty* x = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); x;
       x = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY))
    if (const char* name = icalproperty_get_x_name(x); name && std::string_view(name) == wanted)
      return ICalText(icalproperty_get_x(x));
  return std::nullopt;
}

// A count kept beside UNTIL (ICalendarSeries.h), when the rule's days up to UNTIL, less the
// holidays the event marks, still number that many: an end moved by another program drops it.
std::optional<uint32_t> KeptCount(icalcomponent* ev, const TRecurrence& rule,
                                  const std::vector<JuliusDay>& holidays, TICalBudget& budget) {
  const std::optional<std::string> text = Extension(ev, kICalCountProperty);
  if (!text || text->empty() || text->size() > 6 || !rule.Until) return std::nullopt;
  uint32_t count = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + static_cast<uint32_t>(c - '0');
  }
  uint32_t days = 0;
  // Counting costs the budget a step per day, as following a rule does.
  for (std::optional<JuliusDay> z = NextRuleDay(rule, rule.Start); z && days <= count + 1;
       z = NextRuleDay(rule, *z + 1)) {
    if (!TakeStep(budget)) return std::nullopt;
    if (!std::binary_search(holidays.begin(), holidays.end(), *z)) ++days;
  }
  if (days != count || count == 0) return std::nullopt;
  return count;
}

// The series a repeating event is, when one series line can say all of it: one RRULE that
// RecurrenceFromRRule takes, no RDATE or EXRULE, times that follow the user's clock. EXDATEs
// and the days its overrides (RECURRENCE-ID) take are taken out; the overrides themselves
// become plain items of their own.
std::optional<TSeries> EventSeries(icalcomponent* ev, const TEventProps& props, icaltimetype start,
                                   TZoneResolver& zones,
                                   const std::vector<icalcomponent*>& overrides,
                                   const TICalZone& zone, std::string text, TICalBudget& budget) {
  if (props.rrules != 1 || props.rdate || props.exrule || props.recurrenceId) return std::nullopt;
  if (!FollowsUserClock(start, zone)) return std::nullopt;
  const icaltimetype local = ToUserTime(start, zone);
  const std::optional<JuliusDay> first = SeriesDay(local);
  if (!first) return std::nullopt;
  const icalrecurrencetype rrule =
      icalproperty_get_rrule(icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY));
  std::optional<TRecurrence> rule = RecurrenceFromRRule(rrule, *first);
  if (!rule) return std::nullopt;
  if (!icaltime_is_null_time(rrule.until)) {
    icaltimetype until = rrule.until;
    if (!until.is_date && icaltime_is_utc(until)) {
      until.zone = icaltimezone_get_utc_timezone();
      until = ToUserTime(until, zone);
    }
    std::optional<JuliusDay> last = SeriesDay(until);
    if (!last) return std::nullopt;
    // An UNTIL before the day's time leaves that day out.
    if (!until.is_date && !local.is_date &&
        (until.hour * 3600 + until.minute * 60 + until.second <
         local.hour * 3600 + local.minute * 60 + local.second))
      --*last;
    if (*last < *first) return std::nullopt;
    rule->Until = *last;
  }
  rule->SkipHolidays = Extension(ev, kICalHolidaysProperty) == "SKIP";
  std::vector<JuliusDay> holidays;
  auto takeOut = [&](icalproperty* p, icaltimetype t, std::vector<JuliusDay>& to) {
    const icaltimetype day = ToUserTime(zones.Resolve(p, t), zone);
    if (std::optional<JuliusDay> z = SeriesDay(day); z && NextRuleDay(*rule, *z) == *z)
      to.push_back(*z);
  };
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY))
    takeOut(p, icalproperty_get_exdate(p),
            rule->SkipHolidays && HasHolidayMark(p) ? holidays : rule->Exceptions);
  // Every event of a UID looks at all the UID's overrides, so many of both cost their product.
  for (icalcomponent* o : overrides) {
    if (!TakeStep(budget)) break;
    if (icalproperty* id = icalcomponent_get_first_property(o, ICAL_RECURRENCEID_PROPERTY))
      takeOut(id, icalproperty_get_recurrenceid(id), rule->Exceptions);
  }
  for (std::vector<JuliusDay>* days : {&rule->Exceptions, &holidays}) {
    std::sort(days->begin(), days->end());
    days->erase(std::unique(days->begin(), days->end()), days->end());
  }
  if (rule->SkipHolidays)
    if (std::optional<uint32_t> count = KeptCount(ev, *rule, holidays, budget)) {
      rule->Until.reset();
      rule->Count = count;
    }
  if (!IsValidRecurrence(*rule)) return std::nullopt;
  TSeries series{UidOf(props), std::move(*rule), std::move(text)};
  if (series.Id.empty()) series.Id = ContentSeriesId(series);
  return series;
}

bool EventLines(icalcomponent* ev, const TEventProps& props, icalcomponent* calendar,
                const std::vector<icalcomponent*>& overrides, const TICalZone& zone,
                const TICalWindow& window, TICalEventLines& out, TICalBudget& budget) {
  out = {};
  if (props.damaged && IsDamaged(ev)) return false;
  icalproperty* startProp = props.start;
  if (!startProp) return false;
  TZoneResolver zones(calendar);
  const icaltimetype start = zones.Resolve(startProp, icalproperty_get_dtstart(startProp));
  if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start)) return false;

  // A single line, when the budget still has room for it.
  auto addOne = [&](std::string line) {
    if (budget.LinesLeft == 0) {
      ++budget.LeftOut;
      return;
    }
    --budget.LinesLeft;
    out.Lines.push_back(std::move(line));
  };
  if (props.extension)
    if (std::optional<std::string> kept = KeptLine(ev, zones, zone)) {
      addOne(std::move(*kept));
      return true;
    }

  const std::string subject =
      SafeText(props.summary ? icalproperty_get_summary(props.summary) : nullptr, out.MadeSafe);
  const std::string place =
      SafeText(props.location ? icalproperty_get_location(props.location) : nullptr, out.MadeSafe);
  const bool alarm = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT) != nullptr;
  auto lineAt = [&](icaltimetype local) {
    const int hour = local.is_date ? 0 : local.hour;
    const int minute = local.is_date ? 0 : local.minute;
    return MakeScheduleLine(local.year, local.month, local.day, subject, place,
                            std::to_string(hour), std::to_string(minute), alarm);
  };

  if (!(props.rrule || props.rdate) || props.recurrenceId) {
    const icaltimetype local = ToUserTime(start, zone);
    if (local.year < 1 || local.year > 9999) return false;
    addOne(lineAt(local));
    return true;
  }

  {
    const icaltimetype local = ToUserTime(start, zone);
    const std::string time =
        local.is_date ? std::string("0:0:0")
                      : std::to_string(local.hour) + ':' + std::to_string(local.minute) + ":0";
    if (std::optional<TSeries> series =
            EventSeries(ev, props, start, zones, overrides, zone,
                        MakeItemText(subject, place, time, alarm), budget)) {
      addOne(WriteSeriesLine(*series));
      if (!out.Lines.empty()) out.SeriesId = std::move(series->Id);
      return true;
    }
  }

  TInstances instances(zone, window, budget.LinesLeft);
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY))
    instances.Exclude(zones.Resolve(p, icalproperty_get_exdate(p)));
  // Every event of a UID looks at all the UID's overrides, so many of both cost their product.
  for (icalcomponent* o : overrides) {
    if (!TakeStep(budget)) break;
    if (icalproperty* id = icalcomponent_get_first_property(o, ICAL_RECURRENCEID_PROPERTY))
      instances.Exclude(zones.Resolve(id, icalproperty_get_recurrenceid(id)));
  }
  instances.Add(start);
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_RDATE_PROPERTY)) {
    icaldatetimeperiodtype r = icalproperty_get_rdate(p);
    instances.Add(zones.Resolve(p, icaltime_is_null_time(r.time) ? r.period.start : r.time));
  }
  if (!ExpandRules(ev, start, window, instances, budget)) return false;
  for (const auto& [minute, local] : instances.Found()) out.Lines.push_back(lineAt(local));
  budget.LinesLeft -= out.Lines.size();
  budget.LeftOut += instances.Dropped();
  return true;
}

}  // namespace

bool VEventToScheduleLines(icalcomponent* ev, icalcomponent* calendar,
                           const std::vector<icalcomponent*>& overrides, const TICalZone& zone,
                           const TICalWindow& window, TICalEventLines& out, TICalBudget* budget) {
  TICalBudget own;
  return EventLines(ev, ScanEvent(ev), calendar, overrides, zone, window, out,
                    budget ? *budget : own);
}

namespace {

using TOverrides = std::unordered_map<std::string, std::vector<icalcomponent*>>;

// What every event of one import goes through, in file order.
struct TEventTaker {
  const TICalZone& zone;
  const TICalWindow& window;
  const std::function<void(TICalEventLines&)>& take;
  TICalBudget& budget;
  size_t skipped = 0;  // broken events passed over
  TICalEventLines lines{};

  void Take(icalcomponent* ev, const TEventProps& props, icalcomponent* cal,
            const TOverrides& overrides) {
    CheckCancel(budget);
    if (props.status && icalproperty_get_status(props.status) == ICAL_STATUS_CANCELLED) return;
    static const std::vector<icalcomponent*> kNone;
    auto o = overrides.empty() ? overrides.end() : overrides.find(UidOf(props));
    if (!EventLines(ev, props, cal, o == overrides.end() ? kNone : o->second, zone, window, lines,
                    budget))
      ++skipped;
    else
      take(lines);
  }

  // The events of a calendar held whole.
  void TakeCalendar(icalcomponent* cal) {
    std::vector<std::pair<icalcomponent*, TEventProps>> events;
    TOverrides overrides;
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
      events.emplace_back(ev, ScanEvent(ev));
      if (events.back().second.recurrenceId) overrides[UidOf(events.back().second)].push_back(ev);
    }
    for (const auto& [ev, props] : events) Take(ev, props, cal, overrides);
  }
};

// The calendars whose events an import takes, in order: a root calendar and the calendars
// inside it, or, when the document has several roots, the roots that are calendars.
std::vector<icalcomponent*> Calendars(const std::vector<icalcomponent*>& roots) {
  std::vector<icalcomponent*> calendars;
  if (roots.size() != 1) {
    for (icalcomponent* r : roots)
      if (icalcomponent_isa(r) == ICAL_VCALENDAR_COMPONENT) calendars.push_back(r);
    return calendars;
  }
  icalcomponent* root = roots[0];
  if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) calendars.push_back(root);
  for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
       c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
    calendars.push_back(c);
  return calendars;
}

// An event's place in the text, kept small: a million of them are kept between the passes.
struct TSpan {
  uint64_t begin;
  uint32_t length;
  uint32_t root;
};

// Gives back the pages of the text read so far every few tens of megabytes.
struct TReleaser {
  const std::function<void(size_t)>& release;
  size_t next = 0;
  void At(size_t offset) {
    if (!release || offset < next) return;
    release(offset);
    next = offset + (32u << 20);
  }
};

// CollectICalendarLines over the text, an event at a time: the document is read once for its
// time zones, its overrides and where its events lie, then each event is parsed, taken and
// freed in turn. A document that cannot be read this way is parsed whole.
size_t StreamICalendarLines(std::string_view text, const TICalZone& zone, const TICalWindow& window,
                            const std::function<void(TICalEventLines&)>& take, TICalBudget& b,
                            const std::function<void(size_t)>& release) {
  std::vector<TSpan> spans;
  std::vector<TICalComponent> kept;  // the overrides, parsed on the first pass
  std::unordered_map<size_t, TOverrides> overrides;
  bool fits = true;
  TReleaser releaser{release};
  TICalShell shell = ReadICalendarShell(text, b.CancelRequested, [&](const TICalEventSpan& span) {
    releaser.At(span.Begin);
    const size_t length = span.End - span.Begin;
    if (length > UINT32_MAX || span.Root > UINT32_MAX) fits = false;
    spans.push_back(
        TSpan{span.Begin, static_cast<uint32_t>(length), static_cast<uint32_t>(span.Root)});
    if (!span.MayOverride) return;
    TICalComponent ev = ParseICalendarEvent(text, span);
    if (!ev) return;
    const TEventProps props = ScanEvent(ev.get());
    if (!props.recurrenceId) return;
    overrides[span.Root][UidOf(props)].push_back(ev.get());
    kept.push_back(std::move(ev));
  });
  TEventTaker taker{zone, window, take, b};
  if (!shell.Streamable || !fits) {
    shell = {};
    kept.clear();
    spans = {};
    TICalComponent root = ParseICalendar(text, b.CancelRequested);
    for (icalcomponent* cal : Calendars({root.get()})) taker.TakeCalendar(cal);
    return taker.skipped;
  }
  std::vector<icalcomponent*> roots;
  for (const TICalComponent& r : shell.Roots) roots.push_back(r.get());
  static const TOverrides kNoOverrides;
  releaser.next = 0;  // the second pass reads the text from its start again
  size_t next = 0;  // the first span not taken yet; spans come in root order
  for (icalcomponent* cal : Calendars(roots)) {
    const auto root = std::find(roots.begin(), roots.end(), cal);
    if (root == roots.end()) {  // a calendar inside a root: held whole in the shell
      taker.TakeCalendar(cal);
      continue;
    }
    const size_t index = static_cast<size_t>(root - roots.begin());
    while (next < spans.size() && spans[next].root < index) ++next;
    const auto o = overrides.find(index);
    for (; next < spans.size() && spans[next].root == index; ++next) {
      const TSpan& s = spans[next];
      releaser.At(s.begin);
      TICalComponent ev =
          ParseICalendarEvent(text, TICalEventSpan{index, s.begin, s.begin + s.length, false});
      if (!ev) continue;
      taker.Take(ev.get(), ScanEvent(ev.get()), cal,
                 o == overrides.end() ? kNoOverrides : o->second);
    }
  }
  return taker.skipped;
}

}  // namespace

size_t CollectICalendarLines(icalcomponent* root, const TICalZone& zone, const TICalWindow& window,
                             const std::function<void(TICalEventLines&)>& take,
                             TICalBudget* budget) {
  TICalBudget own;
  TEventTaker taker{zone, window, take, budget ? *budget : own};
  for (icalcomponent* cal : Calendars({root})) taker.TakeCalendar(cal);
  return taker.skipped;
}

namespace {

TICalMergeResult MergeText(std::string_view text, TLineList& schedule, const TICalZone& zone,
                           const TICalWindow& window, TICalBudget budget,
                           const std::function<void(size_t)>& release) {
  TICalMergeResult result;
  // Merged only once every event has been read, so that a cancel leaves the schedule as it was.
  // A series line keeps its identity beside it (empty for other lines).
  std::vector<std::pair<std::string, std::string>> taken;
  result.Skipped = StreamICalendarLines(
      text, zone, window,
      [&](TICalEventLines& lines) {
        if (lines.MadeSafe) ++result.MadeSafe;
        for (std::string& line : lines.Lines)
          taken.emplace_back(std::move(line), std::exchange(lines.SeriesId, {}));
      },
      budget, release);
  result.LeftOut = budget.LeftOut;
  result.RulesCut = budget.RulesCut;
  // A series is there already when a series of its identity is, whatever it says now: an
  // import adds, it never changes what the schedule holds.
  std::unordered_set<std::string> ids;
  for (const TSeriesLine& s : ReadSeriesLines(schedule)) ids.insert(s.Series.Id);
  TScheduleMerger merger(schedule, taken.size());
  for (auto& [line, id] : taken) {
    if (!id.empty() && !ids.insert(id).second) {
      ++result.Duplicates;
      continue;
    }
    ++(merger.Add(std::move(line)) ? result.Added : result.Duplicates);
  }
  return result;
}

}  // namespace

TICalMergeResult MergeICalendar(std::string_view text, TLineList& schedule, const TICalZone& zone,
                                const TICalWindow& window, TICalBudget budget) {
  return MergeText(text, schedule, zone, window, std::move(budget), {});
}

TICalMergeResult MergeICalendarFile(const std::filesystem::path& path, TLineList& schedule,
                                    const TICalZone& zone, const TICalWindow& window,
                                    TICalBudget budget) {
  TMappedFile file(path);
  try {
    return MergeText(file.Text(), schedule, zone, window, std::move(budget),
                     [&](size_t offset) { file.Release(offset); });
  } catch (const EICalendarError& e) {
    throw EICalendarError(
        "ファイル " + path.string() + " は iCalendar ファイルとして読めません (" + e.what() + ")",
        e.Line);
  }
}

std::string ICalInWarningText() {
  return "これは，ほかのカレンダーが書き出した iCalendar ファイル（.ics）の予定を"
         "読み込むためのメニューです。\r\n"
         "繰り返しの予定は，繰り返しとして表せるものはそのまま，表せないものは"
         "1年前から2年後までの日ごとの予定として加えます。\r\n"
         "\r\n"
         "続けますか？";
}

std::string ICalMergeMessage(const TICalMergeResult& r) {
  std::string text(kICalImportDoneText);
  text += "\r\n" + ImportCountsText(r.Added, r.Duplicates, r.Skipped);
  if (r.MadeSafe > 0)
    text += "\r\n予定の行に書けない文字を置き換えた予定 " + std::to_string(r.MadeSafe) + " 件";
  if (r.LeftOut > 0)
    text += "\r\n一度に読み込める " + std::to_string(kMaxImportLines) + " 件を超えた予定 " +
            std::to_string(r.LeftOut) + " 件は加えませんでした";
  if (r.RulesCut) text += "\r\n繰り返しが多すぎるため，途中までしか展開していない予定があります";
  return text;
}

}  // namespace moriva
