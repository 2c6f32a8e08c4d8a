// 暦注を表示 and 六曜を表示 in the window: the names in the month cells (fitted to the cells in a
// crowded month), after the day's text in the week list, in the date panel's tooltip; the switch
// remembered in hs110.ini.
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
#include "base/IniFile.h"
#include "tests/gui/app/SettingsDirWindowTest.h"

namespace moriva {
namespace {

class AlmanacViewTest : public SettingsDirWindowTest {
 protected:
  // The month cell's strip of a day of December 2026 (the view's second week row is 6-12).
  static QString Strip(const TMainWindow& form, uint8_t day) {
    const TMonthlyCalendar& mc = *form.MonthCalendar;
    return mc.StripFor(DateToJulius(2026, 12, day), mc.CellRect(0, 1).width()).Text;
  }
};

TEST_F(AlmanacViewTest, NamesInBothCalendarsAndTheDatePanel) {
  const JuliusDay solstice = DateToJulius(2026, 12, 22);
  {
    auto form = Start();
    form->SyncDate(2026, 12, 22);
    EXPECT_FALSE(form->ViewMenu->ShowSeasonalDays->isChecked());
    EXPECT_EQ(Strip(*form, 22), QString());
    EXPECT_EQ(form->DatePanel->toolTip(), QString());
    const QImage monthOff = form->MonthCalendar->Image().copy();
    const QImage weekOff = form->WeekCalendar->Image().copy();

    form->ViewMenu->ShowRokuyo->trigger();
    form->ViewMenu->ShowSeasonalDays->trigger();
    EXPECT_EQ(Strip(*form, 20), QStringLiteral("仏滅"));
    EXPECT_EQ(Strip(*form, 21), QStringLiteral("大安"));
    // The narrow cell has no room for 赤口 beside it: the name takes the strip.
    EXPECT_EQ(Strip(*form, 22), QStringLiteral("冬至"));
    EXPECT_EQ(form->WeekCalendar->SeasonalSuffix(solstice), QStringLiteral(" 冬至"));
    EXPECT_EQ(form->WeekCalendar->SeasonalSuffix(solstice - 1), QString());
    EXPECT_EQ(form->DatePanel->toolTip(), QStringLiteral("12/22 赤口 冬至"));
    EXPECT_NE(form->MonthCalendar->Image(), monthOff);
    EXPECT_NE(form->WeekCalendar->Image(), weekOff);
    // With wide cells the rokuyo stays beside the name.
    EXPECT_EQ(form->MonthCalendar->StripFor(solstice, 200).Text, QStringLiteral("赤口 冬至"));
  }
  EXPECT_EQ(ReadProfileString("calendar", "koyomi", "", Ini()), "true");
  auto form = Start();
  EXPECT_TRUE(form->ViewMenu->ShowSeasonalDays->isChecked());
  EXPECT_TRUE(form->MonthCalendar->ShowSeasonalDays());
  EXPECT_TRUE(form->WeekCalendar->ShowSeasonalDays());
  form->ViewMenu->ShowSeasonalDays->trigger();
  EXPECT_EQ(form->WeekCalendar->SeasonalSuffix(solstice), QString());
  EXPECT_EQ(ReadProfileString("calendar", "koyomi", "", Ini()), "false");
}

// In months crowded with names every strip fits its cell at the window's default size.
TEST_F(AlmanacViewTest, StripsFitTheCellsOfACrowdedMonth) {
  auto form = Start();
  form->ViewMenu->ShowRokuyo->trigger();
  form->ViewMenu->ShowSeasonalDays->trigger();
  TMonthlyCalendar& mc = *form->MonthCalendar;
  for (auto [y, m] : {std::pair{2025, 7}, {2027, 2}, {2026, 9}}) {
    form->SyncDate(y, m, 1);
    for (int row = 1; row < mc.GetRowCount(); ++row)
      for (int col = 0; col < 7; ++col) {
        const int width = mc.CellRect(col, row).width();
        const JuliusDay z = MonthCellDay(mc.GetFirstCellDay(), col, row);
        const TMonthlyCalendar::TStrip strip = mc.StripFor(z, width);
        SCOPED_TRACE(z);
        EXPECT_FALSE(strip.Text.isEmpty());
        EXPECT_LE(QFontMetrics(strip.Font).horizontalAdvance(strip.Text), width - 2);
      }
  }
}

}  // namespace
}  // namespace moriva
