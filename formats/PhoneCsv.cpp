#include "formats/PhoneCsv.h"

#include <optional>
#include <vector>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "calendar/SeriesLine.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

constexpr size_t kItemTextField = 6;

TCsvRow MissingField(size_t index) {
  return {TCsvRowStatus::MissingField,
          "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")"};
}

// The rows of a series: one per occurrence of the kPhoneSeriesDays days from today, dated as
// the editor writes dates. False for a line that cannot be read or whose text is no item.
bool AppendSeriesRows(std::string_view line, int32_t today, const THolidayTest& holidays,
                      TSeries& series, std::vector<std::string>& rows) {
  if (ParseSeriesLine(line, series) != TSeriesLineKind::Series) return false;
  const std::optional<TItemParts> parts = SplitItemText(series.Text);
  if (!parts) return false;
  TOccurrences(series.Rule, holidays)
      .ForEach(today, today + kPhoneSeriesDays - 1, [&](JuliusDay z) {
        int32_t y;
        uint8_t m, d;
        JuliusToDate(z, y, m, d);
        const std::string date =
            std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d);
        rows.push_back(
            JoinCommaText({parts->Subject, date, parts->Time, parts->AlarmFlag, parts->Place}));
      });
  return true;
}

}  // namespace

std::string CsvOutWarningText() {
  return "これは，H\"へ送信するためのCSVファイルを生成するためのメニューです。\r\n"
         "「Moriva」で読みとることはできません。\r\n"
         "\r\n"
         "続けますか？";
}

std::string PhoneCsvHeader() {
  return Utf8ToCp932("\"件名\",\"開始日\",\"開始時刻\",\"ｱﾗｰﾑ ｵﾝ/ｵﾌ\",\"場所\"");
}

TCsvRow ConvertScheduleLine(std::string_view line, int32_t today) {
  std::vector<std::string> fields = SplitCommaText(line);
  // Fields 0, 2 and 3 make the date; report the first one that is missing.
  if (fields.size() < 4) return MissingField(fields.empty() ? 0 : fields.size() < 3 ? 2 : 3);
  std::string dateText = fields[0] + "/" + fields[2] + "/" + fields[3];
  std::optional<int32_t> date = StoredDateToJulius(fields[0], fields[2], fields[3]);
  if (!date)
    return {TCsvRowStatus::BadDate, "'" + Cp932ToUtf8(dateText) + "' は日付ではありません"};
  if (*date < today) return {TCsvRowStatus::BeforeToday, {}};
  if (fields.size() <= kItemTextField) return MissingField(kItemTextField);
  std::optional<TItemParts> parts = SplitItemText(fields[kItemTextField]);
  // A text of three parts or fewer lacks at least the alarm part.
  if (!parts) return MissingField(3);
  return {TCsvRowStatus::Exported,
          JoinCommaText({parts->Subject, dateText, parts->Time, parts->AlarmFlag, parts->Place})};
}

std::string ScheduleLineToCsvRow(std::string_view line, int32_t today) {
  TCsvRow row = ConvertScheduleLine(line, today);
  switch (row.Status) {
    case TCsvRowStatus::BadDate:
      throw EConvertError(row.Text);
    case TCsvRowStatus::MissingField:
      throw EListError(row.Text);
    default:
      return row.Text;
  }
}

TLineList BuildPhoneCsv(const TLineList& schedule, int32_t today, TPhoneCsvCounts* counts,
                        const THolidayTest& holidays) {
  std::vector<std::string> lines{PhoneCsvHeader()};
  TPhoneCsvCounts n;
  TSeries series;
  for (const std::string& line : schedule) {
    if (IsSeriesLine(line)) {
      const size_t before = lines.size();
      if (!AppendSeriesRows(line, today, holidays, series, lines)) ++n.LeftOut;
      for (size_t i = before; i < lines.size(); ++i)
        lines[i] = ToHandsetCp932(lines[i], n.Replaced);
      n.Series += lines.size() > before;
      n.SeriesRows += lines.size() - before;
      continue;
    }
    TCsvRow row = ConvertScheduleLine(line, today);
    if (row.Status == TCsvRowStatus::Exported)
      lines.push_back(ToHandsetCp932(row.Text, n.Replaced));
    else if (row.Status != TCsvRowStatus::BeforeToday)
      ++n.LeftOut;
  }
  if (counts) *counts = n;
  return TLineList(std::move(lines));
}

std::string PhoneSeriesNote(const TPhoneCsvCounts& counts) {
  if (counts.Series == 0) return {};
  return "繰り返し予定 " + std::to_string(counts.Series) + " 件は今日から " +
         std::to_string(kPhoneSeriesDays) + " 日分、" + std::to_string(counts.SeriesRows) +
         " 件の予定にしました。";
}

std::string PhoneReplacedNote(size_t replaced) {
  if (replaced == 0) return {};
  return "H\"で表せない文字 " + std::to_string(replaced) + " 字を 〓 にしました。";
}

std::string PhoneCsvNote(const TPhoneCsvCounts& counts) {
  const std::string series = PhoneSeriesNote(counts);
  const std::string replaced = PhoneReplacedNote(counts.Replaced);
  return series.empty() || replaced.empty() ? series + replaced : series + "\r\n" + replaced;
}

void SavePhoneCsv(const std::filesystem::path& path, const TLineList& csv, TFileAccess access) {
  csv.SaveToFile(path, access);
}

}  // namespace moriva
