// 元に戻す and やり直し by keyboard: an editor session closed with OK taken back with Ctrl+Z and
// done again with Ctrl+Y, the menu naming the step, Modified following the saved state.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/EditMenu.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/ScheduleEditorWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

// The main window back in front with the month calendar focused, as after a dialog closes.
void Focus(TMainWindow& form) {
  form.activateWindow();
  form.MonthCalendar->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == form.MonthCalendar; }));
}

TEST(UndoRedoTest, CtrlZAndCtrlYFollowTheEditor) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.path().toStdString() + "/s.mrv";
  const std::string item = Utf8ToCp932(R"(2026,2026,12,6,,,"会議- 本社- 9:0:0- FALSE)") + "\"";
  WriteFileAtomically(file, item + "\r\n");
  TFakeDialogs dialogs;
  dialogs.DefaultYesNo = true;  // the editor's delete question
  TMainWindow form(dialogs, std::filesystem::path(dir.path().toStdString()), file.string());
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.SyncDate(2026, 12, 6);
  QAction& undo = *form.EditMenu->Undo;
  QAction& redo = *form.EditMenu->Redo;
  EXPECT_FALSE(undo.isEnabled());

  // The day's only item deleted in the editor, closed with OK.
  WhenModal([](QWidget* w) {
    if (auto* editor = qobject_cast<TScheduleEditorWindow*>(w)) {
      editor->DeleteItemExecute();
      editor->OKBtn->click();
    }
  });
  form.MonthCalendar->setFocus();
  Press(Qt::Key_Return);
  ASSERT_TRUE(form.Schedule.Lines().Empty());
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(undo.text(), QStringLiteral("元に戻す (予定編集)"));

  const struct {
    Qt::Key key;
    bool empty, modified, canUndo, canRedo;
  } keys[] = {
      {Qt::Key_Z, false, false, false, true},  // back at the file's content
      {Qt::Key_Y, true, true, true, false},
      {Qt::Key_Z, false, false, false, true},
  };
  for (const auto& k : keys) {
    SCOPED_TRACE(k.key == Qt::Key_Z ? "Ctrl+Z" : "Ctrl+Y");
    Focus(form);
    Press(k.key, Qt::ControlModifier);
    EXPECT_EQ(form.Schedule.Lines().Empty(), k.empty);
    EXPECT_EQ(form.Schedule.Committed().Lines(), form.Schedule.Lines().Lines());
    EXPECT_EQ(form.Modified(), k.modified);
    EXPECT_EQ(undo.isEnabled(), k.canUndo);
    EXPECT_EQ(redo.isEnabled(), k.canRedo);
  }
  EXPECT_EQ(redo.text(), QStringLiteral("やり直し (予定編集)"));
}

}  // namespace
}  // namespace moriva
