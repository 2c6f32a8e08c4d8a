#include "app/VersionWindow.h"

#include <QFrame>
#include <QPushButton>

namespace moriva {

TVersionWindow::TVersionWindow(QWidget* parent) : TAboutWindow(parent) {
  OKBtn = new QPushButton(QStringLiteral("OK"), Panel1);
  OKBtn->setGeometry(80, 72, 57, 25);
  OKBtn->setDefault(true);
  OKBtn->setFocus();
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace moriva
