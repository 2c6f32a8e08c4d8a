// The main window's H"送信 and H"受信 against the fixture's servers: the schedule goes out
// through aiosmtpd, the handset stand-in answers through Dovecot, the receive merges the answer
// into the open schedule. While a road runs the window keeps handling events, with every action
// that could re-enter a transfer or change the schedule disabled.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/EnterAdvanceControls.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/QtDialogs.h"
#include "app/SettingsWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/Pop3Client.h"
#include "mail/SmtpClient.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"
#include "tests/handset/HandsetTransferTestTools.h"
#include "tests/integration/MailTestServers.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using mailroad::HandsetCsv;
using mailroad::HandsetMail;
using mailroad::TDovecotBox;

// A window on a private program folder whose settings reach the fixture's servers with the
// mailbox of `box`, showing the schedule file `lines`.
struct TWindowOnServers {
  static inline int windows = 0;
  oracle::TempDir dir;
  TFakeDialogs dialogs;
  // The SMTP server keeps every mail: an address of this window's own finds only its mails.
  std::string phone =
      "window-" + std::to_string(getpid()) + "-" + std::to_string(++windows) + "@example.jp";
  fs::path mrv = dir.Path() / "plan.mrv";
  std::unique_ptr<TMainWindow> form;

  TWindowOnServers(const TDovecotBox& box, const Lines& lines) {
    TMailSettings s = mailroad::LocalSettings(testing::SmtpServer().Port, box.server.Port, box.user,
                                              box.password);
    s.HandsetEMail = phone;
    WriteMailSettings(SettingsFilePath(dir.Path()), s);
    SaveScheduleFile(mrv, TLineList(lines));
    form = std::make_unique<TMainWindow>(dialogs, dir.Path(), mrv.string());
    form->show();
    form->Smtp->TimeOut = 5000;
    form->Pop3->TimeOut = 5000;
  }

  Lines Schedule() const {
    const TLineList& list = form->Schedule.Lines();
    return Lines(list.begin(), list.end());
  }
  std::string Panel(int i) const { return form->StatusPanels->Panel(i)->text().toStdString(); }
  size_t KnownIds() const {
    TLineList ids;
    ids.LoadFromFile(dir.Path() / kUidlFileName);
    return ids.Count();
  }
};

// Looks at the window from its own event loop while an action runs: a zero-interval timer fires
// at every pump of the mail client. `during` runs at each tick inside the transfer.
struct TLiveWatch {
  int ticks = 0;  // ticks seen while the window was transferring
  bool quietActionsEnabled = false, cancelEnabled = true;

  void Run(TMainWindow& f, QAction* action, const std::function<void()>& during = {}) {
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (!f.Transferring()) return;
      ++ticks;
      for (QAction* a :
           {f.EditSchedule, f.NewSchedule, f.LoadSchedule, f.OverwriteSchedule, f.SaveSchedule,
            f.CsvIn, f.SendToHandset, f.ReceiveFromHandset, f.Setting, f.Closes})
        quietActionsEnabled = quietActionsEnabled || a->isEnabled();
      cancelEnabled = cancelEnabled && f.CancelTransfer->isEnabled();
      if (during) during();
    });
    timer.start();
    action->trigger();
  }
};

const Lines kPlan = {
    Utf8ToCp932("2001,2001,1,9,,,\"済んだ予定- - 9:0:0- FALSE\""),
    Utf8ToCp932("2040,2040,1,5,,,\"会議- 本社- 10:30:0- TRUE\""),
    Utf8ToCp932("2040,2040,2,11,,,\"歯医者- - 15:0:0- FALSE\""),
};

TEST(MainWindowRoundTripTest, SendAndReceiveThroughTheWindowMergeEachItemOnce) {
  TDovecotBox box(3);
  TWindowOnServers w(box, kPlan);
  TMainWindow& f = *w.form;
  ASSERT_EQ(w.Schedule(), kPlan);
  ASSERT_FALSE(f.Modified());

  // H"送信, answered Yes; neither road can be started again while it runs.
  w.dialogs.AnswerYes();
  TLiveWatch sending;
  sending.Run(f, f.SendToHandset, [&] {
    f.SendToHandset->trigger();
    f.ReceiveFromHandset->trigger();
  });
  EXPECT_GT(sending.ticks, 0);
  EXPECT_FALSE(sending.quietActionsEnabled);
  EXPECT_EQ(w.dialogs.QuestionTexts(), Lines{"H\"へ送信します。よろしいですか？"});
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"送信完了しました。"});
  EXPECT_EQ(w.dialogs.BusyDepth, 0);
  EXPECT_TRUE(f.SendToHandset->isEnabled());

  const std::vector<mailroad::TDelivered> delivered = mailroad::DeliveredTo(w.phone);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].AttachmentName, "SCHEDULE.CSV");
  EXPECT_EQ(delivered[0].Attachment, ReadFileBytes(w.dir.Path() / "outgoing" / "SCHEDULE.CSV"));
  // Only what is still to come goes to the handset.
  EXPECT_EQ(delivered[0].Attachment.find(Utf8ToCp932("済んだ予定")), std::string::npos);
  EXPECT_NE(delivered[0].Attachment.find(Utf8ToCp932("歯医者")), std::string::npos);

  // The handset answers with what it holds and one item of its own, among other mails.
  const std::string answer =
      HandsetCsv(delivered[0].Attachment,
                 {Utf8ToCp932("\"買い物\",\"駅前\",\"2040/3/3\",\"18:0:0\",\"false\"")});
  box.Put(HandsetMail("hello", "NOTE.CSV", "x\r\n"));
  box.Put(HandsetMail("mrv", "HS110.CSV", answer));
  box.Put(HandsetMail("mrv later", "LATER.CSV", "y\r\n"));

  w.dialogs.Reset();
  TLiveWatch receiving;
  receiving.Run(f, f.ReceiveFromHandset, [&] { f.ReceiveFromHandset->trigger(); });
  EXPECT_GT(receiving.ticks, 0);
  EXPECT_FALSE(receiving.quietActionsEnabled);
  EXPECT_TRUE(receiving.cancelEnabled);
  EXPECT_TRUE(f.EditSchedule->isEnabled());

  Lines expected = kPlan;
  expected.push_back(Utf8ToCp932("2040,2040,3,3,,,\"買い物- 駅前- 18:0:0- FALSE\""));
  EXPECT_EQ(w.Schedule(), expected);
  EXPECT_EQ(f.Schedule.Committed().Count(), expected.size());
  EXPECT_TRUE(f.Modified());
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"同期完了しました。"});
  EXPECT_EQ(w.Panel(kPositionPanel), "3/3");
  EXPECT_EQ(w.Panel(kCountPanel), "1");
  EXPECT_EQ(w.Panel(kStatusPanel), "1 件受信しました。");
  EXPECT_EQ(w.KnownIds(), 3u);

  // Saved, then received again: nothing is new, nothing changes.
  ASSERT_TRUE(f.Document().SaveScheduleTo(w.mrv));
  ASSERT_FALSE(f.Modified());
  w.dialogs.Reset();
  receiving.Run(f, f.ReceiveFromHandset);
  EXPECT_EQ(w.Panel(kStatusPanel), "0 件受信しました。");
  EXPECT_TRUE(w.dialogs.Calls.empty());
  EXPECT_EQ(w.Schedule(), expected);
  EXPECT_FALSE(f.Modified());
  EXPECT_EQ(w.KnownIds(), 3u);
}

// 受信キャンセル pressed while the third of five schedule mails is being fetched: two are
// taken and merged, their ids recorded; the next H"受信 brings the other three.
TEST(MainWindowRoundTripTest, TheCancelActionStopsAReceiveBetweenMails) {
  TDovecotBox box(4);
  TWindowOnServers w(box, {});
  TMainWindow& f = *w.form;
  for (int i = 1; i <= 5; ++i) {
    const std::string row = "\"item " + std::to_string(i) + "\",\"\",\"2040/4/" +
                            std::to_string(i) + "\",\"9:0:0\",\"false\"";
    box.Put(HandsetMail("mrv", "HS" + std::to_string(i) + ".CSV", HandsetCsv("", {row})));
  }

  TLiveWatch watch;
  watch.Run(f, f.ReceiveFromHandset, [&] {
    if (w.Panel(kCountPanel) == "2") f.CancelTransfer->trigger();
  });
  EXPECT_EQ(w.Panel(kStatusPanel), "2 件受信しました。");
  EXPECT_EQ(w.KnownIds(), 2u);
  // Every schedule file that came in is merged, one completion message for them all.
  EXPECT_EQ(w.Schedule(), (Lines{"2040,2040,4,1,,,\"item 1- - 9:0:0- FALSE\"",
                                 "2040,2040,4,2,,,\"item 2- - 9:0:0- FALSE\""}));
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"同期完了しました。"});

  w.dialogs.Reset();
  f.ReceiveFromHandset->trigger();
  EXPECT_EQ(w.Panel(kStatusPanel), "3 件受信しました。");
  EXPECT_EQ(w.Panel(kPositionPanel), "5/5");
  EXPECT_EQ(w.KnownIds(), 5u);
  Lines all;
  for (int i = 1; i <= 5; ++i)
    all.push_back("2040,2040,4," + std::to_string(i) + ",,,\"item " + std::to_string(i) +
                  "- - 9:0:0- FALSE\"");
  EXPECT_EQ(w.Schedule(), all);
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"同期完了しました。"});
}

// The settings window sets up STARTTLS with AUTH for sending and TLS for receiving, with the
// private CA of the fixture; both actions then go through the encrypted servers.
TEST(MainWindowRoundTripTest, TheSettingsWindowSetsUpTlsForBothRoads) {
  const testing::TServerState smtp = testing::SmtpTlsServer();
  const testing::TServerState pop = testing::Pop3TlsServer();
  TDovecotBox box(5, pop);
  TWindowOnServers w(box, kPlan);
  {
    oracle::TempDir fresh;  // new settings are offered encryption, old ones keep plain text
    TSettingsWindow proposal(w.dialogs, SettingsFilePath(fresh.Path()));
    proposal.LoadFields();
    EXPECT_EQ(proposal.cbSMTPSecurity->currentData().toString(), "starttls");
    EXPECT_EQ(proposal.cbPOPSecurity->currentData().toString(), "tls");
  }
  TSettingsWindow settings(w.dialogs, SettingsFilePath(w.dir.Path()));
  settings.LoadFields();
  EXPECT_EQ(settings.cbSMTPSecurity->currentData().toString(), "none");
  settings.EditSMTP->setText(QString::fromStdString("localhost:" + smtp.Values.at("PORT")));
  settings.cbSMTPSecurity->setCurrentIndex(settings.cbSMTPSecurity->findData("starttls"));
  settings.EditSMTPUser->setText("sender01");
  settings.EditSMTPPassword->setText("smtpsecret01");
  settings.EditPOP->setText(QString::fromStdString("127.0.0.1:" + pop.Values.at("TLSPORT")));
  settings.cbPOPSecurity->setCurrentIndex(settings.cbPOPSecurity->findData("tls"));
  settings.EditCAFile->setText(QString::fromStdString(testing::TlsFile("ca.pem")));
  settings.SaveFields();

  TMainWindow& f = *w.form;
  w.dialogs.AnswerYes();
  f.SendToHandset->trigger();
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"送信完了しました。"});
  const std::vector<mailroad::TDelivered> delivered = mailroad::DeliveredTo(w.phone, smtp);
  ASSERT_EQ(delivered.size(), 1u);

  box.Put(HandsetMail(
      "mrv", "HS110.CSV",
      HandsetCsv(delivered[0].Attachment,
                 {Utf8ToCp932("\"買い物\",\"駅前\",\"2040/3/3\",\"18:0:0\",\"false\"")})));
  w.dialogs.Reset();
  f.ReceiveFromHandset->trigger();
  EXPECT_EQ(w.dialogs.MessageTexts(), Lines{"同期完了しました。"});
  EXPECT_EQ(w.Schedule().back(), Utf8ToCp932("2040,2040,3,3,,,\"買い物- 駅前- 18:0:0- FALSE\""));
}

}  // namespace
}  // namespace moriva
