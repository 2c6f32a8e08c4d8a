// The settings window against a real settings file in a temporary folder, driven through its
// modal run: what it loads, what OK writes, what every other ending leaves alone.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "app/EnterAdvanceControls.h"
#include "app/SettingsWindow.h"
#include "base/FileIO.h"
#include "caldav/CalDavServer.h"
#include "settings/CalDavSettings.h"
#include "settings/MailSettings.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ini_ = fs::path(dir_.path().toStdString()) / "hs110.ini";
  }
  std::string File() const { return fs::exists(ini_) ? ReadFileBytes(ini_) : "<none>"; }
  // Runs the window; `act` sees it open and ends it.
  int Run(TSettingsWindow& form, std::function<void(TSettingsWindow&)> act) {
    WhenModal([&form, act](QWidget*) { act(form); });
    return form.ShowSettings();
  }

  QTemporaryDir dir_;
  fs::path ini_;
  TFakeDialogs dialogs_;
};

TEST_F(SettingsWindowTest, NoFileOpensEmptyAndOkWritesTheKeys) {
  TSettingsWindow form(dialogs_, ini_);
  QStringList texts;
  bool anyChecked = true;
  const int result = Run(form, [&](TSettingsWindow& f) {
    for (QLineEdit* e : f.findChildren<QLineEdit*>()) texts << e->text();
    anyChecked = f.ckAPOP->isChecked() || f.ckUIDL->isChecked();
    f.OKBtn->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(texts.join(QString()), QString());
  EXPECT_EQ(texts.size(), 14);
  EXPECT_FALSE(anyChecked);
  // New settings are offered the encryption today's providers ask for.
  EXPECT_EQ(File(),
            "[email]\r\nhs110email=\r\nsmtp=\r\nsender=\r\nsendermail=\r\npop=\r\nuserid=\r\n"
            "password=\r\napop=false\r\nnouidl=false\r\nsmtpsecurity=starttls\r\n"
            "popsecurity=tls\r\n");
  EXPECT_TRUE(dialogs_.Calls.empty());
}

TEST_F(SettingsWindowTest, LoadsTheFileAndWritesWhatWasTyped) {
  WriteFileAtomically(ini_, "[email]\r\nsmtp=smtp.example\r\nsender=\x90\x58\r\npassword=" +
                                EncodePassword("secret") +
                                "\r\napop=TRUE\r\nnouidl=true\r\nprestr=Sched\r\n"
                                "[caldav]\r\nuser=me\r\ncafile=/ca.pem\r\n");
  TSettingsWindow form(dialogs_, ini_);
  QString smtp, sender, password, calDavUser;
  bool apop = true, uidl = false;
  Run(form, [&](TSettingsWindow& f) {
    smtp = f.EditSMTP->text();
    sender = f.EditSender->text();
    password = f.EditPassword->text();
    apop = f.ckAPOP->isChecked();
    uidl = f.ckUIDL->isChecked();
    calDavUser = f.EditCalDavUser->text();
    f.EditPOP->setText(QStringLiteral("pop.example"));
    f.EditPassword->setText(QStringLiteral("n3w"));
    f.EditCalDavUrl->setText(QStringLiteral("https://dav.example/cal/予定/"));
    f.EditCalDavPassword->setText(QStringLiteral("c4l"));
    f.OKBtn->click();
  });
  EXPECT_EQ(smtp, QStringLiteral("smtp.example"));
  EXPECT_EQ(sender, QStringLiteral("森"));  // the file's CP932 shown as text
  EXPECT_EQ(password, QStringLiteral("secret"));
  EXPECT_EQ(calDavUser, QStringLiteral("me"));
  EXPECT_FALSE(apop);  // "TRUE" is not "true"
  EXPECT_TRUE(uidl);

  const TMailSettings s = ReadMailSettings(ini_);
  EXPECT_EQ(s.POP, "pop.example");
  EXPECT_EQ(s.Password, "n3w");
  EXPECT_EQ(s.Sender, "\x90\x58");
  EXPECT_FALSE(s.APOP);
  EXPECT_EQ(s.SubjectWord, "Sched");  // never written, still there
  EXPECT_NE(File().find("apop=false\r\n"), std::string::npos);
  EXPECT_EQ(ReadCalDavSettings(ini_),
            (TCalDavSettings{"https://dav.example/cal/\x97\x5c\x92\xe8/", "me", "c4l", "/ca.pem"}));
}

TEST_F(SettingsWindowTest, EveryOtherEndingLeavesTheFileByteIdentical) {
  const std::string before = "; mine\r\n[email]\r\nsmtp=a\r\n\r\n[global]\r\nmrvfile=x.mrv\r\n";
  WriteFileAtomically(ini_, before);
  const std::function<void(TSettingsWindow&)> endings[] = {
      [](TSettingsWindow& f) { f.AbortBtn->click(); },
      [](TSettingsWindow& f) { f.close(); },
      [](TSettingsWindow& f) { QTest::keyClick(&f, Qt::Key_Escape); },
  };
  const int expected[] = {TSettingsWindow::kAbort, QDialog::Rejected, QDialog::Rejected};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    TSettingsWindow form(dialogs_, ini_);
    const int result = Run(form, [&](TSettingsWindow& f) {
      f.EditSMTP->setText(QStringLiteral("changed"));
      f.ckUIDL->setChecked(true);
      endings[i](f);
    });
    EXPECT_EQ(result, expected[i]);
    EXPECT_EQ(File(), before);
  }
}

TEST_F(SettingsWindowTest, UnreadablePasswordIsReportedAndCanBeTypedAgain) {
  WriteFileAtomically(ini_, "[email]\r\nuserid=me\r\npassword=10x\r\n");
  TSettingsWindow form(dialogs_, ini_);
  QString password, user;
  size_t messagesWhileOpen = 0;
  Run(form, [&](TSettingsWindow& f) {
    messagesWhileOpen = dialogs_.MessageTexts().size();
    password = f.EditPassword->text();
    user = f.EditUserId->text();
    f.EditPassword->setText(QStringLiteral("fixed"));
    f.OKBtn->click();
  });
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{"'10x' は整数ではありません"});
  EXPECT_EQ(dialogs_.Calls.at(0).Icon, TMsgIcon::Error);
  EXPECT_EQ(messagesWhileOpen, 1u);  // shown before the window came up
  EXPECT_EQ(password, QString());
  EXPECT_EQ(user, QStringLiteral("me"));
  EXPECT_EQ(ReadMailSettings(ini_).Password, "fixed");
}

TEST_F(SettingsWindowTest, FailedWriteIsReported) {
  const fs::path missing = ini_.parent_path() / "missing" / "hs110.ini";
  TSettingsWindow form(dialogs_, missing);
  Run(form, [](TSettingsWindow& f) { f.OKBtn->click(); });
  EXPECT_EQ(dialogs_.MessageTexts(),
            std::vector<std::string>{missing.string() + " に書き込めません"});
}

TEST_F(SettingsWindowTest, KeyboardOnlyRunFollowsTheTabOrder) {
  TSettingsWindow form(dialogs_, ini_);
  QStringList visited;
  QChar passwordChar;
  Run(form, [&](TSettingsWindow& f) {
    passwordChar = QChar(f.EditPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter,
                                                            nullptr, f.EditPassword));
    const char* typed[] = {"hs@phone", "smtp.x", "name", "me@x", "pop.x", "me", "pw"};
    for (const char* t : typed) {
      QWidget* w = QApplication::focusWidget();
      visited << (w ? w->objectName() + QStringLiteral("|") + w->metaObject()->className()
                    : QStringLiteral("none"));
      QTest::keyClicks(w, QString::fromLatin1(t));
      QTest::keyClick(w, Qt::Key_Return);
    }
    // Enter in the password box goes on to the APOP box, Tab to the UIDL box; Space ticks each.
    for (QCheckBox* box : {f.ckAPOP, f.ckUIDL}) {
      visited << (QApplication::focusWidget() == box ? box->text() : "other");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    visited << (QApplication::focusWidget() == f.OKBtn ? "OK" : "other");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(passwordChar, QChar(u'*'));
  ASSERT_EQ(visited.size(), 10);
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(visited[i].endsWith("TEnterAdvanceEdit")) << i;
  EXPECT_EQ(visited[7], QStringLiteral("APOPを使用する"));
  EXPECT_EQ(visited[8], QStringLiteral("UIDLを使用しない"));
  EXPECT_EQ(visited[9], "OK");
  const TMailSettings s = ReadMailSettings(ini_);
  EXPECT_EQ(s.HandsetEMail, "hs@phone");
  EXPECT_EQ(s.SMTP, "smtp.x");
  EXPECT_EQ(s.Sender, "name");
  EXPECT_EQ(s.SenderMail, "me@x");
  EXPECT_EQ(s.POP, "pop.x");
  EXPECT_EQ(s.UserId, "me");
  EXPECT_EQ(s.Password, "pw");
  EXPECT_TRUE(s.APOP);
  EXPECT_TRUE(s.NoUIDL);
}

// A calendar URL is kept only when it says http:// or https://: anything else would leave the
// password's way unencrypted to a guess. The window says so and stays open on the box.
TEST_F(SettingsWindowTest, CalendarUrlWithoutSchemeIsRefusedWhereItCanBeMended) {
  struct Case {
    QString typed;
    bool refused;
    std::string stored;
  };
  const Case cases[] = {
      {QStringLiteral("dav.example/cal"), true, ""},
      {QStringLiteral("dav.example:8443/https://x/"), true, ""},
      {QStringLiteral(" https://dav.example/cal/\t"), false, "https://dav.example/cal/"},
      {QStringLiteral("HTTP://dav.example/cal"), false, "HTTP://dav.example/cal"},
      {QString(), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    std::filesystem::remove(ini_);
    dialogs_.Calls.clear();
    TSettingsWindow form(dialogs_, ini_);
    bool open = false, onTheBox = false;
    const int result = Run(form, [&](TSettingsWindow& f) {
      f.EditCalDavUrl->setText(c.typed);
      f.OKBtn->click();
      open = f.isVisible();
      onTheBox = f.Pages->currentIndex() == 2 && f.focusWidget() == f.EditCalDavUrl;
      if (open) f.AbortBtn->click();
    });
    EXPECT_EQ(open, c.refused);
    EXPECT_EQ(onTheBox, c.refused);
    EXPECT_EQ(result, c.refused ? TSettingsWindow::kAbort : QDialog::Accepted);
    EXPECT_EQ(dialogs_.MessageTexts(),
              c.refused ? std::vector<std::string>{std::string(kCalDavUrlSchemeText)}
                        : std::vector<std::string>{});
    EXPECT_EQ(ReadCalDavSettings(ini_).Url, c.stored);
  }
}

// 参照… beside each certificate file box chooses the file in a dialog that starts from what
// the box holds; a cancelled dialog leaves the box alone. OK keeps the chosen files.
TEST_F(SettingsWindowTest, BrowseButtonsChooseTheCertificateFiles) {
  TSettingsWindow form(dialogs_, ini_);
  const int result = Run(form, [this](TSettingsWindow& f) {
    const struct {
      QPushButton* button;
      TEnterAdvanceEdit* box;
      const char* chosen;
    } cases[] = {{f.BrowseCAFile, f.EditCAFile, "/etc/ssl/mail-ca.pem"},
                 {f.BrowseCalDavCaFile, f.EditCalDavCaFile, "/home/u/dav ca.crt"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.chosen);
      c.box->setText(QStringLiteral("/old/ca.pem"));
      dialogs_.CancelFile();
      dialogs_.AnswerFile(c.chosen);
      for (int click = 0; click < 2; ++click) {
        c.button->click();
        EXPECT_EQ(c.box->text(),
                  click == 0 ? QStringLiteral("/old/ca.pem") : QString::fromUtf8(c.chosen));
      }
      const auto calls = dialogs_.CallsOf(TFakeDialogs::Kind::OpenFile);
      ASSERT_FALSE(calls.empty());
      EXPECT_EQ(calls.back().ProposedName, fs::path("/old/ca.pem"));
      EXPECT_EQ(calls.back().Filter, kCertificateFileFilter);
    }
    f.OKBtn->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(ReadMailSettings(ini_).CaFile, "/etc/ssl/mail-ca.pem");
  EXPECT_EQ(ReadCalDavSettings(ini_).CaFile, "/home/u/dav ca.crt");
}

TEST_F(SettingsWindowTest, LayoutAsDesigned) {
  TSettingsWindow form(dialogs_, ini_);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("設定"));
  EXPECT_EQ(form.size(), QSize(333, 382));
  EXPECT_EQ(form.Pages->count(), 3);
  EXPECT_EQ(form.Pages->tabText(2), QStringLiteral("CalDAV"));
  EXPECT_EQ(form.EditCalDavPassword->echoMode(), QLineEdit::Password);
  EXPECT_EQ(form.Pages->tabText(0), QStringLiteral("E-Mail設定"));
  EXPECT_EQ(form.Pages->tabText(1), QStringLiteral("暗号化と認証"));
  EXPECT_EQ(form.EditPassword->echoMode(), QLineEdit::Password);
  EXPECT_EQ(form.EditSMTPPassword->echoMode(), QLineEdit::Password);
}

}  // namespace
}  // namespace moriva
