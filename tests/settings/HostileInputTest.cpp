// File names at and beyond the longest a folder entry may have (255 bytes): every name that
// can exist can be written over; a longer one fails with the usual message and leaves the
// folder as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "settings/CalDavSettings.h"
#include "settings/MailSettings.h"
#include "tests/oracle/OracleTool.h"
#include "tests/settings/MailSettingsExpect.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LongFileNames, EveryPossibleNameCanBeWrittenAndReplaced) {
  oracle::TempDir dir;
  for (size_t length :
       {size_t{200}, size_t{NAME_MAX} - 8, size_t{NAME_MAX} - 7, size_t{NAME_MAX}}) {
    SCOPED_TRACE(length);
    const fs::path path = dir.Path() / (std::string(length - 4, 'n') + ".mrv");
    ASSERT_NO_THROW(WriteFileAtomically(path, "old"));
    ASSERT_NO_THROW(WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{path.filename().string()});
    fs::remove(path);
  }
}

TEST(LongFileNames, ANameTooLongFailsClearlyAndLeavesNothingBehind) {
  oracle::TempDir dir;
  WriteFileAtomically(dir.Path() / "kept.mrv", "kept");
  for (size_t length : {size_t{NAME_MAX} + 1, size_t{300}}) {
    SCOPED_TRACE(length);
    const fs::path path = dir.Path() / (std::string(length - 4, 'n') + ".mrv");
    try {
      WriteFileAtomically(path, "data");
      ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
      EXPECT_EQ(std::string(e.what()), "ファイル " + path.string() + " を作成できません");
    }
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"kept.mrv"});
    EXPECT_THROW(ReadFileBytes(path), EFileError);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path() / "kept.mrv"), "kept");
}

// Settings values of 300 bytes, Japanese ones included, come back from the file whole.
TEST(LongSettings, ValuesOf300BytesRoundTrip) {
  oracle::TempDir dir;
  const fs::path ini = dir.Path() / "hs110.ini";
  TMailSettings s;
  s.HandsetEMail = std::string(290, 'h') + "@handset.jp";
  s.SMTP = std::string(296, 's') + ".org";
  s.Sender = "";
  for (int i = 0; i < 150; ++i) s.Sender += Utf8ToCp932("送");
  s.SenderMail = std::string(300, 'm');
  s.POP = std::string(300, 'p');
  s.UserId = std::string(300, 'u');
  s.Password = std::string(150, 'P') + std::string(150, '!');
  s.APOP = true;
  WriteMailSettings(ini, s);
  const TMailSettings back = ReadMailSettings(ini);
  ExpectSameStoredSettings(back, s);
  EXPECT_TRUE(back.APOP);
}

// A value the file would not give back as written is refused before anything is written; one
// at the bound still comes back whole.
TEST(LongSettings, ValuesTheFileCouldNotGiveBackAreRefused) {
  oracle::TempDir dir;
  const fs::path ini = dir.Path() / "hs110.ini";
  TMailSettings kept;
  kept.SMTP = "smtp.example.jp";
  WriteMailSettings(ini, kept);
  const std::string before = ReadFileBytes(ini);
  const struct {
    std::string TMailSettings::*field;
    std::string value;
    const char* message;
  } cases[] = {
      {&TMailSettings::Sender, "a\r\nsmtp=evil", "設定 sender の値に改行や NUL は使えません"},
      {&TMailSettings::UserId, std::string("taro\0x", 6),
       "設定 userid の値に改行や NUL は使えません"},
      {&TMailSettings::Password, "pass\nword", "設定 password の値に改行や NUL は使えません"},
      {&TMailSettings::CaFile, std::string(kMaxSettingLength + 1, 'c'),
       "設定 cafile の値が長すぎます (2047 バイトまで)"},
      {&TMailSettings::SmtpPassword, std::string(kMaxPasswordLength + 1, 'p'),
       "設定 smtppassword の値が長すぎます (682 バイトまで)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TMailSettings s = kept;
    s.*c.field = c.value;
    try {
      WriteMailSettings(ini, s);
      ADD_FAILURE() << "written";
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(ReadFileBytes(ini), before);
  }
  // The calendar section of the same file follows the same rule.
  TCalDavSettings cal;
  cal.Url = "https://dav.example.jp/cal/\r\n[caldav]\r\nurl=http://evil/";
  EXPECT_THROW(WriteCalDavSettings(ini, cal), EConvertError);
  EXPECT_EQ(ReadFileBytes(ini), before);
  TMailSettings longest = kept;
  longest.CaFile = std::string(kMaxSettingLength, 'c');
  longest.Password = std::string(kMaxPasswordLength, 'p');
  WriteMailSettings(ini, longest);
  ExpectSameStoredSettings(ReadMailSettings(ini), longest);
}

}  // namespace
}  // namespace moriva
