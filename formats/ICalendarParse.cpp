// ParseICalendar: libical reads the document (unfolding included); this file only feeds it
// the text line by line, so that a refusal can name the line where the library gave up.
#include "formats/ICalendarParse.h"

#include <cstring>
#include <memory>
#include <vector>

#include "base/LineList.h"

namespace moriva {
namespace {

// Hands the text to libical's line reader one physical line (or, for a very long line, one
// buffer-full) at a time, counting the lines begun. A NUL byte is passed over.
struct TLineFeed {
  std::string_view text;
  size_t pos = 0;
  size_t begun = 0;
  bool atLineStart = true;
  bool ended = false;

  static char* Next(char* buf, size_t size, void* data) {
    auto* f = static_cast<TLineFeed*>(data);
    while (f->pos < f->text.size() && f->text[f->pos] == '\0') ++f->pos;
    if (f->pos >= f->text.size() || size < 2) {
      f->ended = true;
      return nullptr;
    }
    // The line ends after its LF, or before a NUL, or with the text.
    const char* from = f->text.data() + f->pos;
    size_t left = f->text.size() - f->pos;
    if (const void* lf = std::memchr(from, '\n', left))
      left = static_cast<size_t>(static_cast<const char*>(lf) - from) + 1;
    if (const void* nul = std::memchr(from, '\0', left))
      left = static_cast<size_t>(static_cast<const char*>(nul) - from);
    const size_t end = f->pos + left;
    const size_t n = std::min(end - f->pos, size - 1);
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

struct TParserFree {
  void operator()(icalparser* p) const { icalparser_free(p); }
};

}  // namespace

TICalComponent ParseICalendar(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  std::unique_ptr<icalparser, TParserFree> parser(icalparser_new());
  TLineFeed feed{text};
  icalparser_set_gen_data(parser.get(), &feed);

  std::vector<TICalComponent> roots;
  size_t rootLine = 0;      // where the root being read began
  size_t firstContent = 0;  // the first line that is not empty
  size_t badLine = 0;       // the first line outside any event that is no content line
  size_t lastEnd = 0;       // the last physical line of the previous logical line
  int depth = 0;            // components open, as the BEGIN and END lines say
  std::vector<bool> inEvent{false};
  for (;;) {
    char* line = icalparser_get_line(parser.get(), TLineFeed::Next);
    const size_t lineNo = lastEnd + 1;
    lastEnd = feed.ended ? feed.begun : feed.begun - 1;
    if (!line) break;
    const std::string_view l(line);
    if (!l.empty() && !firstContent) firstContent = lineNo;
    const bool begin = StartsWithNoCase(l, "BEGIN:");
    const bool end = StartsWithNoCase(l, "END:");
    if (begin) {
      if (depth == 0) rootLine = lineNo;
      ++depth;
      inEvent.push_back(inEvent.back() || StartsWithNoCase(l, "BEGIN:VEVENT"));
    }
    const bool plain = !begin && !end && !l.empty();
    const bool hasColon = l.find(':') != std::string_view::npos;
    icalcomponent* done = icalparser_add_line(parser.get(), line);
    icalmemory_free_buffer(line);
    if (plain && !hasColon && !inEvent.back() && !badLine) badLine = lineNo;
    if (end && depth > 0) {
      --depth;
      inEvent.pop_back();
    }
    if (done) {
      roots.emplace_back(done);
      if (icalcomponent_isa(done) != ICAL_VCALENDAR_COMPONENT &&
          icalcomponent_isa(done) != ICAL_XROOT_COMPONENT)
        throw AtLine(rootLine, "BEGIN:VCALENDAR で始まっていません");
    }
  }
  if (badLine) throw AtLine(badLine, "iCalendar の行として読めません");
  if (depth > 0) throw AtLine(lastEnd, "END:VCALENDAR の前にファイルが終わっています");
  if (roots.empty()) throw AtLine(firstContent ? firstContent : 1, "BEGIN:VCALENDAR がありません");
  if (roots.size() == 1) return std::move(roots[0]);
  TICalComponent all(icalcomponent_new(ICAL_XROOT_COMPONENT));
  for (TICalComponent& r : roots) icalcomponent_add_component(all.get(), r.release());
  return all;
}

}  // namespace moriva
