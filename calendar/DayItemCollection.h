#pragma once
// One ordered collection of rule items (a calendar's holiday items or its special-day items)
// with a date index, so that asking about one day does not test every item.
//
// Items that can match only one date (a single year, month and day: every schedule line is
// such an item) are found through a sorted (date, position) index; all other items are tested
// on every day of their month (or of every month, when they name none). Matches are always
// reported in list order and each candidate still goes through Match, so the results are
// those of testing every item in turn.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "calendar/DayListItem.h"

namespace moriva {

class TDayItemCollection {
 public:
  void Assign(std::vector<TDayListItem> items);
  const std::vector<TDayListItem>& Items() const { return items_; }

  // Calls visit(item) for every item that matches the date, in list order.
  template <class Visit>
  void ForEachMatch(int32_t y, uint8_t m, uint8_t d, Visit&& visit) const {
    auto [lo, hi] =
        std::equal_range(single_.begin(), single_.end(), TEntry{DateKey(y, m, d), 0},
                         [](const TEntry& a, const TEntry& b) { return a.key < b.key; });
    const std::vector<uint32_t>& general = general_[m <= 12 ? m : 0];
    auto g = general.begin();
    while (lo != hi || g != general.end()) {
      uint32_t pos;
      if (g == general.end() || (lo != hi && lo->pos < *g))
        pos = (lo++)->pos;
      else
        pos = *g++;
      if (items_[pos].Match(y, m, d)) visit(items_[pos]);
    }
  }

  // Whether any item matches the date.
  bool AnyMatch(int32_t y, uint8_t m, uint8_t d) const;

 private:
  struct TEntry {
    uint64_t key;
    uint32_t pos;
  };
  static uint64_t DateKey(int32_t y, uint8_t m, uint8_t d) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 16) | (uint64_t{m} << 8) | d;
  }

  std::vector<TDayListItem> items_;
  // Positions (ascending) of the items that are tested on every day of month m (1..12): those
  // of month m and those of any month; [0] holds them all, for a month out of range.
  std::array<std::vector<uint32_t>, 13> general_;
  std::vector<TEntry> single_;  // single-day items by (date, position)
};

}  // namespace moriva
