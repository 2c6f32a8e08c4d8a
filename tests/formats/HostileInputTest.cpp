// Exchange files that are huge or named beyond what the file system takes. A big handset file
// merges in time proportional to its records and counts every record it cannot read; a target
// whose name is too long fails with one clear message and nothing is lost or left behind.
// bench/hostile_bench.cpp merges a file of 1 000 000 records.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "formats/CsvMerge.h"
#include "formats/FileMenuActions.h"
#include "schedule/ScheduleDocument.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(HostileCsv, ManyRecordsMergeInProportionalTimeAndUnreadableOnesAreCounted) {
  constexpr size_t kRecords = 100000;
  std::vector<std::string> csv = {Utf8ToCp932("件名,開始日,開始時刻,アラーム")};
  csv.reserve(kRecords + 1);
  size_t unreadable = 0, repeated = 0;
  for (size_t i = 0; i < kRecords; ++i) {
    if (i % 10 == 9) {
      csv.push_back(i % 20 == 9 ? "\"two\",fields" : "\"no date\",2030,9:00,TRUE");
      ++unreadable;
    } else if (i % 10 == 5) {
      csv.push_back(csv[csv.size() - 2]);  // the same record once more, in other letter case
      for (char& c : csv.back()) c = AsciiLower(c);
      ++repeated;
    } else {
      csv.push_back("\"Rec " + std::to_string(i) + "\",2030/" + std::to_string(1 + i % 12) + "/" +
                    std::to_string(1 + i % 28) + ",9:00,TRUE");
    }
  }
  TLineList list;
  const auto start = std::chrono::steady_clock::now();
  const TMergeResult r = MergeCsvLines(TLineList(std::move(csv)), list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.Skipped, unreadable);
  EXPECT_EQ(r.Duplicates, repeated);
  EXPECT_EQ(r.Added, kRecords - unreadable - repeated);
  EXPECT_EQ(list.Count(), r.Added);
  EXPECT_EQ(MergeCompletionMessage(r), "同期完了しました。\r\n読み取れないレコード " +
                                           std::to_string(unreadable) + " 件を読み飛ばしました。");
}

TEST(HostileCsv, ARecordThatNeverEndsIsOneRecord) {
  // No line after the first starts a record, so all of them continue it.
  std::vector<std::string> csv = {"header", "\"Long\",2030/5/3,9:00,TRUE"};
  for (int i = 0; i < 200000; ++i) csv.push_back("x");
  TLineList list;
  const auto start = std::chrono::steady_clock::now();
  const TMergeResult r = MergeCsvLines(TLineList(std::move(csv)), list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // Its fields fall out of place, so it is one unreadable record, not 200 000.
  EXPECT_EQ(r.Skipped, 1u);
  EXPECT_EQ(list.Count(), 0u);
}

// The schedule, CSV and XML targets named by the user: a name of 255 bytes is written, a
// longer one gives the usual error box and loses nothing.
class LongTargetNameTest : public ::testing::Test {
 protected:
  void SetUp() override { list_.Assign(Lines{kItem}); }

  fs::path Named(size_t bytes, std::string_view ext) const {
    return dir_.Path() / (std::string(bytes - ext.size(), 'n') + std::string(ext));
  }

  const std::string kItem = "2030,2030,5,3,,,\"Meeting- Room- 9:30:0- TRUE\"";
  oracle::TempDir dir_;
  TScheduleModel schedule_;
  TLineList& list_ = schedule_.Lines();
  TFakeDialogs dialogs_;
  TScheduleDocument doc_{schedule_, dialogs_, dir_.Path()};
};

TEST_F(LongTargetNameTest, EachTargetFailsClearlyWhenTooLong) {
  struct Case {
    const char* name;
    std::string_view ext;
    std::function<void()> act;
  } cases[] = {
      {"schedule", ".mrv", [&] { doc_.SaveScheduleExecute(); }},
      {"CSV", ".csv",
       [&] {
         dialogs_.AnswerYes();
         CsvOutExecute(doc_, DateToJulius(2030, 1, 1));
       }},
      {"XML", ".xml", [&] { XmlOutExecute(doc_); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t bytes : {size_t{NAME_MAX}, size_t{300}}) {
      SCOPED_TRACE(bytes);
      const fs::path target = Named(bytes, c.ext);
      dialogs_.Calls.clear();
      doc_.Modified = true;
      dialogs_.AnswerFile(target);
      c.act();
      EXPECT_EQ(list_, TLineList{kItem});
      if (bytes <= NAME_MAX) {
        EXPECT_TRUE(dialogs_.MessageTexts().empty());
        EXPECT_NE(ReadFileBytes(target).find("Meeting"), std::string::npos);
        fs::remove(target);
        continue;
      }
      EXPECT_EQ(dialogs_.MessageTexts(),
                Lines{"ファイル " + target.string() + " を作成できません"});
      // The schedule is still unsaved, so closing will ask again.
      if (c.ext == ".mrv") {
        EXPECT_TRUE(doc_.Modified);
      }
      EXPECT_TRUE(fs::is_empty(dir_.Path()));
    }
  }
}

}  // namespace
}  // namespace moriva
