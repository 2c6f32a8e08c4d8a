#pragma once
// Reading a whole iCalendar document into libical's components, naming the line to blame
// when the document is refused. The import (ICalendarImport.h) starts here.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "formats/ICalendar.h"

namespace moriva {

// A file that is not an iCalendar document; the text names the line and says why.
class EICalendarError : public Exception {
 public:
  EICalendarError(const std::string& message, size_t line) : Exception(message), Line(line) {}
  size_t Line;
};

// An import that was cancelled (Ctrl+C in moriva-cli); nothing was merged.
class EICalendarCancelled : public Exception {
 public:
  EICalendarCancelled() : Exception("キャンセルしました。") {}
};

// Components nested deeper than this are refused: libical frees a component tree recursively,
// so a few hundred thousand BEGIN lines would take the whole stack.
inline constexpr size_t kMaxICalNesting = 64;
// The changes of offset the time zones of one document may describe in all. libical works out
// every change of a zone, from its DTSTART up to a far year, the first time a time in it is
// converted; a real zone changes a few times a year (about 1 000 changes from 1601), a daily
// rule from 1970 alone some 225 000.
inline constexpr size_t kMaxICalZoneChanges = 100000;

// Parses a whole document with libical. Returns the VCALENDAR (an XROOT holding several when
// the file has more than one); throws EICalendarError for anything else, and for a document
// that nests components beyond kMaxICalNesting or whose time zones change more often than
// daily or more than kMaxICalZoneChanges times. These are refused as the lines are read,
// before libical builds or expands anything of them. `cancelRequested` (may be empty) is asked
// every few thousand lines; true stops the reading with EICalendarCancelled.
TICalComponent ParseICalendar(std::string_view text,
                              const std::function<bool()>& cancelRequested = {});

// Where one event directly inside a root of the document lies in its text.
struct TICalEventSpan {
  size_t Root = 0;           // the root it belongs to: an index into TICalShell::Roots
  size_t Begin = 0;          // the first byte of its BEGIN:VEVENT line
  size_t End = 0;            // after the last byte of its END line
  bool MayOverride = false;  // a line of the event itself begins with RECURRENCE-ID
};

// A document read once without the events directly inside its roots.
struct TICalShell {
  std::vector<TICalComponent> Roots;  // in file order: what ParseICalendar gives, less the events
  // False for a document whose components libical would count otherwise than the lines do (an
  // END outside every component): its events are then read whole, as ParseICalendar reads them.
  bool Streamable = true;
};

// Reads the whole text with ParseICalendar's checks and refusals, but hands libical only what
// lies outside the events directly inside the roots; those are reported to `event` in file
// order instead, so that each can be parsed on its own (ParseICalendarEvent) and freed before
// the next: the memory the document takes is that of its largest event, not of all of them.
TICalShell ReadICalendarShell(std::string_view text, const std::function<bool()>& cancelRequested,
                              const std::function<void(const TICalEventSpan&)>& event);

// The event of a span of `text` (as ReadICalendarShell reported it), parsed on its own; null
// when libical makes no event of it.
TICalComponent ParseICalendarEvent(std::string_view text, const TICalEventSpan& span);

}  // namespace moriva
