// The common calendar core, seen through the month grid: day selection and its event, month
// steps, the Year/Month/Day writes, fonts, and the day lists with their rebuilds.
#include "app/MonthlyCalendar.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/HolidayLines.h"
#include "tests/gui/CalendarViewTestUtil.h"

namespace moriva {
namespace {

TEST(CalendarViewTest, DayChangeFiresOnceAndOnlyForANewDay) {
  TestCalendar<TMonthlyCalendar> mc;
  mc.SetDate(2001, 7, 10);
  DayChanges changes(mc);
  mc.SetDate(2001, 7, 13);
  ASSERT_EQ(changes.count, 1);
  EXPECT_EQ(changes.last, DateToJulius(2001, 7, 13));

  mc.SetJuliusDay(DateToJulius(2001, 7, 13));
  mc.SetDate(2001, 7, 13);
  mc.SetDay(13);
  mc.SetMonth(7);
  EXPECT_EQ(changes.count, 1);

  mc.NextDay();
  EXPECT_EQ(changes.count, 2);
  EXPECT_EQ(changes.last, DateToJulius(2001, 7, 14));
  EXPECT_EQ(changes.sender, &mc);
}

TEST(CalendarViewTest, DayChangeSeesTheRedrawnImage) {
  TestCalendar<TMonthlyCalendar> mc;
  ShowAt(mc, 176, 273);
  mc.SetDate(2001, 7, 13);
  QColor seen;
  mc.OnDayChange = [&](TCalendarView& c, int32_t, uint8_t, uint8_t) {
    // 15 July 2001 is a Sunday: column 0 of the fourth week row (the first row is 24 June).
    const QRect cell = static_cast<TMonthlyCalendar&>(c).CellRect(0, 4);
    seen = c.Image().pixelColor(cell.topLeft() + QPoint(1, 1));
  };
  mc.SetDate(2001, 7, 15);
  EXPECT_EQ(seen, mc.Fonts().Sunday().Color());
}

TEST(CalendarViewTest, MonthStepsKeepTheDayWithinTheMonth) {
  struct Case {
    int32_t y;
    uint8_t m, d;
    bool next;
    int32_t ey;
    uint8_t em, ed;
  } cases[] = {
      {2001, 1, 31, true, 2001, 2, 28},  {2000, 3, 31, false, 2000, 2, 29},
      {2000, 12, 15, true, 2001, 1, 15}, {2001, 1, 15, false, 2000, 12, 15},
      {2001, 5, 31, true, 2001, 6, 30},  {2004, 1, 30, true, 2004, 2, 29},
  };
  TestCalendar<TMonthlyCalendar> mc;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    mc.SetDate(c.y, c.m, c.d);
    c.next ? mc.NextMonth() : mc.PrevMonth();
    EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(c.ey, c.em, c.ed));
  }
}

TEST(CalendarViewTest, InvalidPartWritesAreIgnored) {
  TestCalendar<TMonthlyCalendar> mc;
  mc.SetDate(2001, 4, 10);
  DayChanges changes(mc);
  mc.SetDay(31);
  mc.SetDay(0);
  mc.SetMonth(13);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2001, 4, 10));
  mc.SetDate(2000, 2, 29);
  mc.SetYear(2001);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2000, 2, 29));
  EXPECT_EQ(changes.count, 1);  // only SetDate moved

  mc.SetYear(2004);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2004, 2, 29));
  mc.SetMonth(3);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(2004, 3, 29));

  mc.SetDate(1582, 10, 20);
  EXPECT_THROW(mc.SetDay(10), EJuliusError);
  EXPECT_EQ(mc.GetJuliusDay(), DateToJulius(1582, 10, 20));
}

TEST(CalendarViewTest, DayFontPrecedence) {
  TestCalendar<TMonthlyCalendar> mc;
  mc.Schedule.HolidayLines().Assign(ClassicHolidayLines());
  // 11 February 2001: a Sunday and a holiday; the special day wins over both.
  mc.Schedule.Lines().Add(Utf8ToCp932("2001,2001,2,11,,,\"会議- 本社- 9:30:0- TRUE\""));
  struct Case {
    uint8_t m, d;
    TCalendarFontIndex font;
  } cases[] = {
      {2, 11, cfSpecialDay},  // Sunday, holiday, special day
      {2, 12, cfHoliday},     // substitute holiday
      {2, 10, cfSaturday},   {2, 13, cfWeekday},
      {2, 4, cfSunday},      {11, 3, cfHoliday},  // a Saturday holiday
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.m) << "/" << int(c.d));
    EXPECT_EQ(&mc.GetDayFont(2001, c.m, c.d), &mc.Fonts().Font(c.font));
  }
}

TEST(CalendarViewTest, ListsRebuildOncePerChangeOrBracket) {
  Counting<TMonthlyCalendar> mc;
  ShowAt(mc, 176, 273);
  mc.Reset();
  mc.Schedule.Lines().BeginUpdate();
  for (int i = 1; i <= 5; ++i)
    mc.Schedule.Lines().Add(Utf8ToCp932("2001,2001,7," + std::to_string(i) + ",,,x"));
  mc.Schedule.Lines().EndUpdate();
  EXPECT_EQ(mc.builds, 1);
  EXPECT_EQ(mc.draws, 1);
  mc.Schedule.HolidayLines().Add(Utf8ToCp932(",,7,20,,,海の日"));
  EXPECT_EQ(mc.builds, 2);

  TLineList source{Utf8ToCp932(",,7,9,,,a")};
  mc.Schedule.HolidayLines().Assign(source);
  source.Add("changed later");
  EXPECT_EQ(mc.Schedule.HolidayLines().Count(), 1u);
  EXPECT_EQ(mc.builds, 3);
  EXPECT_EQ(mc.GetDayText(2001, 7, 9), "a");
  EXPECT_EQ(mc.GetDayText(2001, 7, 3), "x");
}

TEST(CalendarViewTest, FaultyLinesAreReportedOncePerNewSet) {
  TestCalendar<TMonthlyCalendar> mc;
  std::vector<std::vector<std::string>> reports;
  mc.Schedule.OnDayListError = [&](const std::vector<std::string>& lines) {
    reports.push_back(lines);
  };
  const std::string bad = Utf8ToCp932(",,7,x1,,,壊れた行");
  mc.Schedule.HolidayLines().Add(bad);
  mc.Schedule.HolidayLines().Add(Utf8ToCp932(",,7,21,,,記念日"));
  mc.Schedule.Lines().Add(Utf8ToCp932("2001,2001,7,13,,,x"));  // same faulty set: no new report
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::vector<std::string>{bad});
  EXPECT_EQ(mc.Schedule.FaultyDayLines(), std::vector<std::string>{bad});
  // The lines after the faulty one still count.
  EXPECT_EQ(mc.GetDayText(2001, 7, 21), Utf8ToCp932("記念日"));

  mc.Schedule.HolidayLines().Delete(0);
  EXPECT_TRUE(mc.Schedule.FaultyDayLines().empty());
  mc.Schedule.HolidayLines().Add(bad);
  EXPECT_EQ(reports.size(), 2u);
}

TEST(CalendarViewTest, FontWritesAndSynchronize) {
  Counting<TMonthlyCalendar> mc;
  ShowAt(mc, 176, 273);
  TCalendarFonts& fonts = mc.Fonts();
  EXPECT_EQ(fonts.Weekday().Color(), QColor(0, 0, 0));
  EXPECT_EQ(fonts.Saturday().Color(), QColor(0, 0, 255));
  EXPECT_EQ(fonts.DayOfWeek().Color(), QColor(255, 255, 255));
  EXPECT_EQ(fonts.SpecialDay().Color(), QColor(0, 128, 0));
  EXPECT_EQ(fonts.Rokuyo().Height(96), 13);

  TCalendarFont big(QFont("IPAPGothic"), QColor(1, 2, 3));
  big.SetHeight(20);
  mc.Reset();
  fonts.SetHoliday(big);
  EXPECT_EQ(mc.draws, 1);
  EXPECT_EQ(fonts.Holiday(), big);
  EXPECT_NE(fonts.Weekday(), big);

  fonts.Synchronize = true;
  mc.Reset();
  fonts.SetHoliday(fonts.Saturday());
  EXPECT_EQ(mc.draws, 1);
  for (int i = 0; i < CalendarFontCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fonts.Font(TCalendarFontIndex(i)).Color(), QColor(0, 0, 255));
  }
  // A change in place redraws too, and an unchanged value does not.
  mc.Reset();
  fonts.Sunday().SetBold(true);
  fonts.Sunday().SetBold(true);
  EXPECT_EQ(mc.draws, 1);
}

}  // namespace
}  // namespace moriva
