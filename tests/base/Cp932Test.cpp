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
  EXPECT_EQ(Cp932ToUtf8("a\x97"), "a?");      // lead byte at the end
  EXPECT_EQ(Utf8ToCp932("a\xE2\x82"), "a?");  // truncated UTF-8
}

// Characters the code page lacks travel as pairs of user-defined characters; the expected bytes
// are worked out by hand from the rule in Cp932.h.
TEST(Cp932, CharactersBeyondTheCodePageArePairs) {
  struct Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    std::string cp932;
    std::string handset;  // ToHandsetCp932; "=" for unchanged
    size_t handsetReplaced = 0;
  } cases[] = {
      {"emoji", "🎂 x", u"🎂 x", "\xF5\x85\xF0\x62 x", "\x81\xAC x", 1},
      {"kanji beyond", "𠮷野", u"𠮷野", "\xF5\x88\xF3\x5B\x96\xEC", "\x81\xAC\x96\xEC", 1},
      {"another", "𩸽", u"𩸽", "\xF5\x9C\xF2\xBE", "\x81\xAC", 1},
      {"heart", "♡♪", u"♡♪", "\xF5\x45\xF2\x71\x81\xF4", "\x81\xAC\x81\xF4", 1},
      {"accent", "é", u"é", "\xF5\x40\xF1\x6D", "\x81\xAC", 1},
      {"emoji flag tag", "\U000E0067", u"\U000E0067", "\xF7\xB1\xF0\xE8", "\x81\xAC", 1},
      {"private use, low rows", "\uE000", u"\uE000", "\xF0\x40", "="},
      {"private use, high rows", "\uE3AC\uE757", u"\uE3AC\uE757",
       "\xF5\x5F\xF0\x44\xF5\x5F\xF5\x43", "\xF5\x40\xF9\xFC"},
      {"Shift-JIS only", "予定", u"予定", "\x97\x5C\x92\xE8", "="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    EXPECT_EQ(Utf16ToCp932(c.utf16), c.cp932);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Cp932ToUtf16(c.cp932), c.utf16);
    size_t replaced = 0;
    EXPECT_EQ(ToHandsetCp932(c.cp932, replaced), c.handset == "=" ? c.cp932 : c.handset);
    EXPECT_EQ(replaced, c.handsetReplaced);
  }
}

// What no encoder writes reads as older files hold it, and cut text costs at most what was cut.
TEST(Cp932, TextThatIsNoPairReadsAsBefore) {
  struct Case {
    const char* name;
    std::string cp932, utf8;
  } cases[] = {
      {"lone high half",
       "\xF5\x40"
       "a",
       "\uE3AC"
       "a"},
      {"lone high half at the end", "a\xF5\x40", "a\uE3AC"},
      {"two that would spell @", "\xF5\x40\xF0\x81", "\uE3AC\uE040"},
      {"beyond Unicode", "\xF9\xFC\xF9\xFC", "\uE757\uE757"},
      {"an empty plane", "\xF6\x40\xF0\x40", "\uE468\uE000"},
      {"pair cut after three bytes", "\xF5\x85\xF0", "\uE3F0?"},
      {"one-way character", "\x81\x60", "～"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_LT(WholeCharLength(c.cp932, 0), 4u);  // none is a pair
  }
  // Characters code page 932 spells only one way keep its spelling, as they always did.
  EXPECT_EQ(Utf8ToCp932("〜−"), "\x81\x60\x81\x7C");
  EXPECT_EQ(Utf16ToCp932(u"a\xD83C"
                         u"b"),
            "a?b");                           // a lone surrogate
  EXPECT_EQ(Utf8ToCp932("\U00050000"), "?");  // the planes Unicode leaves empty
  EXPECT_EQ(WholeCharLength("\xF5\x85\xF0\x62", 0), 4u);
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
      {"UTF-16LE", utf16(u"会議,🎂\r\n", false), Utf8ToCp932("会議,🎂\r\n")},
      {"UTF-16BE", utf16(u"会議\r\n", true), Utf8ToCp932("会議\r\n")},
      {"UTF-8 beyond CP932", "\xEF\xBB\xBF🎂 誕生日", Utf8ToCp932("🎂 誕生日")},
      {"malformed UTF-8", "\xEF\xBB\xBF会\xFF", Utf8ToCp932("会〓"), 1},
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
