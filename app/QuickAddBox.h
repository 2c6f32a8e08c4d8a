#pragma once
// The toolbar's quick-add box: one line such as 「明日15時 歯医者 @駅前」 becomes an item. While
// the user types, a note under the box says what Enter will make, or why it makes nothing;
// Enter hands the item to whoever adds it, Esc clears the box (and, when it is empty already,
// gives the keyboard back to the calendars).
//
// The note is a child of the window laid over whatever lies under the box, so that the
// toolbar keeps its height and the calendars their size; it shows while the box has the focus
// and some text.
#include <QLineEdit>
#include <functional>

#include "calendar/Julius.h"
#include "schedule/QuickAdd.h"

class QLabel;

namespace moriva {

class TQuickAddBox : public QLineEdit {
 public:
  // `window` holds the note.
  TQuickAddBox(QWidget* window, QWidget* parent);

  QLabel* Preview = nullptr;
  // The day the text is read on; the clock's unless a test fixes it.
  std::function<JuliusDay()> Today = TodayJulius;
  // Enter on a text that makes an item. The box is cleared afterwards.
  std::function<void(const TQuickItem& item)> OnAdd;
  // Esc in an empty box.
  std::function<void()> OnLeave;

  // What the text makes (read again after every change).
  const TQuickAddReading& Reading() const { return reading_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Read();
  void PlacePreview();

  QWidget* window_;
  TQuickAddReading reading_;
};

}  // namespace moriva
