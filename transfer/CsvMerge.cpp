#include "transfer/CsvMerge.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

// Upper-cases ASCII letters only. Characters are stepped as CP932, so a trail byte that looks
// like a letter (ヂ is 0x83 0x61) is never changed into another character (ア, 0x83 0x41).
std::string AsciiUpperCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i))
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
  return out;
}

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

// Keeps the list's scope of change notices balanced when something throws.
class UpdateScope {
 public:
  explicit UpdateScope(TLineList& list) : list_(list) { list_.BeginUpdate(); }
  ~UpdateScope() { list_.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TLineList& list_;
};

bool StartsNewRecord(std::string_view line) {
  return line.empty() || (line[0] == '"' && !(line.size() >= 2 && line[1] == ','));
}

}  // namespace

std::string CsvInWarningText() {
  return "これは，H\"から送られてきたCSVファイルを手動で読み込むためのメニューです。\r\n"
         "「Moriva」が出力したCSVファイルを読み込むと，予定が重複してしまいます。\r\n"
         "\r\n"
         "続けますか？";
}

std::optional<std::string> CsvRecordToScheduleLine(std::string_view record) {
  std::vector<std::string> f = SplitCommaText(record);
  if (f.size() < 4) return std::nullopt;
  const bool withPlace = f.size() == 5;
  const std::string empty;
  const std::string& subject = f[0];
  const std::string& place = withPlace ? f[1] : empty;
  std::string date = withPlace ? f[2] : f[1];
  const std::string& time = withPlace ? f[3] : f[2];
  const std::string& alarm = withPlace ? f[4] : f[3];

  for (char& c : date)
    if (c == '/') c = ',';  // '/' is below the trail-byte range
  std::vector<std::string> ymd = SplitCommaText(date);
  if (ymd.size() < 3) return std::nullopt;
  return JoinScheduleLine(ymd[0], ymd[1], ymd[2], subject, place, time, AsciiUpperCase(alarm));
}

TAddResult AddCsvRecord(std::string_view record, TLineList& specialDayList) {
  std::optional<std::string> line = CsvRecordToScheduleLine(record);
  if (!line) return TAddResult::Unreadable;
  for (const std::string& l : specialDayList)
    if (SameTextAscii(l, *line)) return TAddResult::Duplicate;
  specialDayList.Add(std::move(*line));
  return TAddResult::Added;
}

TMergeResult MergeCsvLines(const TLineList& csvLines, TLineList& specialDayList) {
  TMergeResult result;
  TLineIndex present(specialDayList, csvLines.Count());
  UpdateScope scope(specialDayList);
  const std::vector<std::string>& lines = csvLines.Lines();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) {
      ++result.EmptyLines;
      continue;
    }
    // Most records are one line: they are read in place, and only continued ones are copied.
    std::string_view record = lines[i];
    std::string joined;
    for (; i + 1 < lines.size() && !StartsNewRecord(lines[i + 1]); ++i) {
      if (joined.empty()) joined.append(record).append("\",\"");
      joined += lines[i + 1];
      record = joined;
    }
    std::optional<std::string> line = CsvRecordToScheduleLine(record);
    if (!line) {
      ++result.Skipped;
    } else if (const uint32_t hash = FoldedHash(*line); !present.Contains(*line, hash)) {
      specialDayList.Add(std::move(*line));
      present.Add(specialDayList.Count() - 1, hash);
      ++result.Added;
    } else {
      ++result.Duplicates;
    }
  }
  return result;
}

TMergeResult MergeCsvFile(const std::filesystem::path& fileName, TLineList& specialDayList) {
  TLineList csv;
  csv.LoadFromFile(fileName);
  return MergeCsvLines(csv, specialDayList);
}

std::string MergeCompletionMessage(const TMergeResult& result) {
  std::string text(kMergeDoneText);
  if (result.Skipped > 0)
    text +=
        "\r\n読み取れないレコード " + std::to_string(result.Skipped) + " 件を読み飛ばしました。";
  return text;
}

}  // namespace moriva
