#include "app/VersionWindow.h"

#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace moriva {
namespace {

constexpr int kFolderLineHeight = 16;

// One line "caption path", cut in the middle when the path is too long; the whole path is its
// tool tip.
QLabel* FolderLine(QWidget* parent, const char* caption, const std::filesystem::path& folder,
                   int top) {
  const QString path = QFile::decodeName(QByteArray::fromStdString(folder.string()));
  auto* label = new QLabel(parent);
  label->setGeometry(8, top, parent->width() - 16, kFolderLineHeight);
  const QString head = QString::fromUtf8(caption);
  const QFontMetrics metrics(label->font());
  label->setText(head + metrics.elidedText(path, Qt::ElideMiddle,
                                           label->width() - metrics.horizontalAdvance(head)));
  label->setToolTip(path);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

TVersionWindow::TVersionWindow(QWidget* parent, const TProgramFolders* folders)
    : TAboutWindow(parent) {
  OKBtn = new QPushButton(QStringLiteral("OK"), Frame);
  OKBtn->setGeometry(80, 72, 57, 25);
  OKBtn->setDefault(true);
  OKBtn->setFocus();
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  if (folders && folders->Config != folders->Data) {
    const int top = height() - 6;
    setFixedSize(width(), top + 2 * kFolderLineHeight + 8);
    Frame->resize(size());
    ConfigFolder = FolderLine(Frame, "設定 ", folders->Config, top);
    DataFolder = FolderLine(Frame, "データ ", folders->Data, top + kFolderLineHeight);
  }
}

}  // namespace moriva
