#include "base/LineList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include "base/AtomicFileWriter.h"
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

namespace {

// Calls `line(begin, length)` for every line of `text` by the line list's rule. The ends are
// found with memchr, which scans many bytes at a time: for each of CR and LF the next
// occurrence is looked up once and reused until the scan passes it, so the text is read about
// twice in all, however many lines it has.
template <typename F>
void ForEachLine(std::string_view text, F&& line) {
  const char* p = text.data();
  const char* end = p + text.size();
  if (const void* nul = std::memchr(p, '\0', text.size())) end = static_cast<const char*>(nul);
  auto next = [end](const char* from, char c) {
    const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
  };
  const char* cr = p < end ? next(p, '\r') : end;
  const char* lf = p < end ? next(p, '\n') : end;
  while (p < end) {
    if (cr < p) cr = next(p, '\r');
    if (lf < p) lf = next(p, '\n');
    const char* stop = cr < lf ? cr : lf;
    line(p, static_cast<size_t>(stop - p));
    p = stop;
    if (p < end && *p == '\r') ++p;
    if (p < end && *p == '\n') ++p;
  }
}

// The one stretch that covers `first` and then `second` (made on the list `first` left).
TLineStretch Merged(const TLineStretch& first, const TLineStretch& second) {
  const size_t pos = std::min(first.Pos, second.Pos);
  // The end of both, in the positions between the two changes; past the end of either, a
  // line moves by what that change added less what it removed.
  const size_t between = std::max(first.Pos + first.Added, second.Pos + second.Removed);
  return {pos, between - first.Added + first.Removed - pos,
          between - second.Removed + second.Added - pos};
}

// The stretch between the common beginning and the common end of two versions.
TLineStretch Difference(const std::vector<std::string>& before,
                        const std::vector<std::string>& after) {
  const size_t shorter = std::min(before.size(), after.size());
  size_t head = 0;
  while (head < shorter && before[head] == after[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  return {head, before.size() - head - tail, after.size() - head - tail};
}

}  // namespace

void VisitLines(std::string_view text, const std::function<void(std::string_view)>& line) {
  ForEachLine(text, [&line](const char* begin, size_t length) { line({begin, length}); });
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text,
              [&lines](const char* begin, size_t length) { lines.emplace_back(begin, length); });
  return lines;
}

const std::string& TLineList::operator[](size_t index) const {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return lines_[index];
}

void TLineList::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed({lines_.size() - 1, 0, 1});
}

void TLineList::Insert(size_t index, std::string line) {
  if (index > lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
  Changed({index, 0, 1});
}

void TLineList::Put(size_t index, std::string line) {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_[index] = std::move(line);
  Changed({index, 1, 1});
}

void TLineList::Delete(size_t index) {
  if (index >= lines_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  Changed({index, 1, 0});
}

void TLineList::Clear() {
  if (lines_.empty()) return;
  const size_t removed = lines_.size();
  lines_.clear();
  Changed({0, removed, 0});
}

void TLineList::Assign(const TLineList& other) {
  if (&other == this) return;
  const TLineStretch stretch = Difference(lines_, other.lines_);
  lines_ = other.lines_;
  Changed(stretch);
}

void TLineList::Assign(std::vector<std::string> lines) {
  const TLineStretch stretch = Difference(lines_, lines);
  lines_ = std::move(lines);
  Changed(stretch);
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
  // A text held inside one of the list's own short strings would move when the list grows.
  const auto* slots = reinterpret_cast<const char*>(lines_.data());
  const std::less<const char*> before;
  if (!before(text.data(), slots) &&
      before(text.data(), slots + lines_.size() * sizeof(std::string))) {
    Assign(SplitLines(text));
    return;
  }
  // The lines are written into the strings already there, whose buffers are reused, so that
  // reading a file over a list of about its size allocates almost nothing.
  const size_t count = lines_.size();
  size_t n = 0;
  ForEachLine(text, [this, &n](const char* begin, size_t length) {
    if (n < lines_.size())
      lines_[n].assign(begin, length);
    else
      lines_.emplace_back(begin, length);
    ++n;
  });
  lines_.resize(n);
  Changed({0, count, n});
}

namespace {

// Reads the file's lines by SetText's rule a block at a time, so that a large file never sits
// in memory beside its lines. EFileError as ReadFileBytes throws it.
void ReadLines(const std::filesystem::path& path, std::vector<std::string>& lines) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError(CannotOpenMessage(path));
  const std::unique_ptr<const int, void (*)(const int*)> closer(&fd,
                                                                [](const int* f) { close(*f); });
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) throw EFileError(CannotOpenMessage(path));
  // A schedule line is some fifty bytes: room for most of them at once spares the regrowth.
  if (S_ISREG(st.st_mode)) lines.reserve(static_cast<size_t>(st.st_size) / 48 + 16);
  constexpr size_t kBlock = 1 << 20;
  std::string buf;
  bool ended = false;  // end of file, or a NUL
  while (!ended) {
    const size_t kept = buf.size();
    buf.resize(kept + kBlock);
    ssize_t n;
    do n = read(fd, buf.data() + kept, kBlock);
    while (n < 0 && errno == EINTR);
    if (n < 0) throw EFileError(CannotOpenMessage(path));
    buf.resize(kept + static_cast<size_t>(n));
    if (n == 0) ended = true;
    if (const void* nul = std::memchr(buf.data() + kept, '\0', static_cast<size_t>(n))) {
      buf.resize(static_cast<size_t>(static_cast<const char*>(nul) - buf.data()));
      ended = true;
    }
    // Lines whose end is known: an LF, or a CR with a byte after it (a CR last in the block may
    // still be followed by an LF).
    size_t upTo = buf.size();
    if (!ended) {
      size_t last = buf.rfind('\n');
      if (buf.size() >= 2) {
        const size_t cr = buf.rfind('\r', buf.size() - 2);
        if (cr != std::string::npos && (last == std::string::npos || cr > last)) last = cr;
      }
      if (last == std::string::npos) continue;
      upTo = last + 1;
    }
    ForEachLine(std::string_view(buf.data(), upTo),
                [&lines](const char* begin, size_t length) { lines.emplace_back(begin, length); });
    buf.erase(0, upTo);
  }
}

}  // namespace

void TLineList::LoadFromFile(const std::filesystem::path& path) {
  // A list that holds lines reads the whole file first, so that a failed read changes nothing
  // and the lines' buffers are reused; an empty one reads block by block.
  if (!lines_.empty()) {
    SetText(ReadFileBytes(path));
    return;
  }
  try {
    ReadLines(path, lines_);
  } catch (...) {
    std::vector<std::string>().swap(lines_);
    throw;
  }
  Changed({0, 0, lines_.size()});
}

void TLineList::SaveToFile(const std::filesystem::path& path, TFileAccess access) const {
  // Written in blocks, so that a large list never sits in memory twice.
  TAtomicFileWriter file(path, access);
  std::string block;
  block.reserve((1 << 20) + 4096);
  for (const auto& l : lines_) {
    block += l;
    block += "\r\n";
    if (block.size() >= (1 << 20)) {
      file.Write(block);
      block.clear();
    }
  }
  file.Write(block);
  file.Commit();
}

void TLineList::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && pending_change_) {
    pending_change_ = false;
    Tell();
  }
}

void TLineList::Changed(TLineStretch stretch) {
  if (OnChange) {
    if (changes_.size() == kMaxStretches) {
      for (size_t i = 1; i < changes_.size(); ++i) changes_[0] = Merged(changes_[0], changes_[i]);
      changes_.resize(1);
    }
    changes_.push_back(stretch);
  }
  if (update_count_ > 0) {
    pending_change_ = true;
    return;
  }
  Tell();
}

void TLineList::Tell() {
  if (OnChange) OnChange();
  changes_.clear();
}

}  // namespace moriva
