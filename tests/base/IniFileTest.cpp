#include "base/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("moriva_ini_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "hs110.ini";
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  void Put(std::string_view text) { WriteFileAtomically(path_, text); }
  std::string Get() const { return ReadFileBytes(path_); }
  std::string Read(std::string_view section, std::string_view key, std::string_view def = "?") {
    return ReadProfileString(section, key, def, path_);
  }

  fs::path dir_, path_;
};

}  // namespace

TEST_F(IniFileTest, ReadsWithProfileRules) {
  Put("top=outside\r\n"
      "[Email]\n"
      "  SMTP  =  mail.example.com  \n"
      "; smtp=commented\n"
      "quoted=\"  with blanks  \"\n"
      "single='x'\n"
      "half=\"x\n"
      "empty=\n"
      "novalue\n"
      "smtp=second\n"
      "[ global ]\r\n"
      "mrvfile=C:\\a.mrv\r\n"
      "[email]\n"
      "pop=later section\n"
      "[" +
      Utf8ToCp932("ソ") +
      "]\n"
      "k=" +
      Utf8ToCp932("表示") + "\n[" + Utf8ToCp932("ア") + "]\nx=1\n");
  struct Case {
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"email", "smtp", "mail.example.com"},  // names ignore case, blanks trimmed
      {"EMAIL", "Smtp", "mail.example.com"},  // the first key of a name wins
      {"email", "quoted", "  with blanks  "},
      {"email", "single", "x"},
      {"email", "half", "\"x"},
      {"email", "empty", ""},
      {"email", "novalue", "?"},
      {"email", "pop", "?"},  // only the first section of a name is read
      {"global", "mrvfile", "C:\\a.mrv"},
      {"", "top", "?"},
      {"missing", "smtp", "?"},
      {"", "", "?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(Read(c.section, c.key), c.value);
  }
  // 0x5D (']') is the trail byte of ソ: the section name must not end inside the character.
  EXPECT_EQ(Read(Utf8ToCp932("ソ"), "k"), Utf8ToCp932("表示"));
  // ア (0x83 0x41) and ヂ (0x83 0x61) differ only in a trail byte that looks like a letter.
  EXPECT_EQ(Read(Utf8ToCp932("ア"), "x"), "1");
  EXPECT_EQ(Read(Utf8ToCp932("ヂ"), "x"), "?");
}

TEST_F(IniFileTest, MissingOrUnreadableFileGivesTheDefault) {
  EXPECT_EQ(Read("email", "prestr", "mrv"), "mrv");
  EXPECT_EQ(Read("email", "prestr", "mrv   "), "mrv");  // trailing blanks of a default go
  fs::create_directory(path_);
  EXPECT_EQ(Read("email", "prestr", "mrv"), "mrv");
}

TEST_F(IniFileTest, ValuesAreCutTo2047BytesWithoutSplittingACharacter) {
  const std::string a2047(2047, 'a');
  Put("[s]\nexact=" + a2047 + "\nlong=" + a2047 + "bc\nkanji=" + std::string(2046, 'a') +
      Utf8ToCp932("漢") + "\n");
  EXPECT_EQ(Read("s", "exact"), a2047);
  EXPECT_EQ(Read("s", "long"), a2047);
  EXPECT_EQ(Read("s", "kanji"), std::string(2046, 'a'));
  EXPECT_EQ(Read("s", "none", a2047 + "x"), a2047);
}

TEST_F(IniFileTest, WriteCreatesFileAndSectionAndKeepsEverythingElse) {
  WriteProfileString("email", "smtp", "a", path_);
  EXPECT_EQ(Get(), "[email]\r\nsmtp=a\r\n");
  WriteProfileString("global", "mrvfile", "/x/y.mrv", path_);
  WriteProfileString("EMAIL", "pop", "p", path_);
  WriteProfileString("email", "SMTP", "b", path_);
  EXPECT_EQ(Get(), "[email]\r\nsmtp=b\r\npop=p\r\n\r\n[global]\r\nmrvfile=/x/y.mrv\r\n");

  Put("; settings\n[email]\nprestr=MRV ; by hand\n\n[other]\nk=v\n");
  WriteProfileString("email", "apop", "true", path_);
  WriteProfileString("other", "k", "w", path_);
  EXPECT_EQ(Get(),
            "; settings\r\n[email]\r\nprestr=MRV ; by hand\r\napop=true\r\n\r\n[other]\r\nk=w\r\n");
  EXPECT_EQ(Read("email", "prestr"), "MRV ; by hand");
}

TEST_F(IniFileTest, ValuesStayOnTheirLine) {
  WriteProfileString("s", "k", "one\r\ntwo=2\n[x]", path_);
  WriteProfileString("s", "n", std::string("cut\0here", 8), path_);
  EXPECT_EQ(Read("s", "k"), "onetwo=2[x]");
  EXPECT_EQ(Read("s", "two"), "?");
  EXPECT_EQ(Read("s", "n"), "cut");
}

TEST_F(IniFileTest, BatchedWritesGoOutOnSave) {
  TIniFile ini(path_);
  ini.WriteString("email", "smtp", "a");
  ini.WriteString("email", "pop", "b");
  EXPECT_EQ(ini.ReadString("email", "pop", ""), "b");
  EXPECT_FALSE(fs::exists(path_));
  ini.Save();
  EXPECT_EQ(Read("email", "smtp"), "a");
}

TEST_F(IniFileTest, UnwritableFileIsReportedAndLeftAsItWas) {
  Put("[email]\nsmtp=a\n");
  if (geteuid() != 0) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    try {
      WriteProfileString("email", "smtp", "b", path_);
      ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
      EXPECT_EQ(std::string(e.what()), path_.string() + " に書き込めません");
    }
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(Get(), "[email]\nsmtp=a\n");
  }
  // A path that is a folder cannot be written either (also as root).
  fs::path folder = dir_ / "folder.ini";
  fs::create_directory(folder);
  EXPECT_THROW(WriteProfileString("s", "k", "v", folder), EFileError);
  EXPECT_TRUE(fs::is_directory(folder));
}
