#include "calendar/SeasonalDays.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "base/Exception.h"

namespace moriva {
namespace {

std::vector<std::string> NamesOn(int32_t y, uint8_t m, uint8_t d) {
  std::vector<std::string> names;
  for (const TSeasonalDay& s : SeasonalDaysOn(DateToJulius(y, m, d)))
    names.push_back(Cp932ToUtf8(SeasonalDayNames[s.Name]));
  return names;
}

// Published days: the solar terms of 2025 and 2026 from the National Astronomical Observatory's
// 暦要項; 節分 on 2 February in 2021 (the first time since 1897) and 2025, on 4 February in 1984
// (the last time), as the newspapers reported them; 土用の丑の日 of summer 2024 (24 July and
// 5 August) and 2025 (19 and 31 July), as the eel shops advertised them; the other seasonal
// days of 2026 as wall calendars print them.
TEST(SeasonalDays, PublishedDates) {
  const struct {
    int32_t y;
    uint8_t m, d;
    std::vector<std::string> names;
  } cases[] = {
      {2026, 1, 5, {"小寒"}},
      {2026, 2, 4, {"立春"}},
      {2026, 3, 20, {"春分"}},
      {2026, 6, 21, {"夏至"}},
      {2026, 9, 23, {"秋分"}},
      {2026, 12, 22, {"冬至"}},
      {2025, 3, 20, {"春分"}},
      {2025, 12, 22, {"冬至"}},
      {2021, 2, 2, {"節分"}},
      {2021, 2, 3, {"立春"}},
      {2025, 2, 2, {"節分"}},
      {1984, 2, 4, {"節分"}},
      {1984, 2, 5, {"立春"}},
      {2024, 7, 24, {"土用の丑の日"}},
      {2024, 8, 5, {"土用の丑の日"}},
      {2025, 7, 19, {"土用入り", "土用の丑の日"}},
      {2025, 7, 31, {"土用の丑の日"}},
      {2026, 3, 17, {"彼岸入り"}},
      {2026, 3, 23, {"彼岸明け"}},
      {2026, 9, 20, {"彼岸入り"}},
      {2026, 5, 2, {"八十八夜"}},
      {2026, 6, 11, {"入梅"}},
      {2026, 7, 2, {"半夏生"}},
      {2026, 7, 20, {"土用入り"}},
      {2026, 9, 1, {"二百十日"}},
      {2026, 9, 11, {"二百二十日"}},
      {2026, 12, 21, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    EXPECT_EQ(NamesOn(c.y, c.m, c.d), c.names);
  }
}

// Each covered year has its 24 terms once each, in order; the range ends are empty; several
// names on one day come solar term first.
TEST(SeasonalDays, YearsAndRange) {
  for (int32_t year = kSeasonalFirstYear; year <= kSeasonalLastYear; ++year) {
    std::vector<uint8_t> terms;
    JuliusDay previous = 0;
    for (const TSeasonalDay& s : SeasonalDaysOfYear(year)) {
      ASSERT_GE(s.Day, previous) << year;
      previous = s.Day;
      if (s.Name < 24) terms.push_back(s.Name);
    }
    ASSERT_EQ(terms.size(), 24u) << year;
    for (uint8_t i = 0; i < 24; ++i) ASSERT_EQ(terms[i], i) << year;
  }
  EXPECT_TRUE(SeasonalDaysOfYear(1899).empty());
  EXPECT_TRUE(SeasonalDaysOfYear(2101).empty());
  EXPECT_TRUE(SeasonalDaysOn(DateToJulius(1899, 12, 22)).empty());
  EXPECT_EQ(Cp932ToUtf8(SeasonalDayText(DateToJulius(2026, 4, 17), Utf8ToCp932("・"))), "土用入り");
  EXPECT_EQ(Cp932ToUtf8(SeasonalDayText(DateToJulius(2024, 4, 19), Utf8ToCp932("・"))),
            "穀雨・土用の丑の日");
}

TEST(SeasonalDays, ParsingRejectsMalformedRows) {
  const std::string days =
      ",1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,"
      "27,28,29,";
  EXPECT_EQ(ParseSolarTermTable("2001" + days + "30\r\n")[0].Days[29], DateToJulius(2001, 1, 30));
  EXPECT_THROW(ParseSolarTermTable("2001" + days + "\r\n"), EConvertError);     // 29 days
  EXPECT_THROW(ParseSolarTermTable("2001" + days + "29\r\n"), EConvertError);   // not ascending
  EXPECT_THROW(ParseSolarTermTable("2001" + days + "366\r\n"), EConvertError);  // past the year
  EXPECT_THROW(ParseSolarTermTable("2001" + days + "x\r\n"), EConvertError);
}

}  // namespace
}  // namespace moriva
