#include "formats/ICalendarExport.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "Version.h"
#include "base/AtomicFileWriter.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/DayListItem.h"
#include "calendar/Julius.h"
#include "calendar/SeriesLine.h"
#include "formats/ICalendarText.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

constexpr const char* kWeekdays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
// A rule with no first year starts here: early enough for any schedule, and every reader
// handles it.
constexpr int32_t kRuleBaseYear = 1970;

// iCalendar counts in the Gregorian calendar only; earlier dates here are Julian ones.
bool IsGregorianYear(int32_t y) {
  return y >= 1583 && y <= 9999;
}

void AddText(icalcomponent* ev, icalproperty* p) {
  icalcomponent_add_property(ev, p);
}

TICalComponent NewEvent(std::string_view line, std::string_view uid, const std::string& summary,
                        time_t stamp) {
  TICalComponent ev(icalcomponent_new_vevent());
  const std::string uidText(uid);
  AddText(ev.get(), icalproperty_new_uid(uidText.c_str()));
  AddText(ev.get(), icalproperty_new_dtstamp(
                        icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone())));
  AddText(ev.get(), icalproperty_new_summary(summary.c_str()));
  icalproperty* x = icalproperty_new_x(Cp932ToUtf8(line).c_str());
  icalproperty_set_x_name(x, kICalLineProperty);
  AddText(ev.get(), x);
  return ev;
}

// A schedule item: one date, a wall-clock time in the user's zone (an unreadable time makes
// it an all-day event rather than losing it).
TICalComponent ItemEvent(std::string_view line, std::string_view uid, const TDayListItem& day,
                         const TItemParts& parts, const TICalZone& zone, time_t stamp) {
  const std::string subject = Cp932ToUtf8(parts.Subject);
  TICalComponent ev = NewEvent(line, uid, subject, stamp);
  icaltimetype start = DateValue(day.FromYear, day.Month, day.Day);
  if (std::optional<std::pair<int, int>> hm = ParseItemTime(parts.Time)) {
    start.is_date = 0;
    start.hour = hm->first;
    start.minute = hm->second;
    start.second = 0;
    start.zone = zone.Zone();
  }
  icalcomponent_set_dtstart(ev.get(), start);
  if (!parts.Place.empty())
    AddText(ev.get(), icalproperty_new_location(Cp932ToUtf8(parts.Place).c_str()));
  if (parts.Alarm()) AddAlarm(ev.get(), subject);
  return ev;
}

// The RRULE text of a repeating rule, or nullopt for conditions iCalendar cannot combine
// (a day of the month together with a weekday or week, a week without a weekday).
std::optional<std::string> RuleText(const TDayListItem& r) {
  if (r.Month > 12 || r.Day > 31 || r.DayOfWeek > 7 || r.WeekNo > 5) return std::nullopt;
  if (r.Day != 0 && (r.DayOfWeek != 0 || r.WeekNo != 0)) return std::nullopt;
  if (r.WeekNo != 0 && r.DayOfWeek == 0) return std::nullopt;
  std::string byDay;
  if (r.DayOfWeek != 0)
    byDay = (r.WeekNo ? std::to_string(r.WeekNo) : "") + kWeekdays[r.DayOfWeek - 1];
  std::string text;
  if (r.Month != 0) {
    text = (r.Day == 0 && byDay.empty() ? "FREQ=DAILY" : "FREQ=YEARLY");
    text += ";BYMONTH=" + std::to_string(r.Month);
  } else {
    text = r.Day != 0      ? "FREQ=MONTHLY"
           : r.WeekNo != 0 ? "FREQ=MONTHLY"
           : byDay.empty() ? "FREQ=DAILY"
                           : "FREQ=WEEKLY";
  }
  if (r.Day != 0) text += ";BYMONTHDAY=" + std::to_string(r.Day);
  if (!byDay.empty()) text += ";BYDAY=" + byDay;
  return text;
}

// The first day the rule covers from 1 January of `year` on, within a few years.
std::optional<JuliusDay> FirstMatch(const TDayListItem& r, int32_t year, int32_t lastYear) {
  const JuliusDay first = DateToJulius(year, 1, 1);
  const JuliusDay last = DateToJulius(std::min(lastYear, year + 8), 12, 31);
  for (JuliusDay z = first; z <= last; ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    if (r.Match(y, m, d)) return z;
  }
  return std::nullopt;
}

// A rule line: an all-day event on its first day, repeating as the rule says.
TICalComponent RuleEvent(std::string_view line, std::string_view uid, const TDayListItem& r,
                         time_t stamp) {
  const bool hasFrom = r.FromYear != kNoYear;
  const bool hasTo = r.ToYear != kNoYear;
  if (hasFrom && hasTo && r.FromYear > r.ToYear) return nullptr;  // a window that wraps
  const int32_t from = hasFrom ? r.FromYear
                       : hasTo ? std::min(kRuleBaseYear, r.ToYear)
                               : kRuleBaseYear;
  const int32_t to = hasTo ? r.ToYear : 9999;
  if (!IsGregorianYear(from) || !IsGregorianYear(to)) return nullptr;

  std::optional<std::string> rule;
  if (!r.IsSingleDay() || r.DayOfWeek != 0 || r.WeekNo != 0) {
    rule = RuleText(r);
    if (!rule) return nullptr;
  }
  std::optional<JuliusDay> first = FirstMatch(r, from, to);
  if (!first) return nullptr;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(*first, y, m, d);

  TICalComponent ev = NewEvent(line, uid, Cp932ToUtf8(r.Name), stamp);
  icalcomponent_set_dtstart(ev.get(), DateValue(y, m, d));
  if (rule) {
    if (hasTo) {
      char until[16];
      std::snprintf(until, sizeof until, ";UNTIL=%04d1231", static_cast<int>(to));
      *rule += until;
    }
    AddText(ev.get(), icalproperty_new_rrule(icalrecurrencetype_from_string(rule->c_str())));
  }
  return ev;
}

}  // namespace

namespace {

uint64_t LineHash(std::string_view line) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (unsigned char c : line) h = (h ^ c) * 1099511628211ull;
  return h;
}

// "<16 hex digits of the hash>-<occurrence>@moriva".
std::string UidText(uint64_t h, size_t occurrence) {
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) text[i] = "0123456789abcdef"[h & 15];
  return text + '-' + std::to_string(occurrence) + "@moriva";
}

// How many lines of each hash came before: an open-addressing table, one probe per line in
// practice (a node-based map cost more than the hashing of the lines itself).
class TLineCounts {
 public:
  explicit TLineCounts(size_t lines) {
    size_t size = 16;
    while (size < 2 * lines) size *= 2;
    slots_.resize(size);
  }
  size_t Next(uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(hash ^ (hash >> 32)) & mask;; i = (i + 1) & mask) {
      TSlot& slot = slots_[i];
      if (slot.count == 0) slot.hash = hash;
      if (slot.hash == hash) return slot.count++;
    }
  }

 private:
  struct TSlot {
    uint64_t hash = 0;
    size_t count = 0;  // 0: empty
  };
  std::vector<TSlot> slots_;
};

}  // namespace

std::string ScheduleLineUid(std::string_view line, size_t occurrence) {
  return UidText(LineHash(line), occurrence);
}

namespace {

// What a line is to the export.
enum class TLineShape {
  Series,  // a series line (read again by SeriesToVEvent)
  Item,    // a plain item: `day` and `parts` are set
  Rule,    // a rule line, or a single day without a readable item text: `day` is set
  None,    // nothing iCalendar can say
};

TLineShape ShapeOf(std::string_view line, TDayListItem& day, std::optional<TItemParts>& parts) {
  if (IsSeriesLine(line)) return TLineShape::Series;
  if (ParseDayListLine(line, day) != TDayLineKind::Rule) return TLineShape::None;
  if (day.IsSingleDay() && day.DayOfWeek == 0 && day.WeekNo == 0) {
    if (!IsGregorianYear(day.FromYear) || !IsValidDate(day.FromYear, day.Month, day.Day))
      return TLineShape::None;
    parts = SplitItemText(GetItemText(line));
    if (parts) return TLineShape::Item;
  }
  return TLineShape::Rule;
}

TICalComponent ShapedEvent(TLineShape shape, std::string_view line, std::string_view uid,
                           const TDayListItem& day, const std::optional<TItemParts>& parts,
                           const TICalZone& zone, time_t stamp, const TICalHolidays& holidays) {
  switch (shape) {
    case TLineShape::Series: {
      TSeries series;
      if (ParseSeriesLine(line, series) != TSeriesLineKind::Series) return nullptr;
      return SeriesToVEvent(series, zone, stamp, holidays);
    }
    case TLineShape::Item:
      return ItemEvent(line, uid, day, *parts, zone, stamp);
    case TLineShape::Rule:
      return RuleEvent(line, uid, day, stamp);
    case TLineShape::None:
      break;
  }
  return nullptr;
}

// One property as libical writes it, without its line end and unfolded.
std::string PropertyText(icalproperty* p) {
  char* s = icalproperty_as_ical_string_r(p);
  std::string text = ICalText(s);
  free(s);
  icalproperty_free(p);
  size_t fold;
  while ((fold = text.find("\r\n ")) != std::string::npos) text.erase(fold, 3);
  if (text.ends_with("\r\n")) text.resize(text.size() - 2);
  return text;
}

// The parts of a plain item's event that are the same for every item of one export, taken
// from libical once, so that the events written as text say exactly what its own would.
struct TItemEventParts {
  std::string stampLine;  // "DTSTAMP:...Z" CR LF
  std::string timedHead;  // "DTSTART;TZID=zone" (or "DTSTART" for UTC)
  std::string timedTail;  // after the local time: "" or "Z"
  std::string dayHead;    // "DTSTART;VALUE=DATE"

  TItemEventParts(const TICalZone& zone, time_t stamp) {
    stampLine = PropertyText(icalproperty_new_dtstamp(
                    icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone()))) +
                "\r\n";
    TICalComponent ev(icalcomponent_new_vevent());
    icaltimetype t = DateValue(2000, 1, 1);
    t.is_date = 0;
    t.zone = zone.Zone();
    icalcomponent_set_dtstart(ev.get(), t);
    const std::string timed = PropertyText(
        icalproperty_new_clone(icalcomponent_get_first_property(ev.get(), ICAL_DTSTART_PROPERTY)));
    const size_t colon = timed.rfind(':');
    timedHead = timed.substr(0, colon);
    timedTail = timed.ends_with('Z') ? "Z" : "";
    const std::string day = PropertyText(icalproperty_new_dtstart(DateValue(2000, 1, 1)));
    dayHead = day.substr(0, day.rfind(':'));
  }
};

// The text ItemEvent's component serialises to, written without making the component.
void AppendItemEvent(std::string& out, std::string_view line, std::string_view uid,
                     const TDayListItem& day, const TItemParts& parts,
                     const TItemEventParts& fixed) {
  const std::string subject = Cp932ToUtf8(parts.Subject);
  out += "BEGIN:VEVENT\r\n";
  AppendICalLine(out, "UID", uid, TICalValue::Text);
  out += fixed.stampLine;
  AppendICalLine(out, "SUMMARY", subject, TICalValue::Text);
  AppendICalLine(out, kICalLineProperty, Cp932ToUtf8(line), TICalValue::Extension);
  char value[24];
  if (std::optional<std::pair<int, int>> hm = ParseItemTime(parts.Time)) {
    std::snprintf(value, sizeof value, "%04d%02d%02dT%02d%02d00%s", static_cast<int>(day.FromYear),
                  day.Month, day.Day, hm->first, hm->second, fixed.timedTail.c_str());
    AppendICalLine(out, fixed.timedHead, value, TICalValue::Verbatim);
  } else {
    std::snprintf(value, sizeof value, "%04d%02d%02d", static_cast<int>(day.FromYear), day.Month,
                  day.Day);
    AppendICalLine(out, fixed.dayHead, value, TICalValue::Verbatim);
  }
  if (!parts.Place.empty())
    AppendICalLine(out, "LOCATION", Cp932ToUtf8(parts.Place), TICalValue::Text);
  if (parts.Alarm()) {
    out += "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:PT0S\r\n";
    AppendICalLine(out, "DESCRIPTION", subject, TICalValue::Text);
    out += "END:VALARM\r\n";
  }
  out += "END:VEVENT\r\n";
}

}  // namespace

TICalComponent ScheduleLineToVEvent(std::string_view line, std::string_view uid,
                                    const TICalZone& zone, time_t stamp,
                                    const TICalHolidays& holidays) {
  TDayListItem day;
  std::optional<TItemParts> parts;
  const TLineShape shape = ShapeOf(line, day, parts);
  return ShapedEvent(shape, line, uid, day, parts, zone, stamp, holidays);
}

std::string ICalendarHead(const TICalZone& zone) {
  TICalComponent cal(icalcomponent_new_vcalendar());
  icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(
      cal.get(), icalproperty_new_prodid("-//Moriva//Moriva " MORIVA_VERSION_TEXT "//JA"));
  icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
  std::string text = ICalString(cal.get());
  text.resize(text.size() - kICalendarTail.size());  // the events go before the end line
  if (TICalComponent vtz = zone.VTimeZone()) text += ICalString(vtz.get());
  return text;
}

TICalExportCounts WriteICalendar(const TLineList& list, const TICalZone& zone, time_t stamp,
                                 const TICalHolidays& holidays,
                                 const std::function<void(std::string_view)>& write) {
  constexpr size_t kBlock = 1 << 20;
  TICalExportCounts counts;
  std::string block = ICalendarHead(zone);
  block.reserve(kBlock + 4096);
  const TItemEventParts fixed(zone, stamp);

  // Equal lines are told apart by how many came before them. The count goes by the line's
  // hash: two different lines of one hash (never seen in practice) still get different UIDs,
  // only numbered on from each other.
  TLineCounts seen(list.Count());
  TDayListItem day;
  std::optional<TItemParts> parts;
  for (const std::string& line : list) {
    if (line.empty()) continue;
    const uint64_t hash = LineHash(line);
    const std::string uid = UidText(hash, seen.Next(hash));
    const TLineShape shape = ShapeOf(line, day, parts);
    if (shape == TLineShape::Item) {
      AppendItemEvent(block, line, uid, day, *parts, fixed);
    } else if (TICalComponent ev =
                   ShapedEvent(shape, line, uid, day, parts, zone, stamp, holidays)) {
      char* text = icalcomponent_as_ical_string_r(ev.get());
      if (text) block += text;
      free(text);
    } else {
      ++counts.LeftOut;
      continue;
    }
    ++counts.Events;
    if (block.size() >= kBlock) {
      write(block);
      block.clear();
    }
  }
  block += kICalendarTail;
  write(block);
  return counts;
}

TICalExport BuildICalendar(const TLineList& list, const TICalZone& zone, time_t stamp,
                           const TICalHolidays& holidays) {
  TICalExport out;
  const TICalExportCounts counts =
      WriteICalendar(list, zone, stamp, holidays, [&](std::string_view text) { out.Text += text; });
  out.Events = counts.Events;
  out.LeftOut = counts.LeftOut;
  return out;
}

TICalExportCounts ExportICalendar(const std::filesystem::path& path, const TLineList& list,
                                  const TICalZone& zone, time_t stamp,
                                  const TICalHolidays& holidays) {
  TAtomicFileWriter file(path);
  const TICalExportCounts counts =
      WriteICalendar(list, zone, stamp, holidays, [&](std::string_view text) { file.Write(text); });
  file.Commit();
  return counts;
}

void SaveICalendar(const std::filesystem::path& path, std::string_view text) {
  WriteFileAtomically(path, text);
}

std::string ICalLeftOutMessage(size_t leftOut) {
  if (leftOut == 0) return {};
  return "iCalendar で表せない行 " + std::to_string(leftOut) + " 件は書き出しませんでした。";
}

}  // namespace moriva
