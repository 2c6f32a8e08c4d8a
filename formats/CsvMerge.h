#pragma once
// Importing the handset's CSV files into the schedule. The first line is a header; every
// further record becomes one schedule line, appended at the end of the list unless an equal
// line (ignoring ASCII letter case) is already there. Nothing is ever removed or replaced.
//
// Records come in two layouts, told apart by their number of comma-text fields:
//   exactly 5:       subject,place,date,time,alarm
//   4, or 6 or more: subject,date,time,alarm[,...]   (place empty)
// The date is year/month/day, each part kept as the file writes it ("2003/05/01" gives the day
// key 2003,2003,05,01,,,); the time is kept as it stands; the alarm word is upper-cased (ASCII
// letters only), so "true"/"False" become the stored "TRUE"/"FALSE".
//
// A line that does not begin with a double quote, or begins with a double quote and a comma,
// continues the record before it: the first such line is joined with `","` between, each
// further one directly.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/LineList.h"

namespace moriva {

// The question CsvIn asks before it opens a file (UTF-8; lines separated by CR LF).
std::string CsvInWarningText();

// The schedule line for one record, or nullopt when the record cannot be read (fewer than
// four fields, or a date of fewer than three parts).
std::optional<std::string> CsvRecordToScheduleLine(std::string_view record);

enum class TAddResult { Added, Duplicate, Unreadable };

// Adds one record's line to the list unless an equal line is there; looks through the whole
// list. For many records use MergeCsvLines, which indexes the list once.
TAddResult AddCsvRecord(std::string_view record, TLineList& schedule);

struct TMergeResult {
  size_t Added = 0;       // lines appended to the list
  size_t Duplicates = 0;  // records whose line was already there
  size_t Skipped = 0;     // records that could not be read, passed over
  size_t EmptyLines = 0;  // empty lines, passed over (they carry nothing)

  bool operator==(const TMergeResult&) const = default;
};

// Merges every record of a CSV file held as lines (line 0, the header, is skipped). An empty
// line ends the record before it; an unreadable record is counted and passed over, and the
// merge goes on to the end. The list sends one change notice at the end (when anything was
// added). Duplicates are found through an index of the list's lines, so a merge costs time in
// proportion to the lines involved, with the same result as looking through the list for
// every record.
TMergeResult MergeCsvLines(const TLineList& csvLines, TLineList& schedule);

// A CSV file as lines of CP932 text. Phones and spreadsheets write UTF-8 (with or without a
// byte-order mark) or UTF-16, the handset and this program CP932: ForeignTextToCp932 tells
// them apart, so a file the program wrote reads byte for byte as it was written. A file that
// cannot be read throws EFileError "ファイル %s は開けません".
TLineList ReadCsvFile(const std::filesystem::path& fileName);

// Reads the file (ReadCsvFile) and merges it; a file that cannot be read changes nothing. The
// caller then commits the change (TScheduleDocument::ListEdited, which also sets Modified) and
// shows CsvImportMessage, or MergeCompletionMessage after a receive from the handset.
TMergeResult MergeCsvFile(const std::filesystem::path& fileName, TLineList& schedule);

// After a receive from the handset: "同期完了しました。", followed, when records were passed
// over, by a line that says how many.
inline constexpr std::string_view kMergeDoneText = "同期完了しました。";
std::string MergeCompletionMessage(const TMergeResult& result);

// After CSV読込: kCsvImportDoneText and the counts (ImportCountsText).
inline constexpr std::string_view kCsvImportDoneText = "CSVファイルの予定を読み込みました。";
std::string CsvImportMessage(const TMergeResult& result);

}  // namespace moriva
