// moriva-cli on a large schedule with a malformed line every ten lines, and on targets whose
// names are too long: every command finishes, says once how many lines it passed over, and a
// failed write names the file and changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/FileIO.h"
#include "schedule/ScheduleLine.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

constexpr int kLines = 30000;
const char* const kBad[] = {"this is not a schedule line",
                            "2030,2030,x,3,,,\"month x- a- 9:0:0- TRUE\"",
                            "2030,2030,5,3,,,\"too few parts\""};

class CliHostileTest : public TCliTest {
 protected:
  CliHostileTest() : TCliTest("moriva_cli_hostile") {}

  // Items on 2030-01-01 .. 2030-01-28; every tenth line one of the malformed kinds in turn.
  fs::path BigSchedule() {
    std::string text;
    for (int i = 0; i < kLines; ++i) {
      text += i % 10 == 9 ? std::string(kBad[(i / 10) % 3])
                          : MakeScheduleLine(2030, 1, 1 + i % 28, "item" + std::to_string(i), "",
                                             "9", "0", false);
      text += "\r\n";
    }
    const fs::path path = dir_ / "big.mrv";
    WriteFileAtomically(path, text);
    return path;
  }
};

size_t Count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t p = text.find(word); p != std::string::npos; p = text.find(word, p + 1)) ++n;
  return n;
}

TEST_F(CliHostileTest, EveryCommandGetsThroughAndCountsWhatItLeftOut) {
  const std::string mrv = BigSchedule().string();
  const int bad = kLines / 10, items = kLines - bad;

  const TCliRun agenda = Run("agenda " + mrv + " 2030-01-01 2030-12-31");
  EXPECT_EQ(agenda.code, 0);
  EXPECT_EQ(Count(agenda.out, " item"), static_cast<size_t>(items));

  const TCliRun csv =
      Run("csv-export " + mrv + " " + (dir_ / "out.csv").string() + " --today 2030-01-01");
  EXPECT_EQ(csv.code, 0);
  EXPECT_EQ(csv.out, "wrote " + std::to_string(items) + " rows to " + (dir_ / "out.csv").string() +
                         " (" + std::to_string(bad) +
                         " lines that are not schedule items left out)\n");

  const TCliRun xml = Run("xml-export " + mrv + " " + (dir_ / "out.xml").string());
  EXPECT_EQ(xml.code, 0);
  EXPECT_EQ(xml.out, "wrote " + std::to_string(kLines - bad / 3) + " items to " +
                         (dir_ / "out.xml").string() + " (" + std::to_string(bad / 3) +
                         " lines without an item text left out)\n");

  // The calendar names each line it cannot read once; the first kind splits into six fields.
  const TCliRun days = Run("days 2030-01-01 2030-01-31 --schedule " + mrv);
  EXPECT_EQ(days.code, 0);
  EXPECT_EQ(Count(days.out, "\n"), 31u);
  EXPECT_EQ(Count(days.err, "\n"), static_cast<size_t>(2 * bad / 3));
  EXPECT_EQ(
      Count(days.err, std::string("moriva-cli days: '") + kBad[1] + "' は整数ではありません\n"),
      static_cast<size_t>(bad / 3));
}

TEST_F(CliHostileTest, ATargetNameTooLongFailsWithItsNameAndChangesNothing) {
  const fs::path mrv = dir_ / "s.mrv";
  WriteFileAtomically(mrv, "2030,2030,1,1,,,\"a- b- 9:0:0- TRUE\"\r\n");
  for (const char* command : {"csv-export --today 2030-01-01", "xml-export"}) {
    SCOPED_TRACE(command);
    const fs::path target = dir_ / (std::string(296, 'n') + ".out");
    const TCliRun r = Run(std::string(command) + " " + mrv.string() + " " + target.string());
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "moriva-cli " +
                         std::string(command).substr(0, std::string(command).find(' ')) +
                         ": ファイル " + target.string() + " を作成できません\n");
  }
  EXPECT_EQ(ReadFileBytes(mrv), "2030,2030,1,1,,,\"a- b- 9:0:0- TRUE\"\r\n");
}

// Ctrl+C during an import whose rules would take seconds more ends it within a second, with the
// cancel message, and the schedule file is left as it was.
TEST_F(CliHostileTest, CtrlCStopsAnIcsImportPromptly) {
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:test\r\n";
  for (int i = 0; i < 200; ++i)
    ics += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) +
           "\r\nDTSTART:20260101T000000Z\r\nRRULE:FREQ=MINUTELY\r\nEND:VEVENT\r\n";
  WriteFileAtomically(dir_ / "many.ics", ics + "END:VCALENDAR\r\n");
  const std::string item = "2030,2030,1,1,,,\"a- b- 9:0:0- TRUE\"\r\n";
  WriteFileAtomically(dir_ / "s.mrv", item);
  // A background job starts with SIGINT ignored until the program catches it, so the signal is
  // sent again until the program ends; the time runs from the first one.
  const std::string timing = oracle::ShellQuote((dir_ / "timing").string());
  const TCliRun r =
      RunCaptured(MorivaCli() + " ics-import " + oracle::ShellQuote((dir_ / "s.mrv").string()) +
                      " " + oracle::ShellQuote((dir_ / "many.ics").string()) +
                      " --tz UTC --today 2026-06-01 & pid=$!; sleep 0.5; start=$(date +%s%N); "
                      "while kill -INT $pid 2>/dev/null; do sleep 0.02; done; wait $pid; "
                      "echo $? $(( ($(date +%s%N) - start) / 1000000 )) >" +
                      timing,
                  dir_);
  EXPECT_EQ(r.err, "moriva-cli ics-import: キャンセルしました。\n");
  int code = 0, ms = 0;
  std::istringstream(ReadFileBytes(dir_ / "timing")) >> code >> ms;
  EXPECT_EQ(code, 1);
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(ReadFileBytes(dir_ / "s.mrv"), item);
}

}  // namespace
}  // namespace moriva
