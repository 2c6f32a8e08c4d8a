#pragma once
// Keys and typed text sent as a user's would be: to whatever widget has the focus now, so a
// test also finds out when the focus is not where the user would expect it. With no focused
// widget at all (the window closed early, say) the key is lost and the test fails.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>

namespace moriva {

inline QWidget* KeyTarget() {
  QWidget* w = QApplication::focusWidget();
  if (!w) ADD_FAILURE() << "no widget has the focus";
  return w;
}

inline void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  if (QWidget* w = KeyTarget()) QTest::keyClick(w, key, mods);
}

// Plain keys typed into the focused widget.
inline void Type(const QString& text) {
  if (QWidget* w = KeyTarget()) QTest::keyClicks(w, text);
}

// Japanese text arrives from the input method as a committed string.
inline void Commit(const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  if (QWidget* w = KeyTarget()) QApplication::sendEvent(w, &event);
}

}  // namespace moriva
