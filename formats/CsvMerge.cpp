#include "formats/CsvMerge.h"

#include <algorithm>
#include <utility>
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

namespace {

// The records of a CSV file's lines after the header, merged as they come: a record runs on
// over the lines that do not start a new one (the first such line joined by "\",\"", as the
// handset's line breaks inside a field cut it there).
class TCsvMergeRun {
 public:
  TCsvMergeRun(TLineList& schedule, size_t expectedAdds) : merger_(schedule, expectedAdds) {}

  void Line(std::string_view line) {
    if (pending_ && !StartsNewRecord(line)) {
      if (!joined_) record_ += "\",\"";
      joined_ = true;
      record_ += line;
      return;
    }
    Flush();
    if (line.empty()) {
      ++result_.EmptyLines;
      return;
    }
    record_.assign(line);
    pending_ = true;
    joined_ = false;
  }

  TMergeResult Finish() {
    Flush();
    return result_;
  }

 private:
  void Flush() {
    if (!pending_) return;
    pending_ = false;
    std::optional<std::string> line = CsvRecordToScheduleLine(record_);
    if (!line)
      ++result_.Skipped;
    else if (merger_.Add(std::move(*line)))
      ++result_.Added;
    else
      ++result_.Duplicates;
  }

  TScheduleMerger merger_;
  TMergeResult result_;
  std::string record_;
  bool pending_ = false;
  bool joined_ = false;
};

}  // namespace

TMergeResult MergeCsvLines(const TLineList& csvLines, TLineList& schedule) {
  TCsvMergeRun run(schedule, csvLines.Count());
  const std::vector<std::string>& lines = csvLines.Lines();
  for (size_t i = 1; i < lines.size(); ++i) run.Line(lines[i]);
  return run.Finish();
}

TLineList ReadCsvFile(const std::filesystem::path& fileName) {
  TLineList csv;
  csv.SetText(ForeignTextToCp932(ReadFileBytes(fileName)));
  return csv;
}

TMergeResult MergeCsvFile(const std::filesystem::path& fileName, TLineList& schedule) {
  // Merged from the text, without a list of its lines beside it.
  const std::string text = ForeignTextToCp932(ReadFileBytes(fileName));
  TCsvMergeRun run(schedule, static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
  bool header = true;
  VisitLines(text, [&](std::string_view line) {
    if (!std::exchange(header, false)) run.Line(line);
  });
  return run.Finish();
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
