#include "calendar/DayIndex.h"

#include <algorithm>

#include "calendar/Julius.h"

namespace moriva {
namespace {

// A stretch of line positions [From, To).
struct TRange {
  size_t From = 0;
  size_t To = 0;
};

// Drops the entries of the lines [from, to) and moves those after by `delta` lines; whether
// any was dropped.
template <class T, class LineOf>
bool DropAndMove(std::vector<T>& entries, size_t from, size_t to, int64_t delta, LineOf lineOf) {
  const size_t before = entries.size();
  auto keep = entries.begin();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    uint32_t& line = lineOf(*it);
    if (line >= from && line < to) continue;
    if (line >= to) line = static_cast<uint32_t>(line + delta);
    if (keep != it) *keep = std::move(*it);
    ++keep;
  }
  entries.erase(keep, entries.end());
  return entries.size() != before;
}

// A line of the form the program writes for an item, "2026,2026,12,8,,," and a quoted text
// with nothing after it, read without the general field reader: the single day it names.
// False for any other line, which ParseDayListLine then reads.
bool ReadWrittenItem(std::string_view line, TDayListItem& item) {
  size_t p = 0;
  const auto number = [&](size_t maxDigits, std::string_view& text) {
    const size_t start = p;
    int32_t value = 0;
    while (p < line.size() && p - start < maxDigits && line[p] >= '0' && line[p] <= '9')
      value = value * 10 + (line[p++] - '0');
    text = line.substr(start, p - start);
    if (p == start || p == line.size() || line[p++] != ',') return -1;
    return value;
  };
  std::string_view year, year2, month, day;
  const int32_t y = number(4, year);
  if (y < 0 || number(4, year2) != y || year2 != year) return false;
  const int32_t m = number(2, month), d = number(2, day);
  if (m <= 0 || d <= 0 || line.substr(p, 3) != ",,\"") return false;
  // Exactly one more field: the quoted text.
  TCommaFieldReader rest(line.substr(p + 2));
  TCommaField text;
  if (!rest.Next(text) || rest.Next(text)) return false;
  item = TDayListItem();
  item.FromYear = item.ToYear = y;
  item.Month = static_cast<uint8_t>(m);
  item.Day = static_cast<uint8_t>(d);
  return true;
}

// Sorts entries read in line order by their key, keeping that order within a key: a radix sort
// of the 48 bits a key has, 16 at a time, which for a whole schedule costs a fraction of a
// comparison sort.
template <class T>
void SortByKey(std::vector<T>& entries) {
  if (entries.size() < 4096) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const T& a, const T& b) { return a.Key < b.Key; });
    return;
  }
  std::vector<T> other(entries.size());
  std::vector<uint32_t> counts(65537);
  for (int shift = 0; shift < 48; shift += 16) {
    std::fill(counts.begin(), counts.end(), 0);
    for (const T& e : entries) ++counts[((e.Key >> shift) & 0xFFFF) + 1];
    for (size_t k = 1; k < counts.size(); ++k) counts[k] += counts[k - 1];
    for (const T& e : entries) other[counts[(e.Key >> shift) & 0xFFFF]++] = e;
    entries.swap(other);
  }
}

}  // namespace

bool TDayIndex::Matches(const TDated& e, int32_t y, uint8_t m, uint8_t d) {
  if (e.DayOfWeek == 0) return true;  // the key is the date
  TDayListItem item;
  item.FromYear = item.ToYear = y;
  item.Month = m;
  item.Day = d;
  item.DayOfWeek = e.DayOfWeek;
  item.WeekNo = e.WeekNo;
  return item.Match(y, m, d);
}

std::pair<const TDayIndex::TDated*, const TDayIndex::TDated*> TDayIndex::DatedOn(int32_t y,
                                                                                 uint8_t m,
                                                                                 uint8_t d) const {
  const uint64_t key = DateKey(y, m, d);
  auto [lo, hi] = std::equal_range(dated_.begin(), dated_.end(), TDated{key, 0},
                                   [](const TDated& a, const TDated& b) { return a.Key < b.Key; });
  return {dated_.data() + (lo - dated_.begin()), dated_.data() + (hi - dated_.begin())};
}

bool TDayIndex::AnyMatch(int32_t y, uint8_t m, uint8_t d) const {
  for (auto [lo, hi] = DatedOn(y, m, d); lo != hi; ++lo)
    if (Matches(*lo, y, m, d)) return true;
  for (uint32_t pos : by_month_[m <= 12 ? m : 0])
    if (rules_[pos].Item.Match(y, m, d)) return true;
  return false;
}

void TDayIndex::Assign(const TLineList& lines, bool sameHolidays) {
  lines_ = &lines;
  dated_.clear();
  rules_.clear();
  series_.clear();
  series_lines_.clear();
  faulty_.clear();
  Read(0, lines.Count(), dated_);
  SortByKey(dated_);
  IndexRules();
  series_days_.Assign(series_, series_lines_, sameHolidays);
}

void TDayIndex::Update(const std::vector<TLineStretch>& changes, bool sameHolidays) {
  bool rulesChanged = false, seriesChanged = false, seriesMoved = false;
  std::vector<TRange> added;  // the lines still to be read, where they are now
  for (const TLineStretch& c : changes) {
    const size_t from = c.Pos, to = c.Pos + c.Removed;
    const int64_t delta = static_cast<int64_t>(c.Added) - static_cast<int64_t>(c.Removed);
    DropAndMove(dated_, from, to, delta, [](TDated& e) -> uint32_t& { return e.Line; });
    rulesChanged |=
        DropAndMove(rules_, from, to, delta, [](TRuleLine& r) -> uint32_t& { return r.Line; });
    DropAndMove(faulty_, from, to, delta, [](uint32_t& line) -> uint32_t& { return line; });
    // The series and their lines go together.
    size_t kept = 0;
    for (size_t i = 0; i < series_.size(); ++i) {
      uint32_t line = series_lines_[i];
      if (line >= from && line < to) continue;
      if (line >= to && delta != 0) {
        line = static_cast<uint32_t>(line + delta);
        seriesMoved = true;
      }
      series_lines_[kept] = line;
      if (kept != i) series_[kept] = std::move(series_[i]);
      ++kept;
    }
    seriesChanged |= kept != series_.size();
    series_.resize(kept);
    series_lines_.resize(kept);
    // Lines added by an earlier stretch move with this one, or go when it replaced them.
    std::vector<TRange> next;
    for (const TRange& r : added) {
      if (r.From < from) next.push_back({r.From, std::min(r.To, from)});
      if (r.To > to)
        next.push_back({static_cast<size_t>(static_cast<int64_t>(std::max(r.From, to)) + delta),
                        static_cast<size_t>(static_cast<int64_t>(r.To) + delta)});
    }
    next.push_back({c.Pos, c.Pos + c.Added});
    added = std::move(next);
  }
  const size_t rules = rules_.size(), series = series_.size();
  // Read in line order, so that sorting by key alone leaves each key's lines in order.
  std::sort(added.begin(), added.end(),
            [](const TRange& a, const TRange& b) { return a.From < b.From; });
  std::vector<TDated> dated;
  for (const TRange& r : added) Read(r.From, r.To, dated);
  if (!dated.empty()) {
    SortByKey(dated);
    const size_t old = dated_.size();
    dated_.insert(dated_.end(), dated.begin(), dated.end());
    std::inplace_merge(dated_.begin(), dated_.begin() + static_cast<std::ptrdiff_t>(old),
                       dated_.end());
  }
  // The other parts are short: read in order of the ranges, they are put back in line order.
  if (rules_.size() != rules) {
    rulesChanged = true;
    std::stable_sort(rules_.begin(), rules_.end(),
                     [](const TRuleLine& a, const TRuleLine& b) { return a.Line < b.Line; });
  }
  std::sort(faulty_.begin(), faulty_.end());
  if (series_.size() != series) {
    seriesChanged = true;
    std::vector<size_t> order(series_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return series_lines_[a] < series_lines_[b]; });
    std::vector<TSeries> s;
    std::vector<uint32_t> l;
    for (size_t i : order) {
      s.push_back(std::move(series_[i]));
      l.push_back(series_lines_[i]);
    }
    series_ = std::move(s);
    series_lines_ = std::move(l);
  }
  if (rulesChanged) IndexRules();
  if (seriesChanged)
    series_days_.Assign(series_, series_lines_, sameHolidays);
  else if (seriesMoved)
    series_days_.MoveLines(series_lines_);
}

void TDayIndex::Read(size_t from, size_t to, std::vector<TDated>& dated) {
  TDayListItem item;
  TCommaField name;
  TSeries series;
  for (size_t i = from; i < to; ++i) {
    const std::string& line = lines_->Lines()[i];
    const auto at = static_cast<uint32_t>(i);
    if (ReadWrittenItem(line, item)) {
      dated.push_back({DateKey(item.FromYear, item.Month, item.Day), at, 0, 0});
      continue;
    }
    switch (ParseDayListLine(line, item, &name)) {
      case TDayLineKind::Rule:
        if (item.IsSingleDay()) {
          dated.push_back(
              {DateKey(item.FromYear, item.Month, item.Day), at, item.DayOfWeek, item.WeekNo});
        } else {
          item.Name = name.ToString();
          rules_.push_back({at, std::move(item)});
        }
        continue;
      case TDayLineKind::Faulty:
        faulty_.push_back(at);
        continue;
      case TDayLineKind::NoRule:
        break;
    }
    switch (ParseSeriesLine(line, series)) {
      case TSeriesLineKind::Series:
        series_.push_back(std::move(series));
        series_lines_.push_back(at);
        break;
      case TSeriesLineKind::Faulty:
        faulty_.push_back(at);
        break;
      case TSeriesLineKind::NotSeries:
        break;
    }
  }
}

void TDayIndex::IndexRules() {
  for (std::vector<uint32_t>& g : by_month_) g.clear();
  for (uint32_t i = 0; i < rules_.size(); ++i) {
    by_month_[0].push_back(i);
    for (uint8_t m = 1; m <= 12; ++m)
      if (rules_[i].Item.Month == 0 || rules_[i].Item.Month == m) by_month_[m].push_back(i);
  }
}

std::vector<TDayListItem> TDayIndex::Items() const {
  std::vector<TDayListItem> items;
  TDayListItem item;
  for (size_t i = 0; lines_ && i < lines_->Count(); ++i)
    if (ParseDayListLine((*lines_)[i], item) == TDayLineKind::Rule) items.push_back(item);
  return items;
}

std::vector<std::string> TDayIndex::FaultyLines() const {
  std::vector<std::string> lines;
  for (uint32_t i : faulty_) lines.push_back((*lines_)[i]);
  return lines;
}

}  // namespace moriva
