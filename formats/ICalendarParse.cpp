// ParseICalendar: libical reads the document (unfolding included); this file feeds it the text
// line by line, so that a refusal can name the line where the library gave up, and looks at
// each line before libical does, to refuse what would cost the library its stack or minutes.
#include "formats/ICalendarParse.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/LineList.h"

namespace moriva {
namespace {

// Hands the text to libical's line reader one physical line (or, for a very long line, one
// buffer-full) at a time, counting the lines begun. A NUL byte is passed over. Where the line
// ends is looked up once per line, not once per buffer-full: libical asks for 80 bytes at a
// time, and a search to the end of the text for each of them made a long line cost its length
// squared.
struct TLineFeed {
  std::string_view text;
  size_t pos = 0;
  size_t lineEnd = 0;  // after the LF of the line being handed over, or at a NUL, or the end
  size_t begun = 0;
  size_t chunkStart = 0;  // where the last piece handed over began
  bool atLineStart = true;
  bool ended = false;

  static char* Next(char* buf, size_t size, void* data) {
    auto* f = static_cast<TLineFeed*>(data);
    while (f->pos < f->text.size() && f->text[f->pos] == '\0') ++f->pos;
    if (f->pos >= f->text.size() || size < 2) {
      f->ended = true;
      return nullptr;
    }
    if (f->pos >= f->lineEnd) {
      const char* from = f->text.data() + f->pos;
      size_t left = f->text.size() - f->pos;
      if (const void* lf = std::memchr(from, '\n', left))
        left = static_cast<size_t>(static_cast<const char*>(lf) - from) + 1;
      if (const void* nul = std::memchr(from, '\0', left))
        left = static_cast<size_t>(static_cast<const char*>(nul) - from);
      f->lineEnd = f->pos + left;
    }
    const size_t n = std::min(f->lineEnd - f->pos, size - 1);
    f->chunkStart = f->pos;
    std::memcpy(buf, f->text.data() + f->pos, n);
    buf[n] = '\0';
    f->pos += n;
    if (f->atLineStart) ++f->begun;
    f->atLineStart = buf[n - 1] == '\n';
    return buf;
  }
};

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(s[i]) != AsciiLower(prefix[i])) return false;
  return true;
}

EICalendarError AtLine(size_t line, const std::string& reason) {
  return EICalendarError(std::to_string(line) + " 行目: " + reason, line);
}

// A content line of the property `name`, parameters or not.
bool IsProperty(std::string_view line, std::string_view name) {
  return StartsWithNoCase(line, name) && line.size() > name.size() &&
         (line[name.size()] == ':' || line[name.size()] == ';');
}

// The value of a content line: what follows the first colon outside a quoted parameter.
std::string ValueOf(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return std::string(line.substr(i + 1));
  }
  return {};
}

// The last year libical works a zone's changes out to, however far a converted time lies.
constexpr int kZoneExpansionLastYear = 2587;

// One component being read, as far as the limits above need it.
struct TOpenComponent {
  bool inEvent = false;
  bool timeZone = false;    // a VTIMEZONE
  bool observance = false;  // a part of a VTIMEZONE (STANDARD, DAYLIGHT): its rules are expanded
  // An observance's earliest DTSTART and its rules (value and line), counted at its END.
  icaltimetype start = icaltime_null_time();
  std::vector<std::pair<std::string, size_t>> rules;
};

// Counts the changes an observance's rules give, as libical would work them out, into `total`;
// refuses the document at the rule that takes the count past the limit.
void CountZoneChanges(const TOpenComponent& o, size_t& total) {
  if (icaltime_is_null_time(o.start)) return;  // libical passes such a part over
  for (const auto& [value, line] : o.rules) {
    icalrecur_iterator* it =
        icalrecur_iterator_new(icalrecurrencetype_from_string(value.c_str()), o.start);
    if (!it) continue;
    for (icaltimetype t = icalrecur_iterator_next(it);
         !icaltime_is_null_time(t) && t.year <= kZoneExpansionLastYear;
         t = icalrecur_iterator_next(it))
      if (++total > kMaxICalZoneChanges) {
        icalrecur_iterator_free(it);
        throw AtLine(line, "タイムゾーンの切り替わりが多すぎます");
      }
    icalrecur_iterator_free(it);
  }
}

struct TParserFree {
  void operator()(icalparser* p) const { icalparser_free(p); }
};

// Reads the document line by line with every check, giving each line to libical. With
// `events` set, each VEVENT directly inside a root is not given to libical but reported as a
// span of the text (`bom` bytes before `text` in the caller's text); `streamable` is cleared
// for a document whose components libical would count differently from the lines read here.
std::vector<TICalComponent> ReadDocument(std::string_view text, size_t bom,
                                         const std::function<bool()>& cancelRequested,
                                         const std::function<void(const TICalEventSpan&)>* events,
                                         bool& streamable) {
  std::unique_ptr<icalparser, TParserFree> parser(icalparser_new());
  TLineFeed feed{text};
  icalparser_set_gen_data(parser.get(), &feed);

  std::vector<TICalComponent> roots;
  size_t rootLine = 0;      // where the root being read began
  size_t firstContent = 0;  // the first line that is not empty
  size_t badLine = 0;       // the first line outside any event that is no content line
  size_t lastEnd = 0;       // the last physical line of the previous logical line
  size_t zoneChanges = 0;   // what the time zones read so far make libical work out
  size_t logicalLines = 0;
  size_t lineBegin = 0;                 // where the current logical line begins in `text`
  std::optional<TICalEventSpan> event;  // the event being passed over, when `events` is set
  std::vector<TOpenComponent> open{TOpenComponent{}};  // the document, then what BEGIN opened
  for (;;) {
    char* line = icalparser_get_line(parser.get(), TLineFeed::Next);
    const size_t lineNo = lastEnd + 1;
    lastEnd = feed.ended ? feed.begun : feed.begun - 1;
    // libical has read the next line's first piece already, unless the text has ended.
    const size_t lineEnd = feed.ended ? text.size() : feed.chunkStart;
    const size_t thisBegin = std::exchange(lineBegin, lineEnd);
    if (!line) break;
    std::unique_ptr<char, void (*)(void*)> owned(line, icalmemory_free_buffer);
    if (++logicalLines % 4096 == 0 && cancelRequested && cancelRequested())
      throw EICalendarCancelled();
    const std::string_view l(line);
    if (!l.empty() && !firstContent) firstContent = lineNo;
    const bool begin = StartsWithNoCase(l, "BEGIN:");
    const bool end = StartsWithNoCase(l, "END:");
    if (begin) {
      if (open.size() == 1) rootLine = lineNo;
      if (open.size() > kMaxICalNesting) throw AtLine(lineNo, "BEGIN の入れ子が深すぎます");
      const TOpenComponent& parent = open.back();
      TOpenComponent c;
      c.inEvent = parent.inEvent || StartsWithNoCase(l, "BEGIN:VEVENT");
      c.timeZone = StartsWithNoCase(l, "BEGIN:VTIMEZONE");
      c.observance = parent.timeZone;
      if (events && open.size() == 2 && StartsWithNoCase(l, "BEGIN:VEVENT"))
        event = TICalEventSpan{roots.size(), bom + thisBegin, 0, false};
      open.push_back(std::move(c));
    } else if (open.back().observance) {
      TOpenComponent& o = open.back();
      if (IsProperty(l, "DTSTART")) {
        const icaltimetype t = icaltime_from_string(ValueOf(l).c_str());
        if (!icaltime_is_null_time(t) &&
            (icaltime_is_null_time(o.start) || icaltime_compare(t, o.start) < 0))
          o.start = t;
      } else if (IsProperty(l, "RRULE")) {
        std::string value = ValueOf(l);
        if (icalrecurrencetype_from_string(value.c_str()).freq < ICAL_DAILY_RECURRENCE)
          throw AtLine(lineNo, "タイムゾーンの規則が1日より細かい単位で繰り返しています");
        o.rules.emplace_back(std::move(value), lineNo);
      }
    } else if (event && open.size() == 3 && StartsWithNoCase(l, "RECURRENCE-ID")) {
      event->MayOverride = true;
    }
    const bool plain = !begin && !end && !l.empty();
    const bool hasColon = l.find(':') != std::string_view::npos;
    icalcomponent* done = event ? nullptr : icalparser_add_line(parser.get(), line);
    if (plain && !hasColon && !open.back().inEvent && !badLine) badLine = lineNo;
    if (end && open.size() == 1) streamable = false;  // libical would step below the document
    if (end && open.size() > 1) {
      if (open.back().observance) CountZoneChanges(open.back(), zoneChanges);
      open.pop_back();
      if (event && open.size() == 2) {
        event->End = bom + lineEnd;
        (*events)(*event);
        event.reset();
      }
    }
    if (done) {
      roots.emplace_back(done);
      if (icalcomponent_isa(done) != ICAL_VCALENDAR_COMPONENT &&
          icalcomponent_isa(done) != ICAL_XROOT_COMPONENT)
        throw AtLine(rootLine, "BEGIN:VCALENDAR で始まっていません");
    }
  }
  if (badLine) throw AtLine(badLine, "iCalendar の行として読めません");
  if (open.size() > 1) throw AtLine(lastEnd, "END:VCALENDAR の前にファイルが終わっています");
  if (roots.empty()) throw AtLine(firstContent ? firstContent : 1, "BEGIN:VCALENDAR がありません");
  return roots;
}

size_t ByteOrderMark(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

}  // namespace

TICalComponent ParseICalendar(std::string_view text, const std::function<bool()>& cancelRequested) {
  const size_t bom = ByteOrderMark(text);
  bool streamable = true;
  std::vector<TICalComponent> roots =
      ReadDocument(text.substr(bom), bom, cancelRequested, nullptr, streamable);
  if (roots.size() == 1) return std::move(roots[0]);
  TICalComponent all(icalcomponent_new(ICAL_XROOT_COMPONENT));
  for (TICalComponent& r : roots) icalcomponent_add_component(all.get(), r.release());
  return all;
}

TICalShell ReadICalendarShell(std::string_view text, const std::function<bool()>& cancelRequested,
                              const std::function<void(const TICalEventSpan&)>& event) {
  const size_t bom = ByteOrderMark(text);
  TICalShell shell;
  shell.Roots = ReadDocument(text.substr(bom), bom, cancelRequested, &event, shell.Streamable);
  return shell;
}

TICalComponent ParseICalendarEvent(std::string_view text, const TICalEventSpan& span) {
  std::unique_ptr<icalparser, TParserFree> parser(icalparser_new());
  TLineFeed feed{text.substr(span.Begin, span.End - span.Begin)};
  icalparser_set_gen_data(parser.get(), &feed);
  TICalComponent event;
  while (char* line = icalparser_get_line(parser.get(), TLineFeed::Next)) {
    std::unique_ptr<char, void (*)(void*)> owned(line, icalmemory_free_buffer);
    if (icalcomponent* done = icalparser_add_line(parser.get(), line)) event.reset(done);
  }
  if (event && icalcomponent_isa(event.get()) != ICAL_VEVENT_COMPONENT) event.reset();
  return event;
}

}  // namespace moriva
