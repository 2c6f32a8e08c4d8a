#include "calendar/OldCalendar.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/SeasonalDays.h"

namespace moriva {
namespace {

const std::filesystem::path& SourceRoot() {
  static const std::filesystem::path root =
      std::filesystem::path(MORIVA_TEST_DATA).parent_path().parent_path();
  return root;
}

// Both compiled-in tables are their resource files byte for byte: digits and commas, CR LF.
TEST(OldCalendar, CompiledTablesAreTheResourceFiles) {
  const struct {
    const char* file;
    std::string_view compiled;
    size_t rows;
  } tables[] = {{"jdoldcal.txt", OldCalendarTableText(), 2488},
                {"solarterms.txt", SolarTermTableText(), 201}};
  for (const auto& t : tables) {
    SCOPED_TRACE(t.file);
    const std::string file = ReadFileBytes(SourceRoot() / "resources" / t.file);
    EXPECT_EQ(t.compiled, file);
    size_t crlf = 0;
    for (size_t i = 0; i < file.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(file[i]);
      ASSERT_TRUE(c == '\r' || c == '\n' || c == ',' || (c >= '0' && c <= '9')) << i;
      if (c == '\n') {
        ASSERT_GT(i, 0u);
        ASSERT_EQ(file[i - 1], '\r');
        ++crlf;
      }
    }
    EXPECT_EQ(file.back(), '\n');
    EXPECT_EQ(crlf, t.rows);
  }
}

// The shipped tables are exactly what the generators compute from the ephemeris.
TEST(OldCalendar, GeneratorsReproduceTheTables) {
  for (const std::string name : {"jdoldcal", "solarterms"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / (name + "_" + std::to_string(getpid()) + ".txt");
    const std::string cmd = "/usr/bin/python3 " +
                            (SourceRoot() / "tools" / ("gen_" + name + ".py")).string() + " -o " +
                            out.string() + " >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string generated = ReadFileBytes(out);
    std::filesystem::remove(out);
    EXPECT_EQ(generated, ReadFileBytes(SourceRoot() / "resources" / (name + ".txt")));
  }
}

TEST(OldCalendar, TableShape) {
  const std::vector<TJDOldMonth>& t = OldCalendarTable();
  ASSERT_EQ(t.size(), 2488u);
  EXPECT_EQ(t.front(), (TJDOldMonth{2415021, 12}));  // 1900-01-01
  EXPECT_EQ(t.back(), (TJDOldMonth{2488463, 1}));    // 2101-01-29, the end mark
  std::vector<TJDOldMonth> leap;
  for (size_t i = 1; i < t.size(); ++i) {
    SCOPED_TRACE(t[i].Start);
    const int32_t length = t[i].Start - t[i - 1].Start;
    EXPECT_TRUE(length == 29 || length == 30);
    // Months follow each other; a leap month repeats the number of the month before it.
    const int32_t prev = t[i - 1].Month % 100;
    if (t[i].Month > 100)
      EXPECT_EQ(t[i].Month, 100 + prev);
    else
      EXPECT_EQ(t[i].Month, prev % 12 + 1);
    // The months of 1990-2010, the table's first range, stay as they were.
    if (t[i].Month > 100 && t[i].Start >= 2447889 && t[i].Start <= 2455537) leap.push_back(t[i]);
  }
  const std::vector<TJDOldMonth> expected = {{2448066, 105}, {2449100, 103}, {2449986, 108},
                                             {2450989, 105}, {2452053, 104}, {2453086, 102},
                                             {2453972, 107}, {2455006, 105}};
  EXPECT_EQ(leap, expected);
}

TEST(OldCalendar, DatesAndRokuyo) {
  const struct {
    int32_t y;
    uint8_t m, d;
    int month, day;
    const char* rokuyo;
  } cases[] = {
      {1989, 12, 27, 11, 30, "仏滅"}, {1989, 12, 28, 12, 1, "赤口"}, {1990, 1, 26, 12, 30, "大安"},
      {1990, 1, 27, 1, 1, "先勝"},    {2000, 1, 1, 11, 25, "大安"},  {2001, 1, 24, 1, 1, "先勝"},
      {2001, 7, 13, 5, 23, "先負"},   {2001, 5, 23, 104, 1, "仏滅"}, {2009, 6, 23, 105, 1, "大安"},
      {2009, 6, 22, 5, 30, "仏滅"},   {2010, 12, 5, 10, 30, "先負"}, {2010, 12, 6, 11, 1, "大安"},
      {1582, 10, 15, 0, 0, "不明"},   {1899, 12, 31, 0, 0, "不明"},  {1900, 1, 1, 12, 1, "赤口"},
      {2101, 1, 28, 12, 29, "仏滅"},  {2101, 1, 29, 0, 0, "不明"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    const JuliusDay z = DateToJulius(c.y, c.m, c.d);
    uint8_t month = 99, day = 99;
    OldCalendarDate(z, month, day);
    EXPECT_EQ(month, c.month);
    EXPECT_EQ(day, c.day);
    EXPECT_EQ(Cp932ToUtf8(RokuyoNames[RokuyoOf(z)]), c.rokuyo);
  }
  EXPECT_EQ(RokuyoOf(-1), 0);
}

// Dates as the published almanacs print them: the first day of the first month (旧正月) as
// perpetual almanacs (万年暦) list it; the leap months from the new-moon and principal-term days
// of the National Astronomical Observatory's 暦要項 as the year's almanacs number them (2033:
// the leap eleventh month the calendar makers' association recommended in 2015); rokuyo as
// printed on wall calendars (2019-05-01, the first day of 令和, was reported as 大安).
TEST(OldCalendar, PublishedDates) {
  const struct {
    int32_t y;
    uint8_t m, d;
    int month, day;
    const char* rokuyo;
  } cases[] = {
      // 旧正月
      {1900, 1, 31, 1, 1, "先勝"},
      {1912, 2, 18, 1, 1, "先勝"},
      {1920, 2, 20, 1, 1, "先勝"},
      {1950, 2, 17, 1, 1, "先勝"},
      {1985, 2, 20, 1, 1, "先勝"},
      {2000, 2, 5, 1, 1, "先勝"},
      {2012, 1, 23, 1, 1, "先勝"},
      {2020, 1, 25, 1, 1, "先勝"},
      {2024, 2, 10, 1, 1, "先勝"},
      {2026, 2, 17, 1, 1, "先勝"},
      {2033, 1, 31, 1, 1, "先勝"},
      {2034, 2, 19, 1, 1, "先勝"},
      {2050, 1, 23, 1, 1, "先勝"},
      {2100, 2, 9, 1, 1, "先勝"},
      // 1985: the month before 旧正月 holds 雨水 and is still the twelfth.
      {1985, 2, 19, 12, 30, "大安"},
      // Leap months, on their first day
      {2012, 4, 21, 103, 1, "先負"},
      {2014, 10, 24, 109, 1, "先負"},
      {2017, 6, 24, 105, 1, "大安"},
      {2020, 5, 23, 104, 1, "仏滅"},
      {2023, 3, 22, 102, 1, "友引"},
      {2025, 7, 25, 106, 1, "赤口"},
      {2028, 6, 23, 105, 1, "大安"},
      {2031, 4, 22, 103, 1, "先負"},
      {2033, 12, 22, 111, 1, "大安"},
      // 2033: 7, 8, 9, 10, 11, 閏11, 12
      {2033, 8, 25, 8, 1, "友引"},
      {2033, 11, 22, 11, 1, "大安"},
      {2034, 1, 20, 12, 1, "赤口"},
      // Rokuyo
      {2026, 1, 1, 11, 13, "大安"},
      {2019, 5, 1, 3, 27, "大安"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    const JuliusDay z = DateToJulius(c.y, c.m, c.d);
    uint8_t month, day;
    OldCalendarDate(z, month, day);
    EXPECT_EQ(month, c.month);
    EXPECT_EQ(day, c.day);
    EXPECT_EQ(Cp932ToUtf8(RokuyoNames[RokuyoOf(z)]), c.rokuyo);
  }
}

// Inside a month the rokuyo steps round by one each day; at a month start it jumps to the
// month's own start value.
TEST(OldCalendar, RokuyoStepsThroughEveryCoveredDay) {
  const std::vector<TJDOldMonth>& t = OldCalendarTable();
  for (JuliusDay z = t.front().Start; z < t.back().Start; ++z) {
    uint8_t m, d;
    OldCalendarDate(z, m, d);
    ASSERT_NE(m, 0) << z;
    const uint8_t r = RokuyoOf(z);
    if (d == 1)
      ASSERT_EQ(r, (m % 100 - 1) % 6 + 1) << z;
    else
      ASSERT_EQ(r, RokuyoOf(z - 1) % 6 + 1) << z;
  }
}

TEST(OldCalendar, ParsingRejectsRowsWithoutTwoIntegers) {
  EXPECT_EQ(ParseOldCalendarTable("10,1\r\n39,2\r\n"),
            (std::vector<TJDOldMonth>{{10, 1}, {39, 2}}));
  EXPECT_THROW(ParseOldCalendarTable("10,1\r\n39\r\n"), EConvertError);
  EXPECT_THROW(ParseOldCalendarTable("10,x\r\n"), EConvertError);
  EXPECT_THROW(ParseOldCalendarTable("10,1\r\n\r\n40,2\r\n"), EConvertError);
}

TEST(OldCalendar, RokuyoNames) {
  const char* names[] = {"不明", "先勝", "友引", "先負", "仏滅", "大安", "赤口"};
  ASSERT_EQ(RokuyoNames.size(), 7u);
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(RokuyoNames[i], Utf8ToCp932(names[i]));
}

}  // namespace
}  // namespace moriva
