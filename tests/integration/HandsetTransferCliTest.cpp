// moriva-cli config, send and receive against the fixture's servers: a mail set-up scripted
// from the shell, the schedule mailed out, the handset's answer fetched and merged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "settings/MailSettings.h"
#include "tests/integration/MailTestServers.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Runs moriva-cli with `args` (already quoted for the shell).
TCliRun Cli(const oracle::TempDir& dir, const std::string& args) {
  return RunCaptured(MorivaCli() + " " + args, dir.Path());
}

TEST(HandsetTransferCliTest, ConfigSendAndReceiveRoundTrip) {
  mailroad::TDovecotBox box(15);
  oracle::TempDir dir;
  const std::string d = "--dir " + oracle::ShellQuote(dir.Path().string());
  const std::string phone = "cli-" + std::to_string(getpid()) + "@example.jp";
  const std::vector<std::pair<std::string, std::string>> config = {
      {"hs110email", phone},
      {"smtp", "127.0.0.1:" + std::to_string(testing::SmtpServer().Port)},
      {"sender", "山田 花子"},
      {"sendermail", "hanako@example.jp"},
      {"pop", "127.0.0.1:" + std::to_string(box.server.Port)},
      {"userid", box.user},
      {"password", box.password},
      {"apop", "true"},
      {"popsecurity", "none"},
      {"nouidl", "false"},
  };
  for (const auto& [key, value] : config) {
    SCOPED_TRACE(key);
    EXPECT_EQ(Cli(dir, d + " config " + key + " " + oracle::ShellQuote(value)).code, 0);
    const TCliRun shown = Cli(dir, "config " + key + " " + d);
    EXPECT_EQ(shown.out, value + "\n");
  }
  // Stored as the settings window stores them: CP932 text, a scrambled password.
  const fs::path ini = dir.Path() / "hs110.ini";
  EXPECT_EQ(ReadProfileString("email", "sender", "", ini), Utf8ToCp932("山田 花子"));
  EXPECT_EQ(ReadProfileString("email", "password", "", ini), EncodePassword(box.password));
  EXPECT_EQ(Cli(dir, "config prestr " + d).out, "mrv\n");
  EXPECT_EQ(Cli(dir, d + " config colour red").code, 2);
  EXPECT_EQ(Cli(dir, d + " config apop yes").code, 2);

  const fs::path mrv = dir.Path() / "s.mrv";
  const std::string schedule = Utf8ToCp932("2027,2027,1,5,,,\"会議- 本社- 10:30:0- TRUE\"\r\n");
  WriteFileAtomically(mrv, schedule);
  const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::others_read;
  fs::permissions(mrv, shared);
  const std::string file = oracle::ShellQuote(mrv.string());

  TCliRun sent = Cli(dir, d + " send " + file + " --today 2026-12-07");
  EXPECT_EQ(sent.code, 0) << sent.err;
  EXPECT_EQ(sent.out, "送信完了しました。\n");
  const std::vector<mailroad::TDelivered> delivered = mailroad::DeliveredTo(phone);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].Attachment, ReadFileBytes(dir.Path() / "outgoing" / "SCHEDULE.CSV"));

  box.Put(mailroad::HandsetMail(
      "mrv", "HS.CSV",
      mailroad::HandsetCsv(delivered[0].Attachment,
                           {Utf8ToCp932("\"散歩\",\"公園\",\"2027/4/1\",\"7:0:0\",\"false\"")})));
  TCliRun got = Cli(dir, d + " receive " + file);
  EXPECT_EQ(got.code, 0) << got.err;
  EXPECT_THAT(got.out, HasSubstr("サーバーへ接続中...\n"));
  EXPECT_THAT(got.out, HasSubstr("\nmrv\n"));
  EXPECT_THAT(got.out, HasSubstr("同期完了しました。\n1 件受信しました。\n"));
  EXPECT_EQ(ReadFileBytes(mrv),
            schedule + Utf8ToCp932("2027,2027,4,1,,,\"散歩- 公園- 7:0:0- FALSE\"\r\n"));

  // What the program keeps is the user's alone; the schedule the user chose is not its to guard.
  const std::pair<fs::path, fs::perms> modes[] = {
      {ini, fs::perms::owner_read | fs::perms::owner_write},
      {dir.Path() / "uidl.ini", fs::perms::owner_read | fs::perms::owner_write},
      {dir.Path() / "outgoing", fs::perms::owner_all},
      {dir.Path() / "outgoing" / "SCHEDULE.CSV", fs::perms::owner_read | fs::perms::owner_write},
      {dir.Path() / "incoming", fs::perms::owner_all},
      {dir.Path() / "incoming" / "HS.CSV", fs::perms::owner_read | fs::perms::owner_write},
  };
  for (const auto& [path, perms] : modes) EXPECT_EQ(fs::status(path).permissions(), perms) << path;
  EXPECT_EQ(fs::status(mrv).permissions(), shared);

  got = Cli(dir, "receive " + file + " " + d);
  EXPECT_EQ(got.code, 0) << got.err;
  EXPECT_THAT(got.out, HasSubstr("0 件受信しました。\n"));
  EXPECT_THAT(got.out, ::testing::Not(HasSubstr("同期完了")));

  // Failures: a message on stderr and exit code 1.
  EXPECT_EQ(Cli(dir, d + " config password wrong").code, 0);
  got = Cli(dir, d + " receive " + file);
  EXPECT_EQ(got.code, 1);
  EXPECT_THAT(got.err, HasSubstr("サーバーへ接続できませんでした。"));
  EXPECT_EQ(Cli(dir, d + " config smtp ''").code, 0);
  sent = Cli(dir, d + " send " + file);
  EXPECT_EQ(sent.code, 1);
  EXPECT_EQ(sent.err, "moriva-cli send: EMail送信の設定をしてください。\n");
}

}  // namespace
}  // namespace moriva
