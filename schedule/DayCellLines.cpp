#include "schedule/DayCellLines.h"

#include "base/CommaText.h"
#include "schedule/ItemSummary.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

std::vector<std::string> DayCellLines(std::string_view dayText, int room) {
  if (room <= 0) return {};
  std::vector<TItemSummary> items;
  for (const std::string& name : SplitCommaText(dayText)) {
    const std::optional<TItemParts> parts = SplitItemText(name);
    if (!parts) continue;  // a holiday or a special day of another form
    items.push_back(SummarizeItem(*parts));
  }
  // The same order as the week list and the printed sheets.
  SortByItemTime(items, [](const TItemSummary& item) { return item.Minute; });
  const size_t lines = static_cast<size_t>(room);
  const size_t shown = items.size() <= lines ? items.size() : lines - 1;
  std::vector<std::string> out;
  for (size_t i = 0; i < shown; ++i) out.push_back(std::move(items[i].Subject));
  if (shown < items.size()) out.push_back("+" + std::to_string(items.size() - shown));
  return out;
}

}  // namespace moriva
