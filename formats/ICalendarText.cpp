#include "formats/ICalendarText.h"

namespace moriva {
namespace {

// A content line is at most this long with its line end, a continuation line's blank included.
constexpr size_t kMaxLine = 75;

// Where the line that starts at `s` (with `left` bytes to come, the final CR LF counted) ends.
size_t LineLength(const char* s, size_t left) {
  if (left < kMaxLine) return left;
  for (size_t p = kMaxLine - 2; p > 0; --p)
    if (s[p] == ';' || s[p] == ':' || s[p] == ' ') return p + 1;
  // No such break: the last byte that begins a character (ASCII or a UTF-8 lead byte).
  for (size_t p = kMaxLine - 1; p > 0; --p) {
    const auto c = static_cast<unsigned char>(s[p]);
    if ((c & 0x80) == 0 || (c & 0xC0) == 0xC0) return p;
  }
  return kMaxLine - 1;
}

void AppendEscaped(std::string& out, std::string_view value, TICalValue kind) {
  if (kind == TICalValue::Verbatim) {
    out += value;
    return;
  }
  const bool text = kind == TICalValue::Text;
  size_t run = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c != '\\' && c != '\n' && c != '\r' && (!text || (c != ';' && c != ','))) continue;
    out.append(value, run, i - run);
    run = i + 1;
    if (c == '\n')
      out += "\\n";
    else if (c != '\r')
      (out += '\\') += c;
  }
  out.append(value, run, value.size() - run);
}

}  // namespace

void AppendICalLine(std::string& out, std::string_view head, std::string_view value,
                    TICalValue kind) {
  thread_local std::string line;
  line.assign(head);
  line += ':';
  AppendEscaped(line, value, kind);
  line += "\r\n";
  const char* s = line.data();
  size_t left = line.size();
  for (bool first = true; left > 0; first = false) {
    const size_t n = LineLength(s, left);
    if (!first) out += "\r\n ";
    out.append(s, n);
    s += n;
    left -= n;
  }
}

}  // namespace moriva
