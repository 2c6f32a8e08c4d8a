#include "app/SettingsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <algorithm>
#include <string>

#include "app/EnterAdvanceControls.h"
#include "app/FormFont.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/IniFile.h"
#include "caldav/CalDavServer.h"
#include "mail/MailSecurity.h"
#include "settings/CalDavSettings.h"
#include "settings/MailSettings.h"
#include "settings/SecretStore.h"

namespace moriva {
namespace {

// Shows every character of a password as "*", as the program always has, whatever the
// desktop style's own choice of bullet.
class TStarPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QString FromCp932(const std::string& text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

std::string ToCp932(const QString& text) {
  return Utf16ToCp932(text.toStdU16String());
}

// One row of a group: the label on the left, the edit box on the right.
TEnterAdvanceEdit* AddEditRow(QGroupBox* group, int top, const QString& caption) {
  auto* label = new QLabel(caption, group);
  label->setGeometry(12, top + 3, 120, 16);
  auto* edit = new TEnterAdvanceEdit(group);
  edit->setGeometry(136, top, 149, 21);
  // Addresses, host names and passwords are typed in plain letters: the input method stays
  // closed unless the user opens it.
  edit->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
  edit->SetInputLanguage(QStringLiteral("en"));
  label->setBuddy(edit);
  return edit;
}

// Gives a certificate file box a 参照… button beside it, taken from the box's width, which
// chooses the file in a dialog.
QPushButton* AddBrowseButton(TEnterAdvanceEdit* edit, TDialogs& dialogs) {
  constexpr int kButtonWidth = 60;
  const QRect box = edit->geometry();
  edit->resize(box.width() - kButtonWidth - 4, box.height());
  auto* button = new QPushButton(QStringLiteral("参照…"), edit->parentWidget());
  button->setGeometry(box.right() - kButtonWidth + 1, box.top() - 1, kButtonWidth,
                      box.height() + 2);
  QObject::connect(button, &QPushButton::clicked, edit, [edit, &dialogs] {
    const std::filesystem::path typed(QFile::encodeName(edit->text()).toStdString());
    if (std::optional<std::filesystem::path> chosen =
            dialogs.ChooseOpenFile(kCertificateFileFilter, typed)) {
      edit->setText(QFile::decodeName(QByteArray::fromStdString(chosen->native())));
      edit->setFocus();
    }
  });
  return button;
}

void StarPassword(TEnterAdvanceEdit* edit) {
  edit->setEchoMode(QLineEdit::Password);
  auto* stars = new TStarPasswordStyle;
  stars->setParent(edit);
  edit->setStyle(stars);
}

// A row with a choice of the connection's protection; the items carry the settings words.
QComboBox* AddSecurityRow(QGroupBox* group, int top, bool pop3) {
  auto* label = new QLabel(QStringLiteral("暗号化"), group);
  label->setGeometry(12, top + 3, 120, 16);
  auto* box = new QComboBox(group);
  box->setGeometry(136, top, 149, 22);
  using S = TMailSecurity;
  const std::pair<S, QString> items[] = {
      {S::msNone, QStringLiteral("なし (平文)")},
      {S::msStartTls, pop3 ? QStringLiteral("STLS") : QStringLiteral("STARTTLS")},
      {S::msTls, QStringLiteral("SSL/TLS")}};
  for (const auto& [security, caption] : items)
    box->addItem(caption, QString::fromLatin1(MailSecurityWord(security, pop3).data()));
  label->setBuddy(box);
  return box;
}

// Shows a stored word; settings without a server yet get the protection today's providers
// ask for. Older sending settings without the key keep plain text, as they always had; older
// receiving settings do not: the receive no longer logs in in plain text without a "none"
// chosen, and OK must not write that choice for the user.
void ShowSecurity(QComboBox* box, const std::string& word, bool configured, bool pop3) {
  std::optional<TMailSecurity> security = ParseMailSecurity(word, pop3);
  if (word.empty() && (!configured || pop3))
    security = pop3 ? TMailSecurity::msTls : TMailSecurity::msStartTls;
  const int index = box->findData(
      QString::fromLatin1(MailSecurityWord(security.value_or(TMailSecurity::msNone), pop3).data()));
  box->setCurrentIndex(index < 0 ? 0 : index);
}

}  // namespace

TSettingsWindow::TSettingsWindow(TDialogs& dialogs, std::filesystem::path settingsFile,
                                 QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settingsFile_(std::move(settingsFile)) {
  setWindowTitle(QStringLiteral("設定"));
  setFont(FormFont(12));
  setFixedSize(333, 382);

  Pages = new QTabWidget(this);
  Pages->setGeometry(8, 8, 317, 330);
  auto* page = new QWidget;
  Pages->addTab(page, QStringLiteral("E-Mail設定"));

  SendBox = new QGroupBox(QStringLiteral("送信の設定"), page);
  SendBox->setGeometry(6, 6, 297, 136);
  EditHandsetEMail = AddEditRow(SendBox, 20, QStringLiteral("H\"のE-Mailアドレス"));
  EditSMTP = AddEditRow(SendBox, 48, QStringLiteral("SMTPサーバ"));
  EditSender = AddEditRow(SendBox, 76, QStringLiteral("送信者名"));
  EditSenderEMail = AddEditRow(SendBox, 104, QStringLiteral("送信者アドレス"));

  ReceiveBox = new QGroupBox(QStringLiteral("受信の設定"), page);
  ReceiveBox->setGeometry(6, 148, 297, 150);
  EditPOP = AddEditRow(ReceiveBox, 20, QStringLiteral("POP3サーバ"));
  EditUserId = AddEditRow(ReceiveBox, 48, QStringLiteral("ユーザID"));
  EditPassword = AddEditRow(ReceiveBox, 76, QStringLiteral("パスワード"));
  StarPassword(EditPassword);
  ckAPOP = new QCheckBox(QStringLiteral("APOPを使用する"), ReceiveBox);
  ckAPOP->setGeometry(12, 104, 270, 18);
  ckUIDL = new QCheckBox(QStringLiteral("UIDLを使用しない"), ReceiveBox);
  ckUIDL->setGeometry(12, 126, 270, 18);

  auto* security = new QWidget;
  Pages->addTab(security, QStringLiteral("暗号化と認証"));
  SendSecurityBox = new QGroupBox(QStringLiteral("送信の暗号化と認証"), security);
  SendSecurityBox->setGeometry(6, 6, 297, 108);
  cbSMTPSecurity = AddSecurityRow(SendSecurityBox, 20, false);
  EditSMTPUser = AddEditRow(SendSecurityBox, 48, QStringLiteral("SMTPユーザID"));
  EditSMTPPassword = AddEditRow(SendSecurityBox, 76, QStringLiteral("SMTPパスワード"));
  StarPassword(EditSMTPPassword);
  ReceiveSecurityBox = new QGroupBox(QStringLiteral("受信の暗号化"), security);
  ReceiveSecurityBox->setGeometry(6, 120, 297, 52);
  cbPOPSecurity = AddSecurityRow(ReceiveSecurityBox, 20, true);
  auto* caLabel = new QLabel(QStringLiteral("追加で信頼する証明書 (PEM ファイル)"), security);
  caLabel->setGeometry(12, 184, 290, 16);
  EditCAFile = new TEnterAdvanceEdit(security);
  EditCAFile->setGeometry(12, 204, 291, 21);
  caLabel->setBuddy(EditCAFile);
  BrowseCAFile = AddBrowseButton(EditCAFile, dialogs_);
  PasswordPlace = new QLabel(security);
  PasswordPlace->setGeometry(12, 240, 291, 16);

  auto* calDav = new QWidget;
  Pages->addTab(calDav, QStringLiteral("CalDAV"));
  CalDavBox = new QGroupBox(QStringLiteral("カレンダーサーバー (CalDAV)"), calDav);
  CalDavBox->setGeometry(6, 6, 297, 184);
  auto* urlLabel = new QLabel(QStringLiteral("カレンダーの URL (https://...)"), CalDavBox);
  urlLabel->setGeometry(12, 23, 270, 16);
  EditCalDavUrl = AddEditRow(CalDavBox, 44, {});
  EditCalDavUrl->setGeometry(12, 44, 273, 21);
  urlLabel->setBuddy(EditCalDavUrl);
  EditCalDavUser = AddEditRow(CalDavBox, 74, QStringLiteral("ユーザID"));
  EditCalDavPassword = AddEditRow(CalDavBox, 102, QStringLiteral("パスワード"));
  StarPassword(EditCalDavPassword);
  // The file's path needs the box's width; the caption goes above it.
  auto* calDavCaLabel = new QLabel(QStringLiteral("証明書 (PEM ファイル)"), CalDavBox);
  calDavCaLabel->setGeometry(12, 133, 270, 16);
  EditCalDavCaFile = AddEditRow(CalDavBox, 152, {});
  EditCalDavCaFile->setGeometry(12, 152, 273, 21);
  calDavCaLabel->setBuddy(EditCalDavCaFile);
  BrowseCalDavCaFile = AddBrowseButton(EditCalDavCaFile, dialogs_);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setGeometry(84, 348, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &TSettingsWindow::AcceptIfValid);
  AbortBtn = new QPushButton(QStringLiteral("中止"), this);
  AbortBtn->setGeometry(174, 348, 75, 25);
  connect(AbortBtn, &QPushButton::clicked, this, [this] { done(kAbort); });

  // Within each group the tab order follows the rows; then the buttons.
  QWidget* order[] = {EditHandsetEMail,
                      EditSMTP,
                      EditSender,
                      EditSenderEMail,
                      EditPOP,
                      EditUserId,
                      EditPassword,
                      ckAPOP,
                      ckUIDL,
                      cbSMTPSecurity,
                      EditSMTPUser,
                      EditSMTPPassword,
                      cbPOPSecurity,
                      EditCAFile,
                      BrowseCAFile,
                      EditCalDavUrl,
                      EditCalDavUser,
                      EditCalDavPassword,
                      EditCalDavCaFile,
                      BrowseCalDavCaFile,
                      OKBtn,
                      AbortBtn};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TSettingsWindow::AcceptIfValid() {
  // A URL pasted with a space or a line end around it is meant without them.
  EditCalDavUrl->setText(EditCalDavUrl->text().trimmed());
  const std::string url = ToCp932(EditCalDavUrl->text());
  if (!url.empty() && !IsHttpUrl(url)) {
    // Refused here, where it can be mended, rather than at the first sync.
    dialogs_.ShowError(kCalDavUrlSchemeText);
    Pages->setCurrentWidget(CalDavBox->parentWidget());
    EditCalDavUrl->setFocus();
    return;
  }
  accept();
}

void TSettingsWindow::LoadFields() {
  std::string passwordError;
  const TMailSettings s = ReadMailSettings(settingsFile_, passwordError);
  EditHandsetEMail->setText(FromCp932(s.HandsetEMail));
  EditSMTP->setText(FromCp932(s.SMTP));
  EditSender->setText(FromCp932(s.Sender));
  EditSenderEMail->setText(FromCp932(s.SenderMail));
  EditPOP->setText(FromCp932(s.POP));
  EditUserId->setText(FromCp932(s.UserId));
  EditPassword->setText(FromCp932(s.Password));
  ckAPOP->setChecked(s.APOP);
  ckUIDL->setChecked(s.NoUIDL);
  ShowSecurity(cbSMTPSecurity, s.SmtpSecurity, !s.SMTP.empty(), false);
  ShowSecurity(cbPOPSecurity, s.PopSecurity, !s.POP.empty(), true);
  EditSMTPUser->setText(FromCp932(s.SmtpUser));
  EditSMTPPassword->setText(FromCp932(s.SmtpPassword));
  EditCAFile->setText(FromCp932(s.CaFile));
  std::string calDavError;
  const TCalDavSettings c = ReadCalDavSettings(settingsFile_, calDavError);
  EditCalDavUrl->setText(FromCp932(c.Url));
  EditCalDavUser->setText(FromCp932(c.User));
  EditCalDavPassword->setText(FromCp932(c.Password));
  EditCalDavCaFile->setText(FromCp932(c.CaFile));
  if (passwordError.empty()) passwordError = calDavError;
  unreadPasswords_.clear();
  if (!passwordError.empty())
    for (const QLineEdit* box : {EditPassword, EditSMTPPassword, EditCalDavPassword})
      if (box->text().isEmpty()) unreadPasswords_.push_back(box);
  const QString place = DesktopSecretStore().Available()
                            ? QStringLiteral("パスワードの保存先: デスクトップのキーリング")
                            : QStringLiteral("パスワードの保存先: %1 (本人のみ読み取り可)")
                                  .arg(QString::fromStdString(settingsFile_.filename().string()));
  PasswordPlace->setText(place);
  EditPassword->setToolTip(place);
  EditSMTPPassword->setToolTip(place);
  EditCalDavPassword->setToolTip(place);
  if (!passwordError.empty()) dialogs_.ShowError(passwordError);
}

void TSettingsWindow::SaveFields() {
  // A password the window could not read and the user left empty is not erased: the keyring
  // may answer by now, and what is stored then is written back as it is.
  TMailSettings stored;
  TCalDavSettings storedCalDav;
  if (!unreadPasswords_.empty()) {
    std::string stillUnread;
    stored = ReadMailSettings(settingsFile_, stillUnread);
    storedCalDav = ReadCalDavSettings(settingsFile_, stillUnread);
  }
  const auto password = [this](const QLineEdit* box, const std::string& storedValue) {
    const bool unread =
        std::find(unreadPasswords_.begin(), unreadPasswords_.end(), box) != unreadPasswords_.end();
    return unread && box->text().isEmpty() ? storedValue : ToCp932(box->text());
  };
  TMailSettings s;
  s.HandsetEMail = ToCp932(EditHandsetEMail->text());
  s.SMTP = ToCp932(EditSMTP->text());
  s.Sender = ToCp932(EditSender->text());
  s.SenderMail = ToCp932(EditSenderEMail->text());
  s.POP = ToCp932(EditPOP->text());
  s.UserId = ToCp932(EditUserId->text());
  s.Password = password(EditPassword, stored.Password);
  s.APOP = ckAPOP->isChecked();
  s.NoUIDL = ckUIDL->isChecked();
  s.SmtpSecurity = cbSMTPSecurity->currentData().toString().toStdString();
  s.PopSecurity = cbPOPSecurity->currentData().toString().toStdString();
  s.SmtpUser = ToCp932(EditSMTPUser->text());
  s.SmtpPassword = password(EditSMTPPassword, stored.SmtpPassword);
  s.CaFile = ToCp932(EditCAFile->text());
  WriteMailSettings(settingsFile_, s);
  const TCalDavSettings c{ToCp932(EditCalDavUrl->text()), ToCp932(EditCalDavUser->text()),
                          password(EditCalDavPassword, storedCalDav.Password),
                          ToCp932(EditCalDavCaFile->text())};
  // A file without a calendar server gets no empty section for one.
  if (c != TCalDavSettings{} ||
      !ReadProfileString(kCalDavSection, "url", "\x01", settingsFile_).starts_with('\x01'))
    WriteCalDavSettings(settingsFile_, c);
}

int TSettingsWindow::ShowSettings() {
  LoadFields();
  const int result = exec();
  if (result == QDialog::Accepted) {
    try {
      SaveFields();
    } catch (const Exception& e) {
      dialogs_.ShowError(e.what());
    }
  }
  return result;
}

void TSettingsWindow::showEvent(QShowEvent* event) {
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  EditHandsetEMail->setFocus();
  QDialog::showEvent(event);
}

}  // namespace moriva
