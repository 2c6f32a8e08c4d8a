#include "calendar/DayListReport.h"

#include "base/Cp932.h"
#include "base/IntText.h"

namespace moriva {
namespace {

// At most kQuotedLineBytes of the line, ending on a character boundary (before a pair rather
// than inside it).
std::string Quoted(const std::string& line) {
  if (line.size() <= kQuotedLineBytes) return line;
  size_t end = 0;
  while (end < line.size() && end + WholeCharLength(line, end) <= kQuotedLineBytes)
    end += WholeCharLength(line, end);
  return line.substr(0, end) + "...";
}

}  // namespace

std::string FaultyDayLinesText(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < kReportedFaultyLines; ++i) {
    if (i > 0) text += "\r\n";
    text += NotAnIntegerMessage(Quoted(lines[i]));
  }
  if (lines.size() > kReportedFaultyLines)
    text += "\r\nほかに読み取れない行が " + std::to_string(lines.size() - kReportedFaultyLines) +
            " 行あります。";
  return text;
}

}  // namespace moriva
