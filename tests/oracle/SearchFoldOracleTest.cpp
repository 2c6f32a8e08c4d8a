// The katakana part of the search folding against nkf, which widens half-width katakana and
// joins their sound marks: every half-width character alone and with each mark after it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/SearchFold.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;

TEST(SearchFoldOracleTest, HalfWidthKanaAsNkfWidensThem) {
  std::string input;
  for (int c = 0xA1; c <= 0xDF; ++c) {
    for (const char* after : {"", "\xDE", "\xDF"}) {
      input += static_cast<char>(c);
      input += after;
      input += '\n';
    }
  }
  oracle::TempDir dir;
  const std::string expected = oracle::RunWithInput(dir, "nkf -S -s", input);
  std::istringstream ours(FoldForSearch(input)), theirs(expected);
  int lines = 0;
  for (std::string a, b; std::getline(ours, a) && std::getline(theirs, b); ++lines) {
    EXPECT_EQ(a, b) << "line " << lines;
  }
  EXPECT_EQ(lines, 63 * 3);
}
