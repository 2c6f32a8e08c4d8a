#pragma once
// The special-day list of a calendar by day. A schedule is mostly items of one date each (rule
// lines of a single year, month and day), with a few rule lines of other forms and some series;
// a calendar asks about the days it shows, and every day of a long schedule is asked about
// seldom. So:
// - an item of one date is kept as a (date, line) entry in date order, found by binary search,
//   and its name is read from its line only when its day is asked about;
// - the other rule lines are parsed and tested on every day of their month (or of every month);
// - the series are TSeriesDays, which works out only the blocks of days asked about.
// The index follows the changes of its list (TLineList::Changes): the entries of the lines a
// change removed go, those after it move, and only the lines it added are read.
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/DayListItem.h"
#include "calendar/SeriesDays.h"

namespace moriva {

class TDayIndex {
 public:
  // Reads every line of `lines`, which must outlive the index (names are read from it when
  // asked for) and must be the list later changes are followed on. With `sameHolidays`, what
  // the series had worked out under the holidays stays (TSeriesDays::Assign).
  void Assign(const TLineList& lines, bool sameHolidays);
  // Follows the changes the list is telling (its Changes()).
  void Update(const std::vector<TLineStretch>& changes, bool sameHolidays);

  const TLineList* Lines() const { return lines_; }

  // Calls visit(line, name) for every rule line that matches the date, in list order (series
  // not included). A name that has to be unquoted is kept in `names`, so that every name
  // stays valid as long as `names` and the list do.
  template <class Visit>
  void ForEachMatch(int32_t y, uint8_t m, uint8_t d, std::deque<std::string>& names,
                    Visit&& visit) const;
  // Whether any rule line matches the date.
  bool AnyMatch(int32_t y, uint8_t m, uint8_t d) const;

  // Calls visit(line) for the lines of the rule items of one date from..to (inclusive: years,
  // months and days as read, which orders real dates as the calendar does), by date and then
  // line, until visit returns false. Items that are not schedule items (no real date, a
  // weekday condition) are among them: the caller reads each line again.
  template <class Visit>
  void ForEachDatedLine(int32_t fromY, uint8_t fromM, uint8_t fromD, int32_t toY, uint8_t toM,
                        uint8_t toD, Visit&& visit) const;

  // The rule items in list order, names included (read from the lines).
  std::vector<TDayListItem> Items() const;
  // The lines that could not be read (a faulty rule line or series line), in list order.
  std::vector<std::string> FaultyLines() const;
  const TSeriesDays& Series() const { return series_days_; }

 private:
  // An item of one date. The date is the key; a weekday condition is kept to test it.
  struct TDated {
    uint64_t Key = 0;
    uint32_t Line = 0;
    uint8_t DayOfWeek = 0;
    uint8_t WeekNo = 0;
    bool operator<(const TDated& o) const { return Key != o.Key ? Key < o.Key : Line < o.Line; }
  };
  struct TRuleLine {
    uint32_t Line = 0;
    TDayListItem Item;
  };
  static uint64_t DateKey(int32_t y, uint8_t m, uint8_t d) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 16) | (uint64_t{m} << 8) | d;
  }
  static bool Matches(const TDated& e, int32_t y, uint8_t m, uint8_t d);
  std::pair<const TDated*, const TDated*> DatedOn(int32_t y, uint8_t m, uint8_t d) const;
  // Reads lines [from, to) into the parts (the dated ones into `dated`, unsorted).
  void Read(size_t from, size_t to, std::vector<TDated>& dated);
  void IndexRules();

  const TLineList* lines_ = nullptr;
  std::vector<TDated> dated_;     // by date, then line
  std::vector<TRuleLine> rules_;  // by line
  // Positions in rules_ of the rules tested on every day of month m (1..12): those of month m
  // and those of any month; [0] holds them all, for a month out of range.
  std::array<std::vector<uint32_t>, 13> by_month_;
  std::vector<TSeries> series_;  // by line
  std::vector<uint32_t> series_lines_;
  std::vector<uint32_t> faulty_;  // ascending
  TSeriesDays series_days_;
};

template <class Visit>
void TDayIndex::ForEachMatch(int32_t y, uint8_t m, uint8_t d, std::deque<std::string>& names,
                             Visit&& visit) const {
  auto [lo, hi] = DatedOn(y, m, d);
  const std::vector<uint32_t>& general = by_month_[m <= 12 ? m : 0];
  auto g = general.begin();
  TDayListItem item;
  TCommaField name;
  std::string buffer;
  while (lo != hi || g != general.end()) {
    if (g == general.end() || (lo != hi && lo->Line < rules_[*g].Line)) {
      const TDated& e = *lo++;
      if (!Matches(e, y, m, d)) continue;
      ParseDayListLine((*lines_)[e.Line], item, &name);
      std::string_view text = name.Text(buffer);
      if (name.Doubled) text = names.emplace_back(text);
      visit(e.Line, text);
    } else {
      const TRuleLine& r = rules_[*g++];
      if (r.Item.Match(y, m, d)) visit(r.Line, std::string_view(r.Item.Name));
    }
  }
}

template <class Visit>
void TDayIndex::ForEachDatedLine(int32_t fromY, uint8_t fromM, uint8_t fromD, int32_t toY,
                                 uint8_t toM, uint8_t toD, Visit&& visit) const {
  const uint64_t from = DateKey(fromY, fromM, fromD), to = DateKey(toY, toM, toD);
  auto it = std::lower_bound(dated_.begin(), dated_.end(), TDated{from, 0});
  for (; it != dated_.end() && it->Key <= to; ++it)
    if (!visit(it->Line)) return;
}

}  // namespace moriva
