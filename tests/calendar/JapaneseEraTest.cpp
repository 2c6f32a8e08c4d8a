#include "calendar/JapaneseEra.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

// Western date ↔ era text, checked both ways: each era's first and last day, 元年, and a
// year holding two eras.
TEST(JapaneseEra, ConversionsBothWays) {
  struct {
    int32_t y;
    uint8_t m, d;
    const char* era;
  } const cases[] = {
      {1868, 1, 25, "明治元年1月25日"},   {1912, 7, 29, "明治45年7月29日"},
      {1912, 7, 30, "大正元年7月30日"},   {1926, 12, 24, "大正15年12月24日"},
      {1926, 12, 25, "昭和元年12月25日"}, {1989, 1, 7, "昭和64年1月7日"},
      {1989, 1, 8, "平成元年1月8日"},     {2019, 4, 30, "平成31年4月30日"},
      {2019, 5, 1, "令和元年5月1日"},     {2020, 1, 1, "令和2年1月1日"},
      {2027, 1, 10, "令和9年1月10日"},    {1873, 1, 1, "明治6年1月1日"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.era);
    const JuliusDay z = DateToJulius(c.y, c.m, c.d);
    const std::optional<TEraDate> era = EraDateOf(z);
    ASSERT_TRUE(era);
    EXPECT_EQ(Cp932ToUtf8(EraDateText(*era)), c.era);
    const std::optional<TEraDate> parsed = ParseEraDate(Utf8ToCp932(c.era));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, *era);
    EXPECT_EQ(EraDateToJulius(*parsed), z);
  }
  EXPECT_FALSE(EraDateOf(DateToJulius(1868, 1, 24)));
}

// The short and loose forms read as the same dates; malformed texts and dates outside their
// era give nothing.
TEST(JapaneseEra, ShortFormsAndInvalidDates) {
  struct {
    const char* text;
    int32_t y;  // 0: not parsed at all; -1: parsed but no day of its era
    uint8_t m, d;
  } const cases[] = {
      {"R9.1.10", 2027, 1, 10},
      {"H31.4.30", 2019, 4, 30},
      {"S64.1.7", 1989, 1, 7},
      {"T1.7.30", 1912, 7, 30},
      {"M45.7.29", 1912, 7, 29},
      {"r1/5/1", 2019, 5, 1},
      {"令和９年１月１０日", 2027, 1, 10},
      {"R01-05-01", 2019, 5, 1},
      {"平成32年1月1日", -1, 0, 0},
      {"昭和64年1月8日", -1, 0, 0},
      {"H31.5.1", -1, 0, 0},
      {"R1.4.30", -1, 0, 0},
      {"M1.1.24", -1, 0, 0},
      {"H2.2.30", -1, 0, 0},
      {"令和0年1月1日", 0, 0, 0},
      {"R9.1", 0, 0, 0},
      {"R9.1/10", 0, 0, 0},
      {"X9.1.10", 0, 0, 0},
      {"令和9年1月10", 0, 0, 0},
      {"令和9年1月10日x", 0, 0, 0},
      {"R9.13.1", 0, 0, 0},
      {"", 0, 0, 0},
      {"R99999999999.1.1", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<TEraDate> era = ParseEraDate(Utf8ToCp932(c.text));
    ASSERT_EQ(era.has_value(), c.y != 0);
    if (!era) continue;
    const std::optional<JuliusDay> z = EraDateToJulius(*era);
    if (c.y < 0)
      EXPECT_FALSE(z);
    else
      EXPECT_EQ(z, DateToJulius(c.y, c.m, c.d));
  }
}

TEST(JapaneseEra, YearsOfAMonth) {
  struct {
    int32_t y;
    uint8_t m;
    const char* text;
  } const cases[] = {
      {2026, 12, "令和8年"}, {1989, 1, "昭和64年/平成元年"}, {2019, 5, "令和元年"},
      {2019, 4, "平成31年"}, {1912, 7, "明治45年/大正元年"}, {1868, 1, "明治元年"},
      {1867, 12, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Cp932ToUtf8(EraYearsOfMonth(c.y, c.m)), c.text);
}

}  // namespace
}  // namespace moriva
