// The schedule editor window on the offscreen platform: its make-up, what the user's gestures
// do to the master list, and how each way of closing ends.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <memory>

#include "app/EnterAdvanceControls.h"
#include "app/RepeatSection.h"
#include "app/ScheduleEditorWindow.h"
#include "base/Cp932.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {

void PrintTo(const TLineList& list, std::ostream* os) {
  *os << '{';
  for (const std::string& line : list) *os << "\n  " << Cp932ToUtf8(line);
  *os << " }";
}

namespace {

const TLineList kDay{
    "2026,2026,3,14,,,\"other- day- 9:0:0- FALSE\"",
    "2026,2026,3,4,,,\"first- room- 9:30:0- FALSE\"",
    "2026,2026,3,4,,,\"second- - 0:00:0- TRUE\"",
};

class ScheduleEditorWindowTest : public ::testing::Test {
 protected:
  TLineList list = kDay;
  TFakeDialogs dialogs;
  std::unique_ptr<TScheduleEditorWindow> form;

  void Open(int year = 2026, int month = 3, int day = 4) {
    form = std::make_unique<TScheduleEditorWindow>(list, year, month, day, dialogs);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  // Runs the editor modally; `act` drives the open window.
  int Run(std::function<void(TScheduleEditorWindow&)> act) {
    form = std::make_unique<TScheduleEditorWindow>(list, 2026, 3, 4, dialogs);
    TScheduleEditorWindow* f = form.get();
    WhenModal([f, act](QWidget*) {
      if (QTest::qWaitForWindowActive(f)) act(*f);
      if (f->isVisible()) f->done(-1);  // the script did not close it: a failure below
    });
    return form->RunEditor();
  }
  QStringList TreeTexts() const {
    QStringList out;
    for (int i = 0; i < form->ItemTree->topLevelItemCount(); ++i)
      out << form->ItemTree->topLevelItem(i)->text(0);
    return out;
  }
  int SelectedRow() const {
    const auto sel = form->ItemTree->selectedItems();
    return sel.isEmpty() ? -1 : form->ItemTree->indexOfTopLevelItem(sel.front());
  }
};

TEST_F(ScheduleEditorWindowTest, MakeUp) {
  form = std::make_unique<TScheduleEditorWindow>(list, 2026, 3, 4, dialogs);
  EXPECT_EQ(form->windowTitle(), "予定");
  EXPECT_EQ(form->size(), QSize(512, 368));
  QStringList hours, minutes;
  for (int i = 0; i < form->cbH->count(); ++i) hours << form->cbH->itemText(i);
  for (int i = 0; i < form->cbN->count(); ++i) minutes << form->cbN->itemText(i);
  EXPECT_EQ(hours.join(','), "0,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,1,2,3,4,5,6");
  EXPECT_EQ(minutes.join(','), "0,5,10,15,20,25,30,35,40,45,50,55");

  struct ActionCase {
    QAction* action;
    const char* caption;
    QKeySequence key;
    bool enabled;
    const char* tip;
  } actions[] = {
      {form->AddItem, "追加(&N)", QKeySequence("Ctrl+N"), true, "追加 (Ctrl+N/Alt+N)"},
      {form->DeleteItem, "削除", QKeySequence("Ctrl+D"), true, "削除 (Ctrl+D)"},
      {form->WriteItem, "書込", QKeySequence("Ctrl+S"), true, "書込 (Ctrl+S)"},
      {form->Copy, "コピー", QKeySequence("Ctrl+C"), false, "コピー (Ctrl+C)"},
      {form->Cut, "切り取り", QKeySequence("Ctrl+X"), false, "切り取り (Ctrl+X)"},
      {form->Paste, "ペースト", QKeySequence("Ctrl+V"), false, "ペースト (Ctrl+V)"},
      {form->WidthUp, ">>", QKeySequence(), true, ">>"},
      {form->WidthDown, "<<", QKeySequence(), true, "<<"},
  };
  for (const ActionCase& c : actions) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(c.action->text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(c.action->shortcut(), c.key);
    EXPECT_EQ(c.action->isEnabled(), c.enabled);
    EXPECT_EQ(c.action->toolTip(), QString::fromUtf8(c.tip));
  }
  QStringList toolbar;
  for (QAction* a : form->ToolBar->actions()) toolbar << (a->isSeparator() ? "|" : a->iconText());
  EXPECT_EQ(toolbar.join(' '), "追加 削除 | コピー 切り取り ペースト | << >>");
  EXPECT_EQ(form->WriteBtn->text(), "書込");
  EXPECT_EQ(form->AbortBtn->text(), "中止");
  EXPECT_EQ(form->ckAlarm->focusPolicy() & Qt::TabFocus, 0);
  EXPECT_EQ(form->ckAllDay->focusPolicy() & Qt::TabFocus, 0);
  EXPECT_EQ(form->WriteBtn->focusPolicy() & Qt::TabFocus, 0);
  // Subjects and places are Japanese: that is what the input method is asked for.
  for (QWidget* edit : {form->EditSubject, form->EditPlace})
    EXPECT_EQ(edit->inputMethodQuery(Qt::ImPreferredLanguage).toString(), "ja-JP");

  QStringList captions;
  for (QLabel* l : form->RightPanel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (l->size() != QSize(73, 20)) continue;
    captions << l->text();
    EXPECT_EQ(l->palette().color(QPalette::Window), QColor(0, 128, 128));
    EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(255, 255, 208));
  }
  EXPECT_EQ(captions.join(','), "時刻,件名,場所,アラーム,繰り返し,終了");
  EXPECT_EQ(form->RightPanel->palette().color(QPalette::Window), QColor(255, 255, 185));
  for (QWidget* w :
       {static_cast<QWidget*>(form->ItemTree), static_cast<QWidget*>(form->RightPanel)}) {
    QStringList menu;
    for (QAction* a : w->actions()) menu << (a->isSeparator() ? "|" : a->text());
    EXPECT_EQ(menu.join(' '), "追加(&N) 削除 書込 | コピー 切り取り ペースト");
  }

  // The Tab chain from the subject on.
  QStringList chain;
  QWidget* w = form->EditSubject;
  const QList<QWidget*> named = {form->EditSubject, form->EditPlace, form->cbH,     form->cbN,
                                 form->OKBtn,       form->AbortBtn,  form->ItemTree};
  for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
    while (!named.contains(w)) w = w->nextInFocusChain();
    chain << QString::number(named.indexOf(w));
  }
  EXPECT_EQ(chain.join(','), "0,1,2,3,4,5,6");
}

TEST_F(ScheduleEditorWindowTest, OpeningSelectsAndShowsTheFirstItem) {
  Open();
  EXPECT_EQ(form->windowTitle(), "2026/3/4 の予定");
  EXPECT_EQ(TreeTexts(), QStringList({"09:30 first @room", "00:00 second"}));
  EXPECT_EQ(SelectedRow(), 0);
  EXPECT_EQ(form->EditSubject->text(), "first");
  EXPECT_EQ(form->EditPlace->text(), "room");
  EXPECT_EQ(form->cbH->currentText(), "9");
  EXPECT_EQ(form->cbN->currentText(), "30");
  EXPECT_FALSE(form->ckAlarm->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), form->EditSubject);
  Type(QStringLiteral("!"));  // goes after the subject shown, not over it
  EXPECT_EQ(form->EditSubject->text(), "first!");
  Press(Qt::Key_Backspace);

  // Clicking the second item shows it: "00" as the first minute, hour 0 as the first entry.
  QTreeWidgetItem* second = form->ItemTree->topLevelItem(1);
  QTest::mouseClick(form->ItemTree->viewport(), Qt::LeftButton, {},
                    form->ItemTree->visualItemRect(second).center());
  EXPECT_EQ(form->EditSubject->text(), "second");
  EXPECT_EQ(form->cbH->currentIndex(), 0);
  EXPECT_EQ(form->cbN->currentIndex(), 0);
  EXPECT_TRUE(form->ckAlarm->isChecked());
  EXPECT_EQ(form->Editor().EditIndex(), 2);

  // Enter in the tree shows the selected item again, over what was typed.
  form->EditSubject->setText("typed");
  form->ItemTree->setFocus();
  Press(Qt::Key_Return);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->EditSubject->text(), "second");
  EXPECT_EQ(list, kDay);
}

TEST_F(ScheduleEditorWindowTest, ClickingAnotherItemKeepsWhatWasTyped) {
  Open();
  auto click = [this](int row) {
    QTest::mouseClick(form->ItemTree->viewport(), Qt::LeftButton, {},
                      form->ItemTree->visualItemRect(form->ItemTree->topLevelItem(row)).center());
  };
  // Typed into the shown item, then another one clicked: the typing is written first.
  form->EditSubject->setFocus();
  Press(Qt::Key_End);
  Type(QStringLiteral("!"));
  click(1);
  EXPECT_EQ(list[1], "2026,2026,3,4,,,\"first!- room- 9:30:0- FALSE\"");
  EXPECT_EQ(form->EditSubject->text(), "second");
  EXPECT_EQ(TreeTexts().at(0), "09:30 first! @room");

  // A text that cannot be written keeps the fields and the selection where they were.
  form->EditSubject->setFocus();
  Type(QStringLiteral("- x"));
  click(0);
  EXPECT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(form->EditSubject->text(), "second- x");
  EXPECT_EQ(SelectedRow(), 1);
  EXPECT_EQ(list[2], kDay[2]);
}

TEST_F(ScheduleEditorWindowTest, NodeImagesFollowTheAlarmAtOnce) {
  Open();
  QTreeWidgetItem* first = form->ItemTree->topLevelItem(0);
  QTreeWidgetItem* second = form->ItemTree->topLevelItem(1);
  EXPECT_EQ(first->data(0, TScheduleEditorWindow::kImageRole).toInt(), yiItem);
  EXPECT_EQ(first->data(0, TScheduleEditorWindow::kSelectedImageRole).toInt(), yiItemSelected);
  EXPECT_EQ(second->data(0, TScheduleEditorWindow::kImageRole).toInt(), yiAlarm);
  EXPECT_EQ(second->data(0, TScheduleEditorWindow::kSelectedImageRole).toInt(), yiAlarm);
  const qint64 bell = second->icon(0).cacheKey();

  QTest::mouseClick(form->ckAlarm, Qt::LeftButton);
  QTest::mouseClick(form->WriteBtn, Qt::LeftButton);
  EXPECT_EQ(form->ItemTree->topLevelItem(0), first);  // updated in place, not rebuilt
  EXPECT_EQ(first->data(0, TScheduleEditorWindow::kImageRole).toInt(), yiAlarm);
  EXPECT_EQ(first->icon(0).cacheKey(), bell);
  EXPECT_EQ(list[1], "2026,2026,3,4,,,\"first- room- 9:30:0- TRUE\"");
}

TEST_F(ScheduleEditorWindowTest, KeyboardOnlyRunAddsAnItem) {
  list.Clear();
  const int result = Run([](TScheduleEditorWindow& f) {
    // Japanese typed at once is the subject.
    Commit(QStringLiteral("会議"));
    EXPECT_EQ(f.EditSubject->text(), QStringLiteral("会議"));
    Press(Qt::Key_Return);
    Commit(QStringLiteral("本社"));
    Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.cbH);
    Press(Qt::Key_Down);  // the hour list moves on: 7
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.OKBtn);
    Press(Qt::Key_Return);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(list, TLineList{Utf8ToCp932("2026,2026,3,4,,,\"会議- 本社- 7:0:0- FALSE\"")});
}

TEST_F(ScheduleEditorWindowTest, AlarmIsReachedByKeyboardFromEveryField) {
  // From each field of the Tab chain: Alt+A toggles the alarm, so an item with an alarm can be
  // written without the mouse; twice gives it back.
  for (int field = 0; field < 4; ++field) {
    for (int presses : {1, 2}) {
      SCOPED_TRACE(field * 10 + presses);
      list.Clear();
      const int result = Run([&](TScheduleEditorWindow& f) {
        f.EditSubject->setText(QStringLiteral("会議"));
        QWidget* fields[] = {f.cbH, f.cbN, f.EditSubject, f.EditPlace};
        fields[field]->setFocus();
        for (int i = 0; i < presses; ++i) Press(Qt::Key_A, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), fields[field]);
        f.OKBtn->setFocus();
        Press(Qt::Key_Return);
      });
      EXPECT_EQ(result, QDialog::Accepted);
      EXPECT_EQ(list,
                TLineList{Utf8ToCp932(presses == 1 ? "2026,2026,3,4,,,\"会議- - 0:0:0- TRUE\""
                                                   : "2026,2026,3,4,,,\"会議- - 0:0:0- FALSE\"")});
    }
  }
}

TEST_F(ScheduleEditorWindowTest, OkRewritesTheShownItemUnchanged) {
  EXPECT_EQ(Run([](TScheduleEditorWindow& f) { QTest::mouseClick(f.OKBtn, Qt::LeftButton); }),
            QDialog::Accepted);
  EXPECT_EQ(list, kDay);
}

TEST_F(ScheduleEditorWindowTest, OtherEndsWriteNothingMore) {
  struct Case {
    const char* name;
    std::function<void(TScheduleEditorWindow&)> close;
    int result;
  } cases[] = {
      {"中止", [](TScheduleEditorWindow& f) { QTest::mouseClick(f.AbortBtn, Qt::LeftButton); },
       TScheduleEditorWindow::kAbort},
      {"Esc in a box", [](TScheduleEditorWindow&) { Press(Qt::Key_Escape); }, QDialog::Rejected},
      {"Esc in the tree",
       [](TScheduleEditorWindow& f) {
         f.ItemTree->setFocus();
         Press(Qt::Key_Escape);
       },
       QDialog::Rejected},
      {"close box", [](TScheduleEditorWindow& f) { f.close(); }, QDialog::Rejected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    list = kDay;
    dialogs.AnswerYes();
    const int result = Run([&c](TScheduleEditorWindow& f) {
      f.AddItemExecute();  // "first" is written back unchanged, the fields cleared
      f.EditSubject->setText("new");
      f.WriteItemExecute();  // "new" is appended
      f.ItemTree->setFocus();
      f.ItemTree->setCurrentItem(f.ItemTree->topLevelItem(1));
      Press(Qt::Key_Delete);  // "second" goes
      f.EditSubject->setText("typed, not written");
      c.close(f);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(list, (TLineList{kDay[0], kDay[1], "2026,2026,3,4,,,\"new- - 0:0:0- FALSE\""}));
  }
}

TEST_F(ScheduleEditorWindowTest, NewItemSelectsTheDaysFirstItem) {
  Open();
  form->ItemTree->setCurrentItem(form->ItemTree->topLevelItem(1));
  QTest::keyClick(form->EditSubject, Qt::Key_N, Qt::ControlModifier);  // 追加
  EXPECT_EQ(form->EditSubject->text(), "");
  EXPECT_EQ(QApplication::focusWidget(), form->EditSubject);
  EXPECT_EQ(form->Editor().EditIndex(), -1);
  QTest::keyClicks(form->EditSubject, "late");
  form->cbH->setCurrentIndex(17);
  QTest::keyClick(form->EditSubject, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(list[3], "2026,2026,3,4,,,\"late- - 23:0:0- FALSE\"");
  EXPECT_EQ(TreeTexts().size(), 3);
  EXPECT_EQ(SelectedRow(), 0);
  EXPECT_EQ(form->EditSubject->text(), "first");
}

TEST_F(ScheduleEditorWindowTest, DeletingTheOnlyItemThenAgain) {
  list = TLineList{"2026,2026,3,4,,,\"only- here- 10:15:0- TRUE\""};
  Open();
  dialogs.AnswerYes();
  form->ItemTree->setFocus();
  Press(Qt::Key_Delete);
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(form->ItemTree->topLevelItemCount(), 0);
  EXPECT_EQ(form->EditSubject->text(), "");
  EXPECT_EQ(form->EditPlace->text(), "");
  EXPECT_EQ(form->cbH->currentText(), "0");
  EXPECT_FALSE(form->ckAlarm->isChecked());
  QTest::keyClick(form->cbH, Qt::Key_D, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Calls.size(), 2u);
  EXPECT_EQ(dialogs.Calls[0].Text, "この予定を削除します。よろしいですか？");
  EXPECT_EQ(dialogs.Calls[1].Text, "予定はありません。");
}

TEST_F(ScheduleEditorWindowTest, UnwritableTextKeepsTheWindowOpen) {
  const int result = Run([this](TScheduleEditorWindow& f) {
    f.EditSubject->setText("say \"hi\"");
    QTest::mouseClick(f.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_EQ(f.EditSubject->text(), "say \"hi\"");
    f.EditSubject->setText("say hi");
    QTest::mouseClick(f.OKBtn, Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(list[1], "2026,2026,3,4,,,\"say hi- room- 9:30:0- FALSE\"");
}

TEST_F(ScheduleEditorWindowTest, EditingKeysReachTheBoxes) {
  Open();
  form->EditSubject->setFocus();
  form->EditSubject->end(false);
  Press(Qt::Key_A, Qt::ControlModifier);  // selects the text; the item stays as it is
  EXPECT_EQ(form->EditSubject->selectedText(), "first");
  EXPECT_EQ(form->Editor().EditIndex(), 1);
  QApplication::clipboard()->clear();
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "first");
  form->EditPlace->setFocus();
  form->EditPlace->end(false);
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form->EditPlace->text(), "roomfirst");
  EXPECT_EQ(list, kDay);  // nothing written by the keys
}

TEST_F(ScheduleEditorWindowTest, AllDayItemsAreWrittenWithoutATime) {
  const int result = Run([this](TScheduleEditorWindow& f) {
    // "first", 9:30, is shown: Alt+D ticks 終日 from the subject box, and the time rests.
    Press(Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(f.ckAllDay->isChecked());
    EXPECT_FALSE(f.cbH->isEnabled());
    EXPECT_FALSE(f.cbN->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), f.EditSubject);
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(list[1], "2026,2026,3,4,,,\"first- room- - FALSE\"");
    // Shown again from the stored line: ticked; a timed item is not.
    for (int row : {1, 0}) {
      f.ItemTree->setCurrentItem(f.ItemTree->topLevelItem(row));
      EXPECT_EQ(f.ckAllDay->isChecked(), row == 0);
      EXPECT_EQ(f.cbH->isEnabled(), row == 1);
    }
    f.OKBtn->setFocus();
    Press(Qt::Key_Return);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(list, (TLineList{kDay[0], "2026,2026,3,4,,,\"first- room- - FALSE\"", kDay[2]}));
}

TEST_F(ScheduleEditorWindowTest, WidthStepsGoToTheTree) {
  Open();
  const int tree = form->ItemTree->width();
  form->WidthUp->trigger();
  QApplication::processEvents();
  EXPECT_EQ(form->width(), 552);
  EXPECT_EQ(form->RightPanel->width(), 303);
  EXPECT_EQ(form->ItemTree->width(), tree + 40);
  form->WidthDown->trigger();
  form->WidthDown->trigger();
  QApplication::processEvents();
  EXPECT_EQ(form->width(), 472);
  EXPECT_EQ(form->ItemTree->width(), tree - 40);
}

// Each control of 繰り返し as the kind and end use it: e enabled, d disabled (and grey), - hidden.
TEST_F(ScheduleEditorWindowTest, TheRepeatSectionOffersWhatTheKindAndEndUse) {
  Open();  // shown with しない first, as every plain item is
  const TRepeatSection& r = *form->Repeat;
  const auto state = [](const QWidget* w) {
    if (!w->isVisible()) return '-';
    const QPalette p = w->palette();
    const bool grey = p.color(QPalette::Base) == p.color(QPalette::Disabled, QPalette::Base);
    return w->isEnabled() ? (grey ? '?' : 'e') : 'd';
  };
  struct Case {
    TRepeatKind kind;
    TRepeatEnd end;
    const char* expected;  // interval, 日, monthly by, end, until, count, 祝日を除く
  };
  const Case cases[] = {
      {TRepeatKind::None, TRepeatEnd::None, "d--d--d"},
      {TRepeatKind::Weekly, TRepeatEnd::Count, "ee-e-ee"},
      {TRepeatKind::Monthly, TRepeatEnd::Date, "e-eee-e"},
      {TRepeatKind::Daily, TRepeatEnd::None, "e--e--e"},
      {TRepeatKind::Yearly, TRepeatEnd::Count, "e--e-ee"},
      {TRepeatKind::None, TRepeatEnd::Count, "d--d--d"},
  };
  for (const Case& c : cases) {
    r.Kind->setCurrentIndex(static_cast<int>(c.kind));
    r.End->setCurrentIndex(static_cast<int>(c.end));
    std::string got;
    for (const QWidget* w : std::initializer_list<const QWidget*>{
             r.Interval, r.Weekdays[0], r.MonthlyBy, r.End, r.Until, r.Count, r.SkipHolidays})
      got += state(w);
    EXPECT_EQ(got, c.expected) << static_cast<int>(c.kind) << "/" << static_cast<int>(c.end);
  }
}

}  // namespace
}  // namespace moriva
