#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "mail/MD5.h"
#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "tests/mail/MailTestTools.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

using mailtest::ErrorText;
using testing::TScriptedServer;
using Lines = std::vector<std::string>;

const char kGreeting[] = "+OK POP3 ready <1234.5678@mail.example.jp>\r\n";

// A client wired to a scripted server, recording what it reports in one log.
struct PopRun {
  TPop3Client pop;
  Lines log;

  explicit PopRun(const TScriptedServer& server) {
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.Port());
    pop.TimeOut = 3000;
    pop.PlainLoginAllowed = true;
    pop.UserId = "taro";
    pop.UserPasswd = "secret";
    pop.OnError = [this](const void*, int code, const std::string& msg) {
      log.push_back("error " + std::to_string(code) + " " + msg);
    };
    pop.OnRetrieveProgress = [this](TPop3Client&, uint16_t p) {
      log.push_back("progress " + std::to_string(p));
    };
    pop.OnBeforeRetrieve = [this](TPop3Client&, uint16_t n) {
      log.push_back("before " + std::to_string(n));
    };
    pop.OnAfterRetrieve = [this](TPop3Client&) { log.push_back("after"); };
    pop.OnConnect = [this](TPop3Client&) { log.push_back("connect"); };
    pop.OnDisconnect = [this](TPop3Client&) { log.push_back("disconnect"); };
  }
};

// The commands the client sent, once it has hung up.
Lines Commands(PopRun& run, TScriptedServer& server) {
  run.pop.Quit();
  server.Join();
  return server.Received();
}

TEST(Pop3Test, SessionWithUserPassStatUidlTopAndRetr) {
  TScriptedServer server;
  server.Send(kGreeting)
      .Reply("+OK user\r\n")
      .Reply("+OK logged in\r\n")
      .Reply("+OK 3 500\r\n")
      .Reply("+OK 1\r\n")
      .Reply("+OK\r\n1 uid-a\r\n2 uid-b\r\n3 uid-c\r\n.\r\n")
      .Reply("+OK 2 47\r\n")
      .Reply("+OK top\r\nSubject: mrv\r\n\r\n.\r\n")
      .Reply("+OK 2 47\r\n")
      .Reply("+OK\r\nSubject: mrv\r\n\r\n..dot\r\nlast line\r\n.\r\n")
      .Reply("+OK 2 uid-b\r\n")
      .Start();
  PopRun run(server);
  std::string sent, received;
  run.pop.OnSendTextToSocket = [&](TPop3Client&, const std::string& s) { sent += s; };
  run.pop.OnReceiveTextFromSocket = [&](TPop3Client&, const std::string& s) { received += s; };
  run.pop.Connect();
  ASSERT_FALSE(run.pop.ErrorFlag());
  EXPECT_EQ(run.pop.Greeting(), "POP3 ready <1234.5678@mail.example.jp>");
  EXPECT_TRUE(run.pop.Login());
  EXPECT_TRUE(run.pop.LoggedIn());
  run.pop.GetStat();
  EXPECT_EQ(run.pop.MessageCount(), 3);
  EXPECT_EQ(run.pop.NewMessageCount(), 2);
  EXPECT_TRUE(run.pop.LastSupported());
  TLineList uidls{"old"};
  EXPECT_TRUE(run.pop.GetUIDLs(uidls));
  EXPECT_EQ(uidls.Lines(), (Lines{"1 uid-a", "2 uid-b", "3 uid-c"}));

  TMailMessage msg;
  msg.ClearRawMailAfterParse = false;
  EXPECT_TRUE(run.pop.RetrieveHeader(2, msg));
  EXPECT_EQ(msg.Size, 47);
  EXPECT_EQ(msg.Subject, "mrv");  // parsed at once
  EXPECT_EQ(msg.RawMail.Lines(), (Lines{"Subject: mrv", ""}));
  EXPECT_TRUE(msg.UIDL.empty());
  run.pop.GetUIDLsOnRetrieve = true;
  TMailMessage full;
  full.ClearRawMailAfterParse = false;
  EXPECT_TRUE(run.pop.Retrieve(2, full));
  EXPECT_EQ(full.UIDL, "uid-b");
  EXPECT_EQ(full.Text.Lines(), (Lines{".dot", "last line"}));
  EXPECT_EQ(Commands(run, server),
            (Lines{"USER taro", "PASS secret", "STAT", "LAST", "UIDL", "LIST 2", "TOP 2 0",
                   "LIST 2", "RETR 2", "UIDL 2", "QUIT"}));
  EXPECT_EQ(run.log, (Lines{"connect", "before 2", "progress 100", "after", "before 2",
                            "progress 100", "after", "disconnect"}));
  EXPECT_TRUE(sent.starts_with("USER taro\r\nPASS secret\r\nSTAT\r\n")) << sent;
  EXPECT_TRUE(sent.ends_with("RETR 2\r\nUIDL 2\r\nQUIT\r\n")) << sent;
  // Every chunk as it came: together, all the server said.
  EXPECT_TRUE(received.starts_with(kGreeting)) << received;
  EXPECT_TRUE(received.ends_with("last line\r\n.\r\n+OK 2 uid-b\r\n")) << received;
  EXPECT_FALSE(run.pop.Connected());
}

TEST(Pop3Test, ApopHashesTheTimeStampWhereverTheGreetingIsCut) {
  const std::string greeting = "+OK Dovecot (Debian) ready. <12.34@host>\r\n";
  const std::string digest = MD5Hex("<12.34@host>secret");
  for (size_t at = 1; at <= greeting.size(); ++at) {
    SCOPED_TRACE("greeting cut before " + std::to_string(at));
    TScriptedServer server;
    server.SendSplit(greeting, at).Reply("+OK welcome\r\n").Start();
    PopRun run(server);
    run.pop.APOP = true;
    run.pop.Connect();
    EXPECT_EQ(run.pop.Greeting(), "Dovecot (Debian) ready. <12.34@host>");
    EXPECT_TRUE(run.pop.Login());
    EXPECT_EQ(Commands(run, server), (Lines{"APOP taro " + digest, "QUIT"}));
  }
}

// APOP is used only with a time stamp of message-id form: a server posing as the real one
// must not be able to choose the challenge. Nothing of the login goes out otherwise.
TEST(Pop3Test, ApopWithoutAProperTimeStampFailsWithoutSendingTheLogin) {
  const std::string none = "APOP is not possible: the server's greeting holds no time stamp.";
  const std::string bad =
      "APOP is not possible: the server's time stamp is not of the form <...@...>.";
  const std::pair<std::string, std::string> cases[] = {
      {"+OK POP3 server ready\r\n", none},
      {"+OK ready <1234.5678>\r\n", bad},
      {"+OK ready <12\x01\x7f@host>\r\n", bad},
      {"+OK ready <12 34@host>\r\n", bad},
      {"+OK ready <@>\r\n", bad},
  };
  for (const auto& [greeting, text] : cases) {
    SCOPED_TRACE(greeting);
    TScriptedServer server;
    server.Send(greeting).Start();
    PopRun run(server);
    run.pop.APOP = true;
    run.pop.Connect();
    EXPECT_FALSE(run.pop.Login());
    EXPECT_TRUE(run.pop.ErrorFlag());
    EXPECT_FALSE(run.pop.Connected());
    EXPECT_TRUE(Commands(run, server).empty());
    EXPECT_EQ(run.log, (Lines{"connect", "disconnect", "error 2001 " + text}));
  }
}

// A refusal at every step: the step's code with the server's text, the connection closed,
// nothing further sent. A reply that is not "+OK" refuses as "-ERR" does; unique ids that
// could not be kept as one line of a file, and a login that would go out in plain text
// without that being chosen, are refused by the client itself.
TEST(Pop3Test, RefusalOfEachCommand) {
  struct Case {
    const char* name;
    Lines replies;  // after the greeting, one per command
    std::function<void(TPop3Client&)> action;
    Lines commands;
    const char* error;
  } cases[] = {
      {"USER",
       {"-ERR unknown user"},
       [](TPop3Client& p) { EXPECT_FALSE(p.Login()); },
       {"USER taro"},
       "error 2001 unknown user"},
      {"PASS",
       {"+OK", "-ERR wrong password"},
       [](TPop3Client& p) { EXPECT_FALSE(p.Login()); },
       {"USER taro", "PASS secret"},
       "error 2001 wrong password"},
      {"PASS answered neither +OK nor -ERR",
       {"+OK", "+OKAY"},
       [](TPop3Client& p) { EXPECT_FALSE(p.Login()); },
       {"USER taro", "PASS secret"},
       "error 2001 Y"},
      {"USER/PASS in plain text not chosen",
       {},
       [](TPop3Client& p) {
         p.PlainLoginAllowed = false;
         EXPECT_FALSE(p.Login());
       },
       {},
       "error 2001 暗号化されていない接続ではサーバー 127.0.0.1:"},
      {"APOP in plain text not chosen",
       {},
       [](TPop3Client& p) {
         p.PlainLoginAllowed = false;
         p.APOP = true;
         EXPECT_FALSE(p.Login());
       },
       {},
       "error 2001 暗号化されていない接続ではサーバー 127.0.0.1:"},
      {"UIDL listing with a control character",
       {"+OK\r\n1 fine\r\n2 bad\x01id\r\n."},
       [](TPop3Client& p) {
         TLineList list;
         EXPECT_FALSE(p.GetUIDLs(list));
         EXPECT_EQ(list.Count(), 0u);
       },
       {"UIDL"},
       "error 2004 サーバーが不正な UIDL を返しました (制御文字を含むか長すぎます)。"},
      {"UIDL listing with an over-long id",
       {"+OK\r\n1 " + std::string(kMaxUniqueIdLength + 1, 'x') + "\r\n."},
       [](TPop3Client& p) {
         TLineList list;
         EXPECT_FALSE(p.GetUIDLs(list));
       },
       {"UIDL"},
       "error 2004 サーバーが不正な UIDL を返しました (制御文字を含むか長すぎます)。"},
      {"UIDL n with a carriage return",
       {"+OK 9 a\rb"},
       [](TPop3Client& p) { EXPECT_EQ(p.GetUIDL(9), ""); },
       {"UIDL 9"},
       "error 2006 サーバーが不正な UIDL を返しました (制御文字を含むか長すぎます)。"},
      {"APOP",
       {"-ERR authentication failed"},
       [](TPop3Client& p) {
         p.APOP = true;
         EXPECT_FALSE(p.Login());
       },
       {"APOP taro " + MD5Hex("<1234.5678@mail.example.jp>secret")},
       "error 2001 authentication failed"},
      {"STAT",
       {"-ERR mailbox locked"},
       [](TPop3Client& p) { p.GetStat(); },
       {"STAT"},
       "error 2006 mailbox locked"},
      {"UIDL n",
       {"-ERR no such message"},
       [](TPop3Client& p) { EXPECT_EQ(p.GetUIDL(9), ""); },
       {"UIDL 9"},
       "error 2006 no such message"},
      {"UIDL",
       {"-ERR not supported"},
       [](TPop3Client& p) {
         TLineList list{"kept"};
         EXPECT_FALSE(p.GetUIDLs(list));
         EXPECT_EQ(list.Count(), 1u);
       },
       {"UIDL"},
       "error 2004 not supported"},
      {"TOP",
       {"+OK 1 10", "-ERR no TOP here"},
       [](TPop3Client& p) {
         TMailMessage msg;
         EXPECT_FALSE(p.RetrieveHeader(1, msg));
       },
       {"LIST 1", "TOP 1 0"},
       "error 2004 no TOP here"},
      {"RETR",
       {"-ERR no such message", "-ERR no such message"},
       [](TPop3Client& p) {
         TMailMessage msg;
         EXPECT_FALSE(p.Retrieve(4, msg));
       },
       {"LIST 4", "RETR 4"},
       "error 2004 no such message"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    server.Send(kGreeting);
    for (const std::string& reply : c.replies) server.Reply(reply + "\r\n");
    server.Start();
    PopRun run(server);
    run.pop.Connect();
    c.action(run.pop);
    EXPECT_TRUE(run.pop.ErrorFlag());
    EXPECT_FALSE(run.pop.Connected());
    EXPECT_EQ(Commands(run, server), c.commands);
    Lines log{"connect", "disconnect", c.error};
    if (c.name == std::string("TOP")) log.insert(log.begin() + 1, "before 1");
    if (c.name == std::string("RETR")) log.insert(log.begin() + 1, "before 4");
    // The plain-login refusal names the server's port, which is the test's own.
    if (run.log.size() == log.size() && run.log.back().starts_with(log.back()))
      log.back() = run.log.back();
    EXPECT_EQ(run.log, log);
  }
}

TEST(Pop3Test, RefusedGreetingAndLastAreNoReportedErrors) {
  {
    SCOPED_TRACE("greeting -ERR: no usable connection, nothing reported");
    TScriptedServer server;
    server.Send("-ERR too many connections\r\n").Start();
    PopRun run(server);
    run.pop.Connect();
    EXPECT_TRUE(run.pop.ErrorFlag());
    EXPECT_FALSE(run.pop.Connected());
    EXPECT_EQ(run.pop.ReplyText(), "too many connections");
    EXPECT_TRUE(Commands(run, server).empty());
    EXPECT_EQ(run.log, (Lines{"connect", "disconnect"}));
  }
  {
    SCOPED_TRACE("LAST -ERR: optional");
    TScriptedServer server;
    server.Send(kGreeting).Reply("+OK 7 9000\r\n").Reply("-ERR Unknown command: LAST\r\n");
    server.Start();
    PopRun run(server);
    run.pop.Connect();
    run.pop.GetStat();
    EXPECT_EQ(run.pop.MessageCount(), 7);
    EXPECT_EQ(run.pop.NewMessageCount(), 0);
    EXPECT_FALSE(run.pop.LastSupported());
    EXPECT_TRUE(run.pop.Connected());
    EXPECT_EQ(Commands(run, server), (Lines{"STAT", "LAST", "QUIT"}));
    EXPECT_EQ(run.log, (Lines{"connect", "disconnect"}));
  }
}

// RETR of a message with stuffed lines, its reply cut at every offset; LIST without a size.
TEST(Pop3Test, RetrieveCutAtEveryOffset) {
  const std::string reply =
      "+OK message follows\r\nSubject: x\r\n\r\n..\r\n...two\r\n\r\nlast..\r\n..\r\n.\r\n";
  const Lines expected{"Subject: x", "", ".", "..two", "", "last..", "."};
  for (size_t at = 0; at < reply.size(); ++at) {
    SCOPED_TRACE("reply cut before " + std::to_string(at));
    TScriptedServer server;
    server.Send(kGreeting).Reply("+OK 1\r\n").Expect();
    if (at == 0)
      server.Send(reply);
    else
      server.SendSplit(reply, at);
    server.Start();
    PopRun run(server);
    run.pop.Connect();
    TMailMessage msg;
    msg.ClearRawMailAfterParse = false;
    ASSERT_TRUE(run.pop.Retrieve(1, msg));
    EXPECT_EQ(msg.RawMail.Lines(), expected);
    EXPECT_EQ(msg.Size, 100);
    EXPECT_EQ(Commands(run, server), (Lines{"LIST 1", "RETR 1", "QUIT"}));
  }
}

TEST(Pop3Test, PeerThatHangsUpOrFallsSilentEndsTheOperation) {
  struct Case {
    const char* name;
    std::function<void(TScriptedServer&)> script;
    std::function<void(TPop3Client&)> action;
    const char* error;
  } cases[] = {
      {"closed before the greeting", [](TScriptedServer& s) { s.Close(); }, [](TPop3Client&) {},
       "error 0 サーバーが接続を切りました。"},
      {"silent before the greeting", [](TScriptedServer& s) { s.Silent(); }, [](TPop3Client&) {},
       "error 0 サーバーの応答が時間内にありません。"},
      {"closed mid-RETR",
       [](TScriptedServer& s) {
         s.Send(kGreeting).Reply("+OK 1 900\r\n").Reply("+OK\r\nSubject: x\r\n\r\nhalf").Close();
       },
       [](TPop3Client& p) {
         TMailMessage msg;
         EXPECT_FALSE(p.Retrieve(1, msg));
         EXPECT_TRUE(msg.RawMail.Empty());
       },
       "error 2004 サーバーが接続を切りました。"},
      {"silent mid-RETR",
       [](TScriptedServer& s) {
         s.Send(kGreeting).Reply("+OK 1 900\r\n").Reply("+OK\r\nSubject: x\r\n").Silent();
       },
       [](TPop3Client& p) {
         TMailMessage msg;
         EXPECT_FALSE(p.Retrieve(1, msg));
       },
       "error 2004 サーバーの応答が時間内にありません。"},
      {"closed after PASS",
       [](TScriptedServer& s) { s.Send(kGreeting).Reply("+OK\r\n").Expect().Close(); },
       [](TPop3Client& p) { EXPECT_FALSE(p.Login()); }, "error 2001 サーバーが接続を切りました。"},
      {"closed during the UIDL listing",
       [](TScriptedServer& s) { s.Send(kGreeting).Reply("+OK\r\n1 a\r\n2 b\r\n").Close(); },
       [](TPop3Client& p) {
         TLineList list;
         EXPECT_FALSE(p.GetUIDLs(list));
       },
       "error 2004 サーバーが接続を切りました。"},
      {"a greeting that never ends",
       [](TScriptedServer& s) { s.Send("+OK " + std::string(1100000, 'x')).Silent(); },
       [](TPop3Client&) {}, "error 0 サーバーの応答の行が長すぎます。"},
      {"closed after STAT",
       [](TScriptedServer& s) { s.Send(kGreeting).Reply("+OK 2 20\r\n").Expect().Close(); },
       [](TPop3Client& p) { p.GetStat(); }, "error 2006 サーバーが接続を切りました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    c.script(server);
    server.Start();
    PopRun run(server);
    run.pop.TimeOut = 150;
    auto started = std::chrono::steady_clock::now();
    run.pop.Connect();
    c.action(run.pop);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(run.pop.ErrorFlag());
    EXPECT_FALSE(run.pop.Connected());
    ASSERT_FALSE(run.log.empty());
    EXPECT_EQ(run.log.back(), c.error);
    run.pop.Quit();
    server.Join();
  }
}

TEST(Pop3Test, ThousandUniqueIdsInOddPieces) {
  std::string listing = "+OK 1000 messages\r\n";
  Lines expected;
  for (int i = 1; i <= 1000; ++i) {
    expected.push_back(std::to_string(i) + " " + std::string(20, 'a' + i % 26) + std::to_string(i));
    listing += expected.back() + "\r\n";
  }
  listing += ".\r\n";
  for (size_t at : {size_t{0}, size_t{1021}, listing.size() - 3, listing.size() - 1}) {
    SCOPED_TRACE("cut before " + std::to_string(at));
    TScriptedServer server;
    server.Send(kGreeting).Expect();
    if (at == 0)
      server.Send(listing);
    else
      server.SendSplit(listing, at);
    server.Start();
    PopRun run(server);
    run.pop.Connect();
    TLineList list;
    ASSERT_TRUE(run.pop.GetUIDLs(list));
    EXPECT_EQ(list.Lines(), expected);
    run.pop.Quit();
    server.Join();
  }
}

TEST(Pop3Test, ProgressPerChunk) {
  const std::string body(300, 'x');
  struct Case {
    const char* name;
    const char* list;
    int pieces;
    Lines progress;
    uint16_t step = 30;
  } cases[] = {
      // 5 + 302 * 3 + 3 = 914 bytes of 900; the first chunk (307 bytes) tells nothing.
      {"whole message in one chunk", "+OK 1 900", 1, {"progress 100"}},
      {"in three chunks", "+OK 1 900", 3, {"progress 68", "progress 102"}},
      {"size 0: only the end", "+OK 1 0", 3, {"progress 100"}},
      // 34 %, then 67 % moves the next step to 120: the complete fetch still reports 100.
      {"step beyond 100", "+OK 1 914", 3, {"progress 67", "progress 100"}, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    server.Send(kGreeting).Reply(std::string(c.list) + "\r\n").Expect();
    std::string reply = "+OK\r\n" + body + "\r\n" + body + "\r\n" + body + "\r\n.\r\n";
    if (c.pieces == 1) {
      server.Send(reply);
    } else {
      server.Send(reply.substr(0, 307)).Pause(30).Send(reply.substr(307, 302)).Pause(30);
      server.Send(reply.substr(609));
    }
    server.Start();
    PopRun run(server);
    run.pop.RetrieveProgressStep = c.step;
    run.pop.Connect();
    TMailMessage msg;
    ASSERT_TRUE(run.pop.Retrieve(1, msg));
    Lines progress(run.log.begin() + 2, run.log.end() - 1);
    EXPECT_EQ(progress, c.progress);
    run.pop.Quit();
    server.Join();
  }
}

TEST(Pop3Test, CancelDuringFetchKeepsTheConnectionForQuit) {
  TScriptedServer server;
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += std::string(99, 'y') + "\r\n";
  server.Send(kGreeting).Reply("+OK 1 100000\r\n").Reply("+OK\r\n" + lines).Pause(30);
  server.Send(lines).Silent().Start();
  PopRun run(server);
  run.pop.OnRetrieveProgress = [](TPop3Client& p, uint16_t) { p.Cancel(); };
  run.pop.RetrieveProgressStep = 0;
  run.pop.Connect();
  TMailMessage msg;
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(run.pop.Retrieve(1, msg));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_TRUE(run.pop.Cancelled());
  EXPECT_TRUE(run.pop.Connected());
  EXPECT_FALSE(run.pop.ErrorFlag());
  EXPECT_EQ(Commands(run, server), (Lines{"LIST 1", "RETR 1", "QUIT"}));
  EXPECT_EQ(run.log, (Lines{"connect", "before 1", "disconnect"}));
}

// The window runs while the client waits; a cancel given there ends a wait for a status line
// too, quietly, and the later operations do not wait either.
TEST(Pop3Test, CancelWhileWaitingForAStatusLine) {
  TScriptedServer server;
  server.Send(kGreeting).Expect().Silent().Start();
  PopRun run(server);
  bool armed = false;
  run.pop.ProcessMessages = [&] {
    if (armed) run.pop.Cancel();
  };
  run.pop.Connect();
  armed = true;
  TMailMessage msg;
  TLineList list;
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(run.pop.Retrieve(1, msg));
  EXPECT_FALSE(run.pop.GetUIDLs(list));
  run.pop.GetStat();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_TRUE(run.pop.Connected());
  EXPECT_TRUE(run.pop.ErrorFlag());
  // LIST and RETR go out together.
  EXPECT_EQ(Commands(run, server), (Lines{"LIST 1", "RETR 1", "UIDL", "STAT", "QUIT"}));
  EXPECT_EQ(run.log, (Lines{"connect", "before 1", "disconnect"}));
}

TEST(Pop3Test, ReplyOverTheBoundIsRefused) {
  TScriptedServer server;
  server.Send(kGreeting).Reply("+OK 1 10\r\n").Reply("+OK\r\n" + std::string(5000, 'z') + "\r\n");
  server.Silent().Start();
  PopRun run(server);
  run.pop.MaxReplySize = 4096;
  run.pop.Connect();
  TMailMessage msg;
  EXPECT_FALSE(run.pop.Retrieve(1, msg));
  EXPECT_EQ(run.log.back(), "error 2004 サーバーの応答が長すぎます。");
  run.pop.Quit();
  server.Join();
}

// Empty lines cost 2 bytes on the wire and a whole string each once held: a mail of endless
// empty lines is refused at the memory bound, far below the wire bound, and the process never
// grows by anything near what the lines would take. The fetch runs in a child process, whose
// peak size (getrusage) is its own; its size at the start comes from /proc/self/statm.
TEST(Pop3Test, MailOfEndlessEmptyLinesIsRefusedAtTheMemoryBound) {
  constexpr size_t kBound = size_t{8} << 20;
  std::string lines;
  for (int i = 0; i < (4 << 20); ++i) lines += "\r\n";  // 8 MiB sent, 128 MiB as strings
  TScriptedServer server;
  server.Send(kGreeting).Reply("+OK 1 10\r\n").Reply("+OK\r\n" + lines + ".\r\n").Silent().Start();
  struct Report {
    bool fetched;
    long grown_kib;
    char text[128];
  } report{};
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  if (fork() == 0) {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) _exit(1);
    PopRun run(server);
    run.pop.MaxReplyMemory = kBound;
    run.pop.Connect();
    TMailMessage msg;
    report.fetched = run.pop.Retrieve(1, msg);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    report.grown_kib = usage.ru_maxrss - resident * (sysconf(_SC_PAGESIZE) / 1024);
    std::snprintf(report.text, sizeof report.text, "%s", run.log.back().c_str());
    _exit(write(channel[1], &report, sizeof report) == sizeof report ? 0 : 1);
  }
  ASSERT_EQ(read(channel[0], &report, sizeof report), static_cast<ssize_t>(sizeof report));
  wait(nullptr);
  server.Join();
  EXPECT_FALSE(report.fetched);
  EXPECT_STREQ(report.text,
               "error 2004 メールが大きすぎます (受信に 8 MiB を超えるメモリが要ります)。");
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's shadow memory and quarantine grow on their own
  EXPECT_LT(report.grown_kib, static_cast<long>(kBound >> 10));
#endif
}

TEST(Pop3Test, WithoutConnection) {
  TPop3Client pop;
  TMailMessage msg;
  TLineList list;
  EXPECT_EQ(ErrorText([&] { pop.Login(); }), "Invalid Op. Not connected.");
  EXPECT_EQ(ErrorText([&] { pop.Retrieve(1, msg); }), "Not connected.");
  EXPECT_EQ(ErrorText([&] { pop.RetrieveHeader(1, msg); }), "Not connected.");
  EXPECT_FALSE(pop.ErrorFlag());
  // Other commands are not refused by state: they fail like a refusal.
  std::vector<int> codes;
  pop.OnError = [&](const void*, int code, const std::string& text) {
    codes.push_back(code);
    EXPECT_EQ(text, "Not connected.");
  };
  pop.GetStat();
  EXPECT_FALSE(pop.GetUIDLs(list));
  EXPECT_EQ(pop.GetUIDL(1), "");
  EXPECT_EQ(codes, (std::vector<int>{2006, 2004, 2006}));
  EXPECT_TRUE(pop.ErrorFlag());
  pop.Quit();
  EXPECT_FALSE(pop.Connected());

  // A port that is no number means 110; nothing listens there in the tests, or something
  // that is not ours: either way the port is the one tried.
  int errors = 0;
  pop.OnError = [&](const void*, int, const std::string&) { ++errors; };  // none expected
  pop.Host = "127.0.0.1";
  pop.Port = "pop";
  pop.TimeOut = 300;
  pop.Connect();
  EXPECT_EQ(pop.Socket().Port, 110);
  pop.Quit();
  pop.Port = "1";  // refused
  pop.Connect();
  EXPECT_TRUE(pop.ErrorFlag());
  EXPECT_FALSE(pop.Connected());
  EXPECT_EQ(errors, 0);
}

}  // namespace
}  // namespace moriva
