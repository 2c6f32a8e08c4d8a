// moriva-cli run as a program: its output, its messages and its exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

class CliTest : public TCliTest {
 protected:
  CliTest() : TCliTest("moriva_cli") {}
};

TEST_F(CliTest, DaysAroundASubstituteHoliday) {
  const TCliRun r = Run("days 2001-09-21 2001-09-25");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "2001-09-21\t2452174\t6\t-\t8\t5\t赤口\t\n"
            "2001-09-22\t2452175\t7\tdsSaturday\t8\t6\t先勝\t\n"
            "2001-09-23\t2452176\t1\tdsSunday,dsHoliday\t8\t7\t友引\t秋分の日\n"
            "2001-09-24\t2452177\t2\tdsFurikae\t8\t8\t先負\t振替休日\n"
            "2001-09-25\t2452178\t3\t-\t8\t9\t仏滅\t\n");
  const TCliRun off = Run("days 2001-09-23 2001-09-24 --no-furikae");
  EXPECT_EQ(off.out,
            "2001-09-23\t2452176\t1\tdsSunday,dsHoliday\t8\t7\t友引\t秋分の日\n"
            "2001-09-24\t2452177\t2\t-\t8\t8\t先負\t\n");
  const TCliRun noEquinox = Run("--no-equinox days 2001-09-23 2001-09-23");
  EXPECT_EQ(noEquinox.code, 2);  // options belong after the command
  EXPECT_EQ(Run("days --no-equinox 2001-09-23 2001-09-23").out,
            "2001-09-23\t2452176\t1\tdsSunday\t8\t7\t友引\t\n");
}

TEST_F(CliTest, DaysAcrossTheCalendarSwitchAndTheRangeEnds) {
  EXPECT_EQ(Run("days 1582-10-03 1582-10-16").out,
            "1582-10-03\t2299159\t4\t-\t0\t0\t不明\t\n"
            "1582-10-04\t2299160\t5\t-\t0\t0\t不明\t\n"
            "1582-10-15\t2299161\t6\t-\t0\t0\t不明\t\n"
            "1582-10-16\t2299162\t7\tdsSaturday\t0\t0\t不明\t\n");
  EXPECT_EQ(Run("days -4712-01-01 -4712-01-02 --holidays classic").out,
            "-4712-01-01\t0\t2\tdsHoliday\t0\t0\t不明\t元旦\n"
            "-4712-01-02\t1\t3\t-\t0\t0\t不明\t\n");
  EXPECT_EQ(Run("days -0001-12-31 0001-01-01").out.substr(0, 18), "-0001-12-31\t172105");
  EXPECT_EQ(Run("days 9999-12-31 9999-12-31").out, "9999-12-31\t5373484\t6\t-\t0\t0\t不明\t\n");
  EXPECT_EQ(Run("days -4712-01-01 -4712-01-01").out, "-4712-01-01\t0\t2\t-\t0\t0\t不明\t\n");
}

TEST_F(CliTest, ScheduleFileGivesSpecialDaysAndFaultyLinesAreReported) {
  const std::string file = (dir_ / "s.mrv").string();
  WriteFileAtomically(file, Utf8ToCp932("2001,2001,9,24,,,\"歯医者- 駅前- 9:30:0- TRUE\"\r\n"
                                        "2001,2001,9,2x,,,\"bad\"\r\n"
                                        "2001,2001,9,25,,,\"Lunch- - 12:0:0- FALSE\"\r\n"));
  const TCliRun r = Run("days 2001-09-24 2001-09-25 --schedule " + file);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "moriva-cli days: '2001,2001,9,2x,,,\"bad\"' は整数ではありません\n");
  EXPECT_EQ(r.out,
            "2001-09-24\t2452177\t2\tdsFurikae,dsSpecialDay\t8\t8\t先負\t"
            "\"歯医者- 駅前- 9:30:0- TRUE\",振替休日\n"
            "2001-09-25\t2452178\t3\tdsSpecialDay\t8\t9\t仏滅\t\"Lunch- - 12:0:0- FALSE\"\n");
  const TCliRun missing = Run("days 2001-09-24 2001-09-25 --schedule " + file + ".none");
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err.rfind("moriva-cli days: ファイル ", 0), 0u);
  EXPECT_NE(missing.err.find("は開けません"), std::string::npos);
}

TEST_F(CliTest, HolidaysOfAYear) {
  EXPECT_EQ(Run("holidays 2026").out,
            "2026-01-01\t元日\n2026-01-12\t成人の日\n2026-02-11\t建国記念の日\n"
            "2026-02-23\t天皇誕生日\n2026-03-20\t春分の日\n2026-04-29\t昭和の日\n"
            "2026-05-03\t憲法記念日\n2026-05-04\tみどりの日\n2026-05-05\tこどもの日\n"
            "2026-05-06\t振替休日\n2026-07-20\t海の日\n2026-08-11\t山の日\n"
            "2026-09-21\t敬老の日\n2026-09-22\t国民の休日\n2026-09-23\t秋分の日\n"
            "2026-10-12\tスポーツの日\n2026-11-03\t文化の日\n2026-11-23\t勤労感謝の日\n");
  EXPECT_EQ(Run("holidays 2026 --holidays current").out, Run("holidays 2026").out);
  const TCliRun r = Run("holidays 2001 --holidays classic");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "2001-01-01\t元旦\n2001-01-08\t成人の日\n2001-02-11\t建国の日\n"
            "2001-02-12\t振替休日\n2001-03-20\t春分の日\n2001-04-29\tみどりの日\n"
            "2001-04-30\t振替休日\n2001-05-03\t憲法記念日\n2001-05-04\t国民の休日\n"
            "2001-05-05\tこどもの日\n2001-07-20\t海の日\n2001-09-15\t敬老の日\n"
            "2001-09-23\t秋分の日\n2001-09-24\t振替休日\n2001-10-08\t体育の日\n"
            "2001-11-03\t文化の日\n2001-11-23\t勤労感謝の日\n2001-12-23\t天皇誕生日\n"
            "2001-12-24\t振替休日\n");
}

TEST_F(CliTest, CalendarGridWithMarkersAndRokuyo) {
  const TCliRun r = Run("calendar 2001-09");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "            2001年9月\n"
            " 日   月   火   水   木   金   土\n"
            "                                1\n"
            "  2+   3    4    5    6    7    8\n"
            "  9+  10   11   12   13   14   15*\n"
            " 16+  17   18   19   20   21   22\n"
            " 23*  24*  25   26   27   28   29\n"
            " 30+\n"
            "(* 祝日・振替休日  + 日曜日)\n"
            "\n"
            " 9月15日(土) 敬老の日\n"
            " 9月23日(日) 秋分の日\n"
            " 9月24日(月) 振替休日\n");
  const TCliRun k = Run("calendar 2001-09 --rokuyo");
  EXPECT_NE(k.out.find("  2+   3    4    5    6    7    8\n先負 仏滅 大安 赤口 先勝 友引 先負\n"),
            std::string::npos);
  // Outside the old-calendar table the rokuyo rows stay empty.
  const TCliRun outside = Run("calendar 1582-10 --rokuyo");
  EXPECT_EQ(outside.code, 0);
  EXPECT_NE(outside.out.find("  1    2    3    4   15   16\n\n 17+"), std::string::npos);
  EXPECT_EQ(Run("calendar").code, 0);
}

// koyomi lists a year's solar terms and seasonal days by date, a line per name; days carries the
// old calendar through 2100; outside 1900-2100 koyomi refuses and days has no old date.
TEST_F(CliTest, KoyomiAndTheOldCalendarThrough2100) {
  const TCliRun k = Run("koyomi 2025");
  EXPECT_EQ(k.code, 0);
  EXPECT_EQ(k.err, "");
  EXPECT_EQ(k.out.rfind("2025-01-05\t小寒\n2025-01-17\t土用入り\n2025-01-20\t大寒\n", 0), 0u);
  EXPECT_NE(k.out.find("2025-07-19\t土用入り\n2025-07-19\t土用の丑の日\n2025-07-22\t大暑\n"),
            std::string::npos);
  EXPECT_EQ(std::count(k.out.begin(), k.out.end(), '\n'), 45);
  EXPECT_EQ(Run("days 2026-12-20 2026-12-21").out,
            "2026-12-20\t2461395\t1\tdsSunday\t11\t12\t仏滅\t\n"
            "2026-12-21\t2461396\t2\t-\t11\t13\t大安\t\n");
  EXPECT_EQ(Run("days 2100-12-31 2100-12-31").out, "2100-12-31\t2488434\t6\t-\t12\t1\t赤口\t\n");
  for (const char* year : {"1899", "2101"}) {
    const TCliRun r = Run(std::string("koyomi ") + year);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              std::string("moriva-cli koyomi: the almanac covers the years 1900..2100, not ") +
                  year + "\n");
  }
  EXPECT_EQ(Run("koyomi twenty").code, 2);
}

TEST_F(CliTest, UsageErrorsAndHelp) {
  const struct {
    const char* args;
    int code;
    const char* err;
  } cases[] = {
      {"", 2, "Usage: moriva-cli COMMAND"},
      {"nonsense", 2, "unknown command 'nonsense'"},
      {"days 2001-09-24", 2, "missing arguments"},
      {"days 2001-09-24 2001-09-25 2001-09-26", 2, "too many arguments"},
      {"days 2001-9-x 2001-09-25", 2, "is not a date of the form YYYY-MM-DD"},
      {"days 2001-02-29 2001-03-01", 2, "'2001-02-29' is no valid date"},
      {"days 2001-09-25 2001-09-24", 2, "FROM lies after TO"},
      {"days 10000-01-01 10000-01-02", 2, "the year must lie in -4712..9999"},
      {"days 2001-09-24 2001-09-25 --colour", 2, "unknown option --colour"},
      {"days 2001-09-24 2001-09-25 --schedule", 2, "--schedule needs a value"},
      {"holidays twenty", 2, "'twenty' is not a year"},
      {"calendar 2001-13", 2, "no such month"},
      {"holidays 2026 --holidays new", 2,
       "moriva-cli holidays: --holidays must be current or classic"},
      {"calendar 2026-09 --holidays", 2, "--holidays needs a value"},
      {"days 1582-10-01 1582-10-05", 2,
       "moriva-cli days: '1582-10-05': 1582/10/5-10/14は存在しません。"},
      {"receive s.mrv --dir /no/such/folder", 2, "moriva-cli receive: --dir /no/such/folder: no"},
      {"send s.mrv --dir /no/such/folder", 2, "moriva-cli send: --dir /no/such/folder: no such"},
      {"config smtp --dir /no/such/folder", 2, "--dir /no/such/folder: no such folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const TCliRun r = Run(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  const TCliRun help = Run("--help");
  EXPECT_EQ(help.code, 0);
  for (const char* name : {"days FROM TO", "holidays YEAR", "calendar [YYYY-MM]"})
    EXPECT_NE(help.out.find(name), std::string::npos) << name;
  EXPECT_EQ(Run("holidays --help").out.rfind("Usage: moriva-cli holidays YEAR", 0), 0u);
  EXPECT_EQ(Run("--version").out, "moriva-cli 1.0.0.0\n");
}

}  // namespace
}  // namespace moriva
