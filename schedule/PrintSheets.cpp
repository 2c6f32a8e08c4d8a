#include "schedule/PrintSheets.h"

#include <algorithm>
#include <cstdio>

#include "base/Cp932.h"
#include "calendar/SeasonalDays.h"
#include "schedule/Agenda.h"

namespace moriva {

namespace {

std::string DateHeading(JuliusDay z) {
  static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  char date[32];
  std::snprintf(date, sizeof date, "%04d/%02d/%02d", static_cast<int>(y), m, d);
  return date + Utf8ToCp932(std::string("(") + kWeekdays[JuliusDayOfWeek(z) - 1] + ")");
}

}  // namespace

TMonthSheet BuildMonthSheet(const TDayRules& rules, int32_t year, uint8_t month, TDayOfWeek first) {
  TMonthSheet sheet;
  sheet.Year = year;
  sheet.Month = month;
  sheet.FirstDayOfWeek = first;
  sheet.Weeks = GetRowCount(year, month, first, true, true, true) - 1;
  const JuliusDay firstCell = GetFirstCellDay(year, month, first, true);
  for (int i = 0; i < sheet.Weeks * 7; ++i) {
    TSheetDay day;
    day.Day = firstCell + i;
    int32_t y;
    uint8_t m;
    JuliusToDate(day.Day, y, m, day.DayOfMonth);
    day.InMonth = m == month;
    if (day.InMonth) {
      day.State = rules.DayState(y, m, day.DayOfMonth);
      day.Entries = DayEntries(rules.DayNames(y, m, day.DayOfMonth));
    }
    sheet.Days.push_back(std::move(day));
  }
  return sheet;
}

void AddSeasonalDays(TMonthSheet& sheet) {
  for (TSheetDay& day : sheet.Days)
    if (day.InMonth) day.Seasonal = SeasonalDayText(day.Day, Utf8ToCp932("・"));
}

std::vector<TAgendaSheetLine> BuildAgendaSheet(const TDayRules& rules, const TLineList& list,
                                               JuliusDay from, JuliusDay to) {
  struct TDated {
    JuliusDay Day;
    TItemSummary Item;
    bool Repeating;
  };
  std::vector<TDated> items;
  // The window's rules index its own list: its items are found by date.
  const bool indexed = rules.SpecialDays().Lines() == &list;
  for (const TAgendaItem& item :
       indexed ? CollectAgenda(rules, from, to) : CollectAgenda(list, from, to, rules))
    items.push_back({item.Day, SummarizeItem(item.Parts), item.Repeating});
  std::stable_sort(items.begin(), items.end(), [](const TDated& a, const TDated& b) {
    return std::pair(a.Day, ItemOrderKey(a.Item.Minute)) <
           std::pair(b.Day, ItemOrderKey(b.Item.Minute));
  });

  std::vector<TAgendaSheetLine> lines;
  JuliusDay shown = from - 1;
  for (const TDated& item : items) {
    if (item.Day != shown) {
      shown = item.Day;
      TAgendaSheetLine heading;
      heading.Heading = true;
      heading.Date = DateHeading(item.Day);
      int32_t y;
      uint8_t m, d;
      JuliusToDate(item.Day, y, m, d);
      for (const TDayEntry& e : DayEntries(rules.DayNames(y, m, d))) {
        if (e.Kind == TDayEntry::TKind::Item) continue;
        heading.Names += (heading.Names.empty() ? "" : Utf8ToCp932("・")) + e.Text;
      }
      lines.push_back(std::move(heading));
    }
    TAgendaSheetLine line;
    line.Time = item.Item.TimeText();
    line.Subject = item.Item.Subject;
    line.Place = item.Item.Place;
    line.Alarm = item.Item.Alarm;
    line.Repeating = item.Repeating;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace moriva
