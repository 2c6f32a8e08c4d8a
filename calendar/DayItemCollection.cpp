#include "calendar/DayItemCollection.h"

namespace moriva {

void TDayItemCollection::Assign(std::vector<TDayListItem> items) {
  items_ = std::move(items);
  for (std::vector<uint32_t>& g : general_) g.clear();
  single_.clear();
  for (uint32_t i = 0; i < items_.size(); ++i) {
    const TDayListItem& it = items_[i];
    if (it.IsSingleDay()) {
      single_.push_back({DateKey(it.FromYear, it.Month, it.Day), i});
      continue;
    }
    general_[0].push_back(i);
    for (uint8_t m = 1; m <= 12; ++m)
      if (it.Month == 0 || it.Month == m) general_[m].push_back(i);
  }
  // Positions ascend within one date, so that matches come out in list order.
  std::sort(single_.begin(), single_.end(), [](const TEntry& a, const TEntry& b) {
    return a.key != b.key ? a.key < b.key : a.pos < b.pos;
  });
}

bool TDayItemCollection::AnyMatch(int32_t y, uint8_t m, uint8_t d) const {
  // Order does not matter here, so the first match ends the search.
  auto [lo, hi] = std::equal_range(single_.begin(), single_.end(), TEntry{DateKey(y, m, d), 0},
                                   [](const TEntry& a, const TEntry& b) { return a.key < b.key; });
  for (; lo != hi; ++lo)
    if (items_[lo->pos].Match(y, m, d)) return true;
  for (uint32_t pos : general_[m <= 12 ? m : 0])
    if (items_[pos].Match(y, m, d)) return true;
  return false;
}

}  // namespace moriva
