#include "base/SearchFold.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

TEST(SearchFoldTest, FoldsCaseAndWidth) {
  const struct {
    const char* text;  // UTF-8 here, folded as CP932
    const char* folded;
  } cases[] = {
      {"Meeting ABC xyz", "meeting abc xyz"},
      {"ＡＢＣｘｙｚ０１２９", "abcxyz0129"},
      {"会議　ﾐｰﾃｨﾝｸﾞ", "会議 ミーティング"},
      {"ｶﾞｷﾞﾀﾞﾄﾞﾊﾞﾎﾞﾊﾟﾎﾟｳﾞ", "ガギダドバボパポヴ"},
      // Marks that belong to no letter before them stay marks.
      {"ｱﾞｶﾟﾞﾟ", "ア゛カ゜゛゜"},
      {"ΑΩαω", "αωαω"},
      {"АЁНОЯ", "аёноя"},  // both sides of the gap at 0x847F
      // Trail bytes that look like letters are not letters: ア is 83 41, ヂ 83 61.
      {"アヂ漢字ひらがな", "アヂ漢字ひらがな"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Cp932ToUtf8(FoldForSearch(Utf8ToCp932(c.text))), c.folded);
  }
}

TEST(SearchFoldTest, FindsOnlyWholeCharacters) {
  const struct {
    const char* text;
    const char* needle;
    size_t at;
  } cases[] = {
      {"abcabc", "ca", 2},
      {"　@", "@", 2},  // 81 40: the first 40 is a trail byte
      {"ヂa", "a", 2},  // 83 61
      {"ヂ", "a", std::string::npos},
      {"xア", "ア", 1},
      {"x🎂", "🎂", 1},                      // a pair, F5 85 F0 62
      {"🎂", "\uE022", std::string::npos},  // F0 62: the pair's second half
      {"", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindCp932(Utf8ToCp932(c.text), Utf8ToCp932(c.needle)), c.at);
  }
}

}  // namespace
}  // namespace moriva
