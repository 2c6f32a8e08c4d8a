#include "calendar/SeasonalDays.h"

#include <algorithm>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/IntText.h"
#include "base/LineList.h"

namespace moriva {

// Generated at build time from resources/solarterms.txt.
extern const unsigned char kSolarTermText[];
extern const std::size_t kSolarTermTextSize;

namespace {

// Name indexes past the 24 solar terms.
enum : uint8_t {
  kSetsubun = 24,
  kHiganStart,
  kHiganEnd,
  kHachijuHachiya,
  kNyubai,
  kHangesho,
  kDoyoStart,
  kDoyoUshi,
  kNihyakuToka,
  kNihyakuHatsuka,
};

// What each column of a row holds: a solar term (its name index) or one of the other days.
constexpr std::array<uint8_t, 30> kColumns = {
    0,  kDoyoStart, 1,  2,  3,  4,  5,  6,  kDoyoStart, 7,  8,  9,  10, kNyubai, 11, kHangesho,
    12, kDoyoStart, 13, 14, 15, 16, 17, 18, kDoyoStart, 19, 20, 21, 22, 23};
constexpr size_t kRisshunColumn = 3, kShunbunColumn = 6, kShubunColumn = 22;
// Each 土用 runs from its start to the day before the next 立春, 立夏, 立秋 or 立冬.
constexpr std::pair<size_t, size_t> kDoyoColumns[] = {{1, 3}, {8, 10}, {17, 19}, {24, 26}};

// 2000-01-01 (day 2451545) was a 午 day; the twelve branches repeat, so 丑 days are those ≡ 0.
bool IsUshiDay(JuliusDay z) {
  return z % 12 == 0;
}

void AddYear(const TSolarTermYear& row, std::vector<TSeasonalDay>& out) {
  const auto add = [&out](JuliusDay day, uint8_t name) { out.push_back({day, name}); };
  for (size_t i = 0; i < kColumns.size(); ++i) add(row.Days[i], kColumns[i]);
  const JuliusDay risshun = row.Days[kRisshunColumn];
  add(risshun - 1, kSetsubun);
  add(risshun + 87, kHachijuHachiya);
  add(risshun + 209, kNihyakuToka);
  add(risshun + 219, kNihyakuHatsuka);
  for (size_t equinox : {kShunbunColumn, kShubunColumn}) {
    add(row.Days[equinox] - 3, kHiganStart);
    add(row.Days[equinox] + 3, kHiganEnd);
  }
  for (const auto& [start, end] : kDoyoColumns)
    for (JuliusDay z = row.Days[start]; z < row.Days[end]; ++z)
      if (IsUshiDay(z)) add(z, kDoyoUshi);
}

// Every seasonal day of the table by date, and for each day from the first covered one an index
// of its first entry, so that a day's names are found without a search (the month view asks
// for 42 days at each redraw).
struct TSeasonalIndex {
  std::vector<TSeasonalDay> All;
  JuliusDay First = 0;
  std::vector<uint16_t> Start;  // Start[z - First] .. Start[z - First + 1]: the entries of z
};

const TSeasonalIndex& Index() {
  static const TSeasonalIndex index = [] {
    TSeasonalIndex x;
    for (const TSolarTermYear& row : ParseSolarTermTable(SolarTermTableText())) AddYear(row, x.All);
    std::sort(x.All.begin(), x.All.end(), [](const TSeasonalDay& a, const TSeasonalDay& b) {
      return a.Day != b.Day ? a.Day < b.Day : a.Name < b.Name;
    });
    if (x.All.empty()) return x;
    x.First = x.All.front().Day;
    size_t entry = 0;
    for (JuliusDay z = x.First; z <= x.All.back().Day + 1; ++z) {
      while (entry < x.All.size() && x.All[entry].Day < z) ++entry;
      x.Start.push_back(static_cast<uint16_t>(entry));
    }
    return x;
  }();
  return index;
}

std::span<const TSeasonalDay> DaysBetween(JuliusDay first, JuliusDay last) {
  const TSeasonalIndex& x = Index();
  if (x.All.empty()) return {};
  const auto at = [&x](JuliusDay z) {
    const int64_t i = std::clamp<int64_t>(int64_t{z} - x.First, 0, x.Start.size() - 1);
    return x.All.begin() + x.Start[static_cast<size_t>(i)];
  };
  const auto begin = at(first), end = at(last + 1);
  return begin < end ? std::span<const TSeasonalDay>(begin, end) : std::span<const TSeasonalDay>();
}

}  // namespace

std::string_view SolarTermTableText() {
  return {reinterpret_cast<const char*>(kSolarTermText), kSolarTermTextSize};
}

std::vector<TSolarTermYear> ParseSolarTermTable(std::string_view text) {
  std::vector<TSolarTermYear> rows;
  for (const std::string& line : SplitLines(text)) {
    const std::vector<std::string> f = SplitCommaText(line);
    if (f.size() != 31) throw EConvertError("'" + line + "' は年と30の日ではありません");
    TSolarTermYear row;
    row.Year = StrToInt(f[0]);
    const JuliusDay newYear = DateToJulius(row.Year, 1, 1);
    const int32_t length = IsLeapYear(row.Year) ? 366 : 365;
    for (size_t i = 0; i < row.Days.size(); ++i) {
      const int32_t dayOfYear = StrToInt(f[i + 1]);
      if (dayOfYear < 1 || dayOfYear > length ||
          (i > 0 && newYear + dayOfYear - 1 <= row.Days[i - 1]))
        throw EConvertError("'" + line + "' の日がその年の中で昇順ではありません");
      row.Days[i] = newYear + dayOfYear - 1;
    }
    rows.push_back(row);
  }
  return rows;
}

std::span<const TSeasonalDay> SeasonalDaysOn(JuliusDay z) {
  return DaysBetween(z, z);
}

std::span<const TSeasonalDay> SeasonalDaysOfYear(int32_t year) {
  if (year < kSeasonalFirstYear || year > kSeasonalLastYear) return {};
  return DaysBetween(DateToJulius(year, 1, 1), DateToJulius(year, 12, 31));
}

std::string SeasonalDayText(JuliusDay z, std::string_view separator) {
  std::string text;
  for (const TSeasonalDay& s : SeasonalDaysOn(z)) {
    if (!text.empty()) text += separator;
    text += SeasonalDayNames[s.Name];
  }
  return text;
}

const std::string& TSeasonalDayNames::operator[](size_t index) const {
  static const std::array<std::string, 34> names = [] {
    const char* utf8[] = {"小寒",     "大寒",         "立春",     "雨水",      "啓蟄", "春分",
                          "清明",     "穀雨",         "立夏",     "小満",      "芒種", "夏至",
                          "小暑",     "大暑",         "立秋",     "処暑",      "白露", "秋分",
                          "寒露",     "霜降",         "立冬",     "小雪",      "大雪", "冬至",
                          "節分",     "彼岸入り",     "彼岸明け", "八十八夜",  "入梅", "半夏生",
                          "土用入り", "土用の丑の日", "二百十日", "二百二十日"};
    std::array<std::string, 34> out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = Utf8ToCp932(utf8[i]);
    return out;
  }();
  return names.at(index);
}

}  // namespace moriva
