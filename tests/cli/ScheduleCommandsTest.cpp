// moriva-cli agenda, csv-export and csv-import run as a program on the golden files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "base/FileIO.h"
#include "base/FileLock.h"
#include "tests/support/CliRun.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

class ScheduleCommandsTest : public TCliTest {
 protected:
  ScheduleCommandsTest() : TCliTest("moriva_schecli") {}

  static std::string Data(const char* name) { return std::string(MORIVA_TEST_DATA "/csv/") + name; }
};

}  // namespace

TEST_F(ScheduleCommandsTest, AgendaListsItemsPerDay) {
  TCliRun r = Run("agenda " + Data("mixed.mrv") + " --today 2026-12-06");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "2026-12-06 (日)\n"
            "   9:30  会議  @ 会議室  [alarm]\n"
            "  23:55  ｱﾗｰﾑ  @ 表示\n"
            "\n"
            "2026-12-07 (月)\n"
            "   7:05  Five  @ Hall  [alarm]\n"
            "\n"
            "2026-12-31 (木)\n"
            "   1:00  Say \"hi\"  @ p\n"
            "\n"
            "2027-01-05 (火)\n"
            "   8:00  x\n"
            "\n"
            "2027-01-15 (金)\n"
            "  10:00  Team meeting  @ A, B\n");
  EXPECT_EQ(Run("agenda " + Data("mixed.mrv") + " 2026-12-07 2026-12-07").out,
            "2026-12-07 (月)\n   7:05  Five  @ Hall  [alarm]\n");
  EXPECT_EQ(Run("agenda " + Data("mixed.mrv") + " 2026-12-08 2026-12-07").code, 2);
  TCliRun missing = Run("agenda " + (dir_ / "none.mrv").string());
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err,
            "moriva-cli agenda: ファイル " + (dir_ / "none.mrv").string() + " は開けません\n");
}

TEST_F(ScheduleCommandsTest, CsvExportWritesTheHandsetFile) {
  const fs::path out = dir_ / "SCHEDULE.CSV";
  TCliRun r = Run("csv-export " + Data("mixed.mrv") + " " + out.string() + " --today 2026-12-06");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "wrote 6 rows to " + out.string() +
                       " (5 lines that are not schedule items left out)\n");
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(Data("schedule_export.csv")));
  TCliRun blocked = Run("csv-export " + Data("mixed.mrv") + " " + dir_.string());
  EXPECT_EQ(blocked.code, 1);
  EXPECT_EQ(blocked.err,
            "moriva-cli csv-export: ファイル " + dir_.string() + " を作成できません\n");
}

TEST_F(ScheduleCommandsTest, CsvImportMergesOnceAndSavesTheFile) {
  const fs::path mrv = dir_ / "plan.mrv";
  fs::copy_file(Data("before_import.mrv"), mrv);
  TCliRun r = Run("csv-import " + mrv.string() + " " + Data("handset.csv"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "CSVファイルの予定を読み込みました。\nadded 3, already present 1, skipped 1\n");
  EXPECT_EQ(ReadFileBytes(mrv), ReadFileBytes(Data("after_import.mrv")));

  TCliRun again = Run("csv-import " + mrv.string() + " " + Data("handset.csv"));
  EXPECT_EQ(again.out,
            "CSVファイルの予定を読み込みました。\nadded 0, already present 4, skipped 1\n");
  EXPECT_EQ(ReadFileBytes(mrv), ReadFileBytes(Data("after_import.mrv")));

  TCliRun missing = Run("csv-import " + mrv.string() + " " + (dir_ / "none.csv").string());
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(ReadFileBytes(mrv), ReadFileBytes(Data("after_import.mrv")));
}

// A writer that holds the file (as a running sync does) finishes first; the import then merges
// into what it wrote instead of saving its own older copy over it.
TEST_F(ScheduleCommandsTest, CsvImportWaitsForAnotherWriter) {
  const fs::path mrv = dir_ / "plan.mrv";
  fs::copy_file(Data("before_import.mrv"), mrv);
  const std::string synced = "2030,2030,1,1,,,\"Synced- - 9:0:0- FALSE\"";
  std::future<TCliRun> import;
  {
    const TFileLock sync(mrv, std::chrono::milliseconds(0));
    import = std::async(std::launch::async,
                        [&] { return Run("csv-import " + mrv.string() + " " + Data("handset.csv"));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(ReadFileBytes(mrv), ReadFileBytes(Data("before_import.mrv")));
  WriteFileAtomically(mrv, ReadFileBytes(mrv) + synced + "\r\n");
}
EXPECT_EQ(import.get().code, 0);
const std::string after = ReadFileBytes(mrv);
EXPECT_NE(after.find(synced), std::string::npos);
for (const std::string& line : {"2003,2003,05,01", "Lunch- - 12:30"})
  EXPECT_NE(after.find(line), std::string::npos) << line;
}

TEST_F(ScheduleCommandsTest, IcsExportAndImportRoundTrip) {
  const fs::path ics = dir_ / "plan.ics";
  const fs::path mrv = dir_ / "plan.mrv";
  fs::copy_file(Data("mixed.mrv"), mrv);
  TCliRun r = Run("ics-export " + mrv.string() + " " + ics.string() +
                  " --tz Asia/Tokyo --today 2026-12-01 --holidays current");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("wrote ", 0), 0u);
  const std::string before = ReadFileBytes(mrv);
  TCliRun back = Run("ics-import " + mrv.string() + " " + ics.string() + " --tz Asia/Tokyo");
  EXPECT_EQ(back.code, 0);
  EXPECT_NE(back.out.find("added 0,"), std::string::npos) << back.out;
  EXPECT_EQ(ReadFileBytes(mrv), before);

  WriteFileAtomically(ics,
                      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\n"
                      "RRULE:FREQ=MONTHLY;BYMONTH=1,2,3,4,5,6,7,8,9,10,11,12\r\nSUMMARY:M\r\nEND:"
                      "VEVENT\r\nEND:VCALENDAR\r\n");
  TCliRun window =
      Run("ics-import " + mrv.string() + " " + ics.string() + " --from 2026-03-01 --to 2026-04-30");
  EXPECT_EQ(window.out,
            "iCalendar ファイルの予定を読み込みました。\nadded 2, already present 0, skipped 0, "
            "made safe 0\n");
  EXPECT_EQ(
      Run("ics-import " + mrv.string() + " " + ics.string() + " --from 2026-05-01 --to 2026-04-30")
          .code,
      2);

  WriteFileAtomically(ics, "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n");
  TCliRun refused = Run("ics-import " + mrv.string() + " " + ics.string());
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(refused.err, "moriva-cli ics-import: ファイル " + ics.string() +
                             " は iCalendar ファイルとして読めません (2 行目: END:VCALENDAR "
                             "の前にファイルが終わっています)\n");
}
