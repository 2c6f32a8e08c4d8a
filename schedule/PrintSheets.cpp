#include "schedule/PrintSheets.h"

#include <cstdio>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

namespace {

// The time as a person reads it, or nothing for a time that is not one.
std::string ReadableTime(const std::string& storedTime) {
  return StoredTimeOfDay(storedTime) ? AgendaTimeText(storedTime) : std::string();
}

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

std::vector<TSheetEntry> DaySheetEntries(std::string_view dayText) {
  std::vector<TSheetEntry> entries;
  for (const std::string& name : SplitCommaText(dayText)) {
    if (const std::optional<TItemParts> item = SplitItemText(name)) {
      const std::string time = ReadableTime(item->Time);
      entries.push_back({time.empty() ? item->Subject : time + " " + item->Subject, true});
    } else {
      entries.push_back({name, false});
    }
  }
  return entries;
}

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
      day.Entries = DaySheetEntries(rules.DayText(y, m, day.DayOfMonth));
    }
    sheet.Days.push_back(std::move(day));
  }
  return sheet;
}

std::vector<TAgendaSheetLine> BuildAgendaSheet(const TDayRules& rules, const TLineList& list,
                                               JuliusDay from, JuliusDay to) {
  std::vector<TAgendaSheetLine> lines;
  JuliusDay shown = from - 1;
  for (const TAgendaItem& item : CollectAgenda(list, from, to, rules)) {
    if (item.Day != shown) {
      shown = item.Day;
      TAgendaSheetLine heading;
      heading.Heading = true;
      heading.Date = DateHeading(item.Day);
      int32_t y;
      uint8_t m, d;
      JuliusToDate(item.Day, y, m, d);
      for (const TSheetEntry& e : DaySheetEntries(rules.DayText(y, m, d))) {
        if (e.Item) continue;
        heading.Names += (heading.Names.empty() ? "" : Utf8ToCp932("・")) + e.Text;
      }
      lines.push_back(std::move(heading));
    }
    TAgendaSheetLine line;
    line.Time = ReadableTime(item.Parts.Time);
    line.Subject = item.Parts.Subject;
    line.Place = item.Parts.Place;
    line.Alarm = item.Parts.Alarm();
    line.Repeating = item.Repeating;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace moriva
