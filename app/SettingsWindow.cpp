#include "app/SettingsWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <string>

#include "app/EnterAdvanceControls.h"
#include "app/FormFont.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/MailSettings.h"

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
  label->setBuddy(edit);
  return edit;
}

}  // namespace

TSettingsWindow::TSettingsWindow(TDialogs& dialogs, std::filesystem::path settingsFile,
                                 QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settingsFile_(std::move(settingsFile)) {
  setWindowTitle(QStringLiteral("設定"));
  setFont(FormFont(12));
  setFixedSize(333, 382);

  PageControl1 = new QTabWidget(this);
  PageControl1->setGeometry(8, 8, 317, 330);
  auto* page = new QWidget;
  PageControl1->addTab(page, QStringLiteral("E-Mail設定"));

  GroupBox1 = new QGroupBox(QStringLiteral("送信の設定"), page);
  GroupBox1->setGeometry(6, 6, 297, 136);
  EditHS110EMail = AddEditRow(GroupBox1, 20, QStringLiteral("H\"のE-Mailアドレス"));
  EditSMTP = AddEditRow(GroupBox1, 48, QStringLiteral("SMTPサーバ"));
  EditSender = AddEditRow(GroupBox1, 76, QStringLiteral("送信者名"));
  EditSenderEMail = AddEditRow(GroupBox1, 104, QStringLiteral("送信者アドレス"));

  GroupBox2 = new QGroupBox(QStringLiteral("受信の設定"), page);
  GroupBox2->setGeometry(6, 148, 297, 150);
  EditPOP = AddEditRow(GroupBox2, 20, QStringLiteral("POP3サーバ"));
  EditUserId = AddEditRow(GroupBox2, 48, QStringLiteral("ユーザID"));
  EditPassword = AddEditRow(GroupBox2, 76, QStringLiteral("パスワード"));
  EditPassword->setEchoMode(QLineEdit::Password);
  auto* stars = new TStarPasswordStyle;
  stars->setParent(EditPassword);
  EditPassword->setStyle(stars);
  ckAPOP = new QCheckBox(QStringLiteral("APOPを使用する"), GroupBox2);
  ckAPOP->setGeometry(12, 104, 270, 18);
  ckAPOP->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  ckUIDL = new QCheckBox(QStringLiteral("UIDLを使用しない"), GroupBox2);
  ckUIDL->setGeometry(12, 126, 270, 18);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setGeometry(84, 348, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  AbortBtn = new QPushButton(QStringLiteral("中止"), this);
  AbortBtn->setGeometry(174, 348, 75, 25);
  connect(AbortBtn, &QPushButton::clicked, this, [this] { done(kAbort); });

  // Within each group the tab order follows the rows; then the buttons.
  QWidget* order[] = {EditHS110EMail, EditSMTP, EditSender, EditSenderEMail, EditPOP, EditUserId,
                      EditPassword,   ckAPOP,   ckUIDL,     OKBtn,           AbortBtn};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TSettingsWindow::LoadFields() {
  std::string passwordError;
  const TMailSettings s = ReadMailSettings(settingsFile_, passwordError);
  EditHS110EMail->setText(FromCp932(s.HS110EMail));
  EditSMTP->setText(FromCp932(s.SMTP));
  EditSender->setText(FromCp932(s.Sender));
  EditSenderEMail->setText(FromCp932(s.SenderMail));
  EditPOP->setText(FromCp932(s.POP));
  EditUserId->setText(FromCp932(s.UserId));
  EditPassword->setText(FromCp932(s.Password));
  ckAPOP->setChecked(s.APOP);
  ckUIDL->setChecked(s.NoUIDL);
  if (!passwordError.empty()) dialogs_.ShowError(passwordError);
}

void TSettingsWindow::SaveFields() {
  TMailSettings s;
  s.HS110EMail = ToCp932(EditHS110EMail->text());
  s.SMTP = ToCp932(EditSMTP->text());
  s.Sender = ToCp932(EditSender->text());
  s.SenderMail = ToCp932(EditSenderEMail->text());
  s.POP = ToCp932(EditPOP->text());
  s.UserId = ToCp932(EditUserId->text());
  s.Password = ToCp932(EditPassword->text());
  s.APOP = ckAPOP->isChecked();
  s.NoUIDL = ckUIDL->isChecked();
  WriteMailSettings(settingsFile_, s);
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
  EditHS110EMail->setFocus();
  QDialog::showEvent(event);
}

}  // namespace moriva
