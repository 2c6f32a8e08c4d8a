#include "schedule/Agenda.h"

#include <algorithm>
#include <array>

#include "base/CommaText.h"
#include "base/IntText.h"
#include "calendar/SeriesLine.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {

std::optional<int32_t> ReadAgendaDay(std::string_view line, TCommaField& itemText) {
  // Eight fields are enough to tell a line of more than seven.
  std::array<TCommaField, 8> f;
  size_t count = 0;
  TCommaFieldReader reader(line);
  while (count < f.size() && reader.Next(f[count])) ++count;
  if (count != 7 || !f[4].Raw.empty() || !f[5].Raw.empty()) return std::nullopt;
  std::string year, year2, month, day;
  const std::string_view y = f[0].Text(year);
  if (y != f[1].Text(year2)) return std::nullopt;
  std::optional<int32_t> z = StoredDateToJulius(y, f[2].Text(month), f[3].Text(day));
  if (z) itemText = f[6];
  return z;
}

std::optional<TAgendaItem> ReadAgendaLine(std::string_view line, size_t index) {
  TCommaField text;
  const std::optional<int32_t> day = ReadAgendaDay(line, text);
  if (!day) return std::nullopt;
  std::string buffer;
  std::optional<TItemParts> parts = SplitItemText(text.Text(buffer));
  if (!parts) return std::nullopt;
  return TAgendaItem{*day, index, std::move(*parts)};
}

namespace {

// By date, and within a day by line: a series' occurrences were added together.
void SortAgenda(std::vector<TAgendaItem>& items) {
  std::stable_sort(items.begin(), items.end(), [](const TAgendaItem& a, const TAgendaItem& b) {
    return a.Day != b.Day ? a.Day < b.Day : a.Index < b.Index;
  });
}

}  // namespace

std::vector<TAgendaItem> CollectAgenda(const TLineList& list, std::optional<int32_t> from,
                                       std::optional<int32_t> to, const THolidayTest& holidays) {
  std::vector<TAgendaItem> items;
  TSeries series;
  TCommaField text;
  std::string buffer;
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
    // The date first: the item text of a line outside the range is never split.
    const std::optional<int32_t> day = ReadAgendaDay(line, text);
    if (!day || (from && *day < *from) || (to && *day > *to)) continue;
    std::optional<TItemParts> parts = SplitItemText(text.Text(buffer));
    if (parts) items.push_back({*day, i, std::move(*parts)});
  }
  SortAgenda(items);
  return items;
}

std::vector<TAgendaItem> CollectAgenda(const TDayRules& rules, JuliusDay from, JuliusDay to) {
  std::vector<TAgendaItem> items;
  const TDayIndex& index = rules.SpecialDays();
  if (!index.Lines() || from > to) return items;
  const TLineList& list = *index.Lines();
  int32_t y0, y1;
  uint8_t m0, d0, m1, d1;
  JuliusToDate(from, y0, m0, d0);
  JuliusToDate(to, y1, m1, d1);
  index.ForEachDatedLine(y0, m0, d0, y1, m1, d1, [&](uint32_t line) {
    std::optional<TAgendaItem> item = ReadAgendaLine(list[line], line);
    if (item && item->Day >= from && item->Day <= to) items.push_back(std::move(*item));
    return true;
  });
  const TSeriesDays& series = rules.Series();
  for (size_t k = 0; k < series.Series().size(); ++k) {
    const TRecurrence& rule = series.Series()[k].Rule;
    if (rule.Start > to || (rule.Until && *rule.Until < from)) continue;
    const std::optional<TItemParts> parts = SplitItemText(series.Series()[k].Text);
    if (!parts) continue;
    series.Occurrences(k, rules).ForEach(from, to, [&](JuliusDay z) {
      items.push_back({z, series.Line(k), *parts, true});
    });
  }
  SortAgenda(items);
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
