#include "schedule/PrintSheets.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/HolidayLines.h"

using namespace moriva;

namespace {

TEST(PrintSheetsTest, MonthSheetHoldsJustTheMonthsWeeksWithNamesAndItems) {
  TLineList schedule;
  schedule.Add(Utf8ToCp932("2027,2027,1,11,,,\"歯医者- 駅前- 10:00:0- TRUE\""));
  schedule.Add(Utf8ToCp932("2027,2027,1,11,,,\"買い物- - 未定- FALSE\""));  // no readable time
  schedule.Add("2027,2027,2,11,,,\"Late- - 9:5:0- FALSE\"");
  TDayRules rules;
  BuildDayRules(rules, THolidaySet::Current, schedule);

  const struct {
    int32_t y;
    uint8_t m;
    TDayOfWeek first;
    int weeks;
    uint8_t firstCell;
  } months[] = {{2026, 2, dowSun, 4, 1},   // 28 days from a Sunday
                {2027, 1, dowSun, 6, 27},  // from a Friday, 31 days
                {2027, 1, dowMon, 5, 28}};
  for (const auto& c : months) {
    SCOPED_TRACE(c.y * 100 + c.m);
    const TMonthSheet sheet = BuildMonthSheet(rules, c.y, c.m, c.first);
    EXPECT_EQ(sheet.Weeks, c.weeks);
    ASSERT_EQ(sheet.Days.size(), size_t(c.weeks * 7));
    EXPECT_EQ(sheet.Days.front().DayOfMonth, c.firstCell);
    EXPECT_EQ(sheet.Days.front().InMonth, c.firstCell == 1);
  }

  const TMonthSheet january = BuildMonthSheet(rules, 2027, 1, dowSun);
  const TSheetDay& day11 = january.Days[5 + 10];  // the 1st is a Friday
  EXPECT_EQ(day11.DayOfMonth, 11);
  EXPECT_TRUE(day11.State.Has(dsHoliday));
  using K = TDayEntry::TKind;
  EXPECT_EQ(day11.Entries,
            (std::vector<TDayEntry>{{K::Holiday, Utf8ToCp932("成人の日")},
                                    {K::Item, Utf8ToCp932("買い物")},
                                    {K::Item, Utf8ToCp932("10:00 歯医者 @駅前"), true}}));

  const auto agenda =
      BuildAgendaSheet(rules, schedule, DateToJulius(2027, 1, 11), DateToJulius(2027, 2, 10));
  ASSERT_EQ(agenda.size(), 3u);  // the item of February 11 lies after the range
  EXPECT_EQ(agenda[0].Date, Utf8ToCp932("2027/01/11(月)"));
  EXPECT_EQ(agenda[0].Names, Utf8ToCp932("成人の日"));
  EXPECT_EQ(agenda[1].Subject, Utf8ToCp932("買い物"));  // the whole day, before any time
  EXPECT_EQ(agenda[1].Time, "");
  EXPECT_EQ(agenda[2].Time, "10:00");
  EXPECT_EQ(agenda[2].Place, Utf8ToCp932("駅前"));
  EXPECT_TRUE(agenda[2].Alarm);
}

}  // namespace
