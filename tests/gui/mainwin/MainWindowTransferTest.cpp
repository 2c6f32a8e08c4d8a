// The window's transfer actions against a scripted POP3 server on 127.0.0.1 and with missing
// settings: the window stays live during a receive with its re-entering actions disabled, and
// what the receive brings is merged into the schedule.
#include <gtest/gtest.h>

#include <chrono>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/QtDialogs.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"
#include "mail/Pop3Client.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"
#include "tests/mail/ScriptedServer.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

const std::string kCsv = Utf8ToCp932(
    "件名,場所,日付,時刻,アラーム\r\n\"会議\",\"本社\",\"2030/1/5\",\"10:30\",\"true\"\r\n");

std::string Mail(bool full) {
  std::string m =
      "From: phone@example.jp\r\nSubject: MRV\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
  if (full)
    m += "--b\r\nContent-Type: text/plain\r\n\r\nhello\r\n--b\r\n"
         "Content-Type: text/csv; name=\"HS.CSV\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
         Base64EncodeText(kCsv) + "\r\n--b--\r\n";
  return m;
}

class MainWindowTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TMainWindow>(dialogs_, dir_.Path(), std::nullopt);
  }
  void Configure(int popPort) {
    TMailSettings s;
    s.HandsetEMail = "phone@example.jp";
    s.SMTP = "127.0.0.1:1";
    s.SenderMail = "hanako@example.jp";
    s.POP = "127.0.0.1:" + std::to_string(popPort);
    s.UserId = "taro";
    s.Password = "secret";
    s.PopSecurity = "none";
    WriteMailSettings(SettingsFilePath(dir_.Path()), s);
  }
  QString Panel(int i) { return form_->StatusPanels->Panel(i)->text(); }

  oracle::TempDir dir_;
  TFakeDialogs dialogs_;
  std::unique_ptr<TMainWindow> form_;
};

TEST_F(MainWindowTransferTest, AReceiveKeepsTheWindowLiveAndMergesWhatItBrought) {
  moriva::testing::TScriptedServer s;
  s.Send("+OK ready <1.2@test>\r\n").Reply("+OK user\r\n").Reply("+OK in\r\n");
  s.Reply("+OK 1 1000\r\n").Reply("-ERR no LAST\r\n").Reply("+OK\r\n1 n1\r\n.\r\n");
  s.Reply("+OK 1 500\r\n").Expect().Pause(300).Send("+OK\r\n" + Mail(false) + ".\r\n");
  s.Reply("+OK 1 n1\r\n");
  s.Reply("+OK 1 500\r\n").Reply("+OK\r\n" + Mail(true) + ".\r\n").Reply("+OK 1 n1\r\n");
  s.Expect();  // QUIT
  s.Start();
  Configure(s.Port());
  TMainWindow& f = *form_;
  f.show();
  f.Pop3->TimeOut = 5000;

  // Looked at while the server pauses, from the window's own event loop.
  bool looked = false, addEnabled = true, cancelEnabled = false;
  QTimer::singleShot(150, &f, [&] {
    looked = true;
    addEnabled = f.EditSchedule->isEnabled() || f.ReceiveFromHandset->isEnabled() ||
                 f.LoadSchedule->isEnabled();
    cancelEnabled = f.CancelTransfer->isEnabled();
  });
  f.ReceiveFromHandset->trigger();
  s.Join();

  EXPECT_TRUE(looked);
  EXPECT_FALSE(addEnabled);
  EXPECT_TRUE(cancelEnabled);
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.EditSchedule->isEnabled());
  EXPECT_TRUE(f.ReceiveFromHandset->isEnabled());

  const std::string line = Utf8ToCp932("2030,2030,1,5,,,\"会議- 本社- 10:30- TRUE\"");
  EXPECT_EQ(Lines(f.Schedule.Lines().begin(), f.Schedule.Lines().end()), Lines{line});
  EXPECT_EQ(f.Schedule.Committed().Count(), 1u);
  EXPECT_TRUE(f.Modified());
  EXPECT_EQ(dialogs_.MessageTexts(), Lines{"同期完了しました。"});
  EXPECT_EQ(Panel(2), QString::fromUtf8("1 件受信しました。"));
}

TEST_F(MainWindowTransferTest, ClosingTheWindowDuringAReceiveStopsItAndThenCloses) {
  moriva::testing::TScriptedServer s;
  s.Send("+OK ready\r\n").Silent();  // never answers the login
  s.Start();
  Configure(s.Port());
  TMainWindow& f = *form_;
  f.show();
  f.Pop3->TimeOut = 20000;
  bool closed = true;
  QTimer::singleShot(150, &f, [&] { closed = f.close(); });
  const auto start = std::chrono::steady_clock::now();
  f.ReceiveFromHandset->trigger();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(closed);  // not while the receive was on the stack...
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.isVisible());  // ...but as soon as it had ended
  s.Join();
}

TEST_F(MainWindowTransferTest, WithoutSettingsNothingIsConnected) {
  TMainWindow& f = *form_;
  f.show();
  dialogs_.AnswerNo();
  f.SendToHandset->trigger();
  // The handset's file is written before the question, also when the user then declines.
  EXPECT_TRUE(fs::exists(dir_.Path() / "outgoing" / "SCHEDULE.CSV"));
  ASSERT_EQ(dialogs_.QuestionTexts(), Lines{"H\"へ送信します。よろしいですか？"});
  EXPECT_EQ(dialogs_.Calls[0].Default, TMsgDefault::Yes);

  dialogs_.AnswerYes();
  f.SendToHandset->trigger();
  f.ReceiveFromHandset->trigger();
  EXPECT_EQ(dialogs_.MessageTexts(),
            (Lines{"EMail送信の設定をしてください。", "EMail受信の設定をしてください。"}));
  EXPECT_EQ(Panel(2), QString::fromUtf8("0 件受信しました。"));
  EXPECT_TRUE(f.EditSchedule->isEnabled());
  EXPECT_FALSE(f.Modified());
}

}  // namespace
