#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "mail/MailMessage.h"
#include "mail/SmtpClient.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

using testing::TScriptedServer;

// A client wired to a scripted server, recording what it reports.
struct SmtpRun {
  TSmtpClient smtp;
  struct Error {
    int code;
    std::string msg;
  };
  std::vector<Error> errors;
  std::vector<int> progress;
  std::vector<std::string> events;

  explicit SmtpRun(const TScriptedServer& server) {
    smtp.Host = "127.0.0.1";
    smtp.Port = std::to_string(server.Port());
    smtp.TimeOut = 3000;
    smtp.OnError = [this](const void*, int code, const std::string& msg) {
      errors.push_back({code, msg});
    };
    smtp.OnSendProgress = [this](TSmtpClient&, uint16_t p) { progress.push_back(p); };
    smtp.OnConnect = [this](TClientSocket&) { events.push_back("connect"); };
    smtp.OnQuit = [this](TClientSocket&) { events.push_back("quit"); };
    smtp.OnBeforeSend = [this](TSmtpClient&) { events.push_back("before"); };
    smtp.OnAfterSend = [this](TSmtpClient&) { events.push_back("after"); };
  }
};

// A message whose lines are given, so that composition is not involved.
void Prepare(TMailMessage& msg, std::vector<std::string> lines) {
  msg.From = "\"Hanako\" <Hanako@Example.JP>";
  msg.SendTo = "taro@example.jp";
  msg.UserName = "Hanako";
  msg.RawMail.Assign(std::move(lines));
}

// Greeting and EHLO accepted.
TScriptedServer& Greet(TScriptedServer& s) {
  return s.Send("220 ready\r\n").Reply("250 hello\r\n");
}

// One accepted transaction for `recipients` addresses.
TScriptedServer& Transaction(TScriptedServer& s, int recipients) {
  s.Reply("250 sender ok\r\n");
  for (int i = 0; i < recipients; ++i) s.Reply("250 rcpt ok\r\n");
  return s.Reply("354 go ahead\r\n").ExpectData().Send("250 queued\r\n").Reply("250 reset\r\n");
}

TEST(SmtpTest, DialogueWithToAndCcIsTwoTransactionsAndVrfyNamesTheSender) {
  TScriptedServer server;
  Greet(server).Reply("250 Hanako Yamada <hanako@example.jp>\r\n");
  Transaction(server, 1);
  Transaction(server, 2);
  server.Reply("221 bye\r\n").Start();

  SmtpRun run(server);
  TMailMessage msg;
  Prepare(msg, {"Subject: x", "", ".."});
  msg.UserName.clear();
  msg.CC = "\"Jiro, the second\" <Jiro@Example.JP>, saburo@example.jp";
  run.smtp.Connect();
  ASSERT_FALSE(run.smtp.ErrorFlag());
  EXPECT_TRUE(run.smtp.Send(msg));
  run.smtp.Quit();
  server.Join();

  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(msg.UserName, "Hanako Yamada");
  EXPECT_FALSE(msg.Date.empty());
  EXPECT_EQ(run.events, (std::vector<std::string>{"connect", "before", "after", "quit"}));
  std::vector<std::string> got = server.Received();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0].rfind("EHLO ", 0), 0u);
  got.erase(got.begin());
  const std::vector<std::string> data = {"DATA", "Subject: x", "", "..", "", ".", "RSET"};
  std::vector<std::string> expected = {"VRFY \"Hanako\" <Hanako@Example.JP>",
                                       "MAIL FROM:<Hanako@Example.JP>",
                                       "RCPT TO:<taro@example.jp>"};
  expected.insert(expected.end(), data.begin(), data.end());
  for (const char* line : {"MAIL FROM:<Hanako@Example.JP>", "RCPT TO:<jiro@example.jp>",
                           "RCPT TO:<saburo@example.jp>"})
    expected.push_back(line);
  expected.insert(expected.end(), data.begin(), data.end());
  expected.push_back("QUIT");
  EXPECT_EQ(got, expected);
}

TEST(SmtpTest, ProgressRoundsHalvesToEven) {
  struct Case {
    int lines;
    uint16_t step;
    std::vector<int> expected;
  } cases[] = {
      {3, 10, {33, 67, 100, 100}},
      {8, 10, {12, 25, 38, 50, 62, 75, 88, 100, 100}},
      {4, 50, {50, 100, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    TScriptedServer server;
    Transaction(Greet(server), 1).Reply("221 bye\r\n").Start();
    SmtpRun run(server);
    run.smtp.SendProgressStep = c.step;
    TMailMessage msg;
    Prepare(msg, std::vector<std::string>(c.lines, "line"));
    run.smtp.Connect();
    run.smtp.Send(msg);
    run.smtp.Quit();
    EXPECT_EQ(run.progress, c.expected);
    EXPECT_TRUE(run.errors.empty());
  }
}

TEST(SmtpTest, RefusedStepReportsItsReplyAndStopsTheSend) {
  // Which reply of the first transaction is refused, and what the client sent last.
  struct Case {
    int refused;  // 0 MAIL, 1 RCPT, 2 DATA, 3 end of data, 4 RSET
    std::string last_sent;
  } cases[] = {{0, "MAIL FROM:<Hanako@Example.JP>"},
               {1, "RCPT TO:<taro@example.jp>"},
               {2, "DATA"},
               {3, "."},
               {4, "RSET"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused);
    TScriptedServer server;
    Greet(server);
    const char* replies[] = {"250 ok\r\n", "250 ok\r\n", "354 go\r\n", "250 ok\r\n", "250 ok\r\n"};
    for (int i = 0; i <= c.refused; ++i) {
      if (i == 3)
        server.ExpectData().Send(i == c.refused ? "554 5.6.0 no thanks\r\n" : replies[i]);
      else
        server.Reply(i == c.refused ? "554 5.6.0 no thanks\r\n" : replies[i]);
    }
    server.Start();
    SmtpRun run(server);
    TMailMessage msg;
    Prepare(msg, {"a", "b"});
    msg.CC = "cc@example.jp";
    run.smtp.Connect();
    EXPECT_TRUE(run.smtp.Send(msg));
    server.Join();
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].code, 554);
    EXPECT_EQ(run.errors[0].msg, "5.6.0 no thanks");
    EXPECT_TRUE(run.smtp.ErrorFlag());
    EXPECT_FALSE(run.smtp.Connected());
    // Nothing was tried for the CC group on the closed connection.
    EXPECT_EQ(server.Received().back(), c.last_sent);
    EXPECT_EQ(run.events.back(), "after");
    EXPECT_THROW(run.smtp.Send(msg), Exception);  // "Not connected."
  }
}

TEST(SmtpTest, GreetingCutAnywhereIsReadAsOneReply) {
  const std::string greeting = "220-mail.example.jp ESMTP\r\n220-more\r\n220 ready\r\n";
  for (size_t cut = 1; cut < greeting.size(); ++cut) {
    SCOPED_TRACE(cut);
    TScriptedServer server;
    server.SendSplit(greeting, cut).Reply("250-first\r\n250 ok\r\n").Reply("221 bye\r\n");
    server.Start();
    SmtpRun run(server);
    std::vector<std::string> replies;
    run.smtp.OnReceiveTextFromSocket = [&](TSmtpClient&, const std::string& s) {
      replies.push_back(s);
    };
    run.smtp.Connect();
    EXPECT_FALSE(run.smtp.ErrorFlag());
    run.smtp.Quit();
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(replies, (std::vector<std::string>{"220 ready\r\n", "250 ok\r\n", "221 bye\r\n"}));
  }
}

TEST(SmtpTest, HostileServersEndConnectWithAClearError) {
  struct Case {
    const char* name;
    std::function<void(TScriptedServer&)> script;
    int code;
    std::string msg;
  } cases[] = {
      {"refusing greeting", [](TScriptedServer& s) { s.Send("554 go away\r\n"); }, 554, "go away"},
      {"garbage greeting", [](TScriptedServer& s) { s.Send("hello there\r\n"); }, 0, "lo there"},
      {"short last line", [](TScriptedServer& s) { s.Send("220-a\r\n22\r\n"); }, 22, ""},
      {"closes before greeting", [](TScriptedServer& s) { s.Close(); }, 0,
       "サーバーが接続を切りました。"},
      {"closes after greeting",
       [](TScriptedServer& s) { s.Send("220 hi\r\n").Expect().Send("25").Close(); }, 0,
       "サーバーが接続を切りました。"},
      {"silent", [](TScriptedServer& s) { s.Send("220-hi\r\n").Silent(); }, 0,
       "サーバーの応答が時間内にありません。"},
      {"endless reply",
       [](TScriptedServer& s) {
         std::string many;
         for (int i = 0; i < 1200; ++i) many += "220-again\r\n";
         s.Send(many).Silent();
       },
       0, "サーバーの応答が長すぎます。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    c.script(server);
    server.Start();
    SmtpRun run(server);
    run.smtp.TimeOut = 200;
    auto t0 = std::chrono::steady_clock::now();
    run.smtp.Connect();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    EXPECT_TRUE(run.smtp.ErrorFlag());
    EXPECT_FALSE(run.smtp.Connected());
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].code, c.code);
    EXPECT_EQ(run.errors[0].msg, c.msg);
  }
}

TEST(SmtpTest, PeerHangingUpDuringTheDataEndsTheSend) {
  TScriptedServer server;
  Greet(server).Reply("250 ok\r\n").Reply("250 ok\r\n").Reply("354 go\r\n").Close().Start();
  SmtpRun run(server);
  TMailMessage msg;
  // Far more than the socket buffers hold, so the hang-up meets the client while sending.
  Prepare(msg, std::vector<std::string>(200000, std::string(76, 'A')));
  run.smtp.Connect();
  auto t0 = std::chrono::steady_clock::now();
  bool raised = false;
  try {
    run.smtp.Send(msg);
  } catch (const ESocketError& e) {
    raised = true;  // the socket's own failure reaches the caller after OnError
    EXPECT_NE(std::string(e.what()).find("[API 'send']"), std::string::npos) << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
  EXPECT_TRUE(run.smtp.ErrorFlag());
  EXPECT_FALSE(run.smtp.Connected());
  ASSERT_EQ(run.errors.size(), 1u);
  if (!raised) {
    EXPECT_EQ(run.errors[0].msg, "サーバーが接続を切りました。");
  }
}

TEST(SmtpTest, PreconditionsAndRefusedConnection) {
  TSmtpClient smtp;
  TMailMessage msg;
  EXPECT_THROW(
      {
        try {
          smtp.Send(msg);
        } catch (const Exception& e) {
          EXPECT_STREQ(e.what(), "Not connected.");
          throw;
        }
      },
      Exception);

  TScriptedServer server;
  Greet(server).Reply("221 bye\r\n").Start();
  SmtpRun run(server);
  run.smtp.Connect();
  struct Case {
    std::string from, to, text;
  } cases[] = {{"", "a@b", "\"From\" field not specified."},
               {"a@b", "", "\"SendTo\" field not specified."}};
  for (const Case& c : cases) {
    TMailMessage m;
    m.From = c.from;
    m.SendTo = c.to;
    try {
      run.smtp.Send(m);
      ADD_FAILURE() << c.text;
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), c.text);
    }
  }
  run.smtp.Quit();
  server.Join();
  EXPECT_EQ(server.Received().size(), 2u);  // EHLO and QUIT: nothing else went out

  int closed_port;
  {
    TScriptedServer gone;  // a port with no listener any more
    closed_port = gone.Port();
  }
  TSmtpClient refused;
  bool reported = false;
  refused.OnError = [&](const void*, int, const std::string&) { reported = true; };
  refused.Host = "127.0.0.1";
  refused.Port = std::to_string(closed_port);
  refused.Connect();
  EXPECT_TRUE(refused.ErrorFlag());
  EXPECT_FALSE(reported);
}

TEST(SmtpAddressTest, PlainAddressAndAddressList) {
  struct Plain {
    const char* text;
    bool brackets;
    const char* expected;
  } plain[] = {
      {"Taro Yamada <Taro@Example.JP>", false, "Taro@Example.JP"},
      {"taro@example.jp (Taro)", true, "<taro@example.jp>"},
      {" (a) b@c (d) ", false, "b@c"},
      {"x) b@c (y", false, "x) b@c (y"},
      {"name > <a@b", false, ""},
      {"", true, "<>"},
  };
  for (const Plain& p : plain) {
    SCOPED_TRACE(p.text);
    EXPECT_EQ(PlainAddress(p.text, p.brackets), p.expected);
  }
  struct List {
    const char* text;
    std::vector<std::string> expected;
  } lists[] = {
      {"\"Yamada, Taro\" <Taro@Example.JP>, Jiro@Example.JP",
       {"taro@example.jp", "jiro@example.jp"}},
      {"  ", {}},
      {"a@b,, c@d ,", {"a@b", "c@d"}},
      {"\"unclosed <a@b>", {"a@b"}},
  };
  for (const List& l : lists) {
    SCOPED_TRACE(l.text);
    EXPECT_EQ(AddressList(l.text), l.expected);
  }
}

}  // namespace
}  // namespace moriva
