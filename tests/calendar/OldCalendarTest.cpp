#include "calendar/OldCalendar.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"

namespace moriva {
namespace {

TEST(OldCalendar, CompiledTableIsTheResourceFile) {
  const std::filesystem::path root =
      std::filesystem::path(MORIVA_TEST_DATA).parent_path().parent_path();
  const std::string file = ReadFileBytes(root / "resources" / "jdoldcal.txt");
  EXPECT_EQ(OldCalendarTableText(), file);
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
  EXPECT_EQ(crlf, 260u);
}

// The shipped table is exactly what the generator computes from the ephemeris.
TEST(OldCalendar, GeneratorReproducesTheTable) {
  const std::filesystem::path root =
      std::filesystem::path(MORIVA_TEST_DATA).parent_path().parent_path();
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("jdoldcal_" + std::to_string(getpid()) + ".txt");
  const std::string cmd = "/usr/bin/python3 " + (root / "tools" / "gen_jdoldcal.py").string() +
                          " -o " + out.string() + " >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string generated = ReadFileBytes(out);
  std::filesystem::remove(out);
  EXPECT_EQ(generated, ReadFileBytes(root / "resources" / "jdoldcal.txt"));
}

TEST(OldCalendar, TableShape) {
  const std::vector<TJDOldMonth>& t = OldCalendarTable();
  ASSERT_EQ(t.size(), 260u);
  EXPECT_EQ(t.front(), (TJDOldMonth{2447889, 12}));
  EXPECT_EQ(t.back(), (TJDOldMonth{2455537, 11}));
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
    if (t[i].Month > 100) leap.push_back(t[i]);
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
      {1989, 12, 27, 0, 0, "不明"}, {1989, 12, 28, 12, 1, "赤口"}, {1990, 1, 26, 12, 30, "大安"},
      {1990, 1, 27, 1, 1, "先勝"},  {2000, 1, 1, 11, 25, "大安"},  {2001, 1, 24, 1, 1, "先勝"},
      {2001, 7, 13, 5, 23, "先負"}, {2001, 5, 23, 104, 1, "仏滅"}, {2009, 6, 23, 105, 1, "大安"},
      {2009, 6, 22, 5, 30, "仏滅"}, {2010, 12, 5, 10, 30, "先負"}, {2010, 12, 6, 0, 0, "不明"},
      {1582, 10, 15, 0, 0, "不明"}, {2026, 12, 7, 0, 0, "不明"},
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
