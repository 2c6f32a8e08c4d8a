// The settings window with and without a keyring: the line that tells the user where the
// passwords are kept, and a password typed into the window kept there (secret-tool reads the
// keyring independently).
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <cstdlib>

#include "app/EnterAdvanceControls.h"
#include "app/SettingsWindow.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"
#include "tests/gui/support/QtModal.h"
#include "tests/integration/ServerState.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/CliRun.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

using oracle::ShellQuote;

// `command` run with the keyring's bus.
std::string OnKeyringBus(const std::string& command) {
  return "DBUS_SESSION_BUS_ADDRESS=" + ShellQuote(testing::KeyringBus()) + " " + command;
}

// What the keyring holds as the mail password of the settings folder `dir`.
std::string KeyringPassword(const oracle::TempDir& dir) {
  return RunCaptured(OnKeyringBus("secret-tool lookup application moriva setting password "
                                  "folder " +
                                  ShellQuote(dir.Path().string())),
                     dir.Path())
      .out;
}

TEST(SettingsKeyringTest, TheWindowSaysWhereThePasswordGoesAndPutsItThere) {
  struct Case {
    std::string bus;
    QString line;
    bool inKeyring;
  };
  // Without a bus first: once a process has reached a session bus, it keeps it.
  const Case cases[] = {
      {"unix:path=/nonexistent/moriva-test-bus",
       QStringLiteral("パスワードの保存先: hs110.ini (本人のみ読み取り可)"), false},
      {testing::KeyringBus(), QStringLiteral("パスワードの保存先: デスクトップのキーリング"), true},
  };
  const auto check = [](const Case& c) {
    SCOPED_TRACE(c.bus);
    setenv("DBUS_SESSION_BUS_ADDRESS", c.bus.c_str(), 1);
    oracle::TempDir dir;
    const std::filesystem::path ini = SettingsFilePath(dir.Path());
    TFakeDialogs dialogs;
    TSettingsWindow form(dialogs, ini);
    QString line;
    WhenModal([&](QWidget*) {
      line = form.PasswordPlace->text();
      form.EditPassword->setText(QStringLiteral("pass word"));
      form.OKBtn->click();
    });
    ASSERT_EQ(form.ShowSettings(), QDialog::Accepted);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(ReadProfileString("email", "password", "", ini),
              c.inKeyring ? "" : EncodePassword("pass word"));
    EXPECT_EQ(KeyringPassword(dir), c.inKeyring ? "pass word" : "");
    EXPECT_EQ(ReadMailSettings(ini).Password, "pass word");
    EXPECT_TRUE(dialogs.Calls.empty());
  };
  check(cases[0]);

  // A password the window could not read (no keyring when it opened) and the user left alone
  // is still in the keyring after a save that reaches it.
  oracle::TempDir dir;
  const std::filesystem::path ini = SettingsFilePath(dir.Path());
  WriteFileAtomically(ini, "[email]\r\npassword=\r\nsecrets=keyring\r\n");
  ASSERT_EQ(RunCaptured("printf kept | " + OnKeyringBus("secret-tool store --label=t") +
                            " application moriva setting password folder " +
                            ShellQuote(dir.Path().string()),
                        dir.Path())
                .code,
            0);
  TFakeDialogs dialogs;
  TSettingsWindow form(dialogs, ini);
  WhenModal([&](QWidget*) {
    setenv("DBUS_SESSION_BUS_ADDRESS", cases[1].bus.c_str(), 1);
    form.EditSMTP->setText(QStringLiteral("smtp.example.jp"));
    form.OKBtn->click();
  });
  ASSERT_EQ(form.ShowSettings(), QDialog::Accepted);
  EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<std::string>{"パスワードを保存したキーリングに接続できません"});
  EXPECT_EQ(KeyringPassword(dir), "kept");
  EXPECT_EQ(ReadMailSettings(ini).Password, "kept");

  check(cases[1]);
}

}  // namespace
}  // namespace moriva
