#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "tests/integration/ServerState.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A client logged in by APOP to mailbox `user` of the fixture's Dovecot, which holds exactly
// the mails given (written the way a delivery agent would: LF line ends, no dot-stuffing).
struct Fetcher {
  TPop3Client pop;
  Lines log;

  Fetcher(const std::string& user, const std::vector<Lines>& mails) {
    testing::TServerState server = testing::Pop3Server();
    fs::path maildir = fs::path(server.Values.at("DIR")) / "mail" / user / "Maildir";
    for (const char* sub : {"new", "cur"})
      for (const auto& entry : fs::directory_iterator(maildir / sub)) fs::remove(entry.path());
    for (size_t i = 0; i < mails.size(); ++i) {
      std::ofstream out(maildir / "new" / ("20000000" + std::to_string(i) + ".M1P1.fetch"),
                        std::ios::binary);
      for (const std::string& line : mails[i]) out << line << '\n';
    }
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.Port);
    pop.TimeOut = 5000;
    pop.PlainLoginAllowed = true;
    pop.APOP = true;
    pop.UserId = user;
    pop.UserPasswd = "secret" + user.substr(4);
    pop.OnError = [this](const void*, int code, const std::string& msg) {
      log.push_back("error " + std::to_string(code) + " " + msg);
    };
  }
  void Open() {
    pop.Connect();
    ASSERT_FALSE(pop.ErrorFlag()) << pop.ReplyText();
    ASSERT_TRUE(pop.Login());
  }
};

// The lines of a composed message as they stand in a mailbox: composition stuffs them for
// the wire.
Lines Unstuffed(const TLineList& lines) {
  Lines out;
  for (std::string line : lines) {
    if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
    out.push_back(line);
  }
  return out;
}

std::string Bytes(size_t n) {
  std::mt19937 gen(7);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// What the sending road composes arrives intact through a real server: the header fetch
// gives the subject, the full fetch the text and the attachment's very bytes.
TEST(Pop3FetchTest, ComposedMailWithAttachmentRoundTrip) {
  TMailMessage sent;
  sent.From = "hanako@example.jp";
  sent.SendTo = "phone@example.jp";
  sent.Subject = "mrv";
  sent.Text.Assign(Lines{"first", ".a line with a leading dot", "."});
  TAttachedFile& file = sent.AttachedFiles.Add("SCHEDULE.CSV");
  file.SetBody(Bytes(5000));
  sent.FillRawMail();

  Fetcher f("user12", {Unstuffed(sent.RawMail)});
  f.pop.GetUIDLsOnRetrieve = true;
  f.Open();
  f.pop.GetStat();
  EXPECT_EQ(f.pop.MessageCount(), 1);
  TMailMessage got;
  ASSERT_TRUE(f.pop.RetrieveHeader(1, got));
  EXPECT_EQ(got.Subject, "mrv");
  EXPECT_EQ(got.AttachedFiles.Count(), 0u);
  ASSERT_TRUE(f.pop.Retrieve(1, got));
  EXPECT_FALSE(got.UIDL.empty());
  EXPECT_EQ(got.Text.Lines(), (Lines{"first", ".a line with a leading dot", "."}));
  ASSERT_EQ(got.AttachedFiles.Count(), 1u);
  EXPECT_EQ(got.AttachedFiles[0].FileName, "SCHEDULE.CSV");
  EXPECT_TRUE(got.AttachedFiles[0].BodyBytes() == file.BodyBytes());
  f.pop.Quit();
  EXPECT_TRUE(f.log.empty());
}

// A large mail arrives in many chunks: progress rises step by step to at least 100; a cancel
// in the middle leaves the connection for QUIT and the mailbox for the next session.
TEST(Pop3FetchTest, ProgressAndCancelOfALargeMail) {
  Lines mail{"Subject: big", ""};
  for (int i = 0; i < 4000; ++i) mail.push_back(std::string(76, 'a' + i % 26));
  Fetcher f("user13", {mail});
  std::vector<int> progress;
  f.pop.OnRetrieveProgress = [&](TPop3Client&, uint16_t p) { progress.push_back(p); };
  f.Open();
  TMailMessage msg;
  ASSERT_TRUE(f.pop.Retrieve(1, msg));
  EXPECT_EQ(msg.Text.Count(), 4000u);
  ASSERT_GE(progress.size(), 2u);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_GE(progress.back(), 100);
  EXPECT_LE(progress.back(), 102);  // the status line and the end are counted too

  progress.clear();
  f.pop.OnRetrieveProgress = [&](TPop3Client& p, uint16_t) { p.Cancel(); };
  TMailMessage cancelled;
  EXPECT_FALSE(f.pop.Retrieve(1, cancelled));
  EXPECT_TRUE(f.pop.Connected());
  f.pop.Quit();
  EXPECT_TRUE(f.log.empty());

  f.pop.OnRetrieveProgress = nullptr;
  f.Open();
  EXPECT_FALSE(f.pop.Cancelled());
  TMailMessage again;
  ASSERT_TRUE(f.pop.RetrieveHeader(1, again));
  EXPECT_EQ(again.Subject, "big");
  f.pop.Quit();
}

// The server refuses what does not exist; the client reports it with the server's text.
TEST(Pop3FetchTest, RefusalsOfARealServer) {
  Fetcher f("user14", {{"Subject: only", "", "one"}});
  f.Open();
  TMailMessage msg;
  EXPECT_FALSE(f.pop.Retrieve(2, msg));
  ASSERT_EQ(f.log.size(), 1u);
  EXPECT_EQ(f.log[0].rfind("error 2004 ", 0), 0u) << f.log[0];
  EXPECT_FALSE(f.pop.Connected());

  f.Open();
  EXPECT_EQ(f.pop.GetUIDL(5), "");
  ASSERT_EQ(f.log.size(), 2u);
  EXPECT_EQ(f.log[1].rfind("error 2006 ", 0), 0u) << f.log[1];
}

}  // namespace
}  // namespace moriva
