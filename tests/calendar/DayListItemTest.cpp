#include "calendar/DayListItem.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

struct TParseCase {
  const char* line;
  TDayLineKind kind;
  int month, day, dayOfWeek, weekNo;
  int32_t from, to;
  const char* name;
};

constexpr int32_t N = kNoYear;

TEST(DayListItem, ParsesByFieldCount) {
  const TParseCase cases[] = {
      {"1,15,Adult", TDayLineKind::Rule, 1, 15, 0, 0, N, N, "Adult"},
      {"1,2,2,\"Second Monday\"", TDayLineKind::Rule, 1, 0, 2, 2, N, N, "Second Monday"},
      {"2001,0,5,3,x", TDayLineKind::Rule, 5, 3, 0, 0, 2001, 2001, "x"},
      {"2001,1,5,3,x", TDayLineKind::Rule, 5, 3, 0, 0, N, 2001, "x"},
      {"2001,2,5,3,x", TDayLineKind::Rule, 5, 3, 0, 0, 2001, N, "x"},
      // Any other mode means every year, and the year field is then not read at all.
      {"abc,9,5,3,x", TDayLineKind::Rule, 5, 3, 0, 0, N, N, "x"},
      {"2001,00,5,3,x", TDayLineKind::Rule, 5, 3, 0, 0, N, N, "x"},
      {"1999,0,10,2,2,y", TDayLineKind::Rule, 10, 0, 2, 2, 1999, 1999, "y"},
      {"2000,,1,,2,2,z", TDayLineKind::Rule, 1, 0, 2, 2, 2000, N, "z"},
      {",1999,1,15,,,z", TDayLineKind::Rule, 1, 15, 0, 0, N, 1999, "z"},
      {",,,,,,", TDayLineKind::Rule, 0, 0, 0, 0, N, N, ""},
      {"2003,2003,5,17,,,\"a, \"\"b\"\"\"", TDayLineKind::Rule, 5, 17, 0, 0, 2003, 2003,
       "a, \"b\""},
      {" 3 , 4 , x ", TDayLineKind::Rule, 3, 4, 0, 0, N, N, "x"},
      {"-2,+3,x", TDayLineKind::Rule, 254, 3, 0, 0, N, N, "x"},  // stored in a byte
      {"257,1,x", TDayLineKind::Rule, 1, 1, 0, 0, N, N, "x"},
      {"1,x", TDayLineKind::NoRule, 0, 0, 0, 0, N, N, ""},
      {"", TDayLineKind::NoRule, 0, 0, 0, 0, N, N, ""},
      {"1,2,3,4,5,6,7,8", TDayLineKind::NoRule, 0, 0, 0, 0, N, N, ""},
      {"a,15,x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
      {"1,0x1F,x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
      {"2001,0,5,3.5,x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
      {"99999999999,0,5,3,x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
      {"x,,1,1,,,x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
      {"1,1,\"\",x", TDayLineKind::Faulty, 0, 0, 0, 0, N, N, ""},
  };
  for (const TParseCase& c : cases) {
    SCOPED_TRACE(c.line);
    TDayListItem item;
    item.Name = "stale";
    ASSERT_EQ(ParseDayListLine(c.line, item), c.kind);
    if (c.kind != TDayLineKind::Rule) continue;
    EXPECT_EQ(item.Month, c.month);
    EXPECT_EQ(item.Day, c.day);
    EXPECT_EQ(item.DayOfWeek, c.dayOfWeek);
    EXPECT_EQ(item.WeekNo, c.weekNo);
    EXPECT_EQ(item.FromYear, c.from);
    EXPECT_EQ(item.ToYear, c.to);
    EXPECT_EQ(item.Name, c.name);
  }
}

TEST(DayListItem, DoubleByteNamesStayWhole) {
  TDayListItem item;
  // The trail byte of 表 is 0x5C and of ソ 0x5C too: neither may end or split the field.
  ASSERT_EQ(ParseDayListLine(Utf8ToCp932("2000,,1,,2,2,成人の日"), item), TDayLineKind::Rule);
  EXPECT_EQ(item.Name, Utf8ToCp932("成人の日"));
  ASSERT_EQ(ParseDayListLine(Utf8ToCp932("1,1,表ソ"), item), TDayLineKind::Rule);
  EXPECT_EQ(item.Name, Utf8ToCp932("表ソ"));
}

TEST(DayListItem, MatchTest) {
  struct TDay {
    int32_t y;
    uint8_t m, d;
    bool match;
  };
  const struct {
    const char* line;
    std::vector<TDay> days;
  } cases[] = {
      // A window from 2005 back round to 1995.
      {"2005,1995,,,,,wrap",
       {{1995, 12, 31, true},
        {1996, 1, 1, false},
        {2004, 12, 31, false},
        {2005, 1, 1, true},
        {-100, 6, 1, true}}},
      {"1995,2005,,,,,range",
       {{1994, 12, 31, false}, {1995, 1, 1, true}, {2005, 12, 31, true}, {2006, 1, 1, false}}},
      {",,,,1,,sunday",
       {{2001, 2, 11, true}, {2001, 2, 12, false}, {1582, 10, 3, false}, {1582, 10, 17, true}}},
      {",,,,2,1,first_monday",
       {{2001, 1, 1, true}, {2001, 1, 8, false}, {2001, 10, 1, true}, {2001, 10, 8, false}}},
      {"1,2,2,second_monday", {{2000, 1, 10, true}, {2000, 1, 3, false}, {2000, 2, 14, false}}},
      {"5,5,1,fifth_sunday", {{2001, 5, 27, false}, {2003, 5, 25, false}, {2004, 5, 30, true}}},
      {"2001,1,12,24,to_2001", {{2001, 12, 24, true}, {2002, 12, 24, false}, {1, 12, 24, true}}},
      {"2001,2,12,24,from_2001", {{2001, 12, 24, true}, {2000, 12, 24, false}}},
      {",,0,0,0,0,any", {{2001, 2, 28, true}, {-4712, 1, 1, true}}},
  };
  for (const auto& c : cases) {
    TDayListItem item;
    ASSERT_EQ(ParseDayListLine(c.line, item), TDayLineKind::Rule) << c.line;
    for (const TDay& day : c.days) {
      SCOPED_TRACE(testing::Message()
                   << c.line << " @ " << day.y << "/" << int(day.m) << "/" << int(day.d));
      EXPECT_EQ(item.Match(day.y, day.m, day.d), day.match);
    }
  }
}

TEST(DayListItem, WeekdayRuleRaisesInTheGregorianGap) {
  TDayListItem item;
  ParseDayListLine(",,,,1,,sunday", item);
  EXPECT_THROW(item.Match(1582, 10, 10), EJuliusError);
  ParseDayListLine(",,10,10,,,date_only", item);
  EXPECT_TRUE(item.Match(1582, 10, 10));
}

}  // namespace
}  // namespace moriva
