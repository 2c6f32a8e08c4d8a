// Mail over TLS through moriva-cli against the fixture's TLS servers: the four roads (SMTP with
// STARTTLS and over TLS, POP3 with STLS and over TLS), and every way a secure connection must
// fail, each with its own message, exit code 1 and nothing on disk changed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/integration/MailTestServers.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/CliRun.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TCliRun Cli(const oracle::TempDir& dir, const std::string& args) {
  return RunCaptured(MorivaCli() + " --dir " + oracle::ShellQuote(dir.Path().string()) + " " + args,
                     dir.Path());
}

void Configure(const oracle::TempDir& dir, const std::map<std::string, std::string>& settings) {
  for (const auto& [key, value] : settings) {
    SCOPED_TRACE(key);
    ASSERT_EQ(Cli(dir, "config " + key + " " + oracle::ShellQuote(value)).code, 0);
  }
}

std::string Port(const testing::TServerState& s, const char* name) {
  return s.Values.at(name);
}

const std::string kSchedule = Utf8ToCp932("2027,2027,1,5,,,\"会議- 本社- 10:30:0- TRUE\"\r\n");

TEST(MailTlsCliTest, SendsAndReceivesThroughEveryEncryptedRoad) {
  const testing::TServerState smtp = testing::SmtpTlsServer();
  struct Road {
    std::string smtpSecurity, smtpPort, popSecurity, popPort, host;
    int box;
  };
  const testing::TServerState pop = testing::Pop3TlsServer();
  // A host name checked against the certificate's DNS name, an address against its IP address.
  const Road roads[] = {
      {"starttls", Port(smtp, "PORT"), "stls", Port(pop, "PORT"), "localhost", 1},
      {"tls", Port(smtp, "TLSPORT"), "tls", Port(pop, "TLSPORT"), "127.0.0.1", 2},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.smtpSecurity + " / " + road.popSecurity);
    mailroad::TDovecotBox box(road.box, pop);
    oracle::TempDir dir;
    const std::string phone = "tls-" + road.smtpSecurity + std::to_string(getpid()) + "@example.jp";
    Configure(dir, {{"hs110email", phone},
                    {"smtp", road.host + ":" + road.smtpPort},
                    {"smtpsecurity", road.smtpSecurity},
                    {"smtpuser", "sender01"},
                    {"smtppassword", "smtpsecret01"},
                    {"cafile", testing::TlsFile("ca.pem")},
                    {"sendermail", "hanako@example.jp"},
                    {"pop", road.host + ":" + road.popPort},
                    {"popsecurity", road.popSecurity},
                    {"userid", box.user},
                    {"password", box.password}});
    const fs::path mrv = dir.Path() / "s.mrv";
    WriteFileAtomically(mrv, kSchedule);
    const std::string file = oracle::ShellQuote(mrv.string());

    TCliRun sent = Cli(dir, "send " + file + " --today 2026-12-07");
    EXPECT_EQ(sent.code, 0) << sent.err;
    const auto delivered = mailroad::DeliveredTo(phone, smtp);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].Attachment, ReadFileBytes(dir.Path() / "outgoing" / "SCHEDULE.CSV"));

    box.Put(mailroad::HandsetMail("mrv", "HS.CSV", mailroad::HandsetCsv(delivered[0].Attachment)));
    TCliRun got = Cli(dir, "receive " + file);
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_THAT(got.out, HasSubstr("1 件受信しました。\n"));
    EXPECT_TRUE(fs::exists(dir.Path() / "incoming" / "HS.CSV"));
  }
}

TEST(MailTlsCliTest, EveryFailureIsNamedAndChangesNothing) {
  const testing::TServerState tls = testing::SmtpTlsServer();
  const testing::TServerState plainSmtp = testing::SmtpServer();
  const testing::TServerState plainPop = testing::Pop3Server();
  const testing::TServerState tlsPop = testing::Pop3TlsServer();
  const std::string local = "localhost:";
  struct Case {
    const char* name;
    bool send;
    std::map<std::string, std::string> settings;
    const char* message;
  };
  const Case cases[] = {
      {"untrusted CA, send",
       true,
       {{"smtp", local + Port(tls, "OTHERCA")}, {"smtpsecurity", "tls"}},
       "証明書の発行者が信頼されていません"},
      {"untrusted CA, receive",
       false,
       {{"pop", local + Port(tls, "OTHERCA")}, {"popsecurity", "tls"}},
       "証明書の発行者が信頼されていません"},
      {"no CA file: the system store alone",
       false,
       {{"pop", local + Port(tlsPop, "TLSPORT")}, {"popsecurity", "tls"}, {"cafile", ""}},
       "証明書の発行者が信頼されていません"},
      {"wrong host name",
       true,
       {{"smtp", local + Port(tls, "WRONGNAME")}, {"smtpsecurity", "tls"}},
       "証明書がこのサーバーのものではありません"},
      {"wrong address",
       false,
       {{"pop", "127.0.0.1:" + Port(tls, "WRONGNAME")}, {"popsecurity", "tls"}},
       "証明書がこのサーバーのものではありません"},
      {"no STARTTLS offered",
       true,
       {{"smtp", local + std::to_string(plainSmtp.Port)}, {"smtpsecurity", "starttls"}},
       "STARTTLS に対応していません"},
      {"no STLS offered",
       false,
       {{"pop", local + std::to_string(plainPop.Port)}, {"popsecurity", "stls"}},
       "STLS に対応していません"},
      {"wrong SMTP password",
       true,
       {{"smtp", local + Port(tls, "PORT")},
        {"smtpsecurity", "starttls"},
        {"smtppassword", "wrong"}},
       "Authentication credentials invalid"},
      {"no AUTH in plain text unless chosen",
       true,
       {{"smtp", local + std::to_string(plainSmtp.Port)}},
       "パスワードを送りません"},
      {"hang-up in the handshake, send",
       true,
       {{"smtp", local + Port(tls, "DROP")}, {"smtpsecurity", "tls"}},
       "ハンドシェイクの途中で接続を切りました"},
      {"hang-up in the handshake, receive",
       false,
       {{"pop", local + Port(tls, "DROP")}, {"popsecurity", "tls"}},
       "ハンドシェイクの途中で接続を切りました"},
  };
  mailroad::TDovecotBox box(3, tlsPop);
  box.Put(mailroad::HandsetMail("mrv", "HS.CSV", "\"a\",\"b\",\"2027/4/1\",\"7:0:0\",\"false\""));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    oracle::TempDir dir;
    std::map<std::string, std::string> settings = {{"hs110email", "phone@example.jp"},
                                                   {"smtpuser", "sender01"},
                                                   {"smtppassword", "smtpsecret01"},
                                                   {"cafile", testing::TlsFile("ca.pem")},
                                                   {"userid", box.user},
                                                   {"password", box.password}};
    for (const auto& [key, value] : c.settings) settings[key] = value;
    Configure(dir, settings);
    const fs::path mrv = dir.Path() / "s.mrv", uidl = dir.Path() / "uidl.ini";
    WriteFileAtomically(mrv, kSchedule);
    WriteFileAtomically(uidl, "old-id\r\n");

    const TCliRun r = Cli(dir, (c.send ? "send --today 2026-12-07 " : "receive ") + mrv.string());
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_THAT(r.err,
                HasSubstr(c.send ? "送信に失敗しました。" : "サーバーへ接続できませんでした。"));
    EXPECT_EQ(ReadFileBytes(mrv), kSchedule);
    EXPECT_EQ(ReadFileBytes(uidl), "old-id\r\n");
    EXPECT_FALSE(fs::exists(dir.Path() / "incoming"));
  }
}

}  // namespace
}  // namespace moriva
