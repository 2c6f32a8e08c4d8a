#include "formats/PhoneCsv.h"

#include <optional>
#include <vector>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

constexpr size_t kItemTextField = 6;

TCsvRow MissingField(size_t index) {
  return {TCsvRowStatus::MissingField,
          "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")"};
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

TLineList BuildPhoneCsv(const TLineList& schedule, int32_t today, size_t* leftOut) {
  std::vector<std::string> lines{PhoneCsvHeader()};
  size_t bad = 0;
  for (const std::string& line : schedule) {
    TCsvRow row = ConvertScheduleLine(line, today);
    if (row.Status == TCsvRowStatus::Exported)
      lines.push_back(std::move(row.Text));
    else if (row.Status != TCsvRowStatus::BeforeToday)
      ++bad;
  }
  if (leftOut) *leftOut = bad;
  return TLineList(std::move(lines));
}

void SavePhoneCsv(const std::filesystem::path& path, const TLineList& csv, TFileAccess access) {
  csv.SaveToFile(path, access);
}

}  // namespace moriva
