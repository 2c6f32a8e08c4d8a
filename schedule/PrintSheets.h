#pragma once
// What the printed pages show, worked out without a printer: the month sheet (one page, the
// month's weeks, each day with its names and items) and the agenda (the items of a range of
// days as a list). The windows only lay these out on paper. Texts are CP932.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/CalendarGrid.h"
#include "calendar/DayRules.h"

namespace moriva {

// One name of a day: an item ("9:30 会議") or any other name (a holiday, a special day).
struct TSheetEntry {
  std::string Text;
  bool Item = false;
  bool operator==(const TSheetEntry&) const = default;
};

// The names of a day (the calendar's day text, comma text) in their order, an item as its
// time and subject ("9:30 会議"; an item without a readable time as its subject alone).
std::vector<TSheetEntry> DaySheetEntries(std::string_view dayText);

struct TSheetDay {
  JuliusDay Day = 0;
  uint8_t DayOfMonth = 0;
  bool InMonth = false;  // a day of the neighbouring months has no state and no entries
  TDayState State;
  std::vector<TSheetEntry> Entries;
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

// One line of the agenda: a day heading ("2026/12/07(月)" and the day's other names, e.g. a
// holiday) before the first item of each day, then the day's items.
struct TAgendaSheetLine {
  bool Heading = false;
  std::string Date;   // heading: the date and weekday
  std::string Names;  // heading: the day's names that are not items, joined by "・"
  std::string Time;   // item: "9:30", empty when it has none
  std::string Subject;
  std::string Place;
  bool Alarm = false;
  bool Repeating = false;  // item: an occurrence of a series
  bool operator==(const TAgendaSheetLine&) const = default;
};

// The items dated from..to (inclusive), by date, each day under its heading. Days without
// items are left out.
std::vector<TAgendaSheetLine> BuildAgendaSheet(const TDayRules& rules, const TLineList& list,
                                               JuliusDay from, JuliusDay to);

}  // namespace moriva
