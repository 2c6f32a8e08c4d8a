#include "calendar/DayItemCollection.h"

namespace moriva {

void TDayItemCollection::Assign(std::vector<TDayListItem> items) {
  items_ = std::move(items);
  general_.clear();
  single_.clear();
  for (uint32_t i = 0; i < items_.size(); ++i) {
    const TDayListItem& it = items_[i];
    if (it.IsSingleDay())
      single_.push_back({DateKey(it.FromYear, it.Month, it.Day), i});
    else
      general_.push_back(i);
  }
  // Positions ascend within one date, so that matches come out in list order.
  std::sort(single_.begin(), single_.end(), [](const TEntry& a, const TEntry& b) {
    return a.key != b.key ? a.key < b.key : a.pos < b.pos;
  });
}

bool TDayItemCollection::AnyMatch(int32_t y, uint8_t m, uint8_t d) const {
  bool any = false;
  ForEachMatch(y, m, d, [&](const TDayListItem&) { any = true; });
  return any;
}

}  // namespace moriva
