#pragma once
// The handset's schedule file "SCHEDULE.CSV": a fixed header line, then one row per schedule
// item dated today or later, in list order:
//
//   件名,開始日,開始時刻,ｱﾗｰﾑ ｵﾝ/ｵﾌ,場所      (captions, each in double quotes)
//   subject,year/month/day,time,alarm,place   (comma text; date parts as stored)
//
// CP932 bytes as held, every line (the last included) ending in CR LF. The handset reads this
// column order only; the import reads the handset's own order, so this file does not merge
// back.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "calendar/HolidayLines.h"

namespace moriva {

inline constexpr std::string_view kPhoneCsvFileName = "SCHEDULE.CSV";
inline constexpr std::string_view kCsvFileFilter = "CSVファイル(*.csv)|*.csv|全て(*.*)|*.*";
inline constexpr std::string_view kCsvFileExtension = ".csv";

// The question CsvOut asks before it builds the file (UTF-8; lines separated by CR LF).
std::string CsvOutWarningText();

// The header line, CP932.
std::string PhoneCsvHeader();

enum class TCsvRowStatus {
  Exported,     // Text is the row
  BeforeToday,  // dated before today: not exported, Text empty
  BadDate,      // year/month/day do not form a date; Text is the error message (UTF-8)
  MissingField  // fewer than seven fields or an item text of fewer than four parts; Text as above
};

struct TCsvRow {
  TCsvRowStatus Status = TCsvRowStatus::Exported;
  std::string Text;
};

// Converts one line of the schedule. `today` is a Julian day number; the item's date is
// compared with it in whole days, and items dated today or later are exported. The date
// column is field 0 "/" field 2 "/" field 3 as stored; the parse accepts a year of one to four
// digits and a month and day of one or two digits, and refuses impossible dates.
TCsvRow ConvertScheduleLine(std::string_view line, int32_t today);

// As ConvertScheduleLine, with the failures raised: EConvertError "'%s' は日付ではありません"
// for a bad date, EListError "リストのインデックスが範囲を超えています (%d)" for a missing
// field or part. Returns "" for an item dated before today.
std::string ScheduleLineToCsvRow(std::string_view line, int32_t today);

// The handset knows no repeating items: a series is sent as plain rows, one per occurrence
// from today on for this many days.
inline constexpr int32_t kPhoneSeriesDays = 365;

struct TPhoneCsvCounts {
  size_t LeftOut = 0;     // lines that are not schedule items
  size_t Series = 0;      // series with at least one row
  size_t SeriesRows = 0;  // rows that came from them
  size_t Replaced = 0;    // characters the handset's code cannot spell, sent as 〓
};

// The header line and the row of every item of `schedule` dated today or later, in list
// order, in the handset's own code (ToHandsetCp932); a series gives a row for each occurrence of
// the kPhoneSeriesDays days from today (祝日を除く judged by `holidays`), by date, where its line
// stands. Lines that are not schedule items (a yearly day, a hand-written rule line, a line without
// a readable date) are left out rather than stopping the export, so that one such line never blocks
// sending the rest; the numbers go to *counts when asked for.
TLineList BuildPhoneCsv(const TLineList& schedule, int32_t today, TPhoneCsvCounts* counts = nullptr,
                        const THolidayTest& holidays = CurrentLawHolidays());

// The sentence the messages add about series ("" when none gave a row), UTF-8:
// "繰り返し予定 2 件は今日から 365 日分、104 件の予定にしました。"
std::string PhoneSeriesNote(const TPhoneCsvCounts& counts);
// The sentence about characters sent as 〓 ("" when none was), UTF-8:
// "H"で表せない文字 3 字を 〓 にしました。"
std::string PhoneReplacedNote(size_t replaced);
// What the messages after writing the handset's CSV add: both sentences above, each on a line
// of its own ("" when neither has anything to say).
std::string PhoneCsvNote(const TPhoneCsvCounts& counts);

// Writes the file atomically with CR LF line ends; EFileError "ファイル %s を作成できません".
// A file the user chose follows the umask; the one in "outgoing" is the owner's alone.
void SavePhoneCsv(const std::filesystem::path& path, const TLineList& csv,
                  TFileAccess access = TFileAccess::FollowUmask);

}  // namespace moriva
