#include "app/GoToDateDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FormFont.h"
#include "base/Cp932.h"
#include "calendar/DateInput.h"

namespace moriva {

TGoToDateDialog::TGoToDateDialog(int32_t thisYear, QWidget* parent)
    : QDialog(parent), thisYear_(thisYear) {
  setWindowTitle(QStringLiteral("日付へ移動"));
  setFont(FormFont(12));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("日付(&D):"), this);
  DateEdit = new QLineEdit(this);
  DateEdit->setPlaceholderText(QStringLiteral("2027/1/10, 1/10, 令和9年1月10日, R9.1.10"));
  DateEdit->setMinimumWidth(240);
  label->setBuddy(DateEdit);
  Note = new QLabel(this);
  Note->setStyleSheet(QStringLiteral("QLabel { color: rgb(192, 0, 0); }"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("移動"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("中止"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(DateEdit);
  layout->addWidget(Note);
  layout->addWidget(buttons);
  DateEdit->setFocus();
}

void TGoToDateDialog::accept() {
  const std::string text = Utf16ToCp932(DateEdit->text().toStdU16String());
  Day = ParseDateInput(text, thisYear_);
  if (!Day) {
    Note->setText(QStringLiteral("「%1」は日付として読めません").arg(DateEdit->text()));
    DateEdit->selectAll();
    DateEdit->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace moriva
