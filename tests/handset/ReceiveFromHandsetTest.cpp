// The receive road against a scripted POP3 server: the status panels, and what a server that
// fails part-way leaves behind (the real server's cases are in tests/integration).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"
#include "tests/handset/Pop3Script.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using mailroad::ErrorTexts;
using mailroad::FullMail;
using mailroad::HeaderLines;
using mailroad::kHandsetCsv;
using mailroad::LocalSettings;
using mailroad::Pop3Script;
using mailroad::ReceiveRun;
using mailroad::TRoadFolder;
using ::testing::ElementsAre;
using testing::TScriptedServer;

TEST(ReceiveFromHandsetTest, PanelsFollowTheNewMailsAndOnlyTheSubjectWordIsFetched) {
  Pop3Script script;
  script.Login().Stat(3).Listing({"old", "n2", "n3"});
  script.Fetch(2, HeaderLines("Other"), "n2");
  script.Fetch(3, HeaderLines("MRV"), "n3").Fetch(3, FullMail("MRV", "HS.CSV"), "n3");
  script.s.Expect();  // QUIT
  script.Start();

  ReceiveRun run(script.s.Port());
  WriteFileAtomically(run.f.UidlFile(), "OLD\r\ngone\r\n");
  const TReceiveResult r = run.Run();
  script.s.Join();

  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
  EXPECT_TRUE(r.UidlSaved);
  // "OLD" stands for "old" (letter case ignored) and stays as written; "gone" is dropped.
  EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), "OLD\r\nn2\r\nn3\r\n");
  EXPECT_EQ(run.files, std::vector<fs::path>{run.f.Incoming() / "HS.CSV"});
  EXPECT_EQ(ReadFileBytes(run.files[0]), kHandsetCsv);
  EXPECT_THAT(run.f.status.TextsOf(kPositionPanel), ElementsAre("", "2/3", "3/3"));
  EXPECT_THAT(run.f.status.TextsOf(kCountPanel), ElementsAre("", "1"));
  EXPECT_THAT(run.f.status.TextsOf(kStatusPanel),
              ElementsAre("サーバーへ接続中...", "", "接続しました。メール一覧を受信中...",
                          "メールを受信しています...", "Other", "MRV"));
  const std::vector<std::string> sent = script.s.Received();
  EXPECT_THAT(sent, ::testing::Contains("TOP 2 0"));
  EXPECT_THAT(sent, ::testing::Not(::testing::Contains("RETR 2")));
  EXPECT_THAT(sent, ::testing::Not(::testing::Contains(::testing::StartsWith("DELE"))));
  EXPECT_EQ(sent.back(), "QUIT");
  EXPECT_TRUE(run.f.dialogs.Calls.empty());
}

// The subject word is text: a Japanese word matches the subject however the mail encoded it
// (an encoded word, or raw Shift-JIS); "mrv" matching "MRV" is shown above.
TEST(ReceiveFromHandsetTest, JapaneseSubjectWordMatchesTheDecodedSubject) {
  const std::string word = Utf8ToCp932("予定");
  const std::string subjects[] = {
      "=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(word) + "\x1B(J") + "?=", word};
  for (const std::string& subject : subjects) {
    SCOPED_TRACE(subject);
    Pop3Script script;
    script.Login().Stat(1).Listing({"n1"});
    script.Fetch(1, HeaderLines(subject), "n1").Fetch(1, FullMail(subject, "HS.CSV"), "n1");
    script.s.Expect();  // QUIT
    script.Start();
    ReceiveRun run(script.s.Port());
    run.f.SetSubjectWord(word);
    const TReceiveResult r = run.Run();
    script.s.Join();
    EXPECT_EQ(r.Count, 1);
    EXPECT_EQ(run.files, std::vector<fs::path>{run.f.Incoming() / "HS.CSV"});
  }
}

// Any refusal part-way ends the receive with what was fetched so far and drops nothing from
// uidl.ini: a listing cut short must not empty it, and the mail in hand is examined again next
// time. A mail stored in full before the refusal is added, so it is not fetched twice.
TEST(ReceiveFromHandsetTest, RefusalPartWayLeavesTheIdListAlone) {
  struct Case {
    const char* name;
    std::function<void(Pop3Script&)> script;
    int count;
    std::vector<std::string> errors;
    const char* uidl = "kept\r\n";
  } cases[] = {
      {"STAT refused",
       [](Pop3Script& p) { p.Login().s.Reply("-ERR mailbox locked\r\n"); },
       0,
       {"mailbox locked"}},
      {"listing refused",
       [](Pop3Script& p) { p.Login().Stat(2).s.Reply("-ERR no UIDL here\r\n"); },
       0,
       {"no UIDL here"}},
      {"listing cut off",
       [](Pop3Script& p) { p.Login().Stat(2).s.Reply("+OK\r\n1 a\r\n").Close(); },
       0,
       {"サーバーが接続を切りました。"}},
      {"second full fetch refused",
       [](Pop3Script& p) {
         p.Login().Stat(2).Listing({"a", "b"});
         p.Fetch(1, HeaderLines("mrv"), "a").Fetch(1, FullMail("mrv", "A.CSV"), "a");
         p.Fetch(2, HeaderLines("mrv"), "b");
         p.s.Reply("+OK 2 500\r\n").Reply("-ERR message gone\r\n");
       },
       1,
       {"message gone"},
       "kept\r\na\r\n"},
      {"listing with an id that would break its line",
       [](Pop3Script& p) { p.Login().Stat(1).s.Reply("+OK\r\n1 a\rb\r\n.\r\n"); },
       0,
       {"サーバーが不正な UIDL を返しました (制御文字を含むか長すぎます)。"}},
      {"unique id of a fetched mail refused",
       [](Pop3Script& p) {
         p.Login().Stat(1).Listing({"a"});
         p.s.Reply("+OK 1 500\r\n").Reply("+OK\r\n" + HeaderLines("x") + ".\r\n");
         p.s.Reply("-ERR no id\r\n");
       },
       0,
       {"no id"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pop3Script script;
    c.script(script);
    script.Start();
    ReceiveRun run(script.s.Port());
    WriteFileAtomically(run.f.UidlFile(), "kept\r\n");
    const TReceiveResult r = run.Run();
    script.s.Join();
    EXPECT_EQ(r.Count, c.count);
    EXPECT_EQ(r.Outcome, TReceiveOutcome::Failed);
    EXPECT_EQ(r.UidlSaved, c.count > 0);
    EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), c.uidl);
    EXPECT_EQ(ErrorTexts(run.f.dialogs), c.errors);
    EXPECT_FALSE(run.pop.Connected());
    EXPECT_EQ(run.files.size(), static_cast<size_t>(c.count));
  }
}

TEST(ReceiveFromHandsetTest, LoginRefusedAndMissingSettings) {
  {
    Pop3Script script;
    script.s.Send("+OK ready\r\n").Reply("+OK user\r\n").Reply("-ERR wrong password\r\n").Start();
    ReceiveRun run(script.s.Port());
    const TReceiveResult r = run.Run();
    script.s.Join();
    EXPECT_EQ(r.Outcome, TReceiveOutcome::CannotConnect);
    EXPECT_EQ(ErrorTexts(run.f.dialogs),
              (std::vector<std::string>{"wrong password", "サーバーへ接続できませんでした。"}));
    EXPECT_FALSE(fs::exists(run.f.UidlFile()));
  }
  // Settings from before encryption (no "popsecurity") never log in in plain text unasked.
  const struct {
    std::string TMailSettings::*key;
    std::string_view message;
  } missing[] = {{&TMailSettings::POP, kReceiveSettingsMissingText},
                 {&TMailSettings::UserId, kReceiveSettingsMissingText},
                 {&TMailSettings::PopSecurity, kPopSecurityMissingText}};
  for (const auto& m : missing) {
    SCOPED_TRACE(m.message);
    TScriptedServer never;  // not started: nobody would answer
    ReceiveRun run(never.Port());
    TMailSettings s = LocalSettings(0, never.Port(), "taro", "secret");
    (s.*m.key).clear();
    run.f.WriteSettings(s);
    const TReceiveResult r = run.Run();
    EXPECT_EQ(r.Outcome, TReceiveOutcome::NotConfigured);
    EXPECT_EQ(run.f.dialogs.MessageTexts(), std::vector<std::string>{std::string(m.message)});
    EXPECT_TRUE(run.f.status.History.empty());
  }
}

// A mail over the client's bounds would end every receive at the same place: it is recorded as
// examined, the user is told, and the next receive goes on to the mails after it.
TEST(ReceiveFromHandsetTest, AMailTooLargeIsPassedOverOnce) {
  const std::string big = FullMail("mrv", "BIG.CSV", std::string(4000, 'x'));
  Pop3Script first;
  first.Login().Stat(2).Listing({"big", "n2"});
  first.Fetch(1, HeaderLines("mrv"), "big");
  first.s.Reply("+OK 1 6000\r\n").Reply("+OK\r\n" + big + ".\r\n");
  first.Start();
  ReceiveRun run(first.s.Port());
  run.pop.MaxReplySize = 2000;
  TReceiveResult r = run.Run();
  first.s.Join();
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Failed);
  EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), "big\r\n");
  EXPECT_EQ(ErrorTexts(run.f.dialogs),
            std::vector<std::string>{std::string(kReplyTooLongText) + "\r\n" +
                                     std::string(kTooLargePassedText)});
  EXPECT_FALSE(fs::exists(run.f.Incoming() / "BIG.CSV"));

  Pop3Script second;
  second.Login().Stat(2).Listing({"big", "n2"});
  second.Fetch(2, HeaderLines("mrv"), "n2").Fetch(2, FullMail("mrv", "HS.CSV"), "n2");
  second.s.Expect();  // QUIT
  second.Start();
  run.f.WriteSettings(LocalSettings(0, second.s.Port(), "taro", "secret"));
  r = run.Run();
  second.s.Join();
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), "big\r\nn2\r\n");
}

TEST(ReceiveFromHandsetTest, ACancelWhileTheServerIsSilentIsNoFailure) {
  for (const bool greets : {false, true}) {
    SCOPED_TRACE(greets ? "waiting for the login" : "waiting for the greeting");
    TScriptedServer s;
    if (greets) s.Send("+OK ready\r\n");
    s.Silent().Start();
    ReceiveRun run(s.Port());
    run.f.context.CancelRequested = [] { return true; };
    const TReceiveResult r = run.Run();
    EXPECT_EQ(r.Outcome, TReceiveOutcome::Cancelled);
    EXPECT_THAT(run.f.dialogs.Calls, ::testing::IsEmpty());
  }
}

TEST(ReceiveFromHandsetTest, UndecodablePasswordStopsBeforeAnyConnection) {
  TScriptedServer never;
  ReceiveRun run(never.Port());
  WriteProfileString(kMailSection, "password", "12x", run.f.SettingsFile());
  try {
    run.Run();
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12x' は整数ではありません");
  }
  EXPECT_FALSE(run.pop.Connected());
}

}  // namespace
}  // namespace moriva
