#include "base/CommaText.h"

#include "base/Cp932.h"

namespace moriva {
namespace {

bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32;
}

// Reads the quoted field that starts at text[pos] (a double quote) and moves pos past it.
std::string ExtractQuoted(std::string_view text, size_t& pos) {
  std::string out;
  size_t i = pos + 1;
  while (i < text.size()) {
    if (text[i] == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        out += '"';
        i += 2;
        continue;
      }
      pos = i + 1;
      return out;
    }
    size_t n = CharLength(text, i);
    out.append(text.substr(i, n));
    i += n;
  }
  pos = text.size();  // no closing quote: the field takes the rest of the text
  return out;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> fields;
  size_t p = 0;
  auto skip_blanks = [&] {
    while (p < text.size() && IsBlank(static_cast<unsigned char>(text[p]))) ++p;
  };
  skip_blanks();
  while (p < text.size()) {
    if (text[p] == '"') {
      fields.push_back(ExtractQuoted(text, p));
    } else {
      size_t start = p;
      while (p < text.size() && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',')
        p += CharLength(text, p);
      fields.emplace_back(text.substr(start, p - start));
    }
    skip_blanks();
    if (p < text.size() && text[p] == ',') {
      if (p + 1 == text.size()) fields.emplace_back();
      ++p;
      skip_blanks();
    }
  }
  return fields;
}

namespace {

// Appends `s` in double quotes, every double quote inside doubled. Runs between quotes are
// copied whole.
void AppendQuoted(std::string& out, std::string_view s) {
  out += '"';
  size_t run = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharLength(s, i);
    if (n == 1 && s[i] == '"') {
      out.append(s.substr(run, i + 1 - run));
      out += '"';
      run = i + 1;
    }
    i += n;
  }
  out.append(s.substr(run));
  out += '"';
}

template <class Field>
std::string Join(const std::vector<Field>& fields) {
  if (fields.size() == 1 && fields[0].empty()) return "\"\"";
  size_t size = fields.size();
  for (const Field& f : fields) size += f.size() + 2;
  std::string out;
  out.reserve(size);
  for (size_t f = 0; f < fields.size(); ++f) {
    std::string_view s = fields[f];
    bool needs_quotes = false;
    for (size_t i = 0; i < s.size() && !needs_quotes; i += CharLength(s, i)) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      needs_quotes = c <= ' ' || c == '"' || c == ',';
    }
    if (f) out += ',';
    if (needs_quotes)
      AppendQuoted(out, s);
    else
      out += s;
  }
  return out;
}

}  // namespace

std::string QuotedStr(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  AppendQuoted(out, s);
  return out;
}

std::string JoinCommaText(const std::vector<std::string>& fields) {
  return Join(fields);
}

std::string JoinCommaTextViews(const std::vector<std::string_view>& fields) {
  return Join(fields);
}

}  // namespace moriva
