#include "formats/PhoneCsv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "calendar/Julius.h"
#include "schedule/ScheduleLine.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

const JuliusDay kToday = DateToJulius(2026, 12, 6);

fs::path TestDir() {
  fs::path dir =
      fs::temp_directory_path() / ("moriva_csv_" + std::to_string(getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(PhoneCsv, ExportMatchesTheGoldenFile) {
  TPhoneCsvCounts counts;
  // Every kind of line the export meets: items before, on and after today, a yearly day,
  // quoting, a fifth part, leading zeros, impossible dates, too few parts or fields.
  TLineList store;
  store.LoadFromFile(MORIVA_TEST_DATA "/csv/mixed.mrv");
  TLineList csv = BuildPhoneCsv(store, kToday, &counts);
  EXPECT_EQ(counts.LeftOut, 5u);
  fs::path out = TestDir() / "SCHEDULE.CSV";
  SavePhoneCsv(out, csv);
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(MORIVA_TEST_DATA "/csv/schedule_export.csv"));
}

TEST(PhoneCsv, EmptyStoreGivesTheHeaderOnly) {
  fs::path out = TestDir() / "SCHEDULE.CSV";
  SavePhoneCsv(out, BuildPhoneCsv(TLineList(), kToday));
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(MORIVA_TEST_DATA "/csv/header_only.csv"));
}

TEST(PhoneCsv, RowsFromTodayOn) {
  struct Case {
    std::string line;
    std::string row;
  } cases[] = {
      {MakeScheduleLine(2026, 12, 6, Utf8ToCp932("会議"), Utf8ToCp932("会議室"), "9", "30", true),
       Utf8ToCp932("会議,2026/12/6,9:30:0,TRUE,会議室")},
      {MakeScheduleLine(2026, 12, 5, "a", "", "9", "0", false), ""},
      {MakeScheduleLine(2025, 12, 31, "a", "", "9", "0", false), ""},
      {MakeScheduleLine(2026, 12, 7, "a", "", "9", "0", false), "a,2026/12/7,9:0:0,FALSE,"},
      {MakeScheduleLine(2028, 2, 29, "leap", "", "0", "0", false), "leap,2028/2/29,0:0:0,FALSE,"},
      {"2026,2026,12,06,,,\"a- b- 9:00- ON\"", "a,2026/12/06,9:00,ON,b"},
      // An all-day item has no start time.
      {"2026,2026,12,9,,,\"Off- - - FALSE\"", "Off,2026/12/9,,FALSE,"},
      {"2026,2026,12,6,,,\"a- b- c- d- e- f\"", "a,2026/12/6,c,d,b"},
      // A quote reaches the subject only from a line holding it doubled twice over.
      {"2026,2026,12,6,,,\"q\"\"\"\"uote- - t- TRUE\"", "\"q\"\"uote\",2026/12/6,t,TRUE,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ScheduleLineToCsvRow(c.line, kToday), c.row);
  }
}

TEST(PhoneCsv, LinesThatAreNotItemsRaiseTheProgramsErrors) {
  struct Case {
    std::string line;
    TCsvRowStatus status;
    std::string message;
  } cases[] = {
      {",,5,3,,,\"x\"", TCsvRowStatus::BadDate, "'/5/3' は日付ではありません"},
      {"2027,2027,2,29,,,\"a- - 1:0:0- TRUE\"", TCsvRowStatus::BadDate,
       "'2027/2/29' は日付ではありません"},
      {"2026,2026,13,1,,,\"a- - 1:0:0- TRUE\"", TCsvRowStatus::BadDate,
       "'2026/13/1' は日付ではありません"},
      {"2026,2026,012,1,,,\"a- - 1:0:0- TRUE\"", TCsvRowStatus::BadDate,
       "'2026/012/1' は日付ではありません"},
      {"+2026,2026,12,8,,,\"a- - 1:0:0- TRUE\"", TCsvRowStatus::BadDate,
       "'+2026/12/8' は日付ではありません"},
      {"1582,1582,10,14,,,\"a- - 1:0:0- TRUE\"", TCsvRowStatus::BadDate,
       "'1582/10/14' は日付ではありません"},
      {"2026,2026,12,8,,", TCsvRowStatus::MissingField,
       "リストのインデックスが範囲を超えています (6)"},
      {"2026,2026,12,8,,,\"a- b- c\"", TCsvRowStatus::MissingField,
       "リストのインデックスが範囲を超えています (3)"},
      {"abc", TCsvRowStatus::MissingField, "リストのインデックスが範囲を超えています (2)"},
      {"", TCsvRowStatus::MissingField, "リストのインデックスが範囲を超えています (0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TCsvRow row = ConvertScheduleLine(c.line, kToday);
    EXPECT_EQ(row.Status, c.status);
    EXPECT_EQ(row.Text, c.message);
    try {
      ScheduleLineToCsvRow(c.line, kToday);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_EQ(c.status, TCsvRowStatus::BadDate);
      EXPECT_EQ(std::string(e.what()), c.message);
    } catch (const EListError& e) {
      EXPECT_EQ(c.status, TCsvRowStatus::MissingField);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(PhoneCsv, OneBadLineNeverBlocksTheExport) {
  TLineList store{",,1,1,,,\"New year\"",
                  MakeScheduleLine(2026, 12, 24, "Eve", "", "18", "0", false), "not a line at all"};
  TLineList csv = BuildPhoneCsv(store, kToday);
  ASSERT_EQ(csv.Count(), 2u);
  EXPECT_EQ(csv[1], "Eve,2026/12/24,18:0:0,FALSE,");
}
