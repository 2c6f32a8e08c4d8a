#pragma once
// The line list: an ordered list of byte strings (CP932), the program's container for files
// and day lists. It tells an owner about changes: after every change, or once per
// BeginUpdate/EndUpdate bracket that changed something.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileIO.h"

namespace moriva {

// One stretch of a change: lines [Pos, Pos + Removed) of the list as it was were replaced by
// the lines [Pos, Pos + Added) of the list as it became.
struct TLineStretch {
  size_t Pos = 0;
  size_t Removed = 0;
  size_t Added = 0;
  bool operator==(const TLineStretch&) const = default;
};

class TLineList {
 public:
  TLineList() = default;
  TLineList(std::initializer_list<std::string> lines) : lines_(lines) {}
  explicit TLineList(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  // Copies take the lines only; the change handler stays with its owner.
  TLineList(const TLineList& other) : lines_(other.lines_) {}
  TLineList& operator=(const TLineList& other) {
    Assign(other);
    return *this;
  }

  size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  // Index access; an index outside 0..Count-1 throws EListError.
  const std::string& operator[](size_t index) const;
  const std::string& Get(size_t index) const { return (*this)[index]; }
  const std::vector<std::string>& Lines() const { return lines_; }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

  void Add(std::string line);
  void Insert(size_t index, std::string line);  // index 0..Count
  void Put(size_t index, std::string line);
  void Delete(size_t index);
  void Clear();
  void Assign(const TLineList& other);  // copies the lines
  void Assign(std::vector<std::string> lines);

  // Index of the first line equal to `s` ignoring ASCII letter case (SameTextAscii), or -1.
  int IndexOf(std::string_view s) const;

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines by those of `text`: split at CR, LF or CR LF, a NUL ends the text,
  // text after the last line end is a last line; an empty text gives an empty list.
  void SetText(std::string_view text);

  void LoadFromFile(const std::filesystem::path& path);  // EFileError when unreadable
  // Atomic; EFileError on failure.
  void SaveToFile(const std::filesystem::path& path,
                  TFileAccess access = TFileAccess::FollowUmask) const;

  // Change notices are held back inside a bracket and given once at its end if needed.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  std::function<void()> OnChange;
  // While OnChange runs: what changed, as stretches in the order they were made, each in the
  // positions the one before it left (a whole new text is one stretch over everything). Kept
  // only for a list with an OnChange, and merged into fewer, wider stretches past a handful, so
  // that the owner of a long list can follow a small edit without looking at every line.
  const std::vector<TLineStretch>& Changes() const { return changes_; }

  bool operator==(const TLineList& other) const { return lines_ == other.lines_; }

 private:
  void Changed(TLineStretch stretch);
  void Tell();
  static constexpr size_t kMaxStretches = 8;

  std::vector<std::string> lines_;
  std::vector<TLineStretch> changes_;
  int update_count_ = 0;
  bool pending_change_ = false;
};

// Splits a text into lines by the line list's rule.
std::vector<std::string> SplitLines(std::string_view text);
// Calls `line` with each line of a text, by the same rule, without copying the lines.
void VisitLines(std::string_view text, const std::function<void(std::string_view)>& line);

// The lower-case form of an ASCII letter; every other byte unchanged.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Case-insensitive for ASCII letters only; CP932 double-byte characters compare exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace moriva
