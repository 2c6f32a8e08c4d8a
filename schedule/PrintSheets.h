#pragma once
// What the printed pages show, worked out without a printer: the month sheet (one page, the
// month's weeks, each day with its names and items) and the agenda (the items of a range of
// days as a list). The windows only lay these out on paper. Texts are CP932.
#include <cstdint>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "calendar/CalendarGrid.h"
#include "calendar/DayRules.h"
#include "schedule/ItemSummary.h"

namespace moriva {

struct TSheetDay {
  JuliusDay Day = 0;
  uint8_t DayOfMonth = 0;
  bool InMonth = false;  // a day of the neighbouring months has no state and no entries
  TDayState State;
  std::vector<TDayEntry> Entries;  // DayEntries: the names, then the items in time order
  std::string Seasonal;  // the solar term or seasonal days joined by "・", when asked for
};

struct TMonthSheet {
  int32_t Year = 0;
  uint8_t Month = 0;
  TDayOfWeek FirstDayOfWeek = dowSun;
  int Weeks = 0;                // 4 to 6: just the weeks that hold days of the month
  std::vector<TSheetDay> Days;  // Weeks × 7, week by week
};

// The month as `rules` mark it (the window's holidays and schedule). Throws EJuliusError for
// October 1582, as the calendars do.
TMonthSheet BuildMonthSheet(const TDayRules& rules, int32_t year, uint8_t month, TDayOfWeek first);
// Names the solar terms and seasonal days (暦注) of the sheet's days of the month.
void AddSeasonalDays(TMonthSheet& sheet);

// One line of the agenda: a day heading ("2026/12/07(月)" and the day's other names, e.g. a
// holiday) before the first item of each day, then the day's items in time order.
struct TAgendaSheetLine {
  bool Heading = false;
  std::string Date;   // heading: the date and weekday
  std::string Names;  // heading: the day's names that are not items, joined by "・"
  std::string Time;   // item: "09:30", empty for an item of the whole day
  std::string Subject;
  std::string Place;
  bool Alarm = false;
  bool Repeating = false;  // item: an occurrence of a series
  bool operator==(const TAgendaSheetLine&) const = default;
};

// The items dated from..to (inclusive), by date and time, each day under its heading. Days
// without items are left out.
std::vector<TAgendaSheetLine> BuildAgendaSheet(const TDayRules& rules, const TLineList& list,
                                               JuliusDay from, JuliusDay to);

}  // namespace moriva
