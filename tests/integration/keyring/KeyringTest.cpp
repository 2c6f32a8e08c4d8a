// Passwords in a real Secret Service (an unlocked keyring daemon on the fixture's private
// session bus), read back by secret-tool as an independent reader; the mail servers still take
// them. Without a bus the scrambled password stays in a file only its owner can read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "base/FileIO.h"
#include "base/IniFile.h"
#include "settings/MailSettings.h"
#include "tests/integration/MailTestServers.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using oracle::ShellQuote;
using ::testing::HasSubstr;

constexpr const char* kNoBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus";

// A shell command line, with the keyring's bus in the environment.
TCliRun Shell(const oracle::TempDir& dir, const std::string& command) {
  return RunCaptured(command, dir.Path());
}

std::string CliIn(const oracle::TempDir& dir) {
  return MorivaCli() + " --dir " + ShellQuote(dir.Path().string());
}

TCliRun Config(const oracle::TempDir& dir, const std::string& key, const std::string& value,
               const std::string& env = "") {
  if (key.ends_with("password"))  // typed on stdin, as a user should
    return Shell(dir, "printf '%s\\n' " + ShellQuote(value) + " | " + env + " " + CliIn(dir) +
                          " config " + key + " -");
  return Shell(dir, env + " " + CliIn(dir) + " config " + key + " " + ShellQuote(value));
}

std::string Lookup(const oracle::TempDir& dir, const std::string& setting) {
  return Shell(dir, "secret-tool lookup application moriva setting " + setting + " folder " +
                        ShellQuote(dir.Path().string()))
      .out;
}

mode_t ModeOf(const fs::path& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

std::string Ini(const oracle::TempDir& dir, const char* key) {
  return ReadProfileString("email", key, "<none>", dir.Path() / "hs110.ini");
}

class KeyringTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("DBUS_SESSION_BUS_ADDRESS", testing::KeyringBus().c_str(), 1);
  }
};

TEST_F(KeyringTest, PasswordsLiveInTheKeyringAndTheServersStillTakeThem) {
  mailroad::TDovecotBox box(16);
  const testing::TServerState smtp = testing::SmtpTlsServer();
  oracle::TempDir dir, other;
  const std::string phone = "keyring-" + std::to_string(getpid()) + "@example.jp";
  const std::pair<std::string, std::string> settings[] = {
      {"hs110email", phone},
      {"smtp", "localhost:" + smtp.Values.at("PORT")},
      {"smtpsecurity", "starttls"},
      {"smtpuser", "sender01"},
      {"smtppassword", "smtpsecret01"},
      {"cafile", testing::TlsFile("ca.pem")},
      {"sendermail", "hanako@example.jp"},
      {"pop", "127.0.0.1:" + std::to_string(box.server.Port)},
      {"popsecurity", "none"},
      {"userid", box.user},
      {"password", box.password},
  };
  for (const auto& [key, value] : settings) {
    SCOPED_TRACE(key);
    const TCliRun r = Config(dir, key, value);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "") << "no warning for a password typed on stdin";
  }
  EXPECT_EQ(Lookup(dir, "password"), box.password);
  EXPECT_EQ(Lookup(dir, "smtppassword"), "smtpsecret01");
  EXPECT_EQ(Ini(dir, "password"), "");
  EXPECT_EQ(Ini(dir, "smtppassword"), "");
  EXPECT_EQ(Ini(dir, "secrets"), "keyring");
  EXPECT_EQ(Shell(dir, CliIn(dir) + " config password").out, box.password + "\n");
  EXPECT_EQ(ModeOf(dir.Path() / "hs110.ini"), 0600u);

  // Another settings folder keeps a password of its own; one on the command line is warned of.
  const TCliRun loud = Shell(other, CliIn(other) + " config password other-one");
  EXPECT_EQ(loud.code, 0);
  EXPECT_THAT(loud.err, HasSubstr("warning"));
  EXPECT_EQ(Lookup(other, "password"), "other-one");
  // The calendar server's password, also a "password" key of the same file, has its own entry.
  EXPECT_EQ(Config(dir, "caldav.password", "dav-secret").code, 0);
  EXPECT_EQ(Lookup(dir, "caldav.password"), "dav-secret");
  EXPECT_EQ(Lookup(dir, "password"), box.password);

  const fs::path mrv = dir.Path() / "s.mrv";
  WriteFileAtomically(mrv, "2027,2027,1,5,,,\"a- b- 10:30:0- TRUE\"\r\n");
  const TCliRun sent =
      Shell(dir, CliIn(dir) + " send " + ShellQuote(mrv.string()) + " --today 2026-12-07");
  EXPECT_EQ(sent.code, 0) << sent.err;  // SMTP AUTH with the keyring's password
  const auto delivered = mailroad::DeliveredTo(phone, smtp);
  ASSERT_EQ(delivered.size(), 1u);
  box.Put(mailroad::HandsetMail("mrv", "HS.CSV", mailroad::HandsetCsv(delivered[0].Attachment)));
  const TCliRun got = Shell(dir, CliIn(dir) + " receive " + ShellQuote(mrv.string()));
  EXPECT_EQ(got.code, 0) << got.err;  // the POP3 login with it
  EXPECT_THAT(got.out, HasSubstr("1 件受信しました。"));
}

TEST_F(KeyringTest, AnOldScrambledPasswordMovesToTheKeyringAtTheNextWrite) {
  struct Case {
    const char* name;
    void (*write)(const fs::path& ini);
  };
  const Case cases[] = {
      {"moriva-cli config of another key",
       [](const fs::path& ini) {
         const std::string cli = std::string(MORIVA_BINARY_DIR) + "/moriva-cli --dir " +
                                 ShellQuote(ini.parent_path().string()) + " config smtp mail";
         ASSERT_EQ(std::system(cli.c_str()), 0);
       }},
      {"the settings window's save",
       [](const fs::path& ini) { WriteMailSettings(ini, ReadMailSettings(ini)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    oracle::TempDir dir;
    const fs::path ini = dir.Path() / "hs110.ini";
    WriteFileAtomically(ini, "[email]\r\npassword=" + EncodePassword("old-pass") + "\r\n");
    chmod(ini.c_str(), 0644);
    EXPECT_EQ(ReadMailSettings(ini).Password, "old-pass") << "still read before the move";
    c.write(ini);
    EXPECT_EQ(Lookup(dir, "password"), "old-pass");
    EXPECT_EQ(Ini(dir, "password"), "");
    EXPECT_EQ(Ini(dir, "secrets"), "keyring");
    EXPECT_EQ(ModeOf(ini), 0600u) << "it held a password when written";
    EXPECT_EQ(ReadMailSettings(ini).Password, "old-pass");
  }
}

TEST_F(KeyringTest, WithoutABusThePasswordStaysScrambledInAPrivateFile) {
  oracle::TempDir dir;
  const std::string env = std::string("env ") + kNoBus;
  ASSERT_EQ(Config(dir, "password", "offline-1", env).code, 0);
  EXPECT_EQ(Ini(dir, "password"), EncodePassword("offline-1"));
  EXPECT_EQ(Ini(dir, "secrets"), "<none>");
  EXPECT_EQ(ModeOf(dir.Path() / "hs110.ini"), 0600u);
  EXPECT_EQ(Shell(dir, env + " " + CliIn(dir) + " config password").out, "offline-1\n");
  EXPECT_EQ(Lookup(dir, "password"), "") << "nothing went to the keyring";
  // A keyring that held the password but does not answer now is named, not taken as empty.
  WriteProfileString("email", "password", "", dir.Path() / "hs110.ini");
  WriteProfileString("email", "secrets", "keyring", dir.Path() / "hs110.ini");
  const TCliRun r = Shell(dir, env + " " + CliIn(dir) + " config password");
  EXPECT_NE(r.code, 0);
  EXPECT_THAT(r.err, HasSubstr("キーリング"));
}

}  // namespace
}  // namespace moriva
