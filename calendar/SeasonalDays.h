#pragma once
// The 24 solar terms (二十四節気) and the seasonal days (雑節) of 1900-2100, from a table of the
// JST days on which the Sun reaches thirty given longitudes (resources/solarterms.txt, compiled
// in; written by tools/gen_solarterms.py). Outside those years there are none.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/Julius.h"

namespace moriva {

inline constexpr int32_t kSeasonalFirstYear = 1900;
inline constexpr int32_t kSeasonalLastYear = 2100;

// One row of the table: a year and the days of the thirty longitudes, in the order of the year
// (285 小寒, 297, 300 大寒, 315 立春, ... 270 冬至; see tools/gen_solarterms.py).
struct TSolarTermYear {
  int32_t Year = 0;
  std::array<JuliusDay, 30> Days{};
  bool operator==(const TSolarTermYear&) const = default;
};

// The table text as compiled into the program (ASCII rows "year,day of year × 30", CR LF).
std::string_view SolarTermTableText();

// Parses table text: each line split as comma text into a year and thirty days of that year
// (1 = 1 January), strictly ascending. Throws EConvertError for a row that is not such.
std::vector<TSolarTermYear> ParseSolarTermTable(std::string_view text);

// One solar term or seasonal day: the day and its name, an index into SeasonalDayNames.
struct TSeasonalDay {
  JuliusDay Day = 0;
  uint8_t Name = 0;
  bool operator==(const TSeasonalDay&) const = default;
};

// The solar terms and seasonal days of one day or of one year, by date and on one day in the
// order of SeasonalDayNames (the solar term first); empty outside 1900-2100. The spans stay
// valid while the program runs.
std::span<const TSeasonalDay> SeasonalDaysOn(JuliusDay z);
std::span<const TSeasonalDay> SeasonalDaysOfYear(int32_t year);

// The names of one day joined by `separator` (CP932); empty for a day without one.
std::string SeasonalDayText(JuliusDay z, std::string_view separator);

// The names as CP932: 0..23 the solar terms from 小寒 to 冬至, then 節分, 彼岸入り, 彼岸明け,
// 八十八夜, 入梅, 半夏生, 土用入り, 土用の丑の日, 二百十日, 二百二十日.
struct TSeasonalDayNames {
  const std::string& operator[](size_t index) const;
  static constexpr size_t size() { return 34; }
};
inline constexpr TSeasonalDayNames SeasonalDayNames{};

}  // namespace moriva
