#include "formats/CsvMerge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "handset/SendToHandset.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

const std::string kHeader = Utf8ToCp932("件名,場所,日付,時刻,アラーム");

TMergeResult Merge(const Lines& csvBody, TLineList& store) {
  Lines all{kHeader};
  all.insert(all.end(), csvBody.begin(), csvBody.end());
  return MergeCsvLines(TLineList(all), store);
}

}  // namespace

TEST(CsvMerge, RecordsBecomeScheduleLines) {
  struct Case {
    std::string record;
    std::optional<std::string> line;
  } cases[] = {
      {Utf8ToCp932("会議,会議室,2003/5/1,10:00,on"),
       Utf8ToCp932("2003,2003,5,1,,,\"会議- 会議室- 10:00- ON\"")},
      {Utf8ToCp932("会議,2003/5/1,10:00,off"),
       Utf8ToCp932("2003,2003,5,1,,,\"会議- - 10:00- OFF\"")},
      // An unquoted blank splits a field: the four-field record is read as five fields, and a
      // five-field one as six, where the date is then "meeting".
      {"Team meeting,2003/5/1,10:00,true", "2003,2003,5,1,,,\"Team- meeting- 10:00- TRUE\""},
      {"Team meeting,Room,2003/5/1,10:00,true", std::nullopt},
      {"\"Team meeting\",Room,2003/05/01,9:30:00,True",
       "2003,2003,05,01,,,\"Team meeting- Room- 9:30:00- TRUE\""},
      {"a,2003/5/1/9,t,false,x,y", "2003,2003,5,1,,,\"a- - t- FALSE\""},
      // Only ASCII letters of the alarm word change: ヂ (0x83 0x61) must not become ア.
      {"a,2003/5/1,t," + Utf8ToCp932("ヂｏｎ"),
       "2003,2003,5,1,,,\"a- - t- " + Utf8ToCp932("ヂｏｎ") + "\""},
      {"a,b,c", std::nullopt},
      {"a,2003/5,t,TRUE", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    EXPECT_EQ(CsvRecordToScheduleLine(c.record), c.line);
  }
}

TEST(CsvMerge, ContinuationLinesJoinTheRecordBeforeThem) {
  // A line break inside a quoted field: the first continuation closes the quote and opens the
  // next field, every further one is appended directly.
  TLineList store;
  TMergeResult r = Merge(
      {
          "\"first line",
          "second\",2003/5/1,10:00,true",
          "\"a",
          "b",
          "c\",2003/5/2,11:00,false",
          "\"x",
          "\",2003/5/3,12:00,false",  // a quote and a comma continue as well
          "\"y\",2003/5/4,13:00,true",
      },
      store);
  EXPECT_EQ(store.Lines(), (Lines{
                               "2003,2003,5,1,,,\"first line- second- 10:00- TRUE\"",
                               "2003,2003,5,2,,,\"a- bc- 11:00- FALSE\"",
                               "2003,2003,5,3,,,\"x- - 12:00- FALSE\"",
                               "2003,2003,5,4,,,\"y- - 13:00- TRUE\"",
                           }));
  EXPECT_EQ(r, (TMergeResult{4, 0, 0, 0}));
}

TEST(CsvMerge, ImportingTwiceAddsNothingAndCaseIsIgnored) {
  TLineList store{"2003,2003,5,1,,,\"Lunch- - 12:00- TRUE\"", ",,5,3,,,\"Memorial\""};
  const Lines csv{"\"lunch\",2003/5/1,12:00,true", "\"Dinner\",2003/5/1,19:00,false",
                  "\"DINNER\",2003/5/1,19:00,FALSE", Utf8ToCp932("\"ア\",2003/5/1,1:00,true"),
                  Utf8ToCp932("\"ヂ\",2003/5/1,1:00,true")};
  EXPECT_EQ(Merge(csv, store), (TMergeResult{3, 2, 0, 0}));
  EXPECT_EQ(store.Count(), 5u);
  EXPECT_EQ(store[2], "2003,2003,5,1,,,\"Dinner- - 19:00- FALSE\"");
  EXPECT_EQ(store[4], Utf8ToCp932("2003,2003,5,1,,,\"ヂ- - 1:00- TRUE\""));
  TLineList again = store;
  EXPECT_EQ(Merge(csv, store), (TMergeResult{0, 5, 0, 0}));
  EXPECT_EQ(store, again);
  // The one-record form finds the same duplicates by looking through the list.
  EXPECT_EQ(AddCsvRecord("LUNCH,2003/5/1,12:00,TRUE", store), TAddResult::Duplicate);
  EXPECT_EQ(AddCsvRecord("a,b", store), TAddResult::Unreadable);
  EXPECT_EQ(AddCsvRecord("x,2003/5/1,1:00,true", store), TAddResult::Added);
  EXPECT_EQ(store.Count(), 6u);
}

TEST(CsvMerge, UnreadableRecordsAndEmptyLinesArePassedOver) {
  TLineList store;
  int changes = 0;
  store.OnChange = [&] { ++changes; };
  TMergeResult r = Merge({"a,2003/5/1,1:00,true", "", "\"bad\",2003", "\"c\",2003/5/3", "",
                          "\"d\",2003/5/4,4:00,false", ""},
                         store);
  EXPECT_EQ(r, (TMergeResult{2, 0, 2, 3}));
  EXPECT_EQ(store.Lines(),
            (Lines{"2003,2003,5,1,,,\"a- - 1:00- TRUE\"", "2003,2003,5,4,,,\"d- - 4:00- FALSE\""}));
  EXPECT_EQ(changes, 1);  // the calendar re-reads the list once
  EXPECT_EQ(MergeCompletionMessage(r),
            "同期完了しました。\r\n読み取れないレコード 2 件を読み飛ばしました。");

  TMergeResult headerOnly = Merge({}, store);
  EXPECT_EQ(headerOnly, TMergeResult{});
  EXPECT_EQ(MergeCompletionMessage(headerOnly), "同期完了しました。");
  EXPECT_EQ(changes, 1);
}

TEST(CsvMerge, MergeCsvFileReadsEveryLineEnd) {
  fs::path dir = fs::temp_directory_path() / ("moriva_merge_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::path file = dir / "in.csv";
  // Header, CR-only and LF-only line ends, and a last record without a line end.
  WriteFileAtomically(file, kHeader + "\r\"a\",2003/5/1,1:00,true\n\"b\",2003/5/2,2:00,false");
  TLineList store;
  EXPECT_EQ(MergeCsvFile(file, store), (TMergeResult{2, 0, 0, 0}));
  EXPECT_EQ(store[1], "2003,2003,5,2,,,\"b- - 2:00- FALSE\"");

  TLineList before = store;
  EXPECT_THROW(MergeCsvFile(dir / "missing.csv", store), EFileError);
  EXPECT_EQ(store, before);
  fs::remove_all(dir);
}

// A receive merges every CSV file it saved, in order and each path once; other attachments
// only when no file is named as CSV (then the first); a file that cannot be read changes nothing.
TEST(CsvMerge, EveryReceivedScheduleFileIsMerged) {
  fs::path dir = fs::temp_directory_path() / ("moriva_received_" + std::to_string(getpid()));
  fs::create_directories(dir);
  WriteFileAtomically(dir / "A.CSV", kHeader + "\r\n\"a\",2003/5/1,1:00,true");
  WriteFileAtomically(dir / "b.csv", kHeader + "\r\n\"b\",2003/5/2,2:00,false");
  WriteFileAtomically(dir / "note.txt", kHeader + "\r\n\"t\",2003/5/3,3:00,false");
  struct Case {
    std::vector<fs::path> files;
    TMergeResult result;
  } cases[] = {
      {{dir / "A.CSV", dir / "note.txt", dir / "A.CSV", dir / "b.csv"}, {2, 0, 0, 0}},
      {{dir / "note.txt", dir / "A.CSV"}, {1, 0, 0, 0}},
      {{dir / "note.txt"}, {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TLineList store;
    EXPECT_EQ(MergeScheduleFiles(c.files, store), c.result) << c.files.front();
  }
  TLineList store;
  EXPECT_THROW(MergeScheduleFiles({dir / "A.CSV", dir / "gone.csv"}, store), EFileError);
  EXPECT_EQ(store.Count(), 0u);
  fs::remove_all(dir);
}

// The index must find exactly what looking through the whole list finds.
TEST(CsvMerge, IndexedMergeEqualsTheScan) {
  std::mt19937 rng(7);
  const std::vector<std::string> words{"Lunch",           "lunch", "LUNCH", Utf8ToCp932("ア"),
                                       Utf8ToCp932("ヂ"), "x y",   "Ab"};
  auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  auto record = [&] {
    std::string date =
        "2003/" + std::to_string(1 + rng() % 2) + "/" + std::to_string(1 + rng() % 3);
    std::string alarm = pick({"true", "TRUE", "False", "on"});
    switch (rng() % 4) {
      case 0:
        return "\"" + pick(words) + "\"," + pick(words) + "," + date + ",1:00," + alarm;
      case 1:
        return "\"" + pick(words) + "\"," + date + ",2:00," + alarm;
      case 2:
        return std::string("\"broken\",") + date;
      default:
        return pick({std::string("cont"), std::string(), std::string("\",x")});
    }
  };
  Lines storeLines, csv{kHeader};
  for (int i = 0; i < 300; ++i) {
    std::optional<std::string> line = CsvRecordToScheduleLine(record());
    if (line) storeLines.push_back(*line);
  }
  for (int i = 0; i < 600; ++i) csv.push_back(record());

  TLineList indexed(storeLines);
  TMergeResult r = MergeCsvLines(TLineList(csv), indexed);

  // The same records, one at a time, each looked up by a scan.
  TLineList scanned(storeLines);
  TMergeResult s;
  for (size_t i = 1; i < csv.size(); ++i) {
    if (csv[i].empty()) {
      ++s.EmptyLines;
      continue;
    }
    std::string rec = csv[i];
    for (bool first = true; i + 1 < csv.size() && !csv[i + 1].empty() &&
                            !(csv[i + 1][0] == '"' && csv[i + 1].rfind("\",", 0) != 0);
         ++i, first = false)
      rec += (first ? "\",\"" : "") + csv[i + 1];
    switch (AddCsvRecord(rec, scanned)) {
      case TAddResult::Added:
        ++s.Added;
        break;
      case TAddResult::Duplicate:
        ++s.Duplicates;
        break;
      case TAddResult::Unreadable:
        ++s.Skipped;
        break;
    }
  }
  EXPECT_EQ(indexed, scanned);
  EXPECT_EQ(r, s);
  EXPECT_GT(r.Added, 10u);
  EXPECT_GT(r.Duplicates, 10u);
  EXPECT_GT(r.Skipped, 10u);
}
