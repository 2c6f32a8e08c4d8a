#include "formats/LineMerge.h"

#include <utility>
#include <vector>

#include "base/Cp932.h"

namespace moriva {
namespace {

// A hash that agrees with SameTextAscii (FNV-1a over the case-folded bytes).
uint32_t FoldedHash(std::string_view s) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < s.size();) {
    size_t n = CharLength(s, i);
    h = (h ^ static_cast<unsigned char>(n == 1 ? AsciiLower(s[i]) : s[i])) * 16777619u;
    if (n == 2) h = (h ^ static_cast<unsigned char>(s[i + 1])) * 16777619u;
    i += n;
  }
  return h;
}

}  // namespace

// The lines of a list by their case-folded text: an open-addressing table of (hash, index)
// pairs in one array. A lookup touches one run of slots and compares texts only where the
// hashes agree, so a merge stays linear even when the schedule outgrows the caches.
class TLineIndex {
 public:
  TLineIndex(const TLineList& list, size_t expectedAdds) : lines_(list.Lines()) {
    Resize(lines_.size() + expectedAdds);
    for (size_t i = 0; i < lines_.size(); ++i) Add(i, FoldedHash(lines_[i]));
  }

  bool Contains(std::string_view line, uint32_t hash) const {
    for (size_t p = hash & mask_; slots_[p].index != kEmpty; p = (p + 1) & mask_)
      if (slots_[p].hash == hash && SameTextAscii(lines_[slots_[p].index], line)) return true;
    return false;
  }

  // Records line `index` of the list, whose folded hash is `hash`.
  void Add(size_t index, uint32_t hash) {
    if (2 * (count_ + 1) > slots_.size()) Resize(2 * (count_ + 1));
    Place(index, hash);
    ++count_;
  }

 private:
  // Slots of 8 bytes keep the table small next to the lines themselves; a list never holds
  // anywhere near 2^32 lines (each takes far more than one byte of memory).
  static constexpr uint32_t kEmpty = UINT32_MAX;
  struct Slot {
    uint32_t hash = 0;
    uint32_t index = kEmpty;
  };

  void Place(size_t index, uint32_t hash) {
    size_t p = hash & mask_;
    while (slots_[p].index != kEmpty) p = (p + 1) & mask_;
    slots_[p] = {hash, static_cast<uint32_t>(index)};
  }

  // At most half of the slots are used, so probe runs stay short.
  void Resize(size_t entries) {
    size_t capacity = 16;
    while (capacity < 2 * entries) capacity <<= 1;
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(capacity));
    mask_ = capacity - 1;
    for (const Slot& s : old)
      if (s.index != kEmpty) Place(s.index, s.hash);
  }

  const std::vector<std::string>& lines_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t count_ = 0;
};

TScheduleMerger::TScheduleMerger(TLineList& list, size_t expectedAdds)
    : list_(list), index_(std::make_unique<TLineIndex>(list, expectedAdds)) {
  list_.BeginUpdate();
}

TScheduleMerger::~TScheduleMerger() {
  list_.EndUpdate();
}

bool TScheduleMerger::Contains(const std::string& line) const {
  return index_->Contains(line, FoldedHash(line));
}

bool TScheduleMerger::Add(std::string line) {
  const uint32_t hash = FoldedHash(line);
  if (index_->Contains(line, hash)) return false;
  list_.Add(std::move(line));
  index_->Add(list_.Count() - 1, hash);
  return true;
}

std::string ImportCountsText(size_t added, size_t duplicates, size_t skipped) {
  return "追加 " + std::to_string(added) + " 件，登録済み " + std::to_string(duplicates) +
         " 件，読み飛ばし " + std::to_string(skipped) + " 件";
}

}  // namespace moriva
