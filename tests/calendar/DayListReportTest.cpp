// The report of day-list lines that cannot be read: a few named, the rest counted, long lines
// cut without splitting a character.
#include "calendar/DayListReport.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

TEST(FaultyDayLinesText, NamesTheFirstLinesAndCountsTheRest) {
  const std::string a = "a,b,c", b = "2030,2030,x,3,,,\"t- - 9:0:0- TRUE\"",
                    c = Utf8ToCp932("予定,x,1");
  struct Case {
    std::vector<std::string> lines;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{a}, "'a,b,c' は整数ではありません"},
      {{a, b, c},
       "'a,b,c' は整数ではありません\r\n'" + b +
           "' は整数ではありません\r\n'予定,x,1' は整数ではありません"},
      {std::vector<std::string>(10000, a),
       "'a,b,c' は整数ではありません\r\n'a,b,c' は整数ではありません\r\n'a,b,c' "
       "は整数ではありません"
       "\r\nほかに読み取れない行が 9997 行あります。"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.lines.size());
    EXPECT_EQ(FaultyDayLinesText(k.lines), k.text);
  }
}

TEST(FaultyDayLinesText, CutsLongLinesOnACharacterBoundary) {
  // 99 ASCII bytes, then double-byte characters: the one that would pass byte 100 is left out.
  const std::string line = std::string(99, 'x') + Utf8ToCp932("漢字") + std::string(1 << 20, 'y');
  EXPECT_EQ(FaultyDayLinesText({line}), "'" + std::string(99, 'x') + "...' は整数ではありません");
  const std::string exact(kQuotedLineBytes, 'z');
  EXPECT_EQ(FaultyDayLinesText({exact}), "'" + exact + "' は整数ではありません");
}

}  // namespace
}  // namespace moriva
