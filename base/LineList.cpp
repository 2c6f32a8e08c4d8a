#include "base/LineList.h"

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"

namespace moriva {
bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    // A double-byte character compares exactly: its trail byte may look like a letter
    // (ア is 83 41, ヂ is 83 61) and must not be folded.
    size_t n = CharLength(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
    i += n;
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t p = 0;
  while (p < text.size()) {
    size_t end = text.find_first_of("\r\n", p);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(p, end - p));
    p = end;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  return lines;
}

const std::string& TLineList::operator[](size_t index) const {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return lines_[index];
}

void TLineList::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void TLineList::Insert(size_t index, std::string line) {
  if (index > lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
  Changed();
}

void TLineList::Put(size_t index, std::string line) {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_[index] = std::move(line);
  Changed();
}

void TLineList::Delete(size_t index) {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  Changed();
}

void TLineList::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TLineList::Assign(const TLineList& other) {
  if (&other == this) return;
  lines_ = other.lines_;
  Changed();
}

void TLineList::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Changed();
}

int TLineList::IndexOf(std::string_view s) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (SameTextAscii(lines_[i], s)) return static_cast<int>(i);
  return -1;
}

std::string TLineList::Text() const {
  size_t total = 0;
  for (const auto& l : lines_) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void TLineList::SetText(std::string_view text) {
  Assign(SplitLines(text));
}

void TLineList::LoadFromFile(const std::filesystem::path& path) {
  SetText(ReadFileBytes(path));
}

void TLineList::SaveToFile(const std::filesystem::path& path) const {
  WriteFileAtomically(path, Text());
}

void TLineList::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && pending_change_) {
    pending_change_ = false;
    if (OnChange) OnChange();
  }
}

void TLineList::Changed() {
  if (update_count_ > 0) {
    pending_change_ = true;
    return;
  }
  if (OnChange) OnChange();
}

}  // namespace moriva
