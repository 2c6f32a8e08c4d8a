// The file menu's CSV and XML actions with scripted dialogs: the questions come first, a No or
// a cancelled dialog writes nothing, and only a merge changes the schedule.
#include "formats/FileMenuActions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;
using Kind = TFakeDialogs::Kind;

namespace {

const std::string kFuture = "2026,2026,12,24,,,\"Party- Hall- 18:0:0- TRUE\"";
const std::string kPast = "2026,2026,12,1,,,\"Old- - 9:0:0- FALSE\"";

class FileMenuActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    list_.Assign(Lines{kFuture, kPast});
    watch_ = schedule_.WatchCommits([this] { ++listChanges_; });
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Named before the document is built, which takes the folder at construction.
  fs::path dir_ =
      fs::temp_directory_path() / ("moriva_filemenu_" + std::to_string(getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TScheduleModel schedule_;
  TLineList& list_ = schedule_.Lines();
  TFakeDialogs dialogs_;
  TScheduleDocument doc_{schedule_, dialogs_, dir_};
  int listChanges_ = 0;
  TScheduleWatch watch_;
  const JuliusDay today_ = DateToJulius(2026, 12, 7);
};

TEST_F(FileMenuActionsTest, CsvOutAsksWithNoAsDefaultAndWritesTheRowsFromToday) {
  dialogs_.AnswerNo();
  CsvOutExecute(doc_, today_);
  ASSERT_EQ(dialogs_.Calls.size(), 1u);  // No: no dialog either
  EXPECT_EQ(dialogs_.Calls[0].Caption, "警告");
  EXPECT_EQ(dialogs_.Calls[0].Default, TMsgDefault::No);
  EXPECT_EQ(dialogs_.Calls[0].Icon, TMsgIcon::Warning);

  // A series goes to the handset as plain rows, and the message says so.
  list_.Add("repeat;id=w;start=20261207;every=1w;on=mo;count=3,\"Gym- - 7:0:0- FALSE\"");
  dialogs_.AnswerYes();
  dialogs_.AnswerFile(dir_ / "out");
  CsvOutExecute(doc_, today_);
  const auto save = dialogs_.CallsOf(Kind::SaveFile).at(0);
  EXPECT_EQ(save.ProposedName, fs::path("SCHEDULE.CSV"));
  EXPECT_EQ(save.Filter, "CSVファイル(*.csv)|*.csv|全て(*.*)|*.*");
  const std::string csv = ReadFileBytes(dir_ / "out.csv");
  EXPECT_NE(csv.find("Party,2026/12/24,18:0:0,TRUE,Hall\r\n"), std::string::npos);
  EXPECT_EQ(csv.find("Old"), std::string::npos);
  EXPECT_NE(csv.find("Gym,2026/12/7,7:0:0,FALSE,\r\nGym,2026/12/14,7:0:0,FALSE,\r\n"
                     "Gym,2026/12/21,7:0:0,FALSE,\r\n"),
            std::string::npos);
  EXPECT_EQ(
      dialogs_.MessageTexts(),
      std::vector<std::string>{"繰り返し予定 1 件は今日から 365 日分、3 件の予定にしました。"});
  EXPECT_FALSE(doc_.Modified);
  EXPECT_EQ(listChanges_, 0);
}

TEST_F(FileMenuActionsTest, CsvInMergesOnceAndMarksModified) {
  const fs::path in = dir_ / "in.csv";
  WriteFileAtomically(
      in, Utf8ToCp932("件名,開始日,開始時刻,アラーム\r\n") + "Dentist,2026/12/9,10:00,false\r\n");
  const std::string added = "2026,2026,12,9,,,\"Dentist- - 10:00- FALSE\"";
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    dialogs_.AnswerYes();
    dialogs_.AnswerFile(in);
    CsvInExecute(doc_);
    EXPECT_EQ(Lines(list_.begin(), list_.end()), (Lines{kFuture, kPast, added}));
    EXPECT_TRUE(doc_.Modified);
    EXPECT_EQ(listChanges_, round + 1);
    EXPECT_EQ(dialogs_.MessageTexts().back(), "同期完了しました。");
    EXPECT_EQ(dialogs_.CallsOf(Kind::AskYesNo).back().Default, TMsgDefault::No);
  }
}

TEST_F(FileMenuActionsTest, CsvInOfAMissingFileChangesNothing) {
  dialogs_.AnswerYes();
  dialogs_.AnswerFile(dir_ / "missing.csv");
  CsvInExecute(doc_);
  EXPECT_EQ(dialogs_.MessageTexts(),
            Lines{"ファイル " + (dir_ / "missing.csv").string() + " は開けません"});
  EXPECT_FALSE(doc_.Modified);
  EXPECT_EQ(listChanges_, 0);
  EXPECT_EQ(list_.Count(), 2u);
}

TEST_F(FileMenuActionsTest, XmlOutAddsTheExtensionAndACancelWritesNothing) {
  dialogs_.CancelFile();
  XmlOutExecute(doc_);
  EXPECT_TRUE(fs::is_empty(dir_));

  dialogs_.AnswerFile(dir_ / "plan");
  XmlOutExecute(doc_);
  EXPECT_EQ(dialogs_.CallsOf(Kind::SaveFile).back().Filter,
            "XMLファイル(*.xml)|*.xml|全て(*.*)|*.*");
  const std::string xml = ReadFileBytes(dir_ / "plan.xml");
  EXPECT_NE(xml.find(Utf8ToCp932("<日付>2026/12/24</日付>")), std::string::npos);
  EXPECT_TRUE(dialogs_.MessageTexts().empty());
}

TEST_F(FileMenuActionsTest, IcsOutThenIcsInAddsNothingAndARefusedFileChangesNothing) {
  list_.Add("2020,2010,1,1,,,Wraps");  // iCalendar cannot say this: left out, and told
  const TICalZone zone("Asia/Tokyo");
  dialogs_.AnswerFile(dir_ / "plan");
  IcsOutExecute(doc_, zone, 0);
  const auto save = dialogs_.CallsOf(Kind::SaveFile).at(0);
  EXPECT_EQ(save.ProposedName, fs::path("schedule.ics"));
  EXPECT_EQ(save.Filter, "iCalendarファイル(*.ics)|*.ics|全て(*.*)|*.*");
  EXPECT_EQ(dialogs_.MessageTexts(), Lines{"iCalendar で表せない行 1 件は書き出しませんでした。"});
  EXPECT_FALSE(doc_.Modified);

  dialogs_.AnswerNo();
  IcsInExecute(doc_, zone, today_);
  EXPECT_EQ(dialogs_.CallsOf(Kind::OpenFile).size(), 0u);
  EXPECT_EQ(dialogs_.CallsOf(Kind::AskYesNo).back().Default, TMsgDefault::No);

  dialogs_.AnswerYes();
  dialogs_.AnswerFile(dir_ / "plan.ics");
  IcsInExecute(doc_, zone, today_);
  EXPECT_EQ(dialogs_.MessageTexts().back(),
            "同期完了しました。\r\n追加 0 件，登録済み 2 件，読み飛ばし 0 件");
  EXPECT_EQ(list_.Count(), 3u);
  EXPECT_TRUE(doc_.Modified);

  doc_.Modified = false;
  WriteFileAtomically(dir_ / "bad.ics", "BEGIN:VCALENDAR\r\n");
  dialogs_.AnswerYes();
  dialogs_.AnswerFile(dir_ / "bad.ics");
  IcsInExecute(doc_, zone, today_);
  EXPECT_EQ(dialogs_.CallsOf(Kind::Message).back().Icon, TMsgIcon::Error);
  EXPECT_FALSE(doc_.Modified);
  EXPECT_EQ(list_.Count(), 3u);
}

}  // namespace
