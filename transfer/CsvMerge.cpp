#include "transfer/CsvMerge.h"

#include <unordered_set>
#include <vector>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

// Letter case is folded for single-byte characters only: stepping by CP932 characters keeps
// a trail byte that looks like an ASCII letter (as in ア, 0x83 0x41) from matching another
// character (ヂ, 0x83 0x61).
template <typename Map>
std::string MapAsciiLetters(std::string_view s, Map map) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    size_t n = CharLength(out, i);
    if (n == 1) out[i] = map(out[i]);
    i += n;
  }
  return out;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Two lines are the same schedule line when their case-folded texts are equal.
std::string LineKey(std::string_view line) {
  return MapAsciiLetters(line, AsciiLower);
}

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
  return JoinScheduleLine(ymd[0], ymd[1], ymd[2], subject, place, time,
                          MapAsciiLetters(alarm, AsciiUpper));
}

TAddResult AddCsvRecord(std::string_view record, TLineList& specialDayList) {
  std::optional<std::string> line = CsvRecordToScheduleLine(record);
  if (!line) return TAddResult::Unreadable;
  const std::string key = LineKey(*line);
  for (const std::string& l : specialDayList)
    if (l.size() == key.size() && LineKey(l) == key) return TAddResult::Duplicate;
  specialDayList.Add(std::move(*line));
  return TAddResult::Added;
}

TMergeResult MergeCsvLines(const TLineList& csvLines, TLineList& specialDayList) {
  TMergeResult result;
  std::unordered_set<std::string> present;
  present.reserve(specialDayList.Count() + csvLines.Count());
  for (const std::string& l : specialDayList) present.insert(LineKey(l));

  UpdateScope scope(specialDayList);
  const std::vector<std::string>& lines = csvLines.Lines();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) {
      ++result.EmptyLines;
      continue;
    }
    std::string record = lines[i];
    for (bool first = true; i + 1 < lines.size() && !StartsNewRecord(lines[i + 1]); ++i) {
      if (first) record += "\",\"";
      first = false;
      record += lines[i + 1];
    }
    std::optional<std::string> line = CsvRecordToScheduleLine(record);
    if (!line) {
      ++result.Skipped;
    } else if (present.insert(LineKey(*line)).second) {
      specialDayList.Add(std::move(*line));
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
