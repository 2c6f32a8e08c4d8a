#include "app/EnterAdvanceControls.h"

#include <QKeyEvent>

namespace moriva {
namespace {

bool IsEnter(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Moves the focus within the control's window exactly as Tab (next) or Shift+Tab would.
void MoveFocus(QWidget* from, bool next) {
  QWidget* window = from->window();
  QWidget* target = from;
  // Walk the tab chain as QWidget::focusNextPrevChild does, but start at `from` rather than at
  // the window's current focus, so the move also works before the window is active.
  do {
    target = next ? target->nextInFocusChain() : target->previousInFocusChain();
    if (target == from) return;
  } while (!(target->window() == window && (target->focusPolicy() & Qt::TabFocus) &&
             target->isVisibleTo(window) && target->isEnabled() && !target->focusProxy()));
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

}  // namespace

TEnterAdvanceEdit::TEnterAdvanceEdit(QWidget* parent) : QLineEdit(parent) {}

QVariant TEnterAdvanceEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImPreferredLanguage && !inputLanguage_.isEmpty()) return inputLanguage_;
  return QLineEdit::inputMethodQuery(query);
}

void TEnterAdvanceEdit::Loaded() {
  // The enabled colour even when the box is first shown disabled: its disabled grey would
  // otherwise become the box's colour for good.
  normalColor_ = palette().color(QPalette::Active, QPalette::Base);
  loaded_ = true;
  SetBackground(hasFocus() && focusColorEnabled_ ? focusColor_ : normalColor_);
}

QColor TEnterAdvanceEdit::BackgroundColor() const {
  return palette().color(QPalette::Base);
}

void TEnterAdvanceEdit::SetBackground(const QColor& color) {
  // The disabled grey stays, so that a disabled box still looks it.
  QPalette p = palette();
  p.setColor(QPalette::Active, QPalette::Base, color);
  p.setColor(QPalette::Inactive, QPalette::Base, color);
  setPalette(p);
}

void TEnterAdvanceEdit::showEvent(QShowEvent* event) {
  if (!loaded_) Loaded();
  QLineEdit::showEvent(event);
}

void TEnterAdvanceEdit::focusInEvent(QFocusEvent* event) {
  if (!loaded_) Loaded();
  if (focusColorEnabled_) SetBackground(focusColor_);
  QLineEdit::focusInEvent(event);
}

void TEnterAdvanceEdit::focusOutEvent(QFocusEvent* event) {
  if (focusColorEnabled_) SetBackground(normalColor_);
  QLineEdit::focusOutEvent(event);
}

void TEnterAdvanceEdit::keyPressEvent(QKeyEvent* event) {
  if (returnNext_) {
    if (IsEnter(event) || event->key() == Qt::Key_Down) {
      MoveFocus(this, true);
      event->accept();
      return;
    }
    if (event->key() == Qt::Key_Up) {
      MoveFocus(this, false);
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TEnterAdvanceComboBox::keyPressEvent(QKeyEvent* event) {
  if (returnNext_ && IsEnter(event)) {
    MoveFocus(this, true);
    event->accept();
    return;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace moriva
