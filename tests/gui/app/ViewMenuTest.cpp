// The 表示 menu: the holiday rule set, the rokuyo, the era and the week list's layout, the
// calendars following, the settings remembered in hs110.ini; and rokuyo names that fit the
// month view's cells.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/ViewMenu.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/IniFile.h"
#include "calendar/OldCalendar.h"
#include "tests/gui/app/SettingsDirWindowTest.h"

namespace moriva {
namespace {

class ViewMenuTest : public SettingsDirWindowTest {
 protected:
  // What both calendars call 22 September 2026 (a day between two holidays in today's law).
  static std::string Names(const TMainWindow& form) {
    const std::string mc = Cp932ToUtf8(form.MonthCalendar->GetDayText(2026, 9, 22));
    EXPECT_EQ(Cp932ToUtf8(form.WeekCalendar->GetDayText(2026, 9, 22)), mc);
    return mc;
  }
};

TEST_F(ViewMenuTest, RuleSetAndRokuyoAreChosenAndRemembered) {
  const struct {
    const char* stored;  // [calendar] holidays=, nullptr for none
    bool classic;
  } cases[] = {{nullptr, false}, {"classic", true}, {"current", false}, {"Classic", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "none");
    std::filesystem::remove(Ini());
    if (c.stored) WriteProfileString("calendar", "holidays", c.stored, Ini());
    auto form = Start();
    EXPECT_EQ(form->ViewMenu->HolidaysClassic->isChecked(), c.classic);
    EXPECT_EQ(form->ViewMenu->HolidaysCurrent->isChecked(), !c.classic);
    EXPECT_EQ(Names(*form), c.classic ? "" : "国民の休日");
    EXPECT_FALSE(form->MonthCalendar->ShowRokuyo());
  }

  std::filesystem::remove(Ini());
  {
    auto form = Start();
    form->ViewMenu->HolidaysClassic->trigger();
    EXPECT_EQ(Names(*form), "");
    EXPECT_EQ(Cp932ToUtf8(form->WeekCalendar->GetDayText(2026, 12, 23)), "天皇誕生日");
    form->ViewMenu->ShowRokuyo->trigger();
    EXPECT_TRUE(form->MonthCalendar->ShowRokuyo());
  }
  EXPECT_EQ(ReadFileBytes(Ini()), "[calendar]\r\nholidays=classic\r\nrokuyo=true\r\n");
  auto form = Start();
  EXPECT_TRUE(form->ViewMenu->HolidaysClassic->isChecked());
  EXPECT_TRUE(form->ViewMenu->ShowRokuyo->isChecked());
  EXPECT_TRUE(form->MonthCalendar->ShowRokuyo());
  form->ViewMenu->HolidaysCurrent->trigger();
  form->ViewMenu->ShowRokuyo->trigger();
  EXPECT_EQ(Names(*form), "国民の休日");
  EXPECT_EQ(ReadFileBytes(Ini()), "[calendar]\r\nholidays=current\r\nrokuyo=false\r\n");
}

// 和暦を表示 adds the month's era year(s) under the western month, remembered across starts.
TEST_F(ViewMenuTest, EraYearInTheDatePanel) {
  {
    auto form = Start();
    EXPECT_FALSE(form->ViewMenu->ShowEra->isChecked());
    form->SyncDate(1989, 1, 10);
    EXPECT_EQ(form->DatePanel->text(), QStringLiteral("1989/01"));
    form->ViewMenu->ShowEra->trigger();
    EXPECT_EQ(form->DatePanel->text(), QStringLiteral("1989/01\n昭和64年/平成元年"));
    form->SyncDate(2026, 12, 1);
    EXPECT_EQ(form->DatePanel->text(), QStringLiteral("2026/12\n令和8年"));
    const QFontMetrics metrics(form->DatePanel->font());
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("昭和64年/平成元年")), 133);
    EXPECT_LE(2 * metrics.height(), form->DatePanel->height());
  }
  EXPECT_EQ(ReadProfileString("calendar", "era", "", Ini()), "true");
  auto form = Start();
  EXPECT_TRUE(form->ViewMenu->ShowEra->isChecked());
  form->SyncDate(1867, 12, 1);  // before the first era: the western month alone
  EXPECT_EQ(form->DatePanel->text(), QStringLiteral("1867/12"));
}

// 週表示: 登録順 (旧来) brings back the week list as it was, remembered across starts; without
// the setting the week list reads by time.
TEST_F(ViewMenuTest, OldWeekListIsChosenAndRemembered) {
  {
    auto form = Start();
    EXPECT_FALSE(form->ViewMenu->OldWeekList->isChecked());
    EXPECT_EQ(form->WeekCalendar->Layout(), TWeekListLayout::ByTime);
    form->ViewMenu->OldWeekList->trigger();
    EXPECT_EQ(form->WeekCalendar->Layout(), TWeekListLayout::AsEntered);
  }
  EXPECT_EQ(ReadProfileString("calendar", "oldweeklist", "", Ini()), "true");
  auto form = Start();
  EXPECT_TRUE(form->ViewMenu->OldWeekList->isChecked());
  EXPECT_EQ(form->WeekCalendar->Layout(), TWeekListLayout::AsEntered);
  form->ViewMenu->OldWeekList->trigger();
  EXPECT_EQ(form->WeekCalendar->Layout(), TWeekListLayout::ByTime);
  EXPECT_EQ(ReadProfileString("calendar", "oldweeklist", "", Ini()), "false");
}

// At the window's default size every rokuyo name fits the narrowest day cell.
TEST_F(ViewMenuTest, RokuyoNamesFitTheirCells) {
  auto form = Start();
  int narrowest = form->MonthCalendar->ClientWidth();
  for (int col = 0; col < 7; ++col)
    narrowest = std::min(narrowest, form->MonthCalendar->CellRect(col, 1).width());
  ASSERT_LT(narrowest, 30);
  const QFontMetrics full(form->MonthCalendar->Fonts().Rokuyo().Font());
  const QFontMetrics drawn(form->MonthCalendar->RokuyoFontFor(narrowest));
  int widestFull = 0;
  for (int r = 1; r <= 6; ++r) {
    const QString name = QString::fromStdU16String(Cp932ToUtf16(RokuyoNames[r]));
    widestFull = std::max(widestFull, full.horizontalAdvance(name));
    EXPECT_LE(drawn.horizontalAdvance(name), narrowest - 2) << r;
  }
  EXPECT_GT(widestFull, narrowest - 2);  // the font as set would not have fitted
  // A wide cell keeps the font as it is.
  EXPECT_EQ(form->MonthCalendar->RokuyoFontFor(200), form->MonthCalendar->Fonts().Rokuyo().Font());
}

}  // namespace
}  // namespace moriva
