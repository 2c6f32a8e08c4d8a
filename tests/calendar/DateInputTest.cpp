#include "calendar/DateInput.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

TEST(DateInput, TheFormsAUserTypes) {
  struct {
    const char* text;
    int32_t y;  // 0: names no day
    uint8_t m, d;
  } const cases[] = {
      {"2027/1/10", 2027, 1, 10},
      {"2027-01-10", 2027, 1, 10},
      {"1/10", 2026, 1, 10},
      {" 12-31 ", 2026, 12, 31},
      {"２０２７／１／１０", 2027, 1, 10},
      {"令和9年1月10日", 2027, 1, 10},
      {"R9.1.10", 2027, 1, 10},
      {"平成31年4月30日", 2019, 4, 30},
      {"昭和64年1月7日", 1989, 1, 7},
      {"令和元年5月1日", 2019, 5, 1},
      {"2/29", 0, 0, 0},
      {"2027/1-10", 0, 0, 0},
      {"2027/13/1", 0, 0, 0},
      {"0/1/1", 0, 0, 0},
      {"1582/10/10", 0, 0, 0},
      {"昭和64年1月8日", 0, 0, 0},
      {"2027", 0, 0, 0},
      {"", 0, 0, 0},
      {"10", 0, 0, 0},
      {"2027/1/10x", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<JuliusDay> z = ParseDateInput(Utf8ToCp932(c.text), 2026);
    if (c.y == 0)
      EXPECT_FALSE(z);
    else
      EXPECT_EQ(z, DateToJulius(c.y, c.m, c.d));
  }
  EXPECT_EQ(ParseDateInput("2/29", 2028), DateToJulius(2028, 2, 29));
}

}  // namespace
}  // namespace moriva
