#include "mail/MimeHeader.h"

#include <map>
#include <utility>
#include <vector>

#include "base/PercentCoding.h"
#include "mail/HeaderText.h"

namespace moriva {
namespace {

constexpr size_t kBoundaryReach = 72;

bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool IsFoldBlank(const std::string& line) {
  return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string_view TrimView(std::string_view s) {
  // An escape opens a JIS text that some phones put into headers without encoding it; cut,
  // the text would be read as ASCII and no longer match.
  while (!s.empty() && IsTrimmed(s.front()) && s.front() != '\x1B') s.remove_prefix(1);
  while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
  return s;
}

// Removes every group from an `open` character to the next `close` after it, both included.
// One pass, so a header with many groups costs no more than its length: once an `open` finds
// no `close` after it, no later one can, and the rest is kept as it is without searching again.
std::string RemoveGroups(std::string_view text, char open, char close) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != open) {
      out += text[i];
      continue;
    }
    size_t end = text.find(close, i + 1);
    if (end == std::string_view::npos) {
      out.append(text, i);
      break;
    }
    i = end;
  }
  return out;
}

// The inside of the first `open` ... `close` group, or nullopt when there is none.
std::optional<std::string> GroupInside(const std::string& text, char open, char close) {
  size_t a = text.find(open);
  if (a == std::string::npos) return std::nullopt;
  size_t b = text.find(close, a + 1);
  if (b == std::string::npos) return std::nullopt;
  return text.substr(a + 1, b - a - 1);
}

// DisplayNameOf without the quotes around the result.
std::string BareDisplayName(std::string_view text) {
  std::string s(text);
  size_t a = s.find('<');
  if (a != std::string::npos) {
    size_t b = s.find('>', a + 1);
    if (b != std::string::npos) s.erase(a, b - a + 1);
  }
  if (auto inside = GroupInside(s, '(', ')')) s = *inside;
  std::string out;
  for (char c : s)
    if (c != '"' && c != '\'') out += c;
  return std::string(TrimView(out));
}

// Removes every quoted string with its quotes. A quote without a partner only vanishes itself.
std::string RemoveQuotedStrings(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '"') {
      out += text[i];
      continue;
    }
    size_t close = text.find('"', i + 1);
    if (close != std::string_view::npos) i = close;
  }
  return out;
}

// The parameters after the first ";" of an unfolded header line, as (upper-case name,
// value) pairs; a quoted value comes without its quotes, and a ";" inside quotes stays in it.
std::vector<std::pair<std::string, std::string>> Parameters(std::string_view line) {
  std::vector<std::pair<std::string, std::string>> params;
  size_t i = line.find(';');
  while (i != std::string_view::npos && i < line.size()) {
    ++i;
    size_t eq = line.find_first_of("=;", i);
    if (eq == std::string_view::npos || line[eq] == ';') {
      i = eq;
      continue;
    }
    std::string name = UpperHeaderText(TrimView(line.substr(i, eq - i)));
    size_t v = eq + 1;
    while (v < line.size() && IsTrimmed(line[v])) ++v;
    std::string value;
    if (v < line.size() && line[v] == '"') {
      for (++v; v < line.size() && line[v] != '"'; ++v) {
        if (line[v] == '\\' && v + 1 < line.size()) ++v;
        value += line[v];
      }
      i = line.find(';', v);
    } else {
      i = line.find(';', v);
      value = TrimView(line.substr(v, i == std::string_view::npos ? i : i - v));
    }
    params.emplace_back(std::move(name), std::move(value));
  }
  return params;
}

// A parameter in the extended form other mailers use for names beyond ASCII: "key*=" with
// charset'language'percent-encoded bytes, or split into sections "key*0*=", "key*1=", ...
// (the "*" after the number marks an encoded section), as UTF-8.
std::optional<std::string> ExtendedParameter(std::string_view key, std::string_view line) {
  std::map<int, std::pair<bool, std::string>> sections;  // number -> (encoded, value)
  for (auto& [name, value] : Parameters(line)) {
    if (name.size() <= key.size() || !name.starts_with(key) || name[key.size()] != '*') continue;
    std::string_view rest = std::string_view(name).substr(key.size() + 1);
    if (rest.empty()) {
      sections.try_emplace(0, true, value);
      continue;
    }
    const bool encoded = rest.back() == '*';
    if (encoded) rest.remove_suffix(1);
    if (rest.empty() || rest.size() > 3 ||
        rest.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    sections.try_emplace(std::stoi(std::string(rest)), encoded, value);
  }
  if (!sections.contains(0)) return std::nullopt;
  std::string charset, bytes;
  for (int n = 0; sections.contains(n); ++n) {
    auto [encoded, value] = sections[n];
    std::string_view text = value;
    if (n == 0 && encoded) {
      // charset'language'text; a value without the two quotes is taken as text.
      size_t q1 = text.find('\'');
      size_t q2 = q1 == std::string_view::npos ? q1 : text.find('\'', q1 + 1);
      if (q2 != std::string_view::npos) {
        charset = UpperHeaderText(text.substr(0, q1));
        text.remove_prefix(q2 + 1);
      }
    }
    bytes += encoded ? PercentDecode(text) : std::string(text);
  }
  return MailCharsetToUtf8(bytes, charset);
}

}  // namespace

std::string TrimHeaderText(std::string_view text) {
  return std::string(TrimView(text));
}

std::string UpperHeaderText(std::string_view text) {
  std::string r(text);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::optional<std::string> FindHeader(std::string_view key, TLineSpan lines) {
  size_t i = 0;
  while (i < lines.size() && lines[i].empty()) ++i;
  for (; i < lines.size() && !lines[i].empty(); ++i) {
    const std::string& line = lines[i];
    if (line.size() < key.size()) continue;
    if (UpperHeaderText(std::string_view(line).substr(0, key.size())) != key) continue;
    std::string unfolded = line;
    for (size_t k = i + 1; k < lines.size() && IsFoldBlank(lines[k]); ++k)
      unfolded += TrimView(lines[k]);
    return unfolded;
  }
  return std::nullopt;
}

std::string HeaderValue(std::string_view key, std::string_view line) {
  size_t at = UpperHeaderText(line).find(key);
  if (at == std::string::npos) return {};
  std::string_view value = TrimView(line.substr(at + key.size()));
  return std::string(TrimView(value.substr(0, value.find(';'))));
}

std::string StripQuotes(std::string_view text) {
  auto is_quote = [](char c) { return c == '"' || c == '\''; };
  if (!text.empty() && is_quote(text.front())) text.remove_prefix(1);
  if (!text.empty() && is_quote(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string DisplayNameOf(std::string_view text) {
  return "\"" + BareDisplayName(text) + "\"";
}

std::string AddressOf(std::string_view text) {
  std::string s(TrimView(RemoveGroups(text, '(', ')')));
  if (auto inside = GroupInside(s, '<', '>')) s = *inside;
  return "<" + s + ">";
}

std::string NormalizeAddressList(std::string_view text) {
  std::string list = RemoveQuotedStrings(text);
  if (TrimView(list).empty()) return {};
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string_view piece = std::string_view(list).substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
    if (start > 0) out += ", ";
    // The name is cut out of the undecoded piece and decoded afterwards: the decoded text is
    // the name, quote characters and all, and never read as address syntax.
    out += "\"" + DecodeHeaderToCp932(BareDisplayName(piece)) + "\" " + AddressOf(piece);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

std::string BoundaryOf(std::string_view line) {
  size_t at = UpperHeaderText(line).find("BOUNDARY");
  if (at == std::string::npos) return {};
  std::string_view v = TrimView(line.substr(at + 8, kBoundaryReach));
  if (!v.empty()) v = TrimView(v.substr(1));
  if (!v.empty() && v.front() == '"') {
    v.remove_prefix(1);
    v = v.substr(0, v.find('"'));
  }
  v = v.substr(0, v.find(';'));
  return "--" + std::string(TrimView(v));
}

TLineSpan StripHeaderBlock(TLineSpan lines) {
  size_t i = 0;
  while (i < lines.size() && !TrimView(lines[i]).empty()) ++i;
  while (i < lines.size() && TrimView(lines[i]).empty()) ++i;
  return lines.subspan(i);
}

TPartInfo GetPartInfo(TLineSpan lines) {
  TPartInfo info;
  auto type = FindHeader("CONTENT-TYPE:", lines);
  auto disposition = FindHeader("CONTENT-DISPOSITION:", lines);
  if (type) {
    info.ContentType = UpperHeaderText(HeaderValue("CONTENT-TYPE:", *type));
  } else {
    info.ContentType = "TEXT/PLAIN";
  }
  auto encoding = FindHeader("CONTENT-TRANSFER-ENCODING:", lines);
  info.Encoding =
      encoding ? UpperHeaderText(HeaderValue("CONTENT-TRANSFER-ENCODING:", *encoding)) : "7BIT";
  // A name in the extended form is the one its sender meant; mailers that write it add the
  // plain form only for readers that know no better.
  std::optional<std::string> extended;
  if (type) extended = ExtendedParameter("NAME", *type);
  if (!extended && disposition) extended = ExtendedParameter("FILENAME", *disposition);
  if (extended) {
    info.FileName = std::move(*extended);
    return info;
  }
  if (type) info.FileName = HeaderValue("NAME", *type);
  if (info.FileName.empty() && disposition) info.FileName = HeaderValue("FILENAME", *disposition);
  if (!info.FileName.empty()) {
    // The value still starts with the "=" after the parameter word.
    std::string_view name = std::string_view(info.FileName).substr(1);
    name = TrimView(name.substr(0, name.find(';')));
    info.FileName = DecodeHeaderToUtf8(TrimView(StripQuotes(name)));
  }
  return info;
}

}  // namespace moriva
