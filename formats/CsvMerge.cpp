#include "formats/CsvMerge.h"

#include <vector>

#include "base/Charset.h"
#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "formats/LineMerge.h"
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

TAddResult AddCsvRecord(std::string_view record, TLineList& schedule) {
  std::optional<std::string> line = CsvRecordToScheduleLine(record);
  if (!line) return TAddResult::Unreadable;
  for (const std::string& l : schedule)
    if (SameTextAscii(l, *line)) return TAddResult::Duplicate;
  schedule.Add(std::move(*line));
  return TAddResult::Added;
}

TMergeResult MergeCsvLines(const TLineList& csvLines, TLineList& schedule) {
  TMergeResult result;
  TScheduleMerger merger(schedule, csvLines.Count());
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
    } else if (merger.Add(std::move(*line))) {
      ++result.Added;
    } else {
      ++result.Duplicates;
    }
  }
  return result;
}

TLineList ReadCsvFile(const std::filesystem::path& fileName) {
  TLineList csv;
  csv.SetText(ForeignTextToCp932(ReadFileBytes(fileName)));
  return csv;
}

TMergeResult MergeCsvFile(const std::filesystem::path& fileName, TLineList& schedule) {
  return MergeCsvLines(ReadCsvFile(fileName), schedule);
}

std::string MergeCompletionMessage(const TMergeResult& result) {
  std::string text(kMergeDoneText);
  if (result.Skipped > 0)
    text +=
        "\r\n読み取れないレコード " + std::to_string(result.Skipped) + " 件を読み飛ばしました。";
  return text;
}

std::string CsvImportMessage(const TMergeResult& result) {
  return std::string(kCsvImportDoneText) + "\r\n" +
         ImportCountsText(result.Added, result.Duplicates, result.Skipped);
}

}  // namespace moriva
