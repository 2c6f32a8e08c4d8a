// The send road against a scripted SMTP server, and the pieces both roads share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/Julius.h"
#include "formats/PhoneCsv.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"
#include "tests/handset/HandsetTransferTestTools.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using mailroad::ErrorTexts;
using mailroad::LocalSettings;
using mailroad::RefusingPort;
using mailroad::TRoadFolder;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TScriptedServer;

TEST(HandsetTransferTest, MessageBodyIsTwoDigitDateAndTime) {
  struct Case {
    int y, m, d, h, n;
    const char* body;
  } cases[] = {
      {2026, 12, 6, 20, 15, "Moriva Message 26/12/06 20:15"},
      {2000, 1, 2, 3, 4, "Moriva Message 00/01/02 03:04"},
      {1999, 10, 31, 23, 59, "Moriva Message 99/10/31 23:59"},
      {2105, 7, 1, 0, 0, "Moriva Message 05/07/01 00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(PhoneMessageBody(c.y, c.m, c.d, c.h, c.n), c.body);
  }
  // The time point form reads the local clock: same text as the fields of localtime.
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  EXPECT_EQ(PhoneMessageBody(now),
            PhoneMessageBody(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min));
}

TEST(HandsetTransferTest, ServerSettingTakesAnOptionalPort) {
  struct Case {
    const char* setting;
    const char* host;
    const char* port;
  } cases[] = {
      {"mail.example.jp", "mail.example.jp", "25"},
      {"mail.example.jp:587", "mail.example.jp", "587"},
      {"127.0.0.1:2525", "127.0.0.1", "2525"},
      {"", "", "25"},
      {":2525", "", "2525"},
      {"host:", "host", ""},  // no number: the client's standard port
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    TServerAddress a = SplitServerAddress(c.setting, "25");
    EXPECT_EQ(a.Host, c.host);
    EXPECT_EQ(a.Port, c.port);
  }
}

TEST(HandsetTransferTest, OutgoingCsvHoldsTodaysAndLaterItemsAndReplacesTheOldFile) {
  TRoadFolder f;
  TLineList list;
  list.Add(Utf8ToCp932("2026,2026,12,5,,,\"昨日- - 9:0:0- FALSE\""));
  list.Add(Utf8ToCp932("2026,2026,12,6,,,\"今日- 本社- 10:30:0- TRUE\""));
  const int32_t today = DateToJulius(2026, 12, 6);
  fs::path file = WriteOutgoingPhoneCsv(f.dir.Path(), list, today);
  EXPECT_EQ(file, f.dir.Path() / "outgoing" / "SCHEDULE.CSV");
  EXPECT_EQ(ReadFileBytes(file), BuildPhoneCsv(list, today).Text());
  // An empty schedule still writes the header line.
  WriteOutgoingPhoneCsv(f.dir.Path(), TLineList(), today);
  EXPECT_EQ(ReadFileBytes(file), PhoneCsvHeader() + "\r\n");
}

// A send against a scripted server: the settings of `f`, one attachment, a fixed clock.
struct SendRun {
  TRoadFolder f;
  TSmtpClient smtp;
  TPhoneMail mail;

  SendRun() {
    smtp.TimeOut = 3000;
    smtp.OnError = ErrorBoxHandler(f.dialogs);
    f.context.Clock = [] { return std::chrono::system_clock::from_time_t(1796549700); };
    f.context.MimeTypesFile = fs::path(MORIVA_TEST_DATA) / "mail" / "mime.types";
    mail.Subject = std::string(kPhoneSubject);
    mail.Body = PhoneMessageBody(2026, 12, 6, 20, 15);
    mail.Attachments.push_back(f.dir.Write("SCHEDULE.CSV", Utf8ToCp932("\"件名\"\r\n")));
  }
  void Settings(int port) { f.WriteSettings(LocalSettings(port, 0, "", "")); }
};

// Greeting and EHLO accepted, then one accepted transaction per recipient group, QUIT.
void AcceptingServer(TScriptedServer& s, int groups) {
  s.Send("220 ready\r\n").Reply("250 hello\r\n");
  for (int i = 0; i < groups; ++i)
    s.Reply("250 sender ok\r\n")
        .Reply("250 rcpt ok\r\n")
        .Reply("354 go ahead\r\n")
        .ExpectData()
        .Send("250 queued\r\n")
        .Reply("250 reset\r\n");
  s.Reply("221 bye\r\n").Start();
}

TEST(HandsetTransferTest, SendComposesTheHandsetMailAndReportsCompletion) {
  TScriptedServer server;
  AcceptingServer(server, 2);
  SendRun run;
  TMailSettings s = LocalSettings(server.Port(), 0, "", "");
  s.Sender = "";  // the default name stands in
  run.f.WriteSettings(s);
  run.mail.CC = "cc@example.jp";
  run.mail.ExtraHeaders = "X-Test: one\r\nX-Other: two";

  EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::Sent);
  server.Join();

  const std::vector<std::string> got = server.Received();
  EXPECT_THAT(got, Contains("MAIL FROM:<hanako@example.jp>"));
  EXPECT_THAT(got, Contains("RCPT TO:<phone@example.jp>"));
  EXPECT_THAT(got, Contains("RCPT TO:<cc@example.jp>"));
  for (const char* line :
       {"From: \"Moriva (UnKnown)\" <hanako@example.jp>", "X-Mailer: Moriva Ver.1.0.0.0",
        "To: phone@example.jp", "Subject: Moriva", "CC: cc@example.jp", "X-Test: one",
        "X-Other: two", "Content-Type: text/plain; charset=ISO-2022-JP",
        "Moriva Message 26/12/06 20:15", "Content-Type: text/csv; name=\"SCHEDULE.CSV\"",
        "Content-Disposition: attachment; filename=\"SCHEDULE.CSV\""}) {
    SCOPED_TRACE(line);
    EXPECT_THAT(got, Contains(line));
  }
  EXPECT_THAT(got, Contains(Base64EncodeText(Utf8ToCp932("\"件名\"\r\n"))));
  EXPECT_EQ(got.back(), "QUIT");
  EXPECT_EQ(run.f.dialogs.MessageTexts(), std::vector<std::string>{"送信完了しました。"});
  EXPECT_EQ(run.f.dialogs.CallsOf(TFakeDialogs::Kind::Message).at(0).Icon, TMsgIcon::None);
  EXPECT_EQ(run.f.dialogs.BusyDepth, 0);
  EXPECT_EQ(run.f.dialogs.MaxBusyDepth, 1);
}

TEST(HandsetTransferTest, SendWithoutServerOrHandsetAddressConnectsNothing) {
  for (int missing = 0; missing < 2; ++missing) {
    SCOPED_TRACE(missing == 0 ? "smtp" : "hs110email");
    TScriptedServer server;  // never started: a connection would find nobody answering
    SendRun run;
    TMailSettings s = LocalSettings(server.Port(), 0, "", "");
    (missing == 0 ? s.SMTP : s.HandsetEMail).clear();
    run.f.WriteSettings(s);
    EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::NotConfigured);
    EXPECT_FALSE(run.smtp.Connected());
    EXPECT_EQ(ErrorTexts(run.f.dialogs),
              std::vector<std::string>{"EMail送信の設定をしてください。"});
    EXPECT_EQ(run.f.dialogs.BusyDepth, 0);
  }
}

TEST(HandsetTransferTest, RefusalsAreReportedAsFailuresNeverAsCompletion) {
  struct Case {
    const char* name;
    std::function<void(TScriptedServer&)> script;
    TSendResult result;
    std::vector<std::string> errors;
  } cases[] = {
      {"greeting refused",
       [](TScriptedServer& s) { s.Send("554 go away\r\n").Start(); },
       TSendResult::ConnectFailed,
       {"go away", "送信に失敗しました。"}},
      {"EHLO and HELO refused",
       [](TScriptedServer& s) {
         s.Send("220 ready\r\n").Reply("502 what\r\n").Reply("501 who are you\r\n").Start();
       },
       TSendResult::ConnectFailed,
       {"who are you", "送信に失敗しました。"}},
      {"recipient refused",
       [](TScriptedServer& s) {
         s.Send("220 ready\r\n")
             .Reply("250 hello\r\n")
             .Reply("250 sender ok\r\n")
             .Reply("550 no such user\r\n")
             .Start();
       },
       TSendResult::Failed,
       {"no such user", "送信に失敗しました。"}},
      {"data refused after the lines",
       [](TScriptedServer& s) {
         s.Send("220 ready\r\n")
             .Reply("250 hello\r\n")
             .Reply("250 sender ok\r\n")
             .Reply("250 rcpt ok\r\n")
             .Reply("354 go ahead\r\n")
             .ExpectData()
             .Send("552 too big\r\n")
             .Start();
       },
       TSendResult::Failed,
       {"too big", "送信に失敗しました。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    c.script(server);
    SendRun run;
    run.Settings(server.Port());
    EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), c.result);
    EXPECT_FALSE(run.smtp.Connected());
    server.Join();
    EXPECT_EQ(ErrorTexts(run.f.dialogs), c.errors);
    EXPECT_THAT(run.f.dialogs.MessageTexts(), ::testing::Not(Contains("送信完了しました。")));
    EXPECT_EQ(run.f.dialogs.BusyDepth, 0);
  }
}

// The server hangs up after each command in turn. Until it has accepted the mail the send
// has failed, and says so; the connection is closed and the next send on the client works.
TEST(HandsetTransferTest, HangUpAfterEachCommandIsAFailureAndTheNextSendWorks) {
  struct Step {
    const char* command;
    const char* reply;
    bool data = false;  // the mail's lines up to "."
  };
  const std::vector<Step> steps = {{"EHLO", "250 hello\r\n"},     {"MAIL", "250 sender ok\r\n"},
                                   {"RCPT", "250 rcpt ok\r\n"},   {"DATA", "354 go ahead\r\n"},
                                   {".", "250 queued\r\n", true}, {"RSET", "250 reset\r\n"},
                                   {"QUIT", "221 bye\r\n"}};
  for (size_t drop = 0; drop < steps.size(); ++drop) {
    SCOPED_TRACE(std::string("hang-up after ") + steps[drop].command);
    TScriptedServer server;
    server.Send("220 ready\r\n");
    for (size_t i = 0; i < drop; ++i) {
      if (steps[i].data)
        server.ExpectData().Send(steps[i].reply);
      else
        server.Reply(steps[i].reply);
    }
    (steps[drop].data ? server.ExpectData() : server.Expect()).Close().Start();
    SendRun run;
    run.Settings(server.Port());
    const TSendResult result = SendToPhone(run.smtp, run.f.context, run.mail);
    server.Join();
    EXPECT_FALSE(run.smtp.Connected());
    EXPECT_EQ(run.f.dialogs.BusyDepth, 0);
    const std::vector<std::string> messages = run.f.dialogs.MessageTexts();
    if (std::string(steps[drop].command) != "QUIT") {
      // The transaction did not end (the reset after the mail belongs to it): a failure,
      // never a completion.
      EXPECT_EQ(result, drop == 0 ? TSendResult::ConnectFailed : TSendResult::Failed);
      ASSERT_FALSE(messages.empty());
      EXPECT_EQ(messages.back(), "送信に失敗しました。");
      EXPECT_THAT(messages, ::testing::Not(Contains("送信完了しました。")));
    } else {
      // The server took the mail and ended the transaction; only the goodbye was lost.
      EXPECT_EQ(result, TSendResult::Sent);
      EXPECT_THAT(messages, ::testing::Not(Contains("送信に失敗しました。")));
    }

    TScriptedServer again;
    AcceptingServer(again, 1);
    run.Settings(again.Port());
    run.f.dialogs.Calls.clear();
    EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::Sent);
    EXPECT_EQ(run.f.dialogs.MessageTexts(), std::vector<std::string>{"送信完了しました。"});
  }
}

TEST(HandsetTransferTest, UnreachableServerGivesTheFailureMessage) {
  SendRun run;
  run.Settings(RefusingPort());
  EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::ConnectFailed);
  EXPECT_EQ(run.f.dialogs.MessageTexts(), std::vector<std::string>{"送信に失敗しました。"});
}

TEST(HandsetTransferTest, CompositionErrorPassesOnAfterTheConnectionIsClosed) {
  TScriptedServer server;
  server.Send("220 ready\r\n").Reply("250 hello\r\n").Reply("221 bye\r\n").Start();
  SendRun run;
  TMailSettings s = LocalSettings(server.Port(), 0, "", "");
  s.SenderMail.clear();  // "UnKnown" holds no "@"
  run.f.WriteSettings(s);
  try {
    SendToPhone(run.smtp, run.f.context, run.mail);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "\"From\" address not complete.");
  }
  server.Join();
  EXPECT_FALSE(run.smtp.Connected());
  EXPECT_EQ(server.Received().back(), "QUIT");
  EXPECT_TRUE(run.f.dialogs.MessageTexts().empty());
  EXPECT_EQ(run.f.dialogs.BusyDepth, 0);
  // The next send on the same client starts a fresh dialogue.
  TScriptedServer again;
  AcceptingServer(again, 1);
  run.Settings(again.Port());
  EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::Sent);
}

TEST(HandsetTransferTest, TheCallersPumpRunsDuringTheSendAndTheClientsOwnComesBack) {
  TScriptedServer server;
  AcceptingServer(server, 1);
  SendRun run;
  run.Settings(server.Port());
  int own = 0, given = 0;
  run.smtp.ProcessMessages = [&own] { ++own; };
  run.f.context.ProcessMessages = [&given] { ++given; };
  EXPECT_EQ(SendToPhone(run.smtp, run.f.context, run.mail), TSendResult::Sent);
  EXPECT_GT(given, 0);
  EXPECT_EQ(own, 0);
  run.smtp.ProcessMessages();
  EXPECT_EQ(own, 1);
}

TEST(HandsetTransferTest, SendActionWritesTheFileBeforeTheQuestionAndSendsOnlyOnYes) {
  TLineList list;
  list.Add(Utf8ToCp932("2026,2026,12,6,,,\"今日- 本社- 10:30:0- TRUE\""));
  list.Add("repeat;id=w;start=20261201;every=1m;day=6;count=2,\"rent- - 0:0:0- FALSE\"");
  const int32_t today = DateToJulius(2026, 12, 6);
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    TScriptedServer server;  // started only for Yes: No must not connect
    SendRun run;
    run.Settings(server.Port());
    if (yes) AcceptingServer(server, 1);
    const fs::path csv = run.f.dir.Path() / "outgoing" / "SCHEDULE.CSV";
    run.f.dialogs.YesNoAnswers.push_back(yes);
    run.f.dialogs.OnCall = [&](const TFakeDialogs::Call& c) {
      if (c.What == TFakeDialogs::Kind::AskYesNo) {
        EXPECT_EQ(ReadFileBytes(csv), BuildPhoneCsv(list, today).Text());
      }
    };
    const std::optional<TSendResult> r = SendScheduleToPhone(run.smtp, run.f.context, list, today);
    const auto question = run.f.dialogs.CallsOf(TFakeDialogs::Kind::AskYesNo);
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].Text, "H\"へ送信します。よろしいですか？");
    EXPECT_EQ(question[0].Caption, "確認");
    EXPECT_EQ(question[0].Icon, TMsgIcon::Warning);
    EXPECT_EQ(question[0].Default, TMsgDefault::Yes);
    EXPECT_TRUE(fs::exists(csv));
    if (!yes) {
      EXPECT_FALSE(r.has_value());
      EXPECT_TRUE(run.f.dialogs.MessageTexts().empty());
      continue;
    }
    EXPECT_EQ(r, TSendResult::Sent);
    EXPECT_EQ(run.f.dialogs.MessageTexts(),
              std::vector<std::string>{"送信完了しました。\r\n繰り返し予定 1 件は今日から 365 "
                                       "日分、2 件の予定にしました。"});
    server.Join();
    // The body is the context's clock in local time.
    EXPECT_THAT(server.Received(), Contains(PhoneMessageBody(run.f.context.Clock())));
  }
}

// The handset reads its own code only: a character beyond it goes as 〓 and the message says how
// many did; a user-defined character stays one.
TEST(HandsetTransferTest, CharactersTheHandsetLacksGoAsGetaAndAreCounted) {
  TLineList list;
  list.Add(Utf8ToCp932("2026,2026,12,6,,,\"🎂 誕生日- 🏠- 9:0:0- FALSE\""));
  list.Add(Utf8ToCp932(
      "repeat;id=w;start=20261201;every=1m;day=6;count=2,\"家賃\uE3AC- - 0:0:0- FALSE\""));
  const int32_t today = DateToJulius(2026, 12, 6);
  TScriptedServer server;
  SendRun run;
  run.Settings(server.Port());
  AcceptingServer(server, 1);
  run.f.dialogs.YesNoAnswers.push_back(true);
  EXPECT_EQ(SendScheduleToPhone(run.smtp, run.f.context, list, today), TSendResult::Sent);
  server.Join();
  EXPECT_EQ(ReadFileBytes(run.f.dir.Path() / "outgoing" / "SCHEDULE.CSV"),
            PhoneCsvHeader() + "\r\n" + Utf8ToCp932("\"〓 誕生日\",2026/12/6,9:0:0,FALSE,〓\r\n") +
                "\x89\xC6\x92\xC0\xF5\x40" +
                ",2026/12/6,0:0:0,FALSE,\r\n\x89\xC6\x92\xC0\xF5\x40,2027/1/6,0:0:0,FALSE,\r\n");
  EXPECT_EQ(run.f.dialogs.MessageTexts(),
            std::vector<std::string>{"送信完了しました。\r\n繰り返し予定 1 件は今日から 365 "
                                     "日分、2 件の予定にしました。\r\nH\"で表せない文字 2 "
                                     "字を 〓 にしました。"});
}

TEST(HandsetTransferTest, MarkNewMailsByListingPosition) {
  struct Case {
    const char* name;
    std::vector<std::string> listing;
    std::vector<std::string> known;
    std::vector<uint16_t> fresh;
    std::vector<std::string> ids;
    std::vector<std::string> known_after;
  } cases[] = {
      {"nothing known", {"1 aa", "2 bb"}, {}, {1, 2}, {"aa", "bb"}, {}},
      {"all known", {"1 aa", "2 bb"}, {"aa", "bb"}, {}, {"aa", "bb"}, {"aa", "bb"}},
      {"letter case ignored", {"1 AbC", "2 d"}, {"aBc"}, {2}, {"AbC", "d"}, {"aBc"}},
      {"gone ids dropped, order kept",
       {"1 c", "2 e"},
       {"a", "c", "b", "e"},
       {},
       {"c", "e"},
       {"c", "e"}},
      // The server's own numbers are not trusted: the position counts.
      {"position, not the written number",
       {"7 x", "3 y", "9 z"},
       {"y"},
       {1, 3},
       {"x", "y", "z"},
       {"y"}},
      {"line without blank is its own id",
       {"lonely", "2 b"},
       {"lonely"},
       {2},
       {"lonely", "b"},
       {"lonely"}},
      {"empty listing drops everything", {}, {"a", "b"}, {}, {}, {}},
      // Trail bytes that look like letters are compared exactly (ア is 83 41, ヂ is 83 61).
      {"double-byte ids exact",
       {"1 \x83\x41", "2 \x83\x61"},
       {"\x83\x41"},
       {2},
       {"\x83\x41", "\x83\x61"},
       {"\x83\x41"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLineList listing, known;
    listing.Assign(c.listing);
    known.Assign(c.known);
    EXPECT_EQ(MarkNewMails(listing, known), c.fresh);
    EXPECT_EQ(listing.Lines(), c.ids);
    EXPECT_EQ(known.Lines(), c.known_after);
  }
}

TEST(HandsetTransferTest, ErrorBoxShowsTheServersTextAlone) {
  TFakeDialogs dialogs;
  auto handler = ErrorBoxHandler(dialogs);
  handler(nullptr, 550, "no such user");
  EXPECT_THAT(dialogs.Calls,
              ElementsAre(::testing::Field(&TFakeDialogs::Call::Text, "no such user")));
  EXPECT_EQ(dialogs.Calls[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(ReceivedCountText(0), "0 件受信しました。");
  EXPECT_EQ(ReceivedCountText(12), "12 件受信しました。");
  EXPECT_THAT(PhoneXMailer(), HasSubstr("Moriva Ver."));
}

}  // namespace
}  // namespace moriva
