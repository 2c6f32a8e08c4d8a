#pragma once
// What a month cell lists under its day number once the window has grown tall enough: the
// subjects of the day's items, so that a glance at the month shows what each day holds.
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

// The lines for a cell with room for `room` lines, from the day's names as the calendar gives
// them (comma text, CP932). Only the names that are item texts count; each gives its subject.
// They come in the day's order (SortByItemTime). When there are more items than lines, the last
// line is "+N" for the N not shown. No room (0 or less) gives nothing.
std::vector<std::string> DayCellLines(std::string_view dayText, int room);

}  // namespace moriva
