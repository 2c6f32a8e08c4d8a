#include "schedule/Agenda.h"

#include <algorithm>

#include "base/CommaText.h"
#include "base/IntText.h"
#include "calendar/SeriesLine.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {

std::optional<TAgendaItem> ReadAgendaLine(std::string_view line, size_t index) {
  std::vector<std::string> f = SplitCommaText(line);
  if (f.size() != 7 || f[0] != f[1] || !f[4].empty() || !f[5].empty()) return std::nullopt;
  std::optional<int32_t> day = StoredDateToJulius(f[0], f[2], f[3]);
  if (!day) return std::nullopt;
  std::optional<TItemParts> parts = SplitItemText(f[6]);
  if (!parts) return std::nullopt;
  return TAgendaItem{*day, index, std::move(*parts)};
}

std::vector<TAgendaItem> CollectAgenda(const TLineList& list, std::optional<int32_t> from,
                                       std::optional<int32_t> to, const THolidayTest& holidays) {
  std::vector<TAgendaItem> items;
  TSeries series;
  for (size_t i = 0; i < list.Count(); ++i) {
    const std::string& line = list.Lines()[i];
    if (IsSeriesLine(line)) {
      if (ParseSeriesLine(line, series) != TSeriesLineKind::Series) continue;
      std::optional<TItemParts> parts = SplitItemText(series.Text);
      if (!parts) continue;
      const JuliusDay first = from ? *from : series.Rule.Start;
      const JuliusDay last = to ? *to : first + kSeriesHorizonDays - 1;
      TOccurrences(series.Rule, holidays).ForEach(first, last, [&](JuliusDay z) {
        items.push_back({z, i, *parts, true});
      });
      continue;
    }
    std::optional<TAgendaItem> item = ReadAgendaLine(line, i);
    if (!item || (from && item->Day < *from) || (to && item->Day > *to)) continue;
    items.push_back(std::move(*item));
  }
  // By date, and within a day by line: a series' occurrences were added together.
  std::stable_sort(items.begin(), items.end(), [](const TAgendaItem& a, const TAgendaItem& b) {
    return a.Day != b.Day ? a.Day < b.Day : a.Index < b.Index;
  });
  return items;
}

std::vector<TDayItem> ListDayItemsWithSeries(int32_t year, int month, int day,
                                             const TLineList& list, const THolidayTest& holidays) {
  std::vector<TDayItem> items = ListDayItems(year, month, day, list);
  const JuliusDay z = DateToJulius(year, static_cast<uint8_t>(month), static_cast<uint8_t>(day));
  for (const TSeriesLine& s : ReadSeriesLines(list)) {
    if (!TOccurrences(s.Series.Rule, holidays).Occurs(z)) continue;
    TDayItem item;
    item.Index = s.Index;
    item.Repeating = true;
    if (std::optional<TItemParts> parts = SplitItemText(s.Series.Text)) {
      item.Subject = std::move(parts->Subject);
      item.Place = std::move(parts->Place);
      item.Time = std::move(parts->Time);
      item.AlarmFlag = std::move(parts->AlarmFlag);
    } else {
      item.Subject = s.Series.Text;
    }
    items.push_back(std::move(item));
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const TDayItem& a, const TDayItem& b) { return a.Index < b.Index; });
  return items;
}

std::optional<TTimeOfDay> StoredTimeOfDay(std::string_view storedTime) {
  std::vector<int32_t> pieces;
  size_t p = 0;
  for (;;) {
    size_t colon = storedTime.find(':', p);
    std::optional<int32_t> v = TryStrToInt(storedTime.substr(p, colon - p));
    if (!v || *v < 0) return std::nullopt;
    pieces.push_back(*v);
    if (colon == std::string_view::npos) break;
    p = colon + 1;
  }
  if (pieces.size() != 3) return std::nullopt;
  return TTimeOfDay{pieces[0], pieces[1]};
}

std::string AgendaTimeText(const std::string& storedTime) {
  const std::optional<TTimeOfDay> t = StoredTimeOfDay(storedTime);
  if (!t) return storedTime;
  std::string minute = std::to_string(t->Minute);
  return std::to_string(t->Hour) + ":" + (minute.size() < 2 ? "0" : "") + minute;
}

}  // namespace moriva
