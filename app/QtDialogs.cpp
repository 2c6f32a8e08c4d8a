#include "app/QtDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace moriva {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon BoxIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::None:
      return QMessageBox::NoIcon;
    case TMsgIcon::Information:
      return QMessageBox::Information;
    case TMsgIcon::Warning:
      return QMessageBox::Warning;
    case TMsgIcon::Error:
      return QMessageBox::Critical;
    case TMsgIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QString PathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path QStringToPath(const QString& text) {
  return std::filesystem::path(QFile::encodeName(text).toStdString());
}

// The patterns of one Windows filter pair in Qt's blank-separated form.
QString QtPatterns(const QString& patterns) {
  QStringList out;
  for (QString p : patterns.split(u';', Qt::SkipEmptyParts)) {
    p = p.trimmed();
    if (p.isEmpty()) continue;
    out << (p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
  }
  return out.join(u' ');
}

}  // namespace

QString MessageText(std::string_view text) {
  QString s = FromUtf8(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(u'\r', u'\n');
  return s;
}

QString BoxCaption(std::string_view caption) {
  return caption.empty() ? QStringLiteral("Moriva") : FromUtf8(caption);
}

QStringList QtNameFilters(std::string_view filter) {
  const QStringList parts = FromUtf8(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = QtPatterns(parts[i + 1]);
    if (patterns.isEmpty()) continue;
    const QString desc = parts[i].trimmed().isEmpty() ? patterns : parts[i].trimmed();
    filters << desc + QStringLiteral(" (") + patterns + u')';
  }
  return filters;
}

bool TQtDialogs::AskYesNo(std::string_view text, std::string_view caption, TMsgIcon icon,
                          TMsgDefault defaultButton) {
  QMessageBox box(BoxIcon(icon), BoxCaption(caption), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton == TMsgDefault::Yes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  // The words a Japanese desktop puts on these buttons, whatever translations are installed.
  box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
  box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
  box.exec();
  return box.clickedButton() == box.button(QMessageBox::Yes);
}

void TQtDialogs::ShowMessage(std::string_view text, std::string_view caption, TMsgIcon icon) {
  QMessageBox box(BoxIcon(icon), BoxCaption(caption), MessageText(text), QMessageBox::Ok, parent_);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

std::optional<std::filesystem::path> TQtDialogs::ChooseOpenFile(
    std::string_view filter, const std::filesystem::path& proposedName) {
  return ChooseFile(false, filter, proposedName);
}

std::optional<std::filesystem::path> TQtDialogs::ChooseSaveFile(
    std::string_view filter, const std::filesystem::path& proposedName) {
  return ChooseFile(true, filter, proposedName);
}

std::optional<std::filesystem::path> TQtDialogs::ChooseFile(
    bool save, std::string_view filter, const std::filesystem::path& proposedName) {
  QFileDialog dialog(parent_);
  // Qt's own dialog, so the filter descriptions read exactly as the program words them.
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtNameFilters(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);

  QString& lastDir = save ? saveDir_ : openDir_;
  const QString proposed = PathToQString(proposedName);
  if (proposedName.has_parent_path()) {
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
  } else if (!lastDir.isEmpty()) {
    dialog.setDirectory(lastDir);
  }
  if (proposedName.has_filename()) dialog.selectFile(QFileInfo(proposed).fileName());

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  lastDir = QFileInfo(chosen.first()).absolutePath();
  return QStringToPath(chosen.first());
}

void TQtDialogs::BeginBusy() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TQtDialogs::EndBusy() {
  QApplication::restoreOverrideCursor();
}

TQtStatusPanels::TQtStatusPanels(QStatusBar* bar) {
  static constexpr int kWidths[kPanelCount] = {100, 50, 50};
  for (int i = 0; i < kPanelCount; ++i) {
    auto* label = new QLabel(bar);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    if (i + 1 < kPanelCount) {
      label->setFixedWidth(kWidths[i]);
      bar->addWidget(label);
    } else {
      label->setMinimumWidth(kWidths[i]);
      bar->addWidget(label, 1);
    }
    panels_[i] = label;
  }
}

void TQtStatusPanels::SetPanelText(int panel, std::string_view text) {
  if (panel < 0 || panel >= kPanelCount) return;
  panels_[panel]->setText(FromUtf8(text));
}

}  // namespace moriva
