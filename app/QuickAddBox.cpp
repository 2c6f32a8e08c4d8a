#include "app/QuickAddBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "app/FormFont.h"
#include "base/Cp932.h"

namespace moriva {
namespace {

const QString kNoteStyle = QStringLiteral(
    "QLabel { background-color: rgb(255, 255, 225); border: 1px solid rgb(118, 118, 118); "
    "padding: 2px 4px; color: %1; }");

}  // namespace

TQuickAddBox::TQuickAddBox(QWidget* window, QWidget* parent) : QLineEdit(parent), window_(window) {
  setPlaceholderText(QStringLiteral("例: 明日15時 歯医者 @駅前"));
  setToolTip(QStringLiteral(
      "予定を一行で追加 (Ctrl+L): 日付、時刻、件名、@場所。Enter で追加、Esc で消去"));
  setClearButtonEnabled(true);
  Preview = new QLabel(window_);
  Preview->setFont(FormFont(12));
  Preview->hide();
  window_->installEventFilter(this);
  connect(this, &QLineEdit::textChanged, this, [this] { Read(); });
}

void TQuickAddBox::Read() {
  reading_ = ReadQuickAdd(Utf16ToCp932(text().toStdU16String()), Today());
  const bool made = reading_.Item.has_value();
  const std::string note = made ? QuickAddPreview(*reading_.Item, Today()) : reading_.Reason;
  Preview->setText(QString::fromUtf8(note.data(), static_cast<qsizetype>(note.size())));
  Preview->setStyleSheet(
      kNoteStyle.arg(made ? QStringLiteral("black") : QStringLiteral("rgb(192, 0, 0)")));
  PlacePreview();
}

void TQuickAddBox::PlacePreview() {
  const bool show = hasFocus() && !Preview->text().isEmpty();
  if (!show) {
    Preview->hide();
    return;
  }
  Preview->adjustSize();
  QPoint at = mapTo(window_, QPoint(0, height() + 2));
  // Kept inside the window: a long note moves left rather than being cut off.
  at.setX(std::max(0, std::min(at.x(), window_->width() - Preview->width())));
  Preview->move(at);
  Preview->raise();
  Preview->show();
}

void TQuickAddBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Read();  // today may have changed since the last key
    if (reading_.Item && OnAdd) {
      const TQuickItem item = *reading_.Item;
      OnAdd(item);
      clear();
    }
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    if (text().isEmpty() && OnLeave)
      OnLeave();
    else
      clear();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TQuickAddBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  PlacePreview();
}

void TQuickAddBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  Preview->hide();
}

bool TQuickAddBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Resize) PlacePreview();
  return QLineEdit::eventFilter(watched, event);
}

}  // namespace moriva
