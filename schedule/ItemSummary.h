#pragma once
// One schedule item as a person reads it, the same wherever it is shown (the week list, the
// printed month and agenda, the editor's list): "09:30 件名 @場所", without the time for an
// item of the whole day and without " @" when it has no place, and whether its alarm is on.
// With it the one order of a day: items of the whole day first, then by time, items of the
// same time in the order they were entered. Texts are CP932.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DayRules.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

// The minute of the day (0..1439) of a stored "H:M:S" time, or nullopt for an item of the
// whole day: the editor stores "::0" when no hour is chosen, and any time that is no time of
// day (a piece that is no number, an hour past 23, a minute past 59) counts the same.
std::optional<int> ItemMinuteOfDay(std::string_view storedTime);

struct TItemSummary {
  std::optional<int> Minute;  // nullopt: the whole day
  std::string Subject;
  std::string Place;
  bool Alarm = false;

  // "09:30", or "" for the whole day.
  std::string TimeText() const;
  // "09:30 件名 @場所".
  std::string Text() const;
};

TItemSummary SummarizeItem(const TItemParts& parts);

// The order key: whole-day items before any time.
inline int ItemOrderKey(const std::optional<int>& minute) {
  return minute.value_or(-1);
}

// Puts `items` in the day's order; `minuteOf(item)` gives an item's ItemMinuteOfDay. Stable.
template <typename T, typename MinuteOf>
void SortByItemTime(std::vector<T>& items, MinuteOf minuteOf) {
  std::stable_sort(items.begin(), items.end(), [&minuteOf](const T& a, const T& b) {
    return ItemOrderKey(minuteOf(a)) < ItemOrderKey(minuteOf(b));
  });
}

// One entry of a day as a day shows them: a holiday's or a special day's name, or an item.
struct TDayEntry {
  enum class TKind { Holiday, SpecialDay, Item };
  TKind Kind = TKind::Item;
  std::string Text;        // the name, or the item's summary text
  bool Alarm = false;      // an item whose alarm is on
  bool Repeating = false;  // an occurrence of a series
  bool operator==(const TDayEntry&) const = default;
};

// The day's names (TDayRules::DayNames) as a day shows them: the names that are no items
// first, in their order, then the items in the day's order.
std::vector<TDayEntry> DayEntries(const std::vector<TDayName>& names);

}  // namespace moriva
