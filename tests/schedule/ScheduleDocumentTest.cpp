// The schedule file's life in the main window: start-up, the file actions, the title and the
// close question, with scripted dialogs on a temporary program folder.
#include "schedule/ScheduleDocument.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "schedule/ScheduleFile.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;
using Kind = TFakeDialogs::Kind;

namespace {

const std::string kItem = "2026,2026,12,7,,,\"Meeting- Room- 9:30:0- TRUE\"";
const std::string kOther = "2026,2026,12,8,,,\"Lunch- - 12:0:0- FALSE\"";

class ScheduleDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    watch_ = schedule_.WatchCommits([this] { ++listChanges_; });
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteFile(const fs::path& p, const Lines& lines) {
    TLineList l;
    for (const auto& s : lines) l.Add(s);
    SaveScheduleFile(p, l);
  }
  Lines Master() const { return Lines(list_.begin(), list_.end()); }
  std::string Remembered() const {
    return ReadProfileString("global", "mrvfile", "<none>", dir_ / "hs110.ini");
  }

  // Named before the document is built, which takes the folder at construction.
  fs::path dir_ =
      fs::temp_directory_path() / ("moriva_doc_" + std::to_string(getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TScheduleModel schedule_;
  TLineList& list_ = schedule_.Lines();
  TFakeDialogs dialogs_;
  TScheduleDocument doc_{schedule_, dialogs_, dir_};
  int listChanges_ = 0;
  TScheduleWatch watch_;
};

TEST_F(ScheduleDocumentTest, StartUpTakesTheArgumentOverTheRememberedFile) {
  WriteFile(dir_ / "a.mrv", {kItem});
  WriteFile(dir_ / "b.mrv", {kOther});
  WriteProfileString("global", "mrvfile", (dir_ / "b.mrv").string(), dir_ / "hs110.ini");

  struct Case {
    std::optional<std::string> arg;
    fs::path expected;
    Lines lines;
  } cases[] = {
      {(dir_ / "a.mrv").string(), dir_ / "a.mrv", {kItem}},
      {std::nullopt, dir_ / "b.mrv", {kOther}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    TScheduleModel schedule;
    TLineList& list = schedule.Lines();
    TScheduleDocument doc(schedule, dialogs_, dir_);
    doc.Reopen(c.arg);
    EXPECT_EQ(doc.ScheduleFileName(), c.expected);
    EXPECT_EQ(Lines(list.begin(), list.end()), c.lines);
    EXPECT_EQ(doc.Title(), "Moriva 【" + c.expected.filename().string() + "】");
  }
  EXPECT_TRUE(dialogs_.Calls.empty());
}

TEST_F(ScheduleDocumentTest, StartUpWithAFileThatDoesNotOpenIsUntitledAndEmpty) {
  for (bool fromSettings : {false, true}) {
    SCOPED_TRACE(fromSettings);
    dialogs_.Reset();
    const fs::path missing = dir_ / "gone.mrv";
    list_.Assign(Lines{kItem});
    std::optional<std::string> arg;
    if (fromSettings)
      WriteProfileString("global", "mrvfile", missing.string(), dir_ / "hs110.ini");
    else
      arg = missing.string();
    doc_.Reopen(arg);
    EXPECT_EQ(dialogs_.MessageTexts(), Lines{"ファイル " + missing.string() + " は開けません"});
    EXPECT_TRUE(doc_.ScheduleFileName().empty());
    EXPECT_TRUE(list_.Count() == 0);
    EXPECT_EQ(doc_.Title(), "Moriva");
  }
}

TEST_F(ScheduleDocumentTest, NewOffersUnsavedItemsForSaving) {
  // 新規 cannot be undone, so it must not throw away what was typed since the last save.
  struct Case {
    TMsgAnswer answer;
    bool emptied;          // every item deleted: the deletions are unsaved work too
    Lines aAfter, master;  // a.mrv on disk and the list afterwards
  } cases[] = {
      {TMsgAnswer::Yes, false, {kItem, "typed"}, {}},
      {TMsgAnswer::No, false, {kItem}, {}},
      {TMsgAnswer::Cancel, false, {kItem}, {kItem, "typed"}},
      {TMsgAnswer::Yes, true, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer) * 2 + c.emptied);
    WriteFile(dir_ / "a.mrv", {kItem});
    TScheduleModel schedule;
    TLineList& list = schedule.Lines();
    TFakeDialogs dialogs;
    TScheduleDocument doc(schedule, dialogs, dir_);
    ASSERT_TRUE(doc.LoadScheduleFrom(dir_ / "a.mrv"));
    if (c.emptied)
      list.Clear();
    else
      list.Add("typed");
    doc.Modified = true;
    dialogs.AnswerYes();
    dialogs.AnswerThreeWay(c.answer);
    doc.NewScheduleExecute();
    EXPECT_EQ(dialogs.QuestionTexts().size(), 2u);
    EXPECT_EQ(SplitLines(ReadFileBytes(dir_ / "a.mrv")), c.aAfter);
    EXPECT_EQ(Lines(list.begin(), list.end()), c.master);
    EXPECT_EQ(doc.ScheduleFileName().empty(), c.answer != TMsgAnswer::Cancel);
  }
}

TEST_F(ScheduleDocumentTest, TitlesAfterLoadSaveAndNew) {
  WriteFile(dir_ / "a.mrv", {kItem});
  dialogs_.AnswerFile(dir_ / "a.mrv");
  doc_.LoadScheduleExecute();
  EXPECT_EQ(doc_.Title(), "Moriva 【a.mrv】");
  EXPECT_EQ(Master(), Lines{kItem});
  EXPECT_EQ(listChanges_, 1);

  dialogs_.AnswerFile(dir_ / "copy");  // no extension: ".mrv" is added
  doc_.Modified = true;
  doc_.SaveScheduleExecute();
  EXPECT_EQ(dialogs_.CallsOf(Kind::SaveFile).at(0).ProposedName, dir_ / "a.mrv");
  EXPECT_EQ(dialogs_.CallsOf(Kind::SaveFile).at(0).Filter, "Moriva(*.mrv)|*.mrv|全て(*.*)|*.*");
  EXPECT_EQ(doc_.ScheduleFileName(), dir_ / "copy.mrv");
  EXPECT_EQ(doc_.Title(), "Moriva【copy.mrv】");
  EXPECT_FALSE(doc_.Modified);
  EXPECT_EQ(ReadFileBytes(dir_ / "copy.mrv"), kItem + "\r\n");

  dialogs_.AnswerNo();
  doc_.NewScheduleExecute();
  EXPECT_EQ(Master(), Lines{kItem});
  EXPECT_FALSE(doc_.Modified);

  dialogs_.AnswerYes();
  doc_.NewScheduleExecute();
  EXPECT_EQ(doc_.Title(), "Moriva");
  EXPECT_TRUE(doc_.ScheduleFileName().empty());
  EXPECT_TRUE(list_.Count() == 0);
  EXPECT_TRUE(doc_.Modified);
  const auto q = dialogs_.CallsOf(Kind::AskYesNo).back();
  EXPECT_EQ(q.Text, "予定ファイルを新規作成します。よろしいですか？");
  EXPECT_EQ(q.Caption, "確認");
  EXPECT_EQ(q.Icon, TMsgIcon::Warning);

  dialogs_.CancelFile();  // an untitled save proposes sample.mrv; a cancel leaves it modified
  doc_.Modified = false;
  doc_.SaveScheduleExecute();
  EXPECT_EQ(dialogs_.CallsOf(Kind::SaveFile).back().ProposedName, fs::path("sample.mrv"));
  EXPECT_TRUE(doc_.Modified);
}

TEST_F(ScheduleDocumentTest, LoadingOffersUnsavedChangesFirst) {
  WriteFile(dir_ / "a.mrv", {kItem});
  WriteFile(dir_ / "b.mrv", {kOther});
  struct Case {
    TMsgAnswer answer;
    bool fileDialog;       // whether the open dialog comes (it then chooses b.mrv)
    Lines aAfter, master;  // a.mrv on disk and the list afterwards
  } cases[] = {
      {TMsgAnswer::Yes, true, {kItem, "typed"}, {kOther}},
      {TMsgAnswer::No, true, {kItem}, {kOther}},
      {TMsgAnswer::Cancel, false, {kItem}, {kItem, "typed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    WriteFile(dir_ / "a.mrv", {kItem});
    TScheduleModel schedule;
    TLineList& list = schedule.Lines();
    TFakeDialogs dialogs;
    TScheduleDocument doc(schedule, dialogs, dir_);
    ASSERT_TRUE(doc.LoadScheduleFrom(dir_ / "a.mrv"));
    EXPECT_FALSE(doc.Modified);  // a loaded file has nothing to save
    list.Add("typed");
    doc.Modified = true;
    dialogs.AnswerThreeWay(c.answer);
    if (c.fileDialog) dialogs.AnswerFile(dir_ / "b.mrv");
    doc.LoadScheduleExecute();
    EXPECT_EQ(dialogs.QuestionTexts(), Lines{"データを保存しますか？"});
    EXPECT_EQ(dialogs.CallsOf(Kind::OpenFile).size(), c.fileDialog ? 1u : 0u);
    EXPECT_EQ(SplitLines(ReadFileBytes(dir_ / "a.mrv")), c.aAfter);
    EXPECT_EQ(Lines(list.begin(), list.end()), c.master);
    EXPECT_EQ(doc.Modified, c.answer == TMsgAnswer::Cancel);
  }
}

TEST_F(ScheduleDocumentTest, LoadAndSaveFailuresChangeNothing) {
  WriteFile(dir_ / "a.mrv", {kItem});
  ASSERT_TRUE(doc_.LoadScheduleFrom(dir_ / "a.mrv"));
  EXPECT_FALSE(doc_.LoadScheduleFrom(dir_ / "missing.mrv"));
  EXPECT_EQ(doc_.ScheduleFileName(), dir_ / "a.mrv");
  EXPECT_EQ(Master(), Lines{kItem});

  // A folder of the chosen name makes the write fail, whoever runs the test.
  fs::create_directories(dir_ / "b.mrv");
  list_.Add(kOther);
  doc_.Modified = true;
  dialogs_.AnswerFile(dir_ / "b.mrv");
  doc_.SaveScheduleExecute();
  EXPECT_TRUE(doc_.Modified);
  EXPECT_EQ(doc_.ScheduleFileName(), dir_ / "a.mrv");
  EXPECT_EQ(doc_.Title(), "Moriva 【a.mrv】");
  EXPECT_EQ(dialogs_.MessageTexts().size(), 2u);
}

TEST_F(ScheduleDocumentTest, CloseQuestionThreeAnswers) {
  WriteProfileString("global", "mrvfile", "/old/place.mrv", dir_ / "hs110.ini");
  // Not modified: no question, closes, remembers the (empty) name.
  EXPECT_TRUE(doc_.CloseQuery());
  EXPECT_TRUE(dialogs_.Calls.empty());
  EXPECT_EQ(Remembered(), "");

  // Cancel (Esc, the close button) and No: the window stays, or closes at once; the settings
  // file is left alone either way.
  WriteProfileString("global", "mrvfile", "/old/place.mrv", dir_ / "hs110.ini");
  doc_.Modified = true;
  dialogs_.AnswerThreeWay(TMsgAnswer::Cancel);
  EXPECT_FALSE(doc_.CloseQuery());
  EXPECT_TRUE(doc_.Modified);
  dialogs_.AnswerThreeWay(TMsgAnswer::No);
  EXPECT_TRUE(doc_.CloseQuery());
  EXPECT_EQ(Remembered(), "/old/place.mrv");
  const auto q = dialogs_.CallsOf(Kind::AskYesNoCancel).at(0);
  EXPECT_EQ(q.Text, "データを保存しますか？");
  EXPECT_EQ(q.Caption, "確認");
  EXPECT_EQ(q.Icon, TMsgIcon::None);

  // Yes on an untitled schedule, save dialog cancelled: stays open, remembers "".
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  dialogs_.CancelFile();
  EXPECT_FALSE(doc_.CloseQuery());
  EXPECT_TRUE(doc_.Modified);
  EXPECT_EQ(Remembered(), "");

  // Yes, a file chosen: saved, closes, remembered.
  list_.Add(kItem);
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  dialogs_.AnswerFile(dir_ / "new.mrv");
  EXPECT_TRUE(doc_.CloseQuery());
  EXPECT_FALSE(doc_.Modified);
  EXPECT_EQ(ReadFileBytes(dir_ / "new.mrv"), kItem + "\r\n");
  EXPECT_EQ(Remembered(), (dir_ / "new.mrv").string());
}

TEST_F(ScheduleDocumentTest, CloseWithAFileThatCannotBeWrittenStaysOpen) {
  // The current file's name is taken by a folder, so the write fails whoever runs the test.
  WriteFile(dir_ / "a.mrv", {kItem});
  ASSERT_TRUE(doc_.LoadScheduleFrom(dir_ / "a.mrv"));
  fs::remove(dir_ / "a.mrv");
  fs::create_directories(dir_ / "a.mrv");
  doc_.Modified = true;
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  EXPECT_FALSE(doc_.CloseQuery());
  EXPECT_TRUE(doc_.Modified);
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0],
            "ファイル " + (dir_ / "a.mrv").string() + " を作成できません");
  EXPECT_EQ(Remembered(), (dir_ / "a.mrv").string());
}

TEST_F(ScheduleDocumentTest, JapanesePathIsRememberedAsCp932) {
  const fs::path p = dir_ / "予定.mrv";
  WriteFile(p, {kItem});
  ASSERT_TRUE(doc_.LoadScheduleFrom(p));
  EXPECT_TRUE(doc_.CloseQuery());
  EXPECT_EQ(Remembered(), Utf8ToCp932(p.string()));
  TScheduleModel other;
  TScheduleDocument again(other, dialogs_, dir_);
  again.Reopen(std::nullopt);
  EXPECT_EQ(again.ScheduleFileName(), p);
}

}  // namespace

// Each committed change is one step; Modified follows the history to and from the saved state;
// a new change drops what was undone; 新規 and 読込 start a new history.
TEST_F(ScheduleDocumentTest, UndoAndRedoFollowTheSavedState) {
  WriteFile(dir_ / "a.mrv", {kItem});
  ASSERT_TRUE(doc_.LoadScheduleFrom(dir_ / "a.mrv"));
  const TUndoHistory& history = doc_.History();
  EXPECT_FALSE(history.CanUndo());

  list_.Add(kOther);
  doc_.ListEdited("CSV読込");
  list_.Put(0, kOther);
  doc_.ListEdited("予定編集");
  doc_.ListEdited("予定編集");  // nothing changed: no step, but modified as before
  EXPECT_EQ(history.UndoLabel(), "予定編集");

  const int changes = listChanges_;
  const struct {
    void (TScheduleDocument::*act)();
    Lines master;
    bool modified;
    std::string undo, redo;
  } steps[] = {
      {&TScheduleDocument::Undo, {kItem, kOther}, true, "CSV読込", "予定編集"},
      {&TScheduleDocument::Undo, {kItem}, false, "", "CSV読込"},  // the file's state again
      {&TScheduleDocument::Undo, {kItem}, false, "", "CSV読込"},  // nothing left: nothing done
      {&TScheduleDocument::Redo, {kItem, kOther}, true, "CSV読込", "予定編集"},
      {&TScheduleDocument::Redo, {kOther, kOther}, true, "予定編集", ""},
      {&TScheduleDocument::Redo, {kOther, kOther}, true, "予定編集", ""},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    (doc_.*steps[i].act)();
    EXPECT_EQ(Master(), steps[i].master);
    EXPECT_EQ(doc_.Modified, steps[i].modified);
    EXPECT_EQ(history.UndoLabel(), steps[i].undo);
    EXPECT_EQ(history.RedoLabel(), steps[i].redo);
  }
  EXPECT_EQ(listChanges_, changes + 4);  // the week view copies after each real step only

  // Saved in the middle: undoing to there clears Modified, a new change drops the redo step and
  // with it the saved state, which can then no longer be reached.
  doc_.Undo();
  ASSERT_TRUE(doc_.SaveScheduleTo(dir_ / "a.mrv"));
  doc_.Undo();
  EXPECT_TRUE(doc_.Modified);
  doc_.Redo();
  EXPECT_FALSE(doc_.Modified);
  doc_.Undo();
  list_.Add(kItem);
  doc_.ListEdited("予定編集");
  doc_.Undo();
  EXPECT_EQ(Master(), Lines{kItem});
  EXPECT_TRUE(doc_.Modified);
  EXPECT_EQ(history.RedoLabel(), "予定編集");

  dialogs_.AnswerYes();
  dialogs_.AnswerThreeWay(TMsgAnswer::No);
  doc_.NewScheduleExecute();
  EXPECT_FALSE(history.CanUndo() || history.CanRedo());
  EXPECT_TRUE(doc_.Modified);
}

// Another program (a sync, an import) wrote the file after it was loaded: the save asks, and
// each answer keeps exactly one side; while another writer holds the file, nothing is written.
TEST_F(ScheduleDocumentTest, SaveOverAFileChangedOnDiskAsksFirst) {
  const fs::path file = dir_ / "a.mrv";
  struct Case {
    TMsgAnswer answer;
    bool saved;
    Lines onDisk, inWindow;
  } cases[] = {
      {TMsgAnswer::Yes, false, {kOther}, {kOther}},            // 再読込
      {TMsgAnswer::No, true, {kItem, kItem}, {kItem, kItem}},  // 上書き
      {TMsgAnswer::Cancel, false, {kOther}, {kItem, kItem}},   // キャンセル
  };
  for (const Case& c : cases) {
    WriteFile(file, {kItem});
    ASSERT_TRUE(doc_.LoadScheduleFrom(file));
    list_.Add(kItem);
    doc_.ListEdited();
    WriteFile(file, {kOther});
    dialogs_.Calls.clear();
    dialogs_.AnswerThreeWay(c.answer);
    EXPECT_EQ(doc_.SaveScheduleTo(file), c.saved);
    ASSERT_FALSE(dialogs_.Calls.empty());
    EXPECT_EQ(dialogs_.Calls[0].What, Kind::AskThreeWay);
    EXPECT_NE(dialogs_.Calls[0].Text.find("a.mrv"), std::string::npos);
    TLineList disk;
    LoadScheduleFile(file, disk);
    EXPECT_EQ(Lines(disk.begin(), disk.end()), c.onDisk);
    EXPECT_EQ(Master(), c.inWindow);
    // What this document wrote or read last is what it knows: no second question.
    if (c.answer != TMsgAnswer::Cancel) {
      dialogs_.Calls.clear();
      EXPECT_TRUE(doc_.SaveScheduleTo(file));
      EXPECT_TRUE(dialogs_.Calls.empty());
    }
  }

  // A writer holding the file: the save waits a little, then says so and writes nothing.
  ASSERT_TRUE(doc_.LoadScheduleFrom(file));
  const TFileLock held(file, std::chrono::milliseconds(0));
  dialogs_.Calls.clear();
  list_.Add(kOther);
  EXPECT_FALSE(doc_.SaveScheduleTo(file));
  ASSERT_EQ(dialogs_.Calls.size(), 1u);
  EXPECT_EQ(dialogs_.Calls[0].Text, FileInUseMessage(file));
}
