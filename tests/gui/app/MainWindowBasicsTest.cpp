// The main window on a temporary program folder: start-up, the two calendars kept on one day,
// the week view's text, the editor's commit and undo, the close question, titles.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <filesystem>

#include "app/FormFont.h"
#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/QtDialogs.h"
#include "app/ScheduleEditorWindow.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/Julius.h"
#include "schedule/ScheduleFile.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

class MainWindowBasicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    exeDir_ = fs::path(dir_.path().toStdString());
  }
  std::unique_ptr<TMainWindow> Start(std::optional<std::string> argument = std::nullopt) {
    auto form = std::make_unique<TMainWindow>(dialogs_, exeDir_, argument);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
  }
  void WriteSchedule(const fs::path& path, const std::string& utf8Lines) {
    WriteFileAtomically(path, Utf8ToCp932(utf8Lines));
  }
  std::string Ini() const {
    const fs::path ini = exeDir_ / "hs110.ini";
    return fs::exists(ini) ? ReadFileBytes(ini) : "<none>";
  }
  static std::string Today() {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(TodayJulius(), y, m, d);
    return QStringLiteral("%1/%2")
        .arg(y, 4, 10, QChar(u'0'))
        .arg(m, 2, 10, QChar(u'0'))
        .toStdString();
  }

  QTemporaryDir dir_;
  fs::path exeDir_;
  TFakeDialogs dialogs_;
};

TEST_F(MainWindowBasicsTest, StartUpPutsBothCalendarsOnTodayEvenWithoutADayChange) {
  auto form = Start();
  EXPECT_EQ(form->MonthCalendar->GetJuliusDay(), TodayJulius());
  EXPECT_EQ(form->WeekCalendar->GetJuliusDay(), TodayJulius());
  EXPECT_EQ(form->DatePanel->text().toStdString(), Today());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Moriva"));
  EXPECT_FALSE(form->Modified());
  EXPECT_EQ(form->pos(), QPoint(10, 10));

  // A second window: its month calendar is already on today when start-up moves it there.
  TMainWindow second(dialogs_, exeDir_, std::nullopt);
  second.MonthCalendar->GoToday();
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
  EXPECT_EQ(second.WeekCalendar->GetJuliusDay(), TodayJulius());
  EXPECT_EQ(second.DatePanel->text().toStdString(), Today());
}

TEST_F(MainWindowBasicsTest, EachCalendarFollowsTheOther) {
  auto form = Start();
  form->WeekCalendar->SetDate(2026, 12, 6);
  EXPECT_EQ(form->MonthCalendar->GetJuliusDay(), DateToJulius(2026, 12, 6));
  EXPECT_EQ(form->DatePanel->text(), QStringLiteral("2026/12"));
  form->MonthCalendar->SetDate(2027, 1, 2);
  EXPECT_EQ(form->WeekCalendar->GetJuliusDay(), DateToJulius(2027, 1, 2));
  EXPECT_EQ(form->DatePanel->text(), QStringLiteral("2027/01"));
  form->WeekCalendar->SetDate(2027, 1, 5);  // same month: only the day moves
  EXPECT_EQ(form->MonthCalendar->Day(), 5);
  EXPECT_EQ(form->DatePanel->text(), QStringLiteral("2027/01"));
}

TEST_F(MainWindowBasicsTest, WeekViewTextOfADay) {
  struct Case {
    const char* mainText;
    const char* expected;
  };
  const Case cases[] = {
      {"\"会議- 会議室- 9:30:0- TRUE\",\"昼食- - 12:0:0- FALSE\",元日",
       "1/1(金) 会議 B9:30:0: 昼食: 元日"},
      {"元日", "1/1(金) 元日"},
      {"", "1/1(金) "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mainText);
    EXPECT_EQ(TMainWindow::WeekCellText(QStringLiteral("1/1(金) "), Utf8ToCp932(c.mainText)),
              QString::fromUtf8(c.expected));
  }
}

TEST_F(MainWindowBasicsTest, ArgumentBeatsTheRememberedFileAndTitlesFollowTheFile) {
  WriteSchedule(exeDir_ / "remembered.mrv", "2026,2026,12,6,,,\"a- b- 9:0:0- FALSE\"\r\n");
  WriteSchedule(exeDir_ / "given.mrv", "2026,2026,12,7,,,\"c- d- 10:0:0- TRUE\"\r\n");
  WriteFileAtomically(exeDir_ / "hs110.ini",
                      "[global]\r\nmrvfile=" + (exeDir_ / "remembered.mrv").string() + "\r\n");
  auto form = Start((exeDir_ / "given.mrv").string());
  EXPECT_EQ(form->ScheduleFileName(), exeDir_ / "given.mrv");
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Moriva 【given.mrv】"));
  ASSERT_EQ(form->Schedule.Committed().Count(), 1u);  // the week view has its copy
  EXPECT_EQ(form->Schedule.Committed()[0], form->Schedule.Lines()[0]);

  dialogs_.AnswerFile(exeDir_ / "saved");
  form->SaveSchedule->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Moriva【saved.mrv】"));
  EXPECT_TRUE(fs::exists(exeDir_ / "saved.mrv"));

  dialogs_.AnswerYes();
  form->NewSchedule->trigger();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Moriva"));
  EXPECT_TRUE(form->Modified());
  EXPECT_EQ(form->Schedule.Committed().Count(), 0u);
}

TEST_F(MainWindowBasicsTest, UnreadableStartFileIsReportedAndTheScheduleStartsUntitled) {
  auto form = Start((exeDir_ / "missing.mrv").string());
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("missing.mrv"), std::string::npos);
  EXPECT_EQ(form->ScheduleFileName(), fs::path());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Moriva"));
  EXPECT_EQ(form->WeekCalendar->GetJuliusDay(), TodayJulius());  // the rest of start-up ran
}

TEST_F(MainWindowBasicsTest, CloseQuestionPaths) {
  WriteFileAtomically(exeDir_ / "hs110.ini", "[global]\r\nmrvfile=old.mrv\r\n");
  {
    SCOPED_TRACE("No: closes, remembers nothing");
    auto form = Start();
    dialogs_.AnswerYes();
    form->NewSchedule->trigger();
    dialogs_.AnswerThreeWay(TMsgAnswer::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Ini(), "[global]\r\nmrvfile=old.mrv\r\n");
  }
  {
    SCOPED_TRACE("Cancel (Esc, the close button): stays open, nothing lost or written");
    auto form = Start();
    dialogs_.AnswerYes();
    form->NewSchedule->trigger();
    form->Schedule.Lines().Add("2026,2026,12,7,,,\"c- d- 10:0:0- TRUE\"");
    dialogs_.AnswerThreeWay(TMsgAnswer::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->Schedule.Lines().Count(), 1u);
    EXPECT_EQ(Ini(), "[global]\r\nmrvfile=old.mrv\r\n");
    dialogs_.AnswerThreeWay(TMsgAnswer::No);
    EXPECT_TRUE(form->close());
  }
  {
    SCOPED_TRACE("Yes, then the save dialog cancelled: stays open, remembers empty");
    auto form = Start();
    dialogs_.AnswerYes();
    form->NewSchedule->trigger();
    dialogs_.AnswerThreeWay(TMsgAnswer::Yes);
    dialogs_.CancelFile();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(Ini(), "[global]\r\nmrvfile=\r\n");
  }
  {
    SCOPED_TRACE("Unmodified: closes and remembers the file");
    WriteSchedule(exeDir_ / "x.mrv", "");
    auto form = Start((exeDir_ / "x.mrv").string());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Ini(), "[global]\r\nmrvfile=" + (exeDir_ / "x.mrv").string() + "\r\n");
  }
}

TEST_F(MainWindowBasicsTest, MakeUp) {
  auto form = Start();
  EXPECT_EQ(form->MonthCalendar->width(), 176);
  EXPECT_EQ(form->DatePanel->width(), 133);
  EXPECT_EQ(form->findChild<QToolBar*>()->height(), 39);
  EXPECT_EQ(form->StatusPanels->Panel(0)->width(), 100);
  EXPECT_EQ(form->StatusPanels->Panel(1)->width(), 50);
  QStringList menus;
  for (QAction* a : form->menuBar()->actions()) {
    QStringList entries;
    for (QAction* e : a->menu()->actions()) entries << (e->isSeparator() ? "-" : e->text());
    menus << a->text() + ": " + entries.join(u' ');
  }
  EXPECT_EQ(menus,
            (QStringList{
                "ファイル(&F): 予定編集 - 新規 読込 上書き保存 名前を付けて保存 - CSV読込 CSV出力 "
                "iCalendar 読込 iCalendar 書出 XML出力 - 印刷 PDF 出力 - 終了",
                "編集(&E): 元に戻す やり直し - 検索 次を検索 前を検索",
                "表示(&V): 現行の祝日 旧来の祝日 - 六曜を表示 暦注を表示 和暦を表示 - 週表示: "
                "登録順 (旧来) - "
                "今日へ "
                "日付へ移動",
                "転送(&T): H\"送信 - H\"受信 CalDAV 同期 受信キャンセル",
                "ヘルプ(&H): 設定 バージョン"}));
  EXPECT_TRUE(form->CancelTransfer->isEnabled());  // a cancel is harmless when nothing runs
  EXPECT_FALSE(form->LoadSchedule->icon().isNull());
}

// Menus and message boxes are windows of their own, and a desktop theme may give them a font
// of their own: they too take the form font, one face for Japanese and Latin letters alike.
TEST_F(MainWindowBasicsTest, OneJapaneseFaceForTheWholeWindow) {
  QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 11), "QMenu");  // as a theme might
  UseFormFontThroughout();
  auto form = Start();
  const QString face = QFontInfo(FormFont()).family();
  const QList<QFontDatabase::WritingSystem> scripts = QFontDatabase::writingSystems(face);
  EXPECT_TRUE(scripts.contains(QFontDatabase::Japanese)) << face.toStdString();
  EXPECT_TRUE(scripts.contains(QFontDatabase::Latin)) << face.toStdString();
  QMessageBox box;
  QList<QWidget*> windows{form->menuBar(), &box};
  for (QMenu* menu : form->findChildren<QMenu*>()) windows << menu;  // the calendars' one too
  for (QWidget* w : windows)
    EXPECT_EQ(QFontInfo(w->font()).family().toStdString(), face.toStdString())
        << w->metaObject()->className();
}

TEST_F(MainWindowBasicsTest, EditorOkCommitsAndEveryOtherEndRestoresTheList) {
  WriteSchedule(exeDir_ / "s.mrv", "2026,2026,12,6,,,\"a- b- 9:0:0- FALSE\"\r\n");
  auto form = Start((exeDir_ / "s.mrv").string());
  form->MonthCalendar->SetDate(2026, 12, 6);
  const std::string before = form->Schedule.Lines().Text();

  // Delete the day's only item, then 中止: the list is as it was, Modified untouched.
  dialogs_.DefaultYesNo = true;
  WhenModal([](QWidget* w) {
    if (auto* editor = qobject_cast<TScheduleEditorWindow*>(w)) {
      editor->DeleteItemExecute();
      editor->AbortBtn->click();
    }
  });
  QTest::keyClick(form->MonthCalendar, Qt::Key_Return);  // Enter anywhere opens the editor
  EXPECT_EQ(form->Schedule.Lines().Text(), before);
  EXPECT_FALSE(form->Modified());

  // OK, even with nothing changed: the week view copies the list and the schedule is modified.
  QString caption;
  WhenModal([&caption](QWidget* w) {
    caption = w->windowTitle();
    if (auto* editor = qobject_cast<TScheduleEditorWindow*>(w)) editor->OKBtn->click();
  });
  form->EditSchedule->trigger();
  EXPECT_EQ(caption, QStringLiteral("2026/12/6 の予定"));
  EXPECT_TRUE(form->Modified());
  EXPECT_EQ(form->Schedule.Committed().Text(), form->Schedule.Lines().Text());

  // A double click on a day strip of the week view opens the editor on that day.
  const JuliusDay fourth = form->WeekCalendar->GetWeekStart() + 3;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(fourth, y, m, d);
  caption.clear();
  WhenModal([&caption](QWidget* w) {
    caption = w->windowTitle();
    QTest::keyClick(w, Qt::Key_Escape);
  });
  const QRect client = form->WeekCalendar->contentsRect();
  QTest::mouseDClick(form->WeekCalendar, Qt::LeftButton, Qt::NoModifier,
                     QPoint(client.center().x(), client.top() + client.height() * 7 / 14 + 1));
  EXPECT_EQ(caption, QStringLiteral("%1/%2/%3 の予定").arg(y).arg(m).arg(d));
  EXPECT_EQ(form->MonthCalendar->GetJuliusDay(), fourth);
}

TEST_F(MainWindowBasicsTest, TransfersWithoutSettingsSayWhatIsMissingAndLeaveTheWindowUsable) {
  auto form = Start();
  dialogs_.AnswerYes();  // the send question
  // While a road runs (its message box is up), nothing may re-enter it; only a receive can be
  // cancelled.
  std::vector<std::string> during;
  dialogs_.OnCall = [&](const TFakeDialogs::Call& c) {
    if (c.What != TFakeDialogs::Kind::Message) return;
    during.push_back(std::string(form->ReceiveFromHandset->isEnabled() ? "input " : "") +
                     (form->SaveSchedule->isEnabled() ? "save " : "") +
                     (form->CancelTransfer->isEnabled() ? "cancel" : ""));
  };
  form->SendToHandset->trigger();
  form->ReceiveFromHandset->trigger();
  dialogs_.OnCall = nullptr;
  EXPECT_EQ(during, (std::vector<std::string>{"cancel", "cancel"}));
  EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{"EMail送信の設定をしてください。",
                                                               "EMail受信の設定をしてください。"}));
  EXPECT_EQ(dialogs_.BusyDepth, 0);
  EXPECT_EQ(form->StatusPanels->Panel(2)->text(), QStringLiteral("0 件受信しました。"));
  EXPECT_TRUE(fs::exists(exeDir_ / "outgoing" / "SCHEDULE.CSV"));
  for (QAction* a :
       {form->SendToHandset, form->ReceiveFromHandset, form->NewSchedule, form->Closes})
    EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
  EXPECT_TRUE(form->CancelTransfer->isEnabled());
  EXPECT_FALSE(form->Modified());
}

}  // namespace
}  // namespace moriva
