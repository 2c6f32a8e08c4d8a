// moriva-cli with repeating items: agenda lists each occurrence on its day, days marks them,
// csv-export sends them as plain rows and says how many.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

class SeriesCommandsTest : public TCliTest {
 protected:
  SeriesCommandsTest() : TCliTest("moriva_seriescli") {}
  void SetUp() override {
    TCliTest::SetUp();
    // 毎週月曜 (祝日を除く: 2027-01-11 is 成人の日), 2027-01-12 taken out of a daily one.
    WriteFileAtomically(file(),
                        Utf8ToCp932("repeat;id=a;start=20270104;every=1w;on=mo;holidays=skip,"
                                    "\"朝会- 本社- 9:0:0- TRUE\"\r\n"
                                    "2027,2027,1,11,,,\"初釜- - 11:0:0- FALSE\"\r\n"
                                    "repeat;id=b;start=20270110;every=1d;count=4;except=20270112,"
                                    "\"散歩- - 7:0:0- FALSE\"\r\n"));
  }
  std::string file() const { return (dir_ / "s.mrv").string(); }
};

TEST_F(SeriesCommandsTest, AgendaDaysAndCsvExport) {
  EXPECT_EQ(Run("agenda " + file() + " 2027-01-10 2027-01-18").out,
            "2027-01-10 (日)\n"
            "   7:00  散歩  [repeating]\n"
            "\n"
            "2027-01-11 (月)\n"
            "  11:00  初釜\n"
            "   7:00  散歩  [repeating]\n"
            "\n"
            "2027-01-13 (水)\n"
            "   7:00  散歩  [repeating]\n"
            "\n"
            "2027-01-18 (月)\n"
            "   9:00  朝会  @ 本社  [repeating]  [alarm]\n");
  // 海の日 is the third Monday of July by today's law, 20 July by the old fifteen lines.
  EXPECT_EQ(Run("agenda " + file() + " 2027-07-19 2027-07-19").out, "");
  EXPECT_EQ(Run("agenda " + file() + " 2027-07-19 2027-07-19 --holidays classic").out,
            "2027-07-19 (月)\n"
            "   9:00  朝会  @ 本社  [repeating]  [alarm]\n");

  const std::string days = Run("days 2027-01-12 2027-01-13 --schedule " + file()).out;
  EXPECT_NE(days.find("2027-01-12\t2461418\t3\t-\t"), std::string::npos) << days;
  EXPECT_NE(days.find("2027-01-13\t2461419\t4\tdsSpecialDay\t"), std::string::npos) << days;

  const std::string csv = (dir_ / "out.csv").string();
  TCliRun r = Run("csv-export " + file() + " " + csv + " --today 2027-01-11");
  // 53 Mondays less 7 holidays, 2 walks, 1 plain item.
  EXPECT_EQ(r.out, "wrote 49 rows to " + csv +
                       "\n48 rows from 2 repeating items (the 365 days from today)\n");
  const std::string rows = Cp932ToUtf8(ReadFileBytes(csv));
  EXPECT_NE(rows.find("\r\n初釜,2027/1/11,11:0:0,FALSE,\r\n散歩,2027/1/11,7:0:0,FALSE,\r\n"
                      "散歩,2027/1/13,7:0:0,FALSE,\r\n"),
            std::string::npos);
  EXPECT_EQ(rows.find("2027/1/12"), std::string::npos);
  EXPECT_NE(rows.find("朝会,2027/1/18,9:0:0,TRUE,本社\r\n"), std::string::npos);
}

}  // namespace
}  // namespace moriva
