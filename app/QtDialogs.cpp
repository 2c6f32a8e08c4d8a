#include "app/QtDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
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

}  // namespace

std::filesystem::path QStringToPath(const QString& text) {
  return std::filesystem::path(QFile::encodeName(text).toStdString());
}

namespace {

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

QString DefaultSuffix(std::string_view filter) {
  const QStringList parts = FromUtf8(filter).split(u'|');
  if (parts.size() < 2) return {};
  const QString first = parts[1].split(u';').first().trimmed();
  if (!first.startsWith(QStringLiteral("*.")) || first.size() < 3) return {};
  const QString suffix = first.mid(2);
  return suffix.contains(u'*') || suffix.contains(u'?') ? QString() : suffix;
}

QWidget* TQtDialogs::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_;
}

void TQtDialogs::ReleaseMessages() {
  held_ = false;
  std::vector<THeldMessage> messages;
  messages.swap(heldMessages_);
  for (const THeldMessage& m : messages) ShowMessage(m.Text, m.Caption, m.Icon);
}

bool TQtDialogs::AskYesNo(std::string_view text, std::string_view caption, TMsgIcon icon,
                          TMsgDefault defaultButton) {
  if (held_) ReleaseMessages();  // what was said before the question comes first
  QMessageBox box(BoxIcon(icon), BoxCaption(caption), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No, Owner());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton == TMsgDefault::Yes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  // The words a Japanese desktop puts on these buttons, whatever translations are installed.
  box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
  box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
  box.exec();
  return box.clickedButton() == box.button(QMessageBox::Yes);
}

TMsgAnswer TQtDialogs::AskYesNoCancel(std::string_view text, std::string_view caption,
                                      TMsgIcon icon) {
  static constexpr std::string_view kButtons[3] = {"はい(&Y)", "いいえ(&N)", "キャンセル"};
  return AskWithButtons(text, caption, icon, kButtons, TMsgAnswer::Yes, true)
      .value_or(TMsgAnswer::Cancel);
}

std::optional<TMsgAnswer> TQtDialogs::AskThreeWay(std::string_view text, std::string_view caption,
                                                  TMsgIcon icon,
                                                  const std::string_view (&buttons)[3],
                                                  TMsgAnswer defaultButton) {
  return AskWithButtons(text, caption, icon, buttons, defaultButton, false);
}

namespace {

// Escape, or the window's close button, closes a message box without pressing any of its
// buttons: left to itself, a box whose buttons are all choices ignores both.
class TCloseWithoutChoice : public QObject {
 public:
  explicit TCloseWithoutChoice(QDialog* box) : QObject(box), box_(box) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == box_ && event->type() == QEvent::Close) return true;  // hidden, no choice
    if (event->type() != QEvent::KeyPress ||
        !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
      return false;
    box_->reject();
    return true;
  }

 private:
  QDialog* box_;
};

}  // namespace

std::optional<TMsgAnswer> TQtDialogs::AskWithButtons(std::string_view text,
                                                     std::string_view caption, TMsgIcon icon,
                                                     const std::string_view (&buttons)[3],
                                                     TMsgAnswer defaultButton, bool escapeIsThird) {
  if (held_) ReleaseMessages();
  QMessageBox box(BoxIcon(icon), BoxCaption(caption), MessageText(text), QMessageBox::NoButton,
                  Owner());
  box.setTextFormat(Qt::PlainText);
  // Three choices alike keep their order, and Qt takes none of them for Escape on its own.
  static constexpr QMessageBox::ButtonRole kYesNoCancel[3] = {
      QMessageBox::YesRole, QMessageBox::NoRole, QMessageBox::RejectRole};
  QPushButton* shown[3];
  for (int i = 0; i < 3; ++i)
    shown[i] = box.addButton(QString::fromUtf8(buttons[i].data(), qsizetype(buttons[i].size())),
                             escapeIsThird ? kYesNoCancel[i] : QMessageBox::ActionRole);
  box.setDefaultButton(shown[static_cast<int>(defaultButton)]);
  if (escapeIsThird)
    box.setEscapeButton(shown[2]);
  else
    box.installEventFilter(new TCloseWithoutChoice(&box));
  box.exec();
  for (const TMsgAnswer a : {TMsgAnswer::Yes, TMsgAnswer::No, TMsgAnswer::Cancel})
    if (box.clickedButton() == shown[static_cast<int>(a)]) return a;
  return std::nullopt;
}

void TQtDialogs::ShowMessage(std::string_view text, std::string_view caption, TMsgIcon icon) {
  if (held_) {
    heldMessages_.push_back({std::string(text), std::string(caption), icon});
    return;
  }
  QMessageBox box(BoxIcon(icon), BoxCaption(caption), MessageText(text), QMessageBox::Ok, Owner());
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
  if (held_) ReleaseMessages();
  QFileDialog dialog(Owner());
  // Qt's own dialog, so the filter descriptions read exactly as the program words them.
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtNameFilters(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  // The suffix is added inside the dialog, so that its question before replacing a file is
  // about the name that will really be written ("plan" → "plan.mrv").
  if (save) dialog.setDefaultSuffix(DefaultSuffix(filter));

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
