#pragma once
// Input controls that let a form be filled in with the keyboard alone: Enter moves on to the
// next field as Tab would, so the user never has to reach for the mouse or the Tab key.
//
// TEnterAdvanceEdit: a single-line edit box. With ReturnNext on, Enter and Down move the focus to
// the next control of the window in tab order, Up to the previous one (wrapping round, skipping
// controls that take no tab focus); the key is swallowed. While it has the focus its background
// is FocusColor (when FocusColorEnabled); on leaving, it returns to the normal colour, the
// background the box had when its window was first shown (or when Loaded() was called).
//
// TEnterAdvanceComboBox: a combo box whose Enter moves on in the same way; its arrow keys keep
// choosing entries.
#include <QColor>
#include <QComboBox>
#include <QLineEdit>

namespace moriva {

class TEnterAdvanceEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(bool ReturnNext READ ReturnNext WRITE SetReturnNext)
  Q_PROPERTY(QColor FocusColor READ FocusColor WRITE SetFocusColor)
  Q_PROPERTY(bool FocusColorEnabled READ FocusColorEnabled WRITE SetFocusColorEnabled)

 public:
  explicit TEnterAdvanceEdit(QWidget* parent = nullptr);

  bool ReturnNext() const { return returnNext_; }
  void SetReturnNext(bool on) { returnNext_ = on; }
  QColor FocusColor() const { return focusColor_; }
  void SetFocusColor(const QColor& color) { focusColor_ = color; }
  bool FocusColorEnabled() const { return focusColorEnabled_; }
  void SetFocusColorEnabled(bool on) { focusColorEnabled_ = on; }

  // The language the input method is asked for while the box has the focus (BCP 47, "ja-JP"
  // for Japanese text, "en" for addresses), where the platform's input method takes the wish;
  // empty asks for nothing.
  void SetInputLanguage(const QString& language) { inputLanguage_ = language; }
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  // Remembers the present background as the normal colour. Runs by itself when the box is first
  // shown; a form that sets colours later may call it again.
  void Loaded();
  QColor NormalColor() const { return normalColor_; }
  // The background colour the box paints now.
  QColor BackgroundColor() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetBackground(const QColor& color);

  bool returnNext_ = true;
  QColor focusColor_{0, 255, 255};  // aqua
  bool focusColorEnabled_ = true;
  QColor normalColor_;
  bool loaded_ = false;
  QString inputLanguage_;
};

class TEnterAdvanceComboBox : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(bool ReturnNext READ ReturnNext WRITE SetReturnNext)

 public:
  explicit TEnterAdvanceComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}

  bool ReturnNext() const { return returnNext_; }
  void SetReturnNext(bool on) { returnNext_ = on; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool returnNext_ = true;
};

}  // namespace moriva
