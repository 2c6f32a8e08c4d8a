#include "schedule/ScheduleSearch.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <tuple>

#include "base/SearchFold.h"
#include "calendar/SeriesLine.h"

namespace moriva {
namespace {

// A cheap test of the whole line before it is split: the folded subject and place are pieces
// of the folded line, so a line whose folded form lacks the key cannot be a hit. Only a quote
// breaks this (a doubled quote in the line is one quote in the text), so a key with a quote
// skips the test.
class TLineFilter {
 public:
  explicit TLineFilter(std::string_view key)
      : key_(key), usable_(key.find('"') == std::string_view::npos) {}

  bool MayMatch(std::string_view line) {
    // Subject and place lie in the quoted text: a line without a quote holds no item (an
    // unquoted text ends at its first blank, so it never has the parts of one).
    const size_t quote = line.find('"');
    if (quote == std::string_view::npos) return false;
    if (!usable_) return true;
    buffer_.clear();
    AppendFolded(line.substr(quote), buffer_);
    return buffer_.find(key_) != std::string::npos;
  }

 private:
  std::string_view key_;
  bool usable_;
  std::string buffer_;
};

// A series that matches is one hit, on the occurrence a person looks for: the next one, or the
// last one of a series that has ended.
std::optional<TAgendaItem> SeriesHit(const TSeries& series, const TOccurrences& occurrences,
                                     size_t index, std::string_view key, JuliusDay today) {
  std::optional<TItemParts> parts = SplitItemText(series.Text);
  if (!parts || !ItemMatches(*parts, key)) return std::nullopt;
  std::optional<JuliusDay> day = occurrences.Next(today);
  if (!day) day = occurrences.Last();
  if (!day) return std::nullopt;
  return TAgendaItem{*day, index, std::move(*parts), true};
}

// Where the series of a list come from: read from each line, or kept by the rules.
using TSeriesHitAt = std::function<std::optional<TAgendaItem>(size_t index, std::string_view key)>;

std::vector<TAgendaItem> Search(const TLineList& list, std::string_view query, TSearchOrder order,
                                size_t limit, const TSeriesHitAt& seriesHit);

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string SearchKey(std::string_view query) {
  std::string key = FoldForSearch(query);  // the ideographic space is a blank now
  size_t begin = 0;
  size_t end = key.size();
  while (begin < end && IsBlank(key[begin])) ++begin;
  while (end > begin && IsBlank(key[end - 1])) --end;
  return key.substr(begin, end - begin);
}

bool ItemMatches(const TItemParts& parts, std::string_view key) {
  return FindCp932(FoldForSearch(parts.Subject), key) != std::string_view::npos ||
         FindCp932(FoldForSearch(parts.Place), key) != std::string_view::npos;
}

std::vector<TAgendaItem> SearchSchedule(const TLineList& list, std::string_view query,
                                        TSearchOrder order, size_t limit, JuliusDay today,
                                        const THolidayTest& holidays) {
  TSeries series;
  return Search(list, query, order, limit, [&](size_t i, std::string_view key) {
    if (ParseSeriesLine(list.Lines()[i], series) != TSeriesLineKind::Series)
      return std::optional<TAgendaItem>();
    return SeriesHit(series, TOccurrences(series.Rule, holidays), i, key, today);
  });
}

std::vector<TAgendaItem> SearchSchedule(const TDayRules& rules, std::string_view query,
                                        TSearchOrder order, size_t limit, JuliusDay today) {
  if (!rules.SpecialDays().Lines()) return {};
  const TSeriesDays& series = rules.Series();
  return Search(*rules.SpecialDays().Lines(), query, order, limit,
                [&](size_t i, std::string_view key) -> std::optional<TAgendaItem> {
                  // The series are kept in line order.
                  size_t lo = 0, hi = series.Series().size();
                  while (lo < hi) {
                    const size_t mid = (lo + hi) / 2;
                    if (series.Line(mid) < i)
                      lo = mid + 1;
                    else
                      hi = mid;
                  }
                  if (lo == series.Series().size() || series.Line(lo) != i) return std::nullopt;
                  return SeriesHit(series.Series()[lo], series.Occurrences(lo, rules), i, key,
                                   today);
                });
}

namespace {

std::vector<TAgendaItem> Search(const TLineList& list, std::string_view query, TSearchOrder order,
                                size_t limit, const TSeriesHitAt& seriesHit) {
  std::vector<TAgendaItem> hits;
  const std::string key = SearchKey(query);
  if (key.empty() || limit == 0) return hits;
  TLineFilter filter(key);
  auto visit = [&](size_t i) {
    const std::string& line = list.Lines()[i];
    if (!filter.MayMatch(line)) return;
    if (IsSeriesLine(line)) {
      if (std::optional<TAgendaItem> hit = seriesHit(i, key)) hits.push_back(std::move(*hit));
      return;
    }
    std::optional<TAgendaItem> item = ReadAgendaLine(line, i);
    if (item && ItemMatches(item->Parts, key)) hits.push_back(std::move(*item));
  };

  if (order == TSearchOrder::Newest) {
    for (size_t i = list.Count(); i-- > 0 && hits.size() < limit;) visit(i);
    return hits;
  }
  for (size_t i = 0; i < list.Count(); ++i) visit(i);
  // Sorted by keys worked out once, not on every comparison.
  struct TKey {
    int32_t Day;
    int64_t Minute;  // stored hours are not bounded
    size_t Hit;
    bool operator<(const TKey& o) const {
      return std::tie(Day, Minute, Hit) < std::tie(o.Day, o.Minute, o.Hit);
    }
  };
  std::vector<TKey> keys;
  keys.reserve(hits.size());
  for (size_t h = 0; h < hits.size(); ++h) {
    const std::optional<TTimeOfDay> t = StoredTimeOfDay(hits[h].Parts.Time);
    keys.push_back({hits[h].Day, t ? int64_t{t->Hour} * 60 + t->Minute : -1, h});
  }
  const size_t count = std::min(limit, keys.size());
  std::partial_sort(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count), keys.end());
  std::vector<TAgendaItem> sorted;
  sorted.reserve(count);
  for (size_t k = 0; k < count; ++k) sorted.push_back(std::move(hits[keys[k].Hit]));
  return sorted;
}

}  // namespace

}  // namespace moriva
