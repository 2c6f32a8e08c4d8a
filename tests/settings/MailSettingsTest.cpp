// The mail settings in the settings file: the nine keys, booleans read case-sensitively,
// "prestr" kept, and the password's stored form.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "settings/MailSettings.h"
#include "tests/settings/MailSettingsExpect.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

class MailSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("moriva_mailsettings_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ini_ = dir_ / "hs110.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Put(std::string_view text) { WriteFileAtomically(ini_, text); }
  std::string File() const { return ReadFileBytes(ini_); }

  fs::path dir_, ini_;
};

TEST_F(MailSettingsTest, NoFileReadsEmptyAndWritingCreatesAllNineKeys) {
  const TMailSettings s = ReadMailSettings(ini_);
  EXPECT_EQ(s.HandsetEMail + s.SMTP + s.Sender + s.SenderMail + s.POP + s.UserId + s.Password, "");
  EXPECT_FALSE(s.APOP);
  EXPECT_FALSE(s.NoUIDL);
  EXPECT_EQ(s.SubjectWord, "mrv");

  WriteMailSettings(ini_, s);
  EXPECT_EQ(File(),
            "[email]\r\nhs110email=\r\nsmtp=\r\nsender=\r\nsendermail=\r\npop=\r\nuserid=\r\n"
            "password=\r\napop=false\r\nnouidl=false\r\n");
}

TEST_F(MailSettingsTest, RoundTripKeepsOtherKeysAndPrestr) {
  Put("[global]\r\nmrvfile=C:\\a.mrv\r\n[EMAIL]\r\nprestr=sched\r\nSMTP=old\r\n");
  TMailSettings s = ReadMailSettings(ini_);
  EXPECT_EQ(s.SMTP, "old");  // keys compare without regard to case
  EXPECT_EQ(s.SubjectWord, "sched");
  s.HandsetEMail = "hs110@phone.example";
  s.SMTP = "smtp.example";
  s.Sender = Utf8ToCp932("森");
  s.SenderMail = "me@example.org";
  s.POP = "pop.example";
  s.UserId = "me";
  s.Password = "p@ss w0rd";
  s.APOP = true;
  s.NoUIDL = false;
  s.SubjectWord = "ignored";  // never written
  WriteMailSettings(ini_, s);

  const TMailSettings back = ReadMailSettings(ini_);
  ExpectSameStoredSettings(back, s);
  EXPECT_TRUE(back.APOP);
  EXPECT_FALSE(back.NoUIDL);
  EXPECT_EQ(back.SubjectWord, "sched");
  const std::string file = File();
  EXPECT_NE(file.find("mrvfile=C:\\a.mrv\r\n"), std::string::npos);
  EXPECT_NE(file.find("prestr=sched\r\n"), std::string::npos);
  EXPECT_EQ(file.find("p@ss"), std::string::npos);  // the password is not stored in clear
  EXPECT_NE(file.find("apop=true\r\nnouidl=false\r\n"), std::string::npos);
}

TEST_F(MailSettingsTest, TlsKeysRoundTripAndAreOnlyAddedWithAValue) {
  TMailSettings s = ReadMailSettings(ini_);
  s.SmtpSecurity = "starttls";
  s.PopSecurity = "tls";
  s.SmtpUser = "me";
  s.SmtpPassword = "smtp pw";
  s.CaFile = "/etc/private-ca.pem";
  WriteMailSettings(ini_, s);
  ExpectSameStoredSettings(ReadMailSettings(ini_), s);
  EXPECT_NE(File().find("smtppassword=" + EncodePassword("smtp pw") + "\r\n"), std::string::npos);

  // A key the file holds is cleared, not dropped; one it never held is not added.
  s.SmtpUser = s.SmtpPassword = s.CaFile = "";
  WriteMailSettings(ini_, s);
  EXPECT_NE(File().find("smtpuser=\r\nsmtppassword=\r\ncafile=\r\n"), std::string::npos);
  Put("[email]\r\nsmtp=old\r\n");
  WriteMailSettings(ini_, ReadMailSettings(ini_));
  EXPECT_EQ(File().find("security"), std::string::npos);
}

TEST_F(MailSettingsTest, BooleansAreOnOnlyForLowerCaseTrue) {
  for (const char* value : {"TRUE", "True", "1", "yes", " true x", ""}) {
    SCOPED_TRACE(value);
    Put(std::string("[email]\r\napop=") + value + "\r\nnouidl=" + value + "\r\n");
    EXPECT_FALSE(ReadMailSettings(ini_).APOP);
    EXPECT_FALSE(ReadMailSettings(ini_).NoUIDL);
  }
  Put("[email]\r\napop=true\r\nnouidl=true\r\n");
  EXPECT_TRUE(ReadMailSettings(ini_).APOP);
  EXPECT_TRUE(ReadMailSettings(ini_).NoUIDL);
}

TEST_F(MailSettingsTest, UndecodablePasswordThrowsOrIsReportedAndLeftEmpty) {
  Put("[email]\r\nuserid=me\r\npassword=0791x2\r\n");
  try {
    ReadMailSettings(ini_);
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1x2' は整数ではありません");
  }
  std::string error = "stale";
  const TMailSettings s = ReadMailSettings(ini_, error);
  EXPECT_EQ(error, "'1x2' は整数ではありません");
  EXPECT_EQ(s.Password, "");
  EXPECT_EQ(s.UserId, "me");

  Put("[email]\r\npassword=" + EncodePassword("ok") + "\r\n");
  EXPECT_EQ(ReadMailSettings(ini_, error).Password, "ok");
  EXPECT_EQ(error, "");
}

TEST_F(MailSettingsTest, FailedWriteReportsThePath) {
  // A folder that does not exist cannot take the file, whoever runs the test.
  const fs::path missing = dir_ / "missing" / "hs110.ini";
  TMailSettings s;
  s.SMTP = "new";
  try {
    WriteMailSettings(missing, s);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), missing.string() + " に書き込めません");
  }
  EXPECT_FALSE(fs::exists(missing));
}

TEST(PasswordTest, EveryPrintableCharacterRoundTripsAsThreeDigits) {
  std::string all;
  for (int c = 32; c < 127; ++c) all += static_cast<char>(c);
  for (size_t n = 0; n <= all.size(); ++n) {
    const std::string password = all.substr(all.size() - n);
    const std::string stored = EncodePassword(password);
    ASSERT_EQ(stored.size(), 3 * n);
    ASSERT_EQ(stored.find_first_not_of("0123456789"), std::string::npos);
    ASSERT_EQ(DecodePassword(stored), password) << stored;
  }
  // Each stored group stays within 000-127, and the scrambling does change the text.
  for (char c : all) {
    const int code = std::stoi(EncodePassword(std::string(1, c)));
    EXPECT_LE(code, 127);
    EXPECT_NE(code, static_cast<unsigned char>(c));
  }
}

TEST(PasswordTest, DecodingEdgeCases) {
  struct Case {
    std::string stored, password;
  };
  const std::string enc = EncodePassword("ab");
  const Case cases[] = {
      {"", ""},
      {"1", ""},           // a short remainder is ignored
      {enc + "12", "ab"},  //
      {"999", std::string(1, static_cast<char>((999 - 7) % 128))},
      {"000", std::string(1, static_cast<char>(121))},  // below the offset wraps round
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(DecodePassword(c.stored), c.password);
  }
  EXPECT_THROW(DecodePassword("abc"), EConvertError);
  // Double-byte characters cannot be kept: their bytes lose the top bit.
  EXPECT_EQ(DecodePassword(EncodePassword(Utf8ToCp932("あ"))),
            std::string({static_cast<char>(0x82 & 0x7F), static_cast<char>(0xA0 & 0x7F)}));
}

}  // namespace
}  // namespace moriva
