#pragma once
// Private-profile INI files ("hs110.ini"): [section] lines, then key=value lines. Reading and
// writing follow the profile functions the program was designed on:
// - section and key names compare without regard to ASCII letter case; the first section and
//   the first key of a name win;
// - names and values are trimmed of blanks and tabs; a value enclosed in a matching pair of
//   double or single quotes is read without them;
// - a value is read into 2048 characters, so at most 2047 bytes are seen (a double-byte
//   character is never cut in half);
// - a missing or unreadable file, section or key reads as the default (trailing blanks of the
//   default dropped);
// - writing replaces the key's line, or adds the key at the end of its section, or adds the
//   section at the end of the file, or creates the file; every other line (other sections and
//   keys, comments, blank lines) is kept as it was;
// - the file is written atomically, lines ending in CR LF; a failure throws EFileError
//   "%s に書き込めません" and leaves the old file as it was;
// - a new file is the owner's alone (0600); an existing one keeps its permission bits unless a
//   key whose name ends in "password" has (or had, when read) a value, which takes group and
//   others' bits away.
// Names and values are CP932 bytes as the file holds them; paths are the platform's.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

// One INI file held in memory, for callers that read or write several keys at once.
class TIniFile {
 public:
  // Reads the file; a missing or unreadable one gives an empty file. A file that exists but
  // cannot be read is remembered, so that Save never replaces what it could not see.
  explicit TIniFile(std::filesystem::path path);

  const std::filesystem::path& Path() const { return path_; }
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Changes the text in memory only. Line breaks and anything after a NUL cannot be stored in
  // a line of the file: the value ends at a NUL, and CR and LF are left out.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the file atomically; EFileError "%s に書き込めません" on failure.
  void Save() const;

 private:
  std::filesystem::path path_;
  std::vector<std::string> lines_;
  bool unreadable_ = false;
  bool held_password_ = false;  // as read: a password moved elsewhere still leaves the file private
};

// One read or one write, opening and closing the file each time, as every user of a setting
// does (nothing is cached between uses).
std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::filesystem::path& path);
void WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path);

// "%s に書き込めません" for a path.
std::string CannotWriteMessage(const std::filesystem::path& path);

}  // namespace moriva
