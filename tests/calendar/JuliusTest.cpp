#include "calendar/Julius.h"

#include <gtest/gtest.h>

#include <ctime>

namespace moriva {
namespace {

struct TFixedDay {
  int32_t y;
  uint8_t m, d;
  JuliusDay z;
  uint8_t weekday;
};

// Day numbers and weekdays checked against an independent Julian/Gregorian day count.
TEST(Julius, FixedDaysAndWeekdays) {
  const TFixedDay days[] = {
      {-4712, 1, 1, 0, 2},       {0, 1, 1, 1721058, 5},      {1, 1, 1, 1721424, 7},
      {1582, 10, 4, 2299160, 5}, {1582, 10, 15, 2299161, 6}, {1600, 3, 1, 2305508, 4},
      {2000, 1, 1, 2451545, 7},  {2001, 7, 13, 2452104, 6},  {9999, 12, 31, 5373484, 6},
      {-1, 12, 31, 1721057, 4},  {-4, 2, 29, 1719656, 3},    {4000, 2, 29, 3182089, 3},
  };
  for (const TFixedDay& f : days) {
    SCOPED_TRACE(testing::Message() << f.y << "/" << int(f.m) << "/" << int(f.d));
    EXPECT_EQ(DateToJulius(f.y, f.m, f.d), f.z);
    EXPECT_EQ(JuliusDayOfWeek(f.z), f.weekday);
    int32_t y;
    uint8_t m, d;
    JuliusToDate(f.z, y, m, d);
    EXPECT_EQ(y, f.y);
    EXPECT_EQ(m, f.m);
    EXPECT_EQ(d, f.d);
  }
}

// Every day number of the supported range maps to a date that maps back, and consecutive
// numbers are consecutive calendar days (so no date is skipped or repeated anywhere).
TEST(Julius, WholeRangeRoundTripsDayByDay) {
  int32_t py;
  uint8_t pm, pd;
  JuliusToDate(0, py, pm, pd);
  for (JuliusDay z = 1; z <= 5373484; ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    if (DateToJulius(y, m, d) != z) FAIL() << "round trip fails at " << z;
    const bool gapJump = z == 2299161;  // 1582/10/4 -> 1582/10/15
    bool next;
    if (gapJump)
      next = y == 1582 && m == 10 && d == 15 && pd == 4;
    else if (d == pd + 1)
      next = y == py && m == pm;
    else
      next = d == 1 && ((m == pm + 1 && y == py) || (m == 1 && pm == 12 && y == py + 1)) &&
             // day numbers keep 29 February of years divisible by 4000
             pd == DaysInMonth(py, pm) + (pm == 2 && py > 0 && py % 4000 == 0 ? 1 : 0);
    if (!next) FAIL() << "day " << z << " does not follow its predecessor";
    py = y, pm = m, pd = d;
  }
  EXPECT_EQ(py, 9999);
}

TEST(Julius, GregorianGapRaises) {
  for (uint8_t d = 5; d <= 14; ++d) {
    SCOPED_TRACE(int(d));
    EXPECT_THROW(DateToJulius(1582, 10, d), EJuliusError);
    EXPECT_THROW(IsValidDate(1582, 10, d), EJuliusError);
  }
  EXPECT_NO_THROW(DateToJulius(1582, 10, 4));
  EXPECT_NO_THROW(DateToJulius(1582, 10, 15));
  EXPECT_NO_THROW(DateToJulius(1582, 9, 10));
  EXPECT_NO_THROW(DateToJulius(1582, 11, 10));
  try {
    DateToJulius(1582, 10, 10);
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "1582/10/5-10/14は存在しません。");
  }
}

TEST(Julius, LeapYearsAndMonthLengths) {
  const struct {
    int32_t y;
    bool leap;
  } years[] = {{-4, true},   {0, true},     {1500, true},  {1581, false}, {1582, false},
               {1600, true}, {1700, false}, {1900, false}, {2000, true},  {2001, false},
               {2004, true}, {4000, false}, {8000, false}, {2400, true}};
  for (auto c : years) {
    SCOPED_TRACE(c.y);
    EXPECT_EQ(IsLeapYear(c.y), c.leap);
    EXPECT_EQ(DaysInMonth(c.y, 2), c.leap ? 29 : 28);
  }
  EXPECT_EQ(DaysInMonth(2001, 1), 31);
  EXPECT_EQ(DaysInMonth(2001, 4), 30);
  EXPECT_EQ(DaysInMonth(1582, 10), 31);
  EXPECT_EQ(DaysInMonth(2001, 0), 0);
  EXPECT_EQ(DaysInMonth(2001, 13), 0);
}

TEST(Julius, ValidDates) {
  const struct {
    int32_t y;
    uint8_t m, d;
    bool valid;
  } cases[] = {{2001, 2, 29, false}, {2000, 2, 29, true}, {2001, 0, 1, false},
               {2001, 13, 1, false}, {2001, 1, 0, false}, {2001, 1, 32, false},
               {2001, 4, 31, false}, {4000, 2, 29, true}, {1900, 2, 29, false},
               {1500, 2, 29, true},  {1582, 10, 4, true}, {1582, 10, 15, true}};
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    EXPECT_EQ(IsValidDate(c.y, c.m, c.d), c.valid);
  }
  // An impossible date still yields the number the formula gives.
  EXPECT_EQ(DateToJulius(2001, 2, 29), DateToJulius(2001, 3, 1));
}

TEST(Julius, DateTimeValues) {
  EXPECT_EQ(DateTimeToJulius(0.0), DateToJulius(1899, 12, 30));
  EXPECT_EQ(DateTimeToJulius(36526.0), 2451545);
  EXPECT_EQ(DateTimeToJulius(36526.999), 2451545);  // the time of day does not count
  EXPECT_EQ(DateTimeToJulius(-1.5), DateToJulius(1899, 12, 29));
  EXPECT_EQ(DateTimeToJulius(-693593.0), DateToJulius(1, 1, 1));  // 0001-01-01 taken as is
  EXPECT_EQ(DateTimeToJulius(2958465.0), 5373484);                // 9999-12-31
  EXPECT_THROW(DateTimeToJulius(-115860.0), EJuliusError);        // 1582-10-10
}

TEST(Julius, TodayIsTheLocalDate) {
  const JuliusDay before = TodayJulius();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const JuliusDay expected =
      DateToJulius(local.tm_year + 1900, static_cast<uint8_t>(local.tm_mon + 1),
                   static_cast<uint8_t>(local.tm_mday));
  const JuliusDay after = TodayJulius();
  EXPECT_TRUE(before == expected || after == expected);
  EXPECT_NEAR(expected, now / 86400 + 2440588, 1);
}

TEST(Julius, EquinoxDays) {
  const struct {
    int32_t y;
    uint8_t vernal, autumnal;
  } years[] = {{1999, 21, 23}, {2000, 20, 23}, {2001, 20, 23}, {2002, 21, 23}, {2012, 20, 22},
               {2016, 20, 22}, {2023, 21, 23}, {2024, 20, 22}, {2025, 20, 23}};
  for (auto c : years) {
    SCOPED_TRACE(c.y);
    EXPECT_EQ(VernalEquinoxDay(c.y), DateToJulius(c.y, 3, c.vernal));
    EXPECT_EQ(AutumnalEquinoxDay(c.y), DateToJulius(c.y, 9, c.autumnal));
    EXPECT_TRUE(IsVernalEquinoxDay(c.y, 3, c.vernal));
    EXPECT_FALSE(IsVernalEquinoxDay(c.y, 3, c.vernal + 1));
    EXPECT_FALSE(IsVernalEquinoxDay(c.y, 9, c.autumnal));
    EXPECT_TRUE(IsAutumnalEquinoxDay(c.y, 9, c.autumnal));
    EXPECT_FALSE(IsAutumnalEquinoxDay(c.y, 9, c.autumnal - 1));
  }
}

}  // namespace
}  // namespace moriva
