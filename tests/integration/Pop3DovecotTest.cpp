#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "tests/integration/ServerState.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

// Each test owns one mailbox of the fixture's server (userNN / secretNN), so tests can run
// side by side.
struct Mailbox {
  testing::TServerState server = testing::Pop3Server();
  std::string user, password;
  fs::path maildir;

  explicit Mailbox(int n) {
    std::string nn = (n < 10 ? "0" : "") + std::to_string(n);
    user = "user" + nn;
    password = "secret" + nn;
    maildir = fs::path(server.Values.at("DIR")) / "mail" / user / "Maildir";
    for (const char* sub : {"new", "cur"})
      for (const auto& entry : fs::directory_iterator(maildir / sub)) fs::remove(entry.path());
  }
  // Delivers a mail given as lines; the file holds them with LF, the server sends CR LF.
  void Put(int index, const std::vector<std::string>& lines) {
    std::ofstream out(maildir / "new" / ("100000000" + std::to_string(index) + ".M1P1.test"),
                      std::ios::binary);
    for (const std::string& line : lines) out << line << '\n';
  }
  void Setup(TPop3Client& pop, std::vector<int>& errors) {
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.Port);
    pop.TimeOut = 5000;
    pop.PlainLoginAllowed = true;
    pop.UserId = user;
    pop.UserPasswd = password;
    pop.OnError = [&errors](const void*, int code, const std::string&) { errors.push_back(code); };
  }
};

TEST(Pop3DovecotTest, LoginsWithUserPassAndApop) {
  Mailbox box(1);
  struct Case {
    bool apop;
    bool right_password;
  } cases[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.apop ? "APOP" : "USER/PASS") + (c.right_password ? "" : " wrong"));
    TPop3Client pop;
    std::vector<int> errors;
    box.Setup(pop, errors);
    pop.APOP = c.apop;
    if (!c.right_password) pop.UserPasswd = "not-" + box.password;
    pop.Connect();
    ASSERT_FALSE(pop.ErrorFlag());
    EXPECT_NE(pop.Greeting().find('<'), std::string::npos);
    EXPECT_EQ(pop.Login(), c.right_password);
    if (c.right_password) {
      EXPECT_TRUE(errors.empty());
      pop.Quit();
    } else {
      EXPECT_EQ(errors, std::vector<int>{2001});
      EXPECT_FALSE(pop.Connected());
    }
  }
}

TEST(Pop3DovecotTest, StatUidlTopAndRetrieveOfPreparedMails) {
  Mailbox box(2);
  const std::vector<std::vector<std::string>> mails = {
      {"From: hanako@example.jp", "Subject: first", "", "body", ".starts with a dot", "."},
      {"From: taro@example.jp", "Subject: second", " folded", "Content-Type: text/plain", "", "two",
       "", "lines"},
      {"Subject: third", "", std::string(5000, 'x')},
  };
  for (size_t i = 0; i < mails.size(); ++i) box.Put(static_cast<int>(i), mails[i]);

  TPop3Client pop;
  std::vector<int> errors;
  box.Setup(pop, errors);
  pop.APOP = true;
  pop.GetUIDLsOnRetrieve = true;
  pop.Connect();
  ASSERT_TRUE(pop.Login());
  pop.GetStat();
  EXPECT_EQ(pop.MessageCount(), 3);
  EXPECT_FALSE(pop.LastSupported());  // this server does not know LAST
  EXPECT_EQ(pop.NewMessageCount(), 0);

  TLineList uidls;
  ASSERT_TRUE(pop.GetUIDLs(uidls));
  ASSERT_EQ(uidls.Count(), 3u);
  for (size_t i = 0; i < mails.size(); ++i) {
    SCOPED_TRACE(i);
    uint16_t n = static_cast<uint16_t>(i + 1);
    EXPECT_EQ(uidls[i], std::to_string(n) + " " + pop.GetUIDL(n));

    TMailMessage header;
    header.ClearRawMailAfterParse = false;  // the lines as fetched are what is compared
    ASSERT_TRUE(pop.RetrieveHeader(n, header));
    std::vector<std::string> head(mails[i].begin(),
                                  std::find(mails[i].begin(), mails[i].end(), "") + 1);
    EXPECT_EQ(header.RawMail.Lines(), head);

    TMailMessage whole;
    whole.ClearRawMailAfterParse = false;
    ASSERT_TRUE(pop.Retrieve(n, whole));
    EXPECT_EQ(whole.RawMail.Lines(), mails[i]);
    EXPECT_EQ(whole.UIDL, pop.GetUIDL(n));
    EXPECT_GT(whole.Size, 0);
  }
  EXPECT_TRUE(errors.empty());
  pop.Quit();
  EXPECT_FALSE(pop.Connected());
}

// Fetches asked for ahead (`next`) bring the same mails as fetches one by one, whether the next
// call is the one announced or another command, which then finds its own reply.
TEST(Pop3DovecotTest, FetchesAskedAheadBringTheSameMailsWhateverComesNext) {
  Mailbox box(17);
  std::vector<std::vector<std::string>> mails;
  for (int i = 0; i < 4; ++i)
    mails.push_back({"Subject: mail " + std::to_string(i), "", std::string(30000 + i, 'a' + i)});
  for (size_t i = 0; i < mails.size(); ++i) box.Put(static_cast<int>(i), mails[i]);
  struct Call {
    char what;  // 'R' Retrieve, 'T' RetrieveHeader, 'U' GetUIDL
    uint16_t number, next;
  } calls[] = {{'R', 1, 2}, {'R', 2, 3}, {'T', 3, 0}, {'R', 3, 4},
               {'U', 2, 0}, {'R', 4, 1}, {'T', 1, 2}, {'T', 2, 3}};
  for (bool uidls : {false, true}) {
    SCOPED_TRACE(uidls ? "with UIDL after each fetch" : "fetches only");
    TPop3Client pop;
    std::vector<int> errors;
    box.Setup(pop, errors);
    pop.GetUIDLsOnRetrieve = uidls;
    pop.Connect();
    ASSERT_TRUE(pop.Login());
    TLineList ids;
    ASSERT_TRUE(pop.GetUIDLs(ids));
    for (const Call& c : calls) {
      SCOPED_TRACE(std::string(1, c.what) + std::to_string(c.number));
      const std::vector<std::string>& mail = mails[c.number - 1];
      const std::string id = ids[c.number - 1].substr(ids[c.number - 1].find(' ') + 1);
      if (c.what == 'U') {
        EXPECT_EQ(pop.GetUIDL(c.number), id);
        continue;
      }
      TMailMessage msg;
      msg.ClearRawMailAfterParse = false;
      if (c.what == 'R') {
        ASSERT_TRUE(pop.Retrieve(c.number, msg, c.next));
        EXPECT_EQ(msg.RawMail.Lines(), mail);
      } else {
        ASSERT_TRUE(pop.RetrieveHeader(c.number, msg, c.next));
        EXPECT_EQ(msg.RawMail.Lines(), std::vector<std::string>(mail.begin(), mail.begin() + 2));
      }
      EXPECT_EQ(msg.UIDL, uidls ? id : "");
      EXPECT_GT(msg.Size, 30000);
    }
    EXPECT_TRUE(errors.empty());
    pop.Quit();  // with a fetch still on its way
    EXPECT_FALSE(pop.Connected());
  }
}

}  // namespace
}  // namespace moriva
