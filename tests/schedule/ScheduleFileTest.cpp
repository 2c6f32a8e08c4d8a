#include "schedule/ScheduleFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

class ScheduleFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("moriva_sche_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

}  // namespace

TEST_F(ScheduleFileTest, LoadSplitsEveryLineEndAndSaveEndsEveryLineWithCrLf) {
  const std::string a = "2002,2002,7,15,,,\"Meeting- Room 3- 9:30:0- TRUE\"";
  const std::string yearly = ",,5,3,,," + Utf8ToCp932("\"憲法記念日\"");
  struct Case {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {a + "\r\n" + yearly + "\r\n", {a, yearly}},
      {a + "\n" + yearly, {a, yearly}},  // LF only, last line without an end
      {a + "\r" + yearly + "\r\n\r\n", {a, yearly, ""}},
      {a + std::string("\r\n\0junk\r\n", 9), {a}},
  };
  fs::path file = dir_ / "a.mrv";
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    WriteFileAtomically(file, c.bytes);
    TLineList list;
    LoadScheduleFile(file, list);
    EXPECT_EQ(list.Lines(), c.lines);
    SaveScheduleFile(file, list);
    std::string expected;
    for (const auto& l : c.lines) expected += l + "\r\n";
    EXPECT_EQ(ReadFileBytes(file), expected);
  }
}

// Characters beyond Shift-JIS are saved as pairs; a file someone converted to Unicode (it then
// starts with a byte-order mark) reads as the same lines and is saved back in CP932.
TEST_F(ScheduleFileTest, CharactersBeyondShiftJisSurviveSaveAndLoad) {
  const std::string line = Utf8ToCp932("2026,2026,12,8,,,\"🎂 誕生日- 🏠- 9:0:0- FALSE\"");
  const std::string crlf = line + "\r\n";
  const std::string utf8 = Cp932ToUtf8(crlf);
  std::string utf16le = "\xFF\xFE";
  for (char16_t c : Cp932ToUtf16(crlf))
    utf16le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"as saved", crlf},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + utf8},
      {"UTF-16 with a mark", utf16le},
  };
  const fs::path file = dir_ / "b.mrv";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileAtomically(file, c.bytes);
    TLineList list;
    LoadScheduleFile(file, list);
    EXPECT_EQ(list.Lines(), Lines{line});
    SaveScheduleFile(file, list);
    EXPECT_EQ(ReadFileBytes(file), crlf);
  }
  // Without a mark nothing is guessed: UTF-8 text stays the bytes it is.
  WriteFileAtomically(file, utf8);
  TLineList list;
  LoadScheduleFile(file, list);
  EXPECT_EQ(list.Lines(), Lines{utf8.substr(0, utf8.size() - 2)});
}

TEST_F(ScheduleFileTest, FailedLoadChangesNothingAndFailedSaveKeepsTheOldFile) {
  TLineList list{"keep"};
  int changes = 0;
  list.OnChange = [&] { ++changes; };
  fs::path missing = dir_ / "missing.mrv";
  try {
    LoadScheduleFile(missing, list);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + missing.string() + " は開けません");
  }
  EXPECT_EQ(list.Lines(), Lines{"keep"});
  EXPECT_EQ(changes, 0);

  fs::path file = dir_ / "b.mrv";
  WriteFileAtomically(file, "old\r\n");
  LoadScheduleFile(file, list);
  EXPECT_EQ(changes, 1);  // one notice for the whole file

  fs::path blocked = dir_ / "blocked.mrv";
  fs::create_directory(blocked);
  try {
    SaveScheduleFile(blocked, list);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + blocked.string() + " を作成できません");
  }
  EXPECT_TRUE(fs::is_directory(blocked));
}

TEST_F(ScheduleFileTest, TitlesAndDefaultExtensions) {
  EXPECT_EQ(TitleAfterLoad("/home/u/予定.mrv"), "Moriva 【予定.mrv】");
  EXPECT_EQ(TitleAfterSave("/home/u/予定.mrv"), "Moriva【予定.mrv】");
  struct Case {
    const char* chosen;
    const char* ext;
    const char* result;
  } cases[] = {
      {"/d/plan", ".mrv", "/d/plan.mrv"},
      {"/d/plan.mrv", ".mrv", "/d/plan.mrv"},
      {"/d/plan.txt", ".mrv", "/d/plan.txt"},
      {"/d.x/plan", ".csv", "/d.x/plan.csv"},
      {"x.txt", ".csv", "x.txt"},
      {"SCHEDULE", ".csv", "SCHEDULE.csv"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDefaultExtension(c.chosen, c.ext), c.result);
}

TEST_F(ScheduleFileTest, RemembersTheLastFileInTheSettings) {
  fs::path ini = SettingsFilePath(dir_);
  EXPECT_EQ(ini, dir_ / "hs110.ini");
  EXPECT_EQ(ReadRememberedScheduleFile(ini), fs::path());
  EXPECT_FALSE(StartupScheduleFile(std::nullopt, ini));

  fs::path remembered = dir_ / "予定" / "a.mrv";
  RememberScheduleFile(ini, remembered);
  // The settings file holds CP932, as every other value in it.
  EXPECT_EQ(ReadProfileString("global", "mrvfile", "", ini), Utf8ToCp932(remembered.string()));
  EXPECT_EQ(ReadRememberedScheduleFile(ini), remembered);

  auto fromSettings = StartupScheduleFile(std::nullopt, ini);
  ASSERT_TRUE(fromSettings);
  EXPECT_EQ(fromSettings->Path, remembered);
  EXPECT_TRUE(fromSettings->FromSettings);

  // A command-line argument beats the remembered file.
  auto fromArgument = StartupScheduleFile(std::string("/other.mrv"), ini);
  ASSERT_TRUE(fromArgument);
  EXPECT_EQ(fromArgument->Path, "/other.mrv");
  EXPECT_FALSE(fromArgument->FromSettings);

  // An untitled schedule is remembered as an empty entry.
  RememberScheduleFile(ini, fs::path());
  EXPECT_FALSE(StartupScheduleFile(std::nullopt, ini));
}

TEST_F(ScheduleFileTest, PathsAreRememberedSoThatTheyOpenAgain) {
  const fs::path ini = SettingsFilePath(dir_);
  // A relative argument is made absolute against the folder the program started in.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_);
  auto relative = StartupScheduleFile(std::string("data/../odd.mrv"), ini);
  fs::current_path(cwd);
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->Path, dir_ / "odd.mrv");

  struct Case {
    const char* path;
    bool exactKey;  // whether the exact form is needed beside the CP932 one
  } cases[] = {
      {"/d/予定/a.mrv", false},  // CP932 holds it
      {"/d/😀/a.mrv", false},     // as pairs (Cp932.h)
      {"/d/\xFF/a.mrv", true},   // no UTF-8: CP932 cannot
      {"/d/plain.mrv", false},   // after a lossy one: the exact key is emptied again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    RememberScheduleFile(ini, c.path);
    EXPECT_EQ(ReadRememberedScheduleFile(ini), fs::path(c.path));
    EXPECT_EQ(ReadProfileString("global", "mrvfile", "", ini), Utf8ToCp932(c.path));
    EXPECT_EQ(ReadProfileString("global", "mrvfileutf8", "", ini), c.exactKey ? c.path : "");
  }
  // A file remembered since by a program that writes only "mrvfile" wins over a stale exact key.
  RememberScheduleFile(ini, "/d/\xFF/a.mrv");
  WriteProfileString("global", "mrvfile", "/d/other.mrv", ini);
  EXPECT_EQ(ReadRememberedScheduleFile(ini), fs::path("/d/other.mrv"));
}

TEST_F(ScheduleFileTest, AnAddedExtensionAsksBeforeReplacingAFile) {
  WriteFileAtomically(dir_ / "plan.mrv", "old");
  const std::string question = "plan.mrv は既に存在します。\r\n上書きしますか？";
  struct Case {
    const char* chosen;
    std::optional<bool> answer;  // when the question is asked
    const char* result;          // nullptr: nothing is to be saved
  } cases[] = {{"plan", true, "plan.mrv"},
               {"plan", false, nullptr},
               {"new", {}, "new.mrv"},
               {"plan.mrv", {}, "plan.mrv"}};  // the dialog itself asked about that name
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    TFakeDialogs dialogs;
    if (c.answer) dialogs.YesNoAnswers.push_back(*c.answer);
    EXPECT_EQ(ConfirmSaveName(dialogs, dir_ / c.chosen, ".mrv"),
              c.result ? std::optional(dir_ / c.result) : std::nullopt);
    EXPECT_EQ(dialogs.QuestionTexts(), c.answer ? Lines{question} : Lines{});
  }
}
