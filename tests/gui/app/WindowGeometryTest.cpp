// The main window grows: both calendars, their cells and fonts follow its size, the designed
// size is the smallest; its place is remembered and comes back inside the screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/WeeklyCalendar.h"
#include "base/FileIO.h"
#include "settings/WindowPlacement.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;

namespace moriva {
namespace {

TEST(WindowGeometryTest, CalendarsGrowWithTheWindowAndThePlaceComesBackOnScreen) {
  QTemporaryDir dir;
  const fs::path folder(dir.path().toStdString());
  // Saved on a monitor far to the right that is no longer there.
  WriteFileAtomically(folder / "hs110.ini",
                      "[window]\r\nleft=5000\r\ntop=-400\r\nwidth=700\r\nheight=400\r\n");
  TFakeDialogs dialogs;
  auto form = std::make_unique<TMainWindow>(dialogs, folder, std::nullopt);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(form->frameGeometry())) << screen.width();
  EXPECT_EQ(form->size(), QSize(700, 400));

  // The height the calendars have at the designed size (the bars above and below keep theirs).
  const int designedArea = 300 - (form->height() - form->centralWidget()->height());
  const int a = designedArea;
  const struct {
    QSize asked, got;
    int monthWidth, weekdayFont, rokuyoFont;
  } cases[] = {
      {{1148, 300 + 2 * a}, {1148, 300 + 2 * a}, 352, 24, 26},  // twice as wide, thrice as high
      {{1722, 300 + a}, {1722, 300 + a}, 528, 24, 26},          // thrice as wide, twice as high
      {{861, 900}, {861, 900}, 264, 18, 20},                    // half as wide again
      {{400, 200}, {574, 300}, 176, 12, 13},                    // never below the designed size
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.monthWidth * 100 + c.weekdayFont);
    form->resize(c.asked);
    QApplication::processEvents();
    EXPECT_EQ(form->size(), c.got);
    EXPECT_EQ(form->MonthCalendar->width(), c.monthWidth);
    EXPECT_EQ(form->WeekCalendar->width(), c.got.width() - c.monthWidth);
    for (TCalendarView* view : {static_cast<TCalendarView*>(form->MonthCalendar),
                                static_cast<TCalendarView*>(form->WeekCalendar)}) {
      EXPECT_EQ(view->Fonts().Weekday().Font().pixelSize(), c.weekdayFont);
      EXPECT_EQ(view->Fonts().Rokuyo().Font().pixelSize(), c.rokuyoFont);
    }
  }

  form->resize(640, 480);
  form->move(screen.topLeft() + QPoint(30, 20));
  ASSERT_TRUE(form->close());
  const auto kept = ReadWindowPlacement(folder / "hs110.ini");
  ASSERT_TRUE(kept);
  EXPECT_EQ(QRect(kept->Rect.Left, kept->Rect.Top, kept->Rect.Width, kept->Rect.Height),
            QRect(form->pos(), QSize(640, 480)));

  form = std::make_unique<TMainWindow>(dialogs, folder, std::nullopt);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(form->pos(), screen.topLeft() + QPoint(30, 20));
  EXPECT_EQ(form->size(), QSize(640, 480));
  form->Document().Modified = false;
}

}  // namespace
}  // namespace moriva
