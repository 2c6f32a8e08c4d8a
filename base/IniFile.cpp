#include "base/IniFile.h"

#include <optional>
#include <system_error>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "base/LineList.h"

namespace fs = std::filesystem;

namespace moriva {
namespace {

// The reader's buffer holds 2048 characters including the terminating NUL.
constexpr size_t kMaxValueBytes = 2047;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The name of a "[section]" line; the closing bracket is searched character by character,
// since 0x5D is also a trail byte.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  size_t i = 1;
  while (i < line.size() && line[i] != ']') i += CharLength(line, i);
  return Trim(line.substr(1, i - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  size_t eq = t.find('=');  // '=' is below the trail-byte range
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Cuts a text to what the reader's buffer can hold without splitting a character.
std::string_view Limit(std::string_view s) {
  if (s.size() <= kMaxValueBytes) return s;
  size_t i = 0;
  while (i < s.size()) {
    size_t n = CharLength(s, i);
    if (i + n > kMaxValueBytes) break;
    i += n;
  }
  return s.substr(0, i);
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// A name or value must stay on its line: it ends at a NUL, and line breaks are dropped.
std::string OneLine(std::string_view s) {
  s = s.substr(0, s.find('\0'));
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

// Index of the header line of the first section named `name`, or npos.
size_t FindSection(const std::vector<std::string>& lines, std::string_view name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string_view> s = SectionName(lines[i]);
    if (s && SameTextAscii(*s, name)) return i;
  }
  return std::string::npos;
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
  size_t i = header + 1;
  while (i < lines.size() && !SectionName(lines[i])) ++i;
  return i;
}

// Whether any key whose name ends in "password" has a value: such a file is the owner's alone.
bool HoldsPassword(const std::vector<std::string>& lines) {
  constexpr std::string_view kPassword = "password";
  for (const std::string& line : lines) {
    std::optional<KeyLine> kl = ParseKeyLine(line);
    if (kl && !kl->value.empty() && kl->key.size() >= kPassword.size() &&
        SameTextAscii(kl->key.substr(kl->key.size() - kPassword.size()), kPassword))
      return true;
  }
  return false;
}

}  // namespace

std::string CannotWriteMessage(const fs::path& path) {
  return path.string() + " に書き込めません";
}

TIniFile::TIniFile(fs::path path) : path_(std::move(path)) {
  try {
    lines_ = SplitLines(ReadFileBytes(path_));
    held_password_ = HoldsPassword(lines_);
  } catch (const EFileError&) {
    std::error_code ec;
    fs::file_status st = fs::status(path_, ec);
    unreadable_ = st.type() != fs::file_type::not_found;
  }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  size_t header = FindSection(lines_, section);
  if (header != std::string::npos) {
    size_t end = SectionEnd(lines_, header);
    for (size_t i = header + 1; i < end; ++i) {
      std::optional<KeyLine> kl = ParseKeyLine(lines_[i]);
      if (kl && SameTextAscii(kl->key, key)) return std::string(Limit(Unquote(kl->value)));
    }
  }
  while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
  return std::string(Limit(defaultValue));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sec = OneLine(section);
  const std::string k = OneLine(key);
  const std::string v = OneLine(value);
  size_t header = FindSection(lines_, sec);
  if (header == std::string::npos) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + sec + "]");
    lines_.push_back(k + "=" + v);
    return;
  }
  size_t end = SectionEnd(lines_, header);
  size_t last = header;  // the last non-blank line of the section
  for (size_t i = header + 1; i < end; ++i) {
    std::optional<KeyLine> kl = ParseKeyLine(lines_[i]);
    if (kl && SameTextAscii(kl->key, k)) {
      // The key keeps the spelling it has in the file.
      lines_[i] = std::string(kl->key) + "=" + v;
      return;
    }
    if (!Trim(lines_[i]).empty()) last = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), k + "=" + v);
}

void TIniFile::Save() const {
  if (unreadable_) throw EFileError(CannotWriteMessage(path_));
  try {
    WriteFileAtomically(path_, TLineList(lines_).Text(),
                        held_password_ || HoldsPassword(lines_) ? TFileAccess::OwnerOnly
                                                                : TFileAccess::PrivateWhenNew);
  } catch (const EFileError&) {
    throw EFileError(CannotWriteMessage(path_));
  }
}

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const fs::path& path) {
  return TIniFile(path).ReadString(section, key, defaultValue);
}

void WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const fs::path& path) {
  TIniFile ini(path);
  ini.WriteString(section, key, value);
  ini.Save();
}

}  // namespace moriva
