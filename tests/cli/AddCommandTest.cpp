// moriva-cli add: one typed line becomes an item or a series of the file, printed as agenda
// prints it; a line it cannot read changes nothing.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

class AddCommandTest : public TCliTest {
 protected:
  AddCommandTest() : TCliTest("moriva_addcli") {}
  void SetUp() override {
    TCliTest::SetUp();
    WriteFileAtomically(file(), Utf8ToCp932("2026,2026,12,8,,,\"朝会- - 9:0:0- FALSE\"\r\n"));
  }
  std::string file() const { return (dir_ / "s.mrv").string(); }
  TCliRun Add(const std::string& text) const {
    return Run("add " + file() + " '" + text + "' --today 2026-12-07");
  }
};

TEST_F(AddCommandTest, AddsItemsAndSeriesAndRefusesWhatItCannotRead) {
  TCliRun r = Add("明日15時 歯医者 @駅前");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2026-12-08 (火)\n  15:00  歯医者  @ 駅前\n");
  r = Add("毎週火曜 10時 定例 3回");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2026-12-08 (火)\n  10:00  定例  [repeating]\n");

  const std::string lines = Cp932ToUtf8(ReadFileBytes(file()));
  EXPECT_EQ(lines.rfind("2026,2026,12,8,,,\"朝会- - 9:0:0- FALSE\"\r\n"
                        "2026,2026,12,8,,,\"歯医者- 駅前- 15:0:0- FALSE\"\r\n"
                        "repeat;id=",
                        0),
            0u)
      << lines;
  EXPECT_NE(lines.find(";start=20261208;every=1w;on=tu;count=3,\"定例- - 10:0:0- FALSE\"\r\n"),
            std::string::npos)
      << lines;
  EXPECT_EQ(Run("agenda " + file() + " 2026-12-08 2026-12-31").out,
            "2026-12-08 (火)\n"
            "   9:00  朝会\n"
            "  15:00  歯医者  @ 駅前\n"
            "  10:00  定例  [repeating]\n"
            "\n"
            "2026-12-15 (火)\n"
            "  10:00  定例  [repeating]\n"
            "\n"
            "2026-12-22 (火)\n"
            "  10:00  定例  [repeating]\n");

  const std::string before = ReadFileBytes(file());
  for (const auto& [text, why] : std::vector<std::pair<std::string, std::string>>{
           {"明日15時", "件名を書いてください。"},
           {"2月30日 予定", "「2月30日」という日はありません。"},
           {"会議- 延長 明日", "件名と場所には"}}) {
    SCOPED_TRACE(text);
    r = Add(text);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("moriva-cli add: " + why, 0), 0u) << r.err;
  }
  EXPECT_EQ(ReadFileBytes(file()), before);
  EXPECT_EQ(Run("add " + file()).code, 2);
}

}  // namespace
}  // namespace moriva
