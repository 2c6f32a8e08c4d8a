#include "base/CommaText.h"

#include <cstring>

#include "base/Cp932.h"

namespace moriva {
namespace {

bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32;
}

// The quoted field that starts at text[pos] (a double quote); moves pos past it.
TCommaField ReadQuoted(std::string_view text, size_t& pos) {
  TCommaField field;
  const size_t begin = pos + 1;
  size_t i = begin;  // always at the start of a character
  while (i < text.size()) {
    // A quote byte is a quote when the byte before it cannot begin a double-byte character
    // (a trail byte never is a quote): then it is found by memchr, not character by character,
    // which is most of the time a long schedule takes to read.
    const void* hit = std::memchr(text.data() + i, '"', text.size() - i);
    size_t q = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
    if (q > i && q < text.size() && IsLeadByte(static_cast<unsigned char>(text[q - 1]))) {
      // Whether that byte is a lead byte depends on all before it: step through the characters.
      q = i;
      while (q < text.size() && text[q] != '"') q += CharLength(text, q);
    }
    if (q >= text.size()) break;
    if (q + 1 < text.size() && text[q + 1] == '"') {
      field.Doubled = true;
      i = q + 2;
      continue;
    }
    field.Raw = text.substr(begin, q - begin);
    pos = q + 1;
    return field;
  }
  // No closing quote: the field takes the rest of the text (a lead byte at the very end too).
  field.Raw = text.substr(begin);
  pos = text.size();
  return field;
}

}  // namespace

std::string_view TCommaField::Text(std::string& buffer) const {
  if (!Doubled) return Raw;
  buffer.clear();
  for (size_t i = 0; i < Raw.size();) {
    if (Raw[i] == '"') {
      buffer += '"';
      i += 2;  // a quote inside a quoted field is always doubled
      continue;
    }
    const size_t n = CharLength(Raw, i);
    buffer.append(Raw.substr(i, n));
    i += n;
  }
  return buffer;
}

std::string TCommaField::ToString() const {
  std::string buffer;
  const std::string_view text = Text(buffer);
  return Doubled ? std::move(buffer) : std::string(text);
}

TCommaFieldReader::TCommaFieldReader(std::string_view text)
    : text_(text.substr(0, text.find('\0'))) {
  while (pos_ < text_.size() && IsBlank(static_cast<unsigned char>(text_[pos_]))) ++pos_;
}

bool TCommaFieldReader::Next(TCommaField& field) {
  if (final_empty_) {
    final_empty_ = false;
    field = TCommaField();
    return true;
  }
  if (pos_ >= text_.size()) return false;
  const auto skipBlanks = [this] {
    while (pos_ < text_.size() && IsBlank(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  };
  if (text_[pos_] == '"') {
    field = ReadQuoted(text_, pos_);
  } else {
    const size_t start = pos_;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ' ' &&
           text_[pos_] != ',')
      pos_ += CharLength(text_, pos_);
    field = TCommaField{text_.substr(start, pos_ - start), false};
  }
  skipBlanks();
  if (pos_ < text_.size() && text_[pos_] == ',') {
    if (pos_ + 1 == text_.size()) final_empty_ = true;
    ++pos_;
    skipBlanks();
  }
  return true;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> fields;
  TCommaFieldReader reader(text);
  for (TCommaField f; reader.Next(f);) fields.push_back(f.ToString());
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
