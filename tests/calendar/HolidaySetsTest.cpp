// The two holiday rule sets: the current law at the first and last year of each of its rules,
// the special years 2019-2021, and the substitute and between-holiday days around 2007.
#include <gtest/gtest.h>

#include <tuple>

#include "base/Cp932.h"
#include "calendar/HolidayLines.h"

namespace moriva {
namespace {

struct TCase {
  int32_t y;
  uint8_t m, d;
  const char* names;  // "" = no holiday of any kind
};

void ExpectDays(const TDayRules& rules, std::initializer_list<TCase> cases) {
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << int(c.m) << "-" << int(c.d));
    const TDayState s = rules.DayState(c.y, c.m, c.d);
    EXPECT_EQ(Cp932ToUtf8(rules.DayText(c.y, c.m, c.d)), c.names);
    EXPECT_EQ(s.Has(dsHoliday) || s.Has(dsFurikae), *c.names != '\0');
    EXPECT_EQ(s.Has(dsFurikae), std::string(c.names) == "振替休日");
  }
}

TEST(HolidaySets, CurrentLawAtItsYearBoundaries) {
  TDayRules rules;
  ASSERT_TRUE(BuildDayRules(rules, THolidaySet::Current, {}).empty());
  ExpectDays(
      rules,
      {
          // The law began on 20 July 1948.
          {1948, 1, 1, ""},
          {1948, 3, 21, ""},
          {1948, 5, 5, ""},
          {1948, 9, 23, "秋分の日"},
          {1948, 11, 3, "文化の日"},
          {1948, 11, 23, "勤労感謝の日"},
          {1949, 1, 1, "元日"},
          {1949, 3, 21, "春分の日"},
          {1999, 1, 15, "成人の日"},
          {2000, 1, 15, ""},
          {2000, 1, 10, "成人の日"},
          {1966, 2, 11, ""},
          {1967, 2, 11, "建国記念の日"},
          {1949, 4, 29, "天皇誕生日"},
          {1988, 4, 29, "天皇誕生日"},
          {1989, 4, 29, "みどりの日"},
          {1989, 12, 23, "天皇誕生日"},
          {2018, 12, 23, "天皇誕生日"},
          {2018, 12, 24, "振替休日"},
          {2019, 2, 23, ""},
          {2019, 12, 23, ""},
          {2020, 2, 23, "天皇誕生日"},
          {2020, 2, 24, "振替休日"},
          {2006, 4, 29, "みどりの日"},
          {2007, 4, 29, "昭和の日"},
          {2007, 4, 30, "振替休日"},
          {2007, 5, 4, "みどりの日"},
          {1995, 7, 20, ""},
          {1996, 7, 20, "海の日"},
          {2002, 7, 20, "海の日"},
          {2003, 7, 21, "海の日"},
          {2003, 7, 20, ""},
          {2019, 7, 15, "海の日"},
          {2020, 7, 20, ""},
          {2020, 7, 23, "海の日"},
          {2021, 7, 22, "海の日"},
          {2022, 7, 18, "海の日"},
          {2015, 8, 11, ""},
          {2016, 8, 11, "山の日"},
          {2020, 8, 10, "山の日"},
          {2020, 8, 11, ""},
          {2021, 8, 8, "山の日"},
          {2021, 8, 9, "振替休日"},
          {2022, 8, 11, "山の日"},
          {1965, 9, 15, ""},
          {1966, 9, 15, "敬老の日"},
          {2002, 9, 15, "敬老の日"},
          {2002, 9, 16, "振替休日"},
          {2003, 9, 15, "敬老の日"},
          {2004, 9, 20, "敬老の日"},
          {2004, 9, 15, ""},
          {1965, 10, 10, ""},
          {1966, 10, 10, "体育の日"},
          {1999, 10, 11, "振替休日"},
          {2000, 10, 9, "体育の日"},
          {2019, 10, 14, "体育の日"},
          {2020, 10, 12, ""},
          {2020, 7, 24, "スポーツの日"},
          {2021, 7, 23, "スポーツの日"},
          {2021, 10, 11, ""},
          {2022, 10, 10, "スポーツの日"},
          {1959, 4, 10, "皇太子明仁親王の結婚の儀"},
          {1989, 2, 24, "昭和天皇の大喪の礼"},
          {1990, 11, 12, "即位礼正殿の儀"},
          {1993, 6, 9, "皇太子徳仁親王の結婚の儀"},
          {2019, 5, 1, "天皇の即位の日"},
          {2019, 10, 22, "即位礼正殿の儀"},
          // Substitute holidays from 12 April 1973; only the Monday until 2006.
          {1973, 2, 12, ""},
          {1973, 4, 30, "振替休日"},
          {2008, 5, 6, "振替休日"},
          {2009, 5, 6, "振替休日"},
          {2019, 5, 6, "振替休日"},
          {2026, 5, 6, "振替休日"},
          // Days between two holidays from 27 December 1985, never a Sunday or a substitute day.
          {1984, 5, 4, ""},
          {1987, 5, 4, "振替休日"},
          {1988, 5, 4, "国民の休日"},
          {1997, 5, 4, ""},
          {2006, 5, 4, "国民の休日"},
          {2009, 9, 22, "国民の休日"},
          {2015, 9, 22, "国民の休日"},
          {2019, 4, 30, "国民の休日"},
          {2019, 5, 2, "国民の休日"},
          {2026, 9, 22, "国民の休日"},
          {2026, 9, 21, "敬老の日"},
          {2026, 9, 23, "秋分の日"},
      });
}

// The switch days of the rules the lines cannot say, each on either side of its day.
TEST(HolidaySets, SwitchesTakeEffectOnTheirDay) {
  TDayRules rules;
  rules.Build({"5,3,a", "5,4,b", "5,6,c"}, {});
  rules.Switches.LaterFurikaeFrom = DateToJulius(2009, 1, 1);
  rules.Switches.BetweenHolidaysFrom = DateToJulius(2012, 5, 5);
  // Sunday 5/3 then the Monday holiday 5/4: only from the switch on does 5/5 make up for it.
  ExpectDays(rules, {{1998, 5, 5, ""},
                     {2009, 5, 5, "振替休日"},
                     {2009, 5, 6, "c"},
                     // 5/5 between 5/4 and 5/6 (2012 a Saturday, 2013 a Sunday), unless it
                     // is a substitute day (2014, after Sunday 5/4).
                     {2011, 5, 5, ""},
                     {2012, 5, 5, "国民の休日"},
                     {2013, 5, 5, ""},
                     {2014, 5, 5, "振替休日"},
                     {2016, 5, 5, "国民の休日"}});
  rules.Switches.FurikaeFrom = DateToJulius(2013, 5, 4);
  ExpectDays(rules, {{2009, 5, 5, ""}, {2015, 5, 5, "振替休日"}});
  rules.AutoFurikae = false;
  ExpectDays(rules, {{2015, 5, 5, "国民の休日"}});
}

// The day rules skip the equinox formulas outside March and September in these years.
TEST(HolidaySets, EquinoxFormulasStayInMarchAndSeptember) {
  for (int32_t y = kEquinoxMonthsFrom; y <= kEquinoxMonthsTo; ++y) {
    int32_t vy, ay;
    uint8_t vm, am, d;
    JuliusToDate(VernalEquinoxDay(y), vy, vm, d);
    JuliusToDate(AutumnalEquinoxDay(y), ay, am, d);
    ASSERT_EQ(std::tuple(vy, vm, ay, am), std::tuple(y, 3, y, 9)) << y;
  }
}

TEST(HolidaySets, ClassicIsTheFifteenLinesUnderThePlainRules) {
  EXPECT_EQ(&HolidayLines(THolidaySet::Classic), &ClassicHolidayLines());
  EXPECT_EQ(HolidaySwitches(THolidaySet::Classic), THolidaySwitches{});
  TDayRules rules;
  BuildDayRules(rules, THolidaySet::Classic, {});
  ExpectDays(rules, {{1948, 1, 1, "元旦"},
                     {2026, 12, 23, "天皇誕生日"},
                     {2026, 9, 22, ""},
                     {2026, 5, 6, ""},
                     {1960, 9, 15, "敬老の日"}});
  for (const char* name : {"current", "classic"})
    EXPECT_EQ(HolidaySetName(*HolidaySetFromName(name)), name);
  EXPECT_FALSE(HolidaySetFromName("Current"));
  EXPECT_FALSE(HolidaySetFromName(""));
}

}  // namespace
}  // namespace moriva
