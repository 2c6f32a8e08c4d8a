#include "schedule/ItemSummary.h"

#include <cstdio>

#include "schedule/Agenda.h"

namespace moriva {

std::optional<int> ItemMinuteOfDay(std::string_view storedTime) {
  const std::optional<TTimeOfDay> t = StoredTimeOfDay(storedTime);
  if (!t || t->Hour > 23 || t->Minute > 59) return std::nullopt;
  return t->Hour * 60 + t->Minute;
}

std::string TItemSummary::TimeText() const {
  if (!Minute) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", *Minute / 60, *Minute % 60);
  return text;
}

std::string TItemSummary::Text() const {
  std::string text = TimeText();
  if (!text.empty()) text += ' ';
  text += Subject;
  if (!Place.empty()) text += " @" + Place;
  return text;
}

TItemSummary SummarizeItem(const TItemParts& parts) {
  return {ItemMinuteOfDay(parts.Time), parts.Subject, parts.Place, parts.Alarm()};
}

std::vector<TDayEntry> DayEntries(const std::vector<TDayName>& names) {
  std::vector<TDayEntry> entries;
  std::vector<std::pair<TItemSummary, bool>> items;  // with whether it repeats
  for (const TDayName& name : names) {
    if (std::optional<TItemParts> parts = SplitItemText(name.Text))
      items.emplace_back(SummarizeItem(*parts), name.Repeating);
    else
      entries.push_back(
          {name.Holiday ? TDayEntry::TKind::Holiday : TDayEntry::TKind::SpecialDay, name.Text});
  }
  SortByItemTime(items, [](const auto& i) { return i.first.Minute; });
  for (const auto& [item, repeating] : items)
    entries.push_back({TDayEntry::TKind::Item, item.Text(), item.Alarm, repeating});
  return entries;
}

}  // namespace moriva
