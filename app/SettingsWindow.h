#pragma once
// The settings window: the mail accounts for sending to and receiving from the handset, and
// the calendar server of the CalDAV sync. It is
// created for one modal run: ShowSettings loads the fields from the settings file, shows the
// window, and writes the fields back only when the user ends it with OK.
#include <QDialog>
#include <filesystem>
#include <string_view>
#include <vector>

#include "base/Dialogs.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace moriva {

class TEnterAdvanceEdit;
struct TMailSettings;

// What the 参照… buttons of the certificate files offer.
inline constexpr std::string_view kCertificateFileFilter =
    "証明書ファイル(*.pem;*.crt)|*.pem;*.crt|全て(*.*)|*.*";

class TSettingsWindow : public QDialog {
  Q_OBJECT

 public:
  // The result of the 中止 button; OK gives QDialog::Accepted, the close box and Esc
  // QDialog::Rejected.
  static constexpr int kAbort = 3;

  TSettingsWindow(TDialogs& dialogs, std::filesystem::path settingsFile, QWidget* parent = nullptr);

  // Loads, runs modally, saves on OK; returns the modal result. A stored password that cannot
  // be read is reported, and the window opens with the password empty so it can be typed
  // again. A file that cannot be written is reported; the file is then left as it was.
  int ShowSettings();

  // OK: a CalDAV URL that is neither http:// nor https:// is reported and the window stays
  // open on it; otherwise the window closes as accepted.
  void AcceptIfValid();

  // The two halves of ShowSettings, for the window's own use and for tests.
  void LoadFields();
  void SaveFields();

  QTabWidget* Pages = nullptr;
  QGroupBox* SendBox = nullptr;     // 送信の設定
  QGroupBox* ReceiveBox = nullptr;  // 受信の設定
  TEnterAdvanceEdit* EditHandsetEMail = nullptr;
  TEnterAdvanceEdit* EditSMTP = nullptr;
  TEnterAdvanceEdit* EditSender = nullptr;
  TEnterAdvanceEdit* EditSenderEMail = nullptr;
  TEnterAdvanceEdit* EditPOP = nullptr;
  TEnterAdvanceEdit* EditUserId = nullptr;
  TEnterAdvanceEdit* EditPassword = nullptr;
  QCheckBox* ckAPOP = nullptr;
  QCheckBox* ckUIDL = nullptr;
  // Second page: encryption and SMTP authentication.
  QGroupBox* SendSecurityBox = nullptr;     // 送信の暗号化と認証
  QGroupBox* ReceiveSecurityBox = nullptr;  // 受信の暗号化
  QComboBox* cbSMTPSecurity = nullptr;      // item data: "none", "starttls", "tls"
  TEnterAdvanceEdit* EditSMTPUser = nullptr;
  TEnterAdvanceEdit* EditSMTPPassword = nullptr;
  QComboBox* cbPOPSecurity = nullptr;  // item data: "none", "stls", "tls"
  TEnterAdvanceEdit* EditCAFile = nullptr;
  QPushButton* BrowseCAFile = nullptr;  // 参照…: chooses the file in a dialog
  // Third page: the calendar server the CalDAV sync uses.
  QGroupBox* CalDavBox = nullptr;
  TEnterAdvanceEdit* EditCalDavUrl = nullptr;
  TEnterAdvanceEdit* EditCalDavUser = nullptr;
  TEnterAdvanceEdit* EditCalDavPassword = nullptr;
  TEnterAdvanceEdit* EditCalDavCaFile = nullptr;
  QPushButton* BrowseCalDavCaFile = nullptr;
  QLabel* PasswordPlace = nullptr;  // one line: where the passwords are kept
  QPushButton* OKBtn = nullptr;
  QPushButton* AbortBtn = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TDialogs& dialogs_;
  std::filesystem::path settingsFile_;
  // The password boxes shown empty because their password could not be read (a keyring that
  // did not answer, a value that does not decode).
  std::vector<const QLineEdit*> unreadPasswords_;
};

}  // namespace moriva
