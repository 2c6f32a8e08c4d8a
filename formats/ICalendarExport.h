#pragma once
// The schedule as an iCalendar (.ics) document, for every other calendar program: UTF-8, CR LF,
// lines folded by libical.
//
//   VCALENDAR  VERSION:2.0, PRODID naming Moriva and its version, CALSCALE:GREGORIAN, the
//              VTIMEZONE of the user's zone
//   VEVENT     per schedule item: DTSTART as the local wall-clock time with the zone's TZID,
//              SUMMARY = subject, LOCATION = place (left out when empty), DTSTAMP, UID, and a
//              VALARM (DISPLAY, at the start, the subject as DESCRIPTION) when the alarm is on;
//              per day-list rule line: an all-day VEVENT whose RRULE says the same
//              (a yearly date, an nth weekday, year fields as first year and UNTIL)
//
// Every VEVENT also carries the line it came from (X-MORIVA-LINE), so that an import into
// Moriva can restore a line the other way round would not rebuild byte for byte (a rule line,
// a time written "10:00", a date with leading zeros), as long as the event still says what the
// line says.
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "formats/ICalendar.h"
#include "formats/ICalendarSeries.h"

namespace moriva {

inline constexpr std::string_view kICalFileFilter = "iCalendarファイル(*.ics)|*.ics|全て(*.*)|*.*";
inline constexpr std::string_view kICalFileExtension = ".ics";
// The property that carries the schedule line an event was made from (UTF-8).
inline constexpr const char* kICalLineProperty = "X-MORIVA-LINE";

// The UID of the `occurrence`-th (0, 1, ...) line equal to `line` in a list: a hash of the
// line's bytes and the occurrence, "<16 hex digits>-<occurrence>@moriva". The same list gives
// the same UIDs on every export; two equal lines get different ones.
std::string ScheduleLineUid(std::string_view line, size_t occurrence);

// The VEVENT for one line of the schedule, or null when iCalendar cannot say what the line
// says (a line of no rule, a year window that wraps, conditions that cannot be combined, a
// date before the Gregorian calendar). Texts are converted from CP932 to UTF-8. A series line
// becomes its event (ICalendarSeries.h) with the series' identity as UID instead of `uid`.
TICalComponent ScheduleLineToVEvent(std::string_view line, std::string_view uid,
                                    const TICalZone& zone, time_t stamp,
                                    const TICalHolidays& holidays = {});

// A document's text before its first event (the header and the zone's VTIMEZONE), and its
// last line: a document of chosen events is the head, the events and the tail.
std::string ICalendarHead(const TICalZone& zone);
inline constexpr std::string_view kICalendarTail = "END:VCALENDAR\r\n";

struct TICalExportCounts {
  size_t Events = 0;   // VEVENTs written
  size_t LeftOut = 0;  // non-empty lines that could not be expressed
};

// The document for every line of the list, in list order, handed to `write` in blocks of about
// a megabyte as the events are made; `stamp` becomes every DTSTAMP. `holidays` are those series
// that skip holidays name as EXDATEs.
TICalExportCounts WriteICalendar(const TLineList& list, const TICalZone& zone, time_t stamp,
                                 const TICalHolidays& holidays,
                                 const std::function<void(std::string_view)>& write);

struct TICalExport {
  std::string Text;    // the whole document
  size_t Events = 0;   // VEVENTs written
  size_t LeftOut = 0;  // non-empty lines that could not be expressed
};

// The whole document in memory (WriteICalendar's blocks joined).
TICalExport BuildICalendar(const TLineList& list, const TICalZone& zone, time_t stamp,
                           const TICalHolidays& holidays = {});

// Writes the document to `path` atomically as it is made; EFileError
// "ファイル %s を作成できません", the old file then left as it was.
TICalExportCounts ExportICalendar(const std::filesystem::path& path, const TLineList& list,
                                  const TICalZone& zone, time_t stamp,
                                  const TICalHolidays& holidays = {});

// Writes the document atomically; EFileError "ファイル %s を作成できません".
void SaveICalendar(const std::filesystem::path& path, std::string_view text);

// The message after an export that left lines out (UTF-8); empty when none was.
std::string ICalLeftOutMessage(size_t leftOut);

}  // namespace moriva
