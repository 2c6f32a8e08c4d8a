// The main window used with the keyboard alone, as a user without a mouse would: arrows choose
// the day, Enter opens the schedule editor, keys fill it in and Enter walks through its fields
// to OK. Every key goes to whichever widget has the focus, so a focus in the wrong place fails.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <functional>

#include "app/EnterAdvanceControls.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/ScheduleEditorWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "schedule/ScheduleFile.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

using Lines = std::vector<std::string>;

const std::string kOtherDay = "2026,2026,12,14,,,\"other- day- 9:0:0- FALSE\"";
const std::string kMeeting = "2026,2026,12,7,,,\"Meeting- Room- 9:30:0- TRUE\"";
const std::string kLunch = "2026,2026,12,7,,,\"Lunch- - 12:0:0- FALSE\"";

// The week of 2026/12/7 starts on Sunday 12/6: the rows of the days the tests use.
constexpr int kMondayRow = 1;     // 12/7
constexpr int kWednesdayRow = 3;  // 12/9

class KeyboardOnlyTest : public ::testing::Test {
 protected:
  void TearDown() override { form_.reset(); }

  // The window on `lines`, on Monday 2026/12/7, with the month calendar focused.
  TMainWindow& Start(const Lines& lines) {
    form_.reset();
    const std::filesystem::path file = dir_.Path() / "s.mrv";
    SaveScheduleFile(file, TLineList(lines));
    form_ = std::make_unique<TMainWindow>(dialogs_, dir_.Path(), file.string());
    TMainWindow& f = *form_;
    f.show();
    f.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
    f.SyncDate(2026, 12, 7);
    f.MonthCalendar->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), f.MonthCalendar);
    return f;
  }

  // Presses Enter in the main window; `keys` drives the editor that should open. Returns the
  // editor's caption, or nothing when no editor came. An editor the keys left open is closed
  // with a failure, so that a lost key fails the test instead of hanging it.
  std::optional<QString> EnterAndDrive(std::function<void(TScheduleEditorWindow&)> keys) {
    std::optional<QString> caption;
    WhenModal([&](QWidget* w) {
      auto* editor = qobject_cast<TScheduleEditorWindow*>(w);
      if (!editor) {
        w->close();
        return;
      }
      caption = editor->windowTitle();
      keys(*editor);
      if (editor->isVisible()) {
        ADD_FAILURE() << "the keys did not close the editor";
        editor->done(TScheduleEditorWindow::kAbort);
      }
    });
    Press(Qt::Key_Return);
    return caption;
  }

  static Lines Master(TMainWindow& f) {
    return Lines(f.Schedule.Lines().begin(), f.Schedule.Lines().end());
  }
  static QWidget* Focus() { return QApplication::focusWidget(); }
  // What the week list shows in a row, its pieces joined by " | ".
  QString Painted(int row) const {
    QStringList pieces;
    for (const TStripPiece& p : form_->WeekCalendar->Strip(row).Pieces) pieces << p.Text.trimmed();
    return pieces.join(QStringLiteral(" | "));
  }

  oracle::TempDir dir_;
  TFakeDialogs dialogs_;
  std::unique_ptr<TMainWindow> form_;
};

TEST_F(KeyboardOnlyTest, EnterOnADayTypeAndEnterThroughTheFieldsAddsAnItem) {
  TMainWindow& f = Start({kOtherDay});
  Press(Qt::Key_Right);
  Press(Qt::Key_Right);
  ASSERT_EQ(f.MonthCalendar->Day(), 9);

  const auto caption = EnterAndDrive([](TScheduleEditorWindow& e) {
    EXPECT_EQ(Focus(), e.EditSubject);
    Type(QStringLiteral("Team "));
    Commit(QStringLiteral("会議"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), e.EditPlace);
    Commit(QStringLiteral("本社"));
    Type(QStringLiteral(" 3F"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), e.cbH);
    for (int i = 0; i < 3; ++i) Press(Qt::Key_Down);  // 0, 7, 8, 9
    Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), e.cbN);
    for (int i = 0; i < 6; ++i) Press(Qt::Key_Down);  // 0, 5, ... 30
    Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), e.OKBtn);
    Press(Qt::Key_Return);
  });
  EXPECT_EQ(caption, QStringLiteral("2026/12/9 の予定"));

  const std::string added = Utf8ToCp932("2026,2026,12,9,,,\"Team 会議- 本社 3F- 9:30:0- FALSE\"");
  EXPECT_EQ(Master(f), (Lines{kOtherDay, added}));
  EXPECT_EQ(f.Schedule.Committed(), f.Schedule.Lines());
  EXPECT_TRUE(f.Modified());
  EXPECT_EQ(Painted(kWednesdayRow), QStringLiteral("12/9(水) | 09:30 Team 会議 @本社 3F"));
  for (int row = 0; row < 7; ++row)
    EXPECT_EQ(Painted(row).contains(QStringLiteral("会議")), row == kWednesdayRow) << row;
}

TEST_F(KeyboardOnlyTest, ChangeOneItemAndDeleteAnotherThenEnterOnOk) {
  TMainWindow& f = Start({kOtherDay, kMeeting, kLunch});
  dialogs_.AnswerYes();  // the delete question

  EnterAndDrive([](TScheduleEditorWindow& e) {
    EXPECT_EQ(e.EditSubject->text(), QStringLiteral("Meeting"));  // the day's first item
    ASSERT_EQ(Focus(), e.EditSubject);
    Press(Qt::Key_A, Qt::ControlModifier);  // the whole subject, typed over
    Commit(QStringLiteral("定例会議"));
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    ASSERT_EQ(Focus(), e.cbH);
    Press(Qt::Key_Down);                    // hour 9 → 10
    Press(Qt::Key_S, Qt::ControlModifier);  // 書込

    for (int i = 0; i < 4; ++i) Press(Qt::Key_Tab);  // minute, OK, 中止, the tree
    ASSERT_EQ(Focus(), e.ItemTree);
    Press(Qt::Key_Down);
    EXPECT_EQ(e.EditSubject->text(), QStringLiteral("Lunch"));
    Press(Qt::Key_Delete);
    EXPECT_EQ(e.ItemTree->topLevelItemCount(), 1);

    Press(Qt::Key_Tab);  // round to the subject, then on with Enter
    for (int i = 0; i < 4; ++i) Press(Qt::Key_Return);
    EXPECT_EQ(Focus(), e.OKBtn);
    Press(Qt::Key_Return);
  });

  EXPECT_EQ(dialogs_.QuestionTexts(), Lines{"この予定を削除します。よろしいですか？"});
  EXPECT_EQ(Master(f),
            (Lines{kOtherDay, Utf8ToCp932("2026,2026,12,7,,,\"定例会議- Room- 10:30:0- TRUE\"")}));
  EXPECT_EQ(f.Schedule.Committed(), f.Schedule.Lines());
  EXPECT_TRUE(f.Modified());
  EXPECT_EQ(Painted(kMondayRow), QStringLiteral("12/7(月) | 10:30 定例会議 @Room"));
}

TEST_F(KeyboardOnlyTest, EscAfterAddsAndDeletesLeavesTheListByteIdentical) {
  struct Case {
    const char* where;
    int tabsBeforeEsc;  // from the tree: 0 stays there, 1 goes round to the subject
  } cases[] = {{"in the tree", 0}, {"in a field", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    TMainWindow& f = Start({kOtherDay, kMeeting, kLunch});
    const std::string before = f.Schedule.Lines().Text();
    dialogs_.AnswerYes();

    EnterAndDrive([&](TScheduleEditorWindow& e) {
      Press(Qt::Key_N, Qt::ControlModifier);  // 追加: a new item in the subject box
      ASSERT_EQ(Focus(), e.EditSubject);
      Commit(QStringLiteral("仮の予定"));
      Press(Qt::Key_S, Qt::ControlModifier);
      for (int i = 0; i < 6; ++i) Press(Qt::Key_Tab);  // place, hour, minute, OK, 中止
      ASSERT_EQ(Focus(), e.ItemTree);
      Press(Qt::Key_Delete);  // the selected first item goes
      EXPECT_EQ(f.Schedule.Lines().Count(), 3u);
      EXPECT_NE(f.Schedule.Lines().Text(), before);
      for (int i = 0; i < c.tabsBeforeEsc; ++i) Press(Qt::Key_Tab);
      Press(Qt::Key_Escape);
    });

    EXPECT_EQ(f.Schedule.Lines().Text(), before);
    EXPECT_EQ(f.Schedule.Committed().Text(), before);
    EXPECT_FALSE(f.Modified());
    EXPECT_EQ(Painted(kMondayRow), QStringLiteral("12/7(月) | 09:30 Meeting @Room | 12:00 Lunch"));
  }
}

TEST_F(KeyboardOnlyTest, EnterInTheMenusIsTheMenusAndLoadingAsksFirst) {
  // Under LANG=C the weekday names stay Japanese.
  const QLocale before;
  QLocale::setDefault(QLocale::c());
  TMainWindow& f = Start({kMeeting});
  QLocale::setDefault(before);
  EXPECT_EQ(Painted(kMondayRow), QStringLiteral("12/7(月) | 09:30 Meeting @Room"));

  f.Document().Modified = true;
  dialogs_.AnswerThreeWay(TMsgAnswer::Cancel);
  bool editorOpened = false;
  WhenModal(
      [&](QWidget* w) {
        editorOpened = qobject_cast<TScheduleEditorWindow*>(w) != nullptr;
        w->close();
      },
      1000);
  Press(Qt::Key_Alt, Qt::AltModifier);  // the menu bar, walked by keyboard
  EXPECT_EQ(Focus(), f.menuBar());
  Press(Qt::Key_Return);  // opens ファイル: 予定編集 is its first entry
  QWidget* menu = QApplication::activePopupWidget();
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_Down);  // 新規
  QTest::keyClick(menu, Qt::Key_Down);  // 読込
  QTest::keyClick(menu, Qt::Key_Return);
  QTest::qWait(1100);
  EXPECT_FALSE(editorOpened);
  EXPECT_EQ(dialogs_.QuestionTexts(), Lines{"データを保存しますか？"});
  EXPECT_TRUE(f.Modified());  // Cancel kept everything
  EXPECT_EQ(Master(f), Lines{kMeeting});
}

// Ctrl+S writes the open file as it stands, with no dialog and no question; Ctrl+Shift+S is
// the dialog of 名前を付けて保存.
TEST_F(KeyboardOnlyTest, CtrlSWritesTheOpenFileWithoutADialog) {
  TMainWindow& f = Start({kMeeting});
  f.Schedule.Lines().Add(kLunch);
  f.Document().ListEdited();
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(dialogs_.Calls.empty());
  EXPECT_FALSE(f.Modified());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Moriva【s.mrv】"));
  TLineList saved;
  LoadScheduleFile(dir_.Path() / "s.mrv", saved);
  EXPECT_EQ(Lines(saved.begin(), saved.end()), (Lines{kMeeting, kLunch}));

  dialogs_.CancelFile();
  Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialogs_.CallsOf(TFakeDialogs::Kind::SaveFile).size(), 1u);
}

// The wheel turns the month calendar by months and the week list by weeks (a touchpad's small
// movements add up to a notch); a double click on a day of the month calendar opens the editor
// on that day; Ctrl+T comes back to today.
TEST_F(KeyboardOnlyTest, WheelDoubleClickAndCtrlTMoveWhereTheyPoint) {
  TMainWindow& f = Start({kMeeting});
  auto turn = [](QWidget* w, int angle) {
    QWheelEvent e(QPointF(20, 20), w->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, angle),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  };
  turn(f.MonthCalendar, -120);  // towards the user: later
  EXPECT_EQ(f.MonthCalendar->GetJuliusDay(), DateToJulius(2027, 1, 7));
  EXPECT_EQ(f.WeekCalendar->GetJuliusDay(), DateToJulius(2027, 1, 7));
  turn(f.MonthCalendar, 240);
  EXPECT_EQ(f.MonthCalendar->GetJuliusDay(), DateToJulius(2026, 11, 7));
  for (int i = 0; i < 4; ++i) turn(f.WeekCalendar, -30);
  EXPECT_EQ(f.WeekCalendar->GetJuliusDay(), DateToJulius(2026, 11, 14));

  f.SyncDate(2026, 12, 7);
  std::optional<QString> caption;
  WhenModal([&](QWidget* w) {
    if (auto* editor = qobject_cast<TScheduleEditorWindow*>(w)) caption = editor->windowTitle();
    w->close();
  });
  const QRect cell = f.MonthCalendar->CellRect(3, 3);  // Wednesday 12/16 in December 2026
  QTest::mouseDClick(f.MonthCalendar, Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(f.MonthCalendar->GetJuliusDay(), DateToJulius(2026, 12, 16));
  ASSERT_TRUE(caption.has_value());

  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  f.MonthCalendar->setFocus();
  Press(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(f.MonthCalendar->GetJuliusDay(), TodayJulius());
}

}  // namespace
}  // namespace moriva
