#include "schedule/DayCellLines.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/CommaText.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

std::vector<std::string> DayCellLines(std::string_view dayText, int room) {
  if (room <= 0) return {};
  struct TEntry {
    int64_t Minute;  // -1 without a readable time
    std::string Subject;
  };
  std::vector<TEntry> items;
  for (const std::string& name : SplitCommaText(dayText)) {
    const std::optional<TItemParts> parts = SplitItemText(name);
    if (!parts) continue;  // a holiday or a special day of another form
    const std::optional<TTimeOfDay> t = StoredTimeOfDay(parts->Time);
    items.push_back({t ? int64_t{t->Hour} * 60 + t->Minute : -1, parts->Subject});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const TEntry& a, const TEntry& b) { return a.Minute < b.Minute; });
  const size_t lines = static_cast<size_t>(room);
  const size_t shown = items.size() <= lines ? items.size() : lines - 1;
  std::vector<std::string> out;
  for (size_t i = 0; i < shown; ++i) out.push_back(std::move(items[i].Subject));
  if (shown < items.size()) out.push_back("+" + std::to_string(items.size() - shown));
  return out;
}

}  // namespace moriva
