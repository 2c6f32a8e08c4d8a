// The main window on a temporary program folder with scripted dialogs: the schedule
// editor opened by Enter and a double click, its OK and abort, the help windows, and a save
// that fails while closing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/EnterAdvanceControls.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/ScheduleEditorWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "calendar/Julius.h"
#include "schedule/ScheduleFile.h"
#include "tests/gui/support/QtModal.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

const std::string kItem = "2026,2026,12,7,,,\"Meeting- Room- 9:30:0- TRUE\"";

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    form_.reset();
    fs::remove_all(dir_);
  }

  TMainWindow& Start(std::optional<std::string> arg = std::nullopt) {
    form_ = std::make_unique<TMainWindow>(dialogs_, dir_, std::move(arg));
    form_->show();
    return *form_;
  }
  void WriteSchedule(const fs::path& p, const Lines& lines) {
    SaveScheduleFile(p, TLineList(lines));
  }
  std::string Remembered() const {
    return ReadProfileString("global", "mrvfile", "<none>", dir_ / "hs110.ini");
  }

  fs::path dir_ =
      fs::temp_directory_path() / ("moriva_mainwin_" + std::to_string(getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TFakeDialogs dialogs_;
  std::unique_ptr<TMainWindow> form_;
};

TEST_F(MainWindowTest, TheHelpMenuOpensTheVersionAndSettingsWindows) {
  TMainWindow& f = Start();
  for (QAction* action : {f.Version, f.Setting}) {
    SCOPED_TRACE(action->text().toStdString());
    bool seen = false;
    WhenModal([&](QWidget* w) {
      seen = w->window() != &f;
      w->close();
    });
    action->trigger();
    EXPECT_TRUE(seen);
  }
  EXPECT_TRUE(dialogs_.MessageTexts().empty());
}

TEST_F(MainWindowTest, TheRealEditorWritesOnOkAndIsUndoneOnAbort) {
  TMainWindow& f = Start();
  f.SyncDate(2026, 12, 9);
  struct Case {
    const char* name;
    bool ok;
  } cases[] = {{"中止", false}, {"OK", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WhenModal([&](QWidget* w) {
      auto* form = qobject_cast<TScheduleEditorWindow*>(w);
      ASSERT_NE(form, nullptr);
      form->EditSubject->setText(QStringLiteral("歯医者"));
      form->WriteItemExecute();  // in the master list while the editor is open
      EXPECT_EQ(f.Schedule.Lines().Count(), 1u);
      QTest::mouseClick(c.ok ? form->OKBtn : form->AbortBtn, Qt::LeftButton);
    });
    QTest::keyClick(f.MonthCalendar, Qt::Key_Return);
    const size_t expected = c.ok ? 1 : 0;
    EXPECT_EQ(f.Schedule.Lines().Count(), expected);
    EXPECT_EQ(f.Schedule.Committed().Count(), expected);
    EXPECT_EQ(f.Modified(), c.ok);
  }
  EXPECT_NE(f.Schedule.Lines()[0].find("2026,2026,12,9,,,"), std::string::npos);
  EXPECT_NE(f.Schedule.Lines()[0].find(Utf8ToCp932("歯医者")), std::string::npos);
}

TEST_F(MainWindowTest, EnterAnywhereAndADoubleClickOnTheWeekOpenTheEditor) {
  TMainWindow& f = Start();
  int runs = 0;
  // Each opening is seen as a modal editor window, closed again with 中止.
  auto expectEditor = [&] {
    WhenModal([&](QWidget* w) {
      if (auto* form = qobject_cast<TScheduleEditorWindow*>(w)) {
        ++runs;
        QTest::mouseClick(form->AbortBtn, Qt::LeftButton);
      } else {
        w->close();
      }
    });
  };
  f.MonthCalendar->setFocus();
  expectEditor();
  QTest::keyClick(f.MonthCalendar, Qt::Key_Return);
  EXPECT_EQ(runs, 1);
  expectEditor();
  QTest::keyClick(f.WeekCalendar, Qt::Key_Enter);
  EXPECT_EQ(runs, 2);
  expectEditor();
  QTest::mouseDClick(f.WeekCalendar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
  EXPECT_EQ(runs, 3);
  EXPECT_FALSE(f.Modified());
}

TEST_F(MainWindowTest, ASaveThatFailsWhileClosingKeepsTheWindowOpen) {
  WriteSchedule(dir_ / "a.mrv", {kItem});
  TMainWindow& f = Start((dir_ / "a.mrv").string());
  fs::remove(dir_ / "a.mrv");
  fs::create_directories(dir_ / "a.mrv");  // the name is now a folder: the write must fail
  f.Document().Modified = true;
  dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("を作成できません"), std::string::npos);

  // Saved elsewhere through 保存, the window closes without a question.
  fs::remove(dir_ / "a.mrv");
  dialogs_.AnswerFile(dir_ / "b");
  f.SaveSchedule->trigger();
  EXPECT_EQ(f.windowTitle().toStdString(), "Moriva【b.mrv】");
  EXPECT_TRUE(f.close());
  EXPECT_EQ(Remembered(), (dir_ / "b.mrv").string());
  EXPECT_EQ(ReadFileBytes(dir_ / "b.mrv"), kItem + "\r\n");
}

// A schedule with thousands of lines the calendar cannot read opens with one error box that
// names the first of them; the lines stay in the schedule, and a later change of the list
// that brings no new faulty lines says nothing again.
TEST_F(MainWindowTest, UnreadableLinesAreReportedOnceInOneBox) {
  Lines lines;
  for (int i = 0; i < 5000; ++i) {
    lines.push_back(kItem);
    lines.push_back("2026,2026,x" + std::to_string(i) + ",7,,,\"Bad- - 9:0:0- TRUE\"");
  }
  WriteSchedule(dir_ / "big.mrv", lines);
  TMainWindow& f = Start((dir_ / "big.mrv").string());
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  const std::string text = dialogs_.MessageTexts()[0];
  EXPECT_TRUE(text.starts_with("'2026,2026,x0,7,,,\"Bad- - 9:0:0- TRUE\"' は整数ではありません"))
      << text;
  EXPECT_TRUE(text.ends_with("ほかに読み取れない行が 4997 行あります。")) << text;
  EXPECT_EQ(f.Schedule.Lines().Count(), lines.size());

  f.Schedule.Lines().Add(kItem);
  EXPECT_EQ(dialogs_.MessageTexts().size(), 1u);
}

}  // namespace
