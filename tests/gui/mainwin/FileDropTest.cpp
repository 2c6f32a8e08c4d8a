// Files dropped on the main window: a schedule opens as 読込 opens one (the close question
// first), CSV and iCalendar files merge as the menu's imports do, anything else is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "schedule/ScheduleFile.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;
using namespace moriva;
using Lines = std::vector<std::string>;
using Kind = TFakeDialogs::Kind;

namespace {

// Drags the files from outside onto the week view and drops them there, as a file manager
// would; the window's own parents take the drop. Returns whether the drag was taken.
bool DropOn(QWidget& target, const std::vector<fs::path>& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const fs::path& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
  data.setUrls(urls);
  const QPoint at = target.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  QApplication::processEvents();  // the files are opened after the drop has returned
  return drop.isAccepted();
}

TEST(FileDropTest, SchedulesOpenImportsMergeAndOtherFilesAreRefused) {
  const fs::path dir = fs::temp_directory_path() / ("moriva_drop_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.mrv");
  const std::string planned = "2026,2026,12,7,,,\"Plan- - 9:0:0- FALSE\"";
  SaveScheduleFile(dir / "plan.MRV", TLineList(Lines{planned}));
  SaveScheduleFile(dir / "other.mrv", TLineList(Lines{"2026,2026,12,8,,,Other"}));
  WriteFileAtomically(dir / "in.csv", Utf8ToCp932("件名,開始日,開始時刻,アラーム\r\n") +
                                          "Dentist,2026/12/9,10:00,false\r\n");
  WriteFileAtomically(dir / "in.ics",
                      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\nBEGIN:VEVENT\r\n"
                      "UID:r@t\r\nDTSTAMP:20261201T000000Z\r\nDTSTART;VALUE=DATE:20261210\r\n"
                      "SUMMARY:Review\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  TFakeDialogs dialogs;
  {
    TMainWindow form(dialogs, dir, std::nullopt);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto list = [&form] {
      const TLineList& l = form.Document().List();
      return Lines(l.begin(), l.end());
    };

    EXPECT_FALSE(DropOn(*form.WeekCalendar, {dir / "notes.txt", dir / "folder.mrv"}));

    // Unmodified: opened at once, in any letter case of the extension.
    EXPECT_TRUE(DropOn(*form.WeekCalendar, {dir / "notes.txt", dir / "plan.MRV"}));
    EXPECT_EQ(form.ScheduleFileName(), dir / "plan.MRV");
    EXPECT_EQ(list(), Lines{planned});
    EXPECT_TRUE(dialogs.Calls.empty());

    // Modified: the close question first; Cancel keeps everything.
    form.Document().Modified = true;
    dialogs.AnswerThreeWay(TMsgAnswer::Cancel);
    EXPECT_TRUE(DropOn(*form.WeekCalendar, {dir / "other.mrv"}));
    EXPECT_EQ(dialogs.CallsOf(Kind::AskYesNoCancel).size(), 1u);
    EXPECT_EQ(form.ScheduleFileName(), dir / "plan.MRV");
    EXPECT_EQ(list(), Lines{planned});

    // Both imports ask the menu's question (No by default), choose no file and merge.
    form.Document().Modified = false;
    dialogs.AnswerYes();
    dialogs.AnswerYes();
    EXPECT_TRUE(DropOn(*form.WeekCalendar, {dir / "in.csv", dir / "in.ics"}));
    EXPECT_EQ(dialogs.CallsOf(Kind::AskYesNo).size(), 2u);
    EXPECT_EQ(dialogs.CallsOf(Kind::AskYesNo).at(1).Default, TMsgDefault::No);
    EXPECT_TRUE(dialogs.CallsOf(Kind::OpenFile).empty());
    ASSERT_EQ(list().size(), 3u);
    EXPECT_EQ(list()[1], "2026,2026,12,9,,,\"Dentist- - 10:00- FALSE\"");
    EXPECT_NE(list()[2].find("Review"), std::string::npos);
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(dialogs.MessageTexts().size(), 2u);  // the two completion messages

    // While the file actions are off (a transfer runs), nothing is taken.
    form.LoadSchedule->setEnabled(false);
    EXPECT_FALSE(DropOn(*form.WeekCalendar, {dir / "other.mrv"}));
    form.LoadSchedule->setEnabled(true);
    form.Document().Modified = false;
  }
  fs::remove_all(dir);
}

}  // namespace
