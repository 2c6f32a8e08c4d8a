// Enter-to-advance controls in a real window: the focus moves as Tab would, the key never
// reaches the box or the dialog behind it, and the focus colour comes and goes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/EnterAdvanceControls.h"
#include "tests/gui/support/QtKeys.h"

namespace moriva {
namespace {

// A dialog of three edit boxes, a check box that is no tab stop, a combo box and a default
// button, in that tab order.
struct Form {
  std::unique_ptr<QDialog> dialog = std::make_unique<QDialog>();
  TEnterAdvanceEdit* e1 = new TEnterAdvanceEdit(dialog.get());
  TEnterAdvanceEdit* e2 = new TEnterAdvanceEdit(dialog.get());
  QCheckBox* noTabStop = new QCheckBox(dialog.get());
  TEnterAdvanceEdit* e3 = new TEnterAdvanceEdit(dialog.get());
  TEnterAdvanceComboBox* combo = new TEnterAdvanceComboBox(dialog.get());
  QPushButton* ok = new QPushButton(QStringLiteral("OK"), dialog.get());

  Form() {
    noTabStop->setFocusPolicy(Qt::ClickFocus);
    combo->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    int y = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{e1, e2, noTabStop, e3, combo, ok})
      w->setGeometry(0, (y++) * 30, 100, 25);
  }
  void Show() {
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  }
};

TEST(EnterAdvanceControlsTest, EnterAndArrowsWalkTheTabOrderAndWrap) {
  Form f;
  f.Show();
  f.e1->setFocus();
  struct Step {
    Qt::Key key;
    QWidget* expected;
  };
  const Step steps[] = {
      {Qt::Key_Return, f.e2},  // the next field
      {Qt::Key_Enter, f.e3},   // keypad Enter too; the check box is no tab stop
      {Qt::Key_Up, f.e2},      // back
      {Qt::Key_Down, f.e3},    //
      {Qt::Key_Return, f.combo}, {Qt::Key_Return, f.ok},  // the combo box's Enter moves on as well
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(static_cast<int>(s.key));
    Press(s.key);
    EXPECT_EQ(QApplication::focusWidget(), s.expected);
  }
  EXPECT_TRUE(f.dialog->isVisible());
}

TEST(EnterAdvanceControlsTest, AFormOfEditsOnlyIsCircular) {
  QWidget window;
  TEnterAdvanceEdit* edits[3] = {new TEnterAdvanceEdit(&window), new TEnterAdvanceEdit(&window),
                                 new TEnterAdvanceEdit(&window)};
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  edits[0]->setFocus();
  for (int i = 1; i <= 4; ++i) {
    Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edits[i % 3]) << "after Enter " << i;
  }
  edits[0]->setFocus();
  Press(Qt::Key_Up);  // the first field's Up goes to the last tab stop
  EXPECT_EQ(QApplication::focusWidget(), edits[2]);
}

TEST(EnterAdvanceControlsTest, EnterIsSwallowedSoTheDefaultButtonDoesNotFire) {
  Form f;
  f.Show();
  f.e1->setFocus();
  QSignalSpy returned(f.e1, &QLineEdit::returnPressed);
  QTest::keyClicks(f.e1, QStringLiteral("ab"));
  Press(Qt::Key_Return);
  EXPECT_TRUE(f.dialog->isVisible());
  EXPECT_EQ(f.dialog->result(), 0);
  EXPECT_EQ(returned.count(), 0);
  EXPECT_EQ(f.e1->text(), QStringLiteral("ab"));
}

TEST(EnterAdvanceControlsTest, WithoutReturnNextKeysActInTheBox) {
  Form f;
  f.Show();
  f.e2->SetReturnNext(false);
  f.e2->setFocus();
  Press(Qt::Key_Down);
  Press(Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), f.e2);
  Press(Qt::Key_Return);  // reaches the dialog: its default button closes it
  EXPECT_EQ(f.dialog->result(), QDialog::Accepted);

  Form g;
  g.Show();
  g.combo->SetReturnNext(false);
  g.combo->setFocus();
  Press(Qt::Key_Return);
  EXPECT_NE(QApplication::focusWidget(), g.e1);
}

TEST(EnterAdvanceControlsTest, ComboArrowsChooseEntriesAndKeepTheFocus) {
  Form f;
  f.Show();
  f.combo->setFocus();
  Press(Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), f.combo);
  EXPECT_EQ(f.combo->currentIndex(), 1);
  Press(Qt::Key_Up);
  EXPECT_EQ(f.combo->currentIndex(), 0);
  EXPECT_EQ(QApplication::focusWidget(), f.combo);
}

TEST(EnterAdvanceControlsTest, FocusColourComesAndTheFormsOwnColourReturns) {
  Form f;
  const QColor yellow(255, 255, 160);
  QPalette p = f.e2->palette();
  p.setColor(QPalette::Base, yellow);
  f.e2->setPalette(p);
  f.e3->SetFocusColorEnabled(false);
  const QColor e3Normal = f.e3->BackgroundColor();
  f.Show();

  EXPECT_EQ(f.e2->NormalColor(), yellow);
  f.e2->setFocus();
  EXPECT_EQ(f.e2->BackgroundColor(), QColor(0, 255, 255));
  Press(Qt::Key_Return);
  EXPECT_EQ(f.e2->BackgroundColor(), yellow);
  EXPECT_EQ(f.e3->BackgroundColor(), e3Normal);  // focused, but the colour is off
  Press(Qt::Key_Return);
  EXPECT_EQ(f.e3->BackgroundColor(), e3Normal);

  f.e1->SetFocusColor(Qt::red);
  f.e1->setFocus();
  EXPECT_EQ(f.e1->BackgroundColor(), QColor(Qt::red));
}

}  // namespace
}  // namespace moriva
