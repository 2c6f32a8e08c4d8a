#pragma once
// What the user is told about day-list lines that could not be read (a numeric field that is
// not a decimal integer). A schedule file may hold thousands of them, some very long, so the
// report names the first few, each cut to a readable length, and counts the rest: one box,
// never one per line.
#include <cstddef>
#include <string>
#include <vector>

namespace moriva {

inline constexpr size_t kReportedFaultyLines = 3;
// Longest part of a line quoted in the report, in bytes; a longer line ends in "...".
inline constexpr size_t kQuotedLineBytes = 100;

// "'<line>' は整数ではありません" (UTF-8) for each of the first kReportedFaultyLines lines
// (CP932), separated by CR LF, then "ほかに読み取れない行が N 行あります。" when there are more.
// Empty for no lines.
std::string FaultyDayLinesText(const std::vector<std::string>& lines);

}  // namespace moriva
