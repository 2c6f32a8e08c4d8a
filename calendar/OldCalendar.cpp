#include "calendar/OldCalendar.h"

#include <algorithm>
#include <array>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/IntText.h"
#include "base/LineList.h"

namespace moriva {

// Generated at build time from resources/jdoldcal.txt.
extern const unsigned char kJdOldCalText[];
extern const std::size_t kJdOldCalTextSize;

std::string_view OldCalendarTableText() {
  return {reinterpret_cast<const char*>(kJdOldCalText), kJdOldCalTextSize};
}

std::vector<TJDOldMonth> ParseOldCalendarTable(std::string_view text) {
  std::vector<TJDOldMonth> rows;
  for (const std::string& line : SplitLines(text)) {
    std::vector<std::string> f = SplitCommaText(line);
    if (f.size() < 2) throw EConvertError(NotAnIntegerMessage(f.empty() ? "" : f[0]));
    rows.push_back({StrToInt(f[0]), StrToInt(f[1])});
  }
  return rows;
}

const std::vector<TJDOldMonth>& OldCalendarTable() {
  static const std::vector<TJDOldMonth> table = ParseOldCalendarTable(OldCalendarTableText());
  return table;
}

void OldCalendarDate(JuliusDay z, uint8_t& month, uint8_t& day) {
  month = 0;
  day = 0;
  const std::vector<TJDOldMonth>& t = OldCalendarTable();
  if (t.empty() || z < t.front().Start || z >= t.back().Start) return;
  // New moons keep within a day or so of their mean interval, so the mean month finds z's row
  // or one beside it; the steps make sure of it for any table.
  // 1/29.530589 days ≈ 1109/32768, within a row and a half over the whole table.
  const uint32_t days = static_cast<uint32_t>(z - t.front().Start);
  size_t i = std::min<size_t>(t.size() - 2, (uint64_t{days} * 1109) >> 15);
  while (t[i + 1].Start <= z) ++i;
  while (t[i].Start > z) --i;
  const TJDOldMonth& row = t[i];
  month = static_cast<uint8_t>(row.Month);
  day = static_cast<uint8_t>(z - row.Start + 1);
}

uint8_t RokuyoOf(JuliusDay z) {
  uint8_t m, d;
  OldCalendarDate(z, m, d);
  if (m == 0) return 0;
  if (m > 100) m -= 100;
  return static_cast<uint8_t>((m - 1 + d - 1) % 6 + 1);
}

const std::string& TRokuyoNames::operator[](size_t index) const {
  static const std::array<std::string, 7> names = {
      Utf8ToCp932("不明"), Utf8ToCp932("先勝"), Utf8ToCp932("友引"), Utf8ToCp932("先負"),
      Utf8ToCp932("仏滅"), Utf8ToCp932("大安"), Utf8ToCp932("赤口"),
  };
  return names.at(index);
}

}  // namespace moriva
