// What the readers of the schedule make of a series: search finds it once, on its next day;
// reminders raise each occurrence; the printed agenda marks its occurrences.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/HolidayLines.h"
#include "schedule/PrintSheets.h"
#include "schedule/ReminderSchedule.h"
#include "schedule/ScheduleSearch.h"

namespace moriva {
namespace {

JuliusDay Day(int y, int m, int d) {
  return DateToJulius(y, static_cast<uint8_t>(m), static_cast<uint8_t>(d));
}

const TLineList kList{
    "2027,2027,1,20,,,\"weekly review- a- 8:0:0- FALSE\"",
    "repeat;id=w;start=20270104;every=1w;on=mo+th;holidays=skip,\"weekly sync- b- 9:30:0- TRUE\"",
    "repeat;id=e;start=20260105;every=1w;on=mo;count=3,\"weekly old- c- 9:0:0- FALSE\"",
    "repeat;id=n;start=20270101;every=1d;until=20261231,\"weekly never- d- 9:0:0- FALSE\"",
};

TEST(SeriesReaders, SearchFindsASeriesOnceOnItsNextDay) {
  const struct {
    JuliusDay today;
    TSearchOrder order;
    std::vector<std::pair<size_t, JuliusDay>> hits;  // line, day
  } cases[] = {
      // 2027-01-11 is 成人の日: the next day of "sync" from 2027-01-09 is Thursday the 14th;
      // the ended series is found on its last day; the one without any day not at all. (Newest
      // first goes by line from the end: here the same order as by date.)
      {Day(2027, 1, 9),
       TSearchOrder::ByDate,
       {{2, Day(2026, 1, 19)}, {1, Day(2027, 1, 14)}, {0, Day(2027, 1, 20)}}},
      {Day(2027, 1, 9),
       TSearchOrder::Newest,
       {{2, Day(2026, 1, 19)}, {1, Day(2027, 1, 14)}, {0, Day(2027, 1, 20)}}},
      {Day(2027, 1, 14),
       TSearchOrder::ByDate,
       {{2, Day(2026, 1, 19)}, {1, Day(2027, 1, 14)}, {0, Day(2027, 1, 20)}}},
      {Day(2027, 1, 15),
       TSearchOrder::ByDate,
       {{2, Day(2026, 1, 19)}, {1, Day(2027, 1, 18)}, {0, Day(2027, 1, 20)}}},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<size_t, JuliusDay>> got;
    for (const TAgendaItem& hit :
         SearchSchedule(kList, "WEEKLY", c.order, SIZE_MAX, c.today, CurrentLawHolidays())) {
      got.emplace_back(hit.Index, hit.Day);
      EXPECT_EQ(hit.Repeating, hit.Index != 0);
    }
    EXPECT_EQ(got, c.hits);
  }
}

TEST(SeriesReaders, RemindersForEachOccurrence) {
  const auto at = [](JuliusDay z, int h, int m) {
    return z * TWallSeconds{86400} + h * 3600 + m * 60;
  };
  TReminderSchedule schedule;
  const struct {
    TWallSeconds now;
    size_t raised;
    std::optional<TWallSeconds> next;
  } steps[] = {
      {at(Day(2027, 1, 7), 8, 0), 0, at(Day(2027, 1, 7), 9, 30)},
      {at(Day(2027, 1, 7), 9, 31), 1, at(Day(2027, 1, 14), 9, 30)},  // the 11th is a holiday
      {at(Day(2027, 1, 7), 9, 32), 0, at(Day(2027, 1, 14), 9, 30)},
      {at(Day(2027, 1, 14), 9, 30), 1, at(Day(2027, 1, 18), 9, 30)},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(schedule.TakeDue(kList, s.now, CurrentLawHolidays()).size(), s.raised);
    EXPECT_EQ(schedule.NextDue(kList, s.now, CurrentLawHolidays()), s.next);
  }
}

TEST(SeriesReaders, PrintedAgendaMarksOccurrences) {
  TDayRules rules;
  BuildDayRules(rules, THolidaySet::Current, kList);
  std::vector<std::pair<std::string, bool>> got;
  for (const TAgendaSheetLine& l :
       BuildAgendaSheet(rules, kList, Day(2027, 1, 18), Day(2027, 1, 21)))
    got.emplace_back(l.Heading ? l.Date : l.Subject, l.Repeating);
  const std::vector<std::pair<std::string, bool>> expected{
      {Utf8ToCp932("2027/01/18(月)"), false}, {"weekly sync", true},
      {Utf8ToCp932("2027/01/20(水)"), false}, {"weekly review", false},
      {Utf8ToCp932("2027/01/21(木)"), false}, {"weekly sync", true}};
  EXPECT_EQ(got, expected);
}

TEST(SeriesReaders, TheEditorsDayListsOccurrencesInLineOrder) {
  std::vector<std::pair<size_t, bool>> got;
  for (const TDayItem& item : ListDayItemsWithSeries(2027, 1, 14, kList, CurrentLawHolidays()))
    got.emplace_back(item.Index, item.Repeating);
  EXPECT_EQ(got, (std::vector<std::pair<size_t, bool>>{{1, true}}));
  TLineList list = kList;
  list.Insert(0, "2027,2027,1,14,,,\"first- - 8:0:0- FALSE\"");
  list.Add("2027,2027,1,14,,,\"last- - 8:0:0- FALSE\"");
  got.clear();
  for (const TDayItem& item : ListDayItemsWithSeries(2027, 1, 14, list, CurrentLawHolidays()))
    got.emplace_back(item.Index, item.Repeating);
  EXPECT_EQ(got, (std::vector<std::pair<size_t, bool>>{{0, false}, {2, true}, {5, false}}));
}

}  // namespace
}  // namespace moriva
