#include "schedule/Agenda.h"

#include <algorithm>
#include <array>

#include "base/CommaText.h"
#include "base/IntText.h"
#include "calendar/SeriesLine.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {

namespace {

// A number of one to `maxDigits` decimal digits, nothing else.
std::optional<int32_t> StoredNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  int32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

// The date of a line in the form the program writes, "2026,2026,12,8,,," and the item text,
// read without the general field reader; false for any other beginning (blanks, quotes,
// another year in the second field), which the field reader then judges.
bool WrittenDate(std::string_view line, std::array<int32_t, 3>& date) {
  size_t p = 0;
  const auto number = [&](size_t maxDigits, int32_t& value) {
    const size_t start = p;
    value = 0;
    while (p < line.size() && p - start < maxDigits && line[p] >= '0' && line[p] <= '9')
      value = value * 10 + (line[p++] - '0');
    if (p == start || p == line.size() || line[p] != ',') return std::string_view();
    return line.substr(start, p++ - start);
  };
  int32_t year2 = 0;
  const std::string_view year = number(4, date[0]);
  if (year.empty() || number(4, year2) != year || number(2, date[1]).empty() ||
      number(2, date[2]).empty())
    return false;
  return line.substr(p, 2) == ",,";
}

// By date, and within a day by line: a series' occurrences were added together.
void SortAgenda(std::vector<TAgendaItem>& items) {
  std::stable_sort(items.begin(), items.end(), [](const TAgendaItem& a, const TAgendaItem& b) {
    return a.Day != b.Day ? a.Day < b.Day : a.Index < b.Index;
  });
}

// The items of one line, of either kind, added to `items`.
class TAgendaCollector {
 public:
  TAgendaCollector(std::optional<int32_t> from, std::optional<int32_t> to,
                   const THolidayTest& holidays)
      : from_(from), to_(to), holidays_(holidays), reader_(from, to) {}

  void Add(std::string_view line, size_t index) {
    if (!IsSeriesLine(line)) {
      if (std::optional<TAgendaItem> item = reader_.Read(line, index))
        items.push_back(std::move(*item));
      return;
    }
    if (ParseSeriesLine(line, series_) != TSeriesLineKind::Series) return;
    std::optional<TItemParts> parts = SplitItemText(series_.Text);
    if (!parts) return;
    const JuliusDay first = from_ ? *from_ : series_.Rule.Start;
    const JuliusDay last = to_ ? *to_ : first + kSeriesHorizonDays - 1;
    TOccurrences(series_.Rule, holidays_).ForEach(first, last, [&](JuliusDay z) {
      items.push_back({z, index, *parts, true});
    });
  }

  std::vector<TAgendaItem> items;

 private:
  std::optional<int32_t> from_, to_;
  const THolidayTest& holidays_;
  TAgendaLineReader reader_;
  TSeries series_;
};

}  // namespace

TAgendaLineReader::TAgendaLineReader(std::optional<int32_t> from, std::optional<int32_t> to) {
  uint8_t m, d;
  if (from) {
    JuliusToDate(*from, from_[0], m, d);
    from_[1] = m;
    from_[2] = d;
  }
  if (to) {
    JuliusToDate(*to, to_[0], m, d);
    to_[1] = m;
    to_[2] = d;
  }
}

std::optional<TAgendaItem> TAgendaLineReader::Read(std::string_view line, size_t index) {
  // Most lines of a long schedule are items the program wrote, and most lie outside the range.
  if (TStoredDate written; WrittenDate(line, written) && (written < from_ || written > to_))
    return std::nullopt;
  std::array<TCommaField, 8>& f = fields_;
  TCommaFieldReader reader(line);
  size_t count = 0;
  while (count < 6 && reader.Next(f[count])) ++count;
  if (count != 6 || !f[4].Raw.empty() || !f[5].Raw.empty()) return std::nullopt;
  // Numeric dates are quoted only by hand: the raw texts are the field texts then.
  if (f[0].Doubled || f[2].Doubled || f[3].Doubled || f[0].Raw != f[1].Raw || f[1].Doubled)
    return std::nullopt;
  const std::optional<int32_t> y = StoredNumber(f[0].Raw, 4), m = StoredNumber(f[2].Raw, 2),
                               d = StoredNumber(f[3].Raw, 2);
  if (!y || !m || !d) return std::nullopt;
  const TStoredDate date{*y, *m, *d};
  if (date < from_ || date > to_) return std::nullopt;
  // Exactly seven fields.
  if (!reader.Next(f[6]) || reader.Next(f[7])) return std::nullopt;
  const std::optional<int32_t> day = StoredDateToJulius(f[0].Raw, f[2].Raw, f[3].Raw);
  if (!day) return std::nullopt;
  std::optional<TItemParts> parts = SplitItemText(f[6].Text(buffer_));
  if (!parts) return std::nullopt;
  return TAgendaItem{*day, index, std::move(*parts)};
}

std::optional<TAgendaItem> ReadAgendaLine(std::string_view line, size_t index) {
  return TAgendaLineReader(std::nullopt, std::nullopt).Read(line, index);
}

std::vector<TAgendaItem> CollectAgenda(const TLineList& list, std::optional<int32_t> from,
                                       std::optional<int32_t> to, const THolidayTest& holidays) {
  TAgendaCollector collector(from, to, holidays);
  for (size_t i = 0; i < list.Count(); ++i) collector.Add(list.Lines()[i], i);
  SortAgenda(collector.items);
  return std::move(collector.items);
}

std::vector<TAgendaItem> CollectAgendaOfText(std::string_view text, std::optional<int32_t> from,
                                             std::optional<int32_t> to,
                                             const THolidayTest& holidays) {
  TAgendaCollector collector(from, to, holidays);
  size_t index = 0;
  VisitLines(text, [&](std::string_view line) { collector.Add(line, index++); });
  SortAgenda(collector.items);
  return std::move(collector.items);
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
