#include "base/Cp932.h"

#include <gtest/gtest.h>

#include "base/Charset.h"
#include "base/Exception.h"
#include "base/IntText.h"

using namespace moriva;

TEST(Cp932, LeadBytes) {
  for (int c = 0; c < 256; ++c) {
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(c)), lead) << c;
  }
}

TEST(Cp932, ConversionsRoundTrip) {
  struct Case {
    const char* utf8;
    std::string cp932;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"予定", "\x97\x5C\x92\xE8"},
      {"表ソポ", "\x95\x5C\x83\x5C\x83\x7C"},
      {"ｱｶﾞ", "\xB1\xB6\xDE"},
      {"～", "\x81\x60"},  // the full-width tilde of code page 932
      {"①Ⅱ㈱", "\x87\x40\x87\x55\x87\x8A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Utf16ToCp932(Cp932ToUtf16(c.cp932)), c.cp932);
  }
  EXPECT_EQ(Cp932ToUtf16("a\x97\x5C"), u"a予");
}

TEST(Cp932, UnconvertibleInputBecomesQuestionMark) {
  EXPECT_EQ(Cp932ToUtf8("a\x97"), "a?");                // lead byte at the end
  EXPECT_EQ(Utf8ToCp932("a\xE2\x82"), "a?");            // truncated UTF-8
  EXPECT_EQ(Utf8ToCp932("x\xF0\x9F\x98\x80y"), "x?y");  // no counterpart in code page 932
}

// Files from phones and spreadsheets are read as the code they are in; every file in CP932 (all
// this program writes) comes back unchanged, even one that would also pass for UTF-8.
TEST(ForeignTextToCp932, ReadsEachCodeAndLeavesCp932Alone) {
  const std::string row = "会議,本社,2027/3/3,18:00,true\r\n";
  auto utf16 = [](std::u16string_view text, bool big) {
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
      const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      bytes += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes, cp932;
    size_t replaced = 0;
  } cases[] = {
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + row, Utf8ToCp932(row)},
      {"UTF-8 without", row, Utf8ToCp932(row)},
      {"UTF-16LE", utf16(u"会議,🎂\r\n", false), Utf8ToCp932("会議,〓\r\n"), 1},
      {"UTF-16BE", utf16(u"会議\r\n", true), Utf8ToCp932("会議\r\n")},
      {"UTF-8 beyond CP932", "\xEF\xBB\xBF🎂 誕生日", Utf8ToCp932("〓 誕生日"), 1},
      {"CP932", Utf8ToCp932(row), Utf8ToCp932(row)},
      {"CP932 that is valid UTF-8", Utf8ToCp932("ﾃｽ"), Utf8ToCp932("ﾃｽ")},  // C3 BD: "ý"
      {"ASCII", "a,b\r\n", "a,b\r\n"},
      {"neither", "\xFF\xFF\xFE", "\xFF\xFF\xFE"},
      {"only a mark", "\xEF\xBB\xBF", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t replaced = 0;
    EXPECT_EQ(ForeignTextToCp932(c.bytes, &replaced), c.cp932);
    EXPECT_EQ(replaced, c.replaced);
  }
}

TEST(IntText, DecimalOnly) {
  EXPECT_EQ(TryStrToInt("0"), 0);
  EXPECT_EQ(TryStrToInt("-12"), -12);
  EXPECT_EQ(TryStrToInt("+7"), 7);
  EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
  EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "+", "-", "2147483648", "1a", " 1", "0x10", "$10", "+-1", "1.0"})
    EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
  try {
    StrToInt("x1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x1' は整数ではありません");
  }
}
