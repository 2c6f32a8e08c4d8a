#include "mail/EncodedWord.h"
#include "mail/HeaderText.h"
#include "mail/JapaneseCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "base/Cp932.h"

using namespace moriva;

namespace {

const std::string kIn = "\x1B$B";
const std::string kOut = "\x1B(J";

// "予定" in the three codes.
const std::string kScheduleWordSjis = "\x97\x5C\x92\xE8";
const std::string kScheduleWordJisBody = "\x4D\x3D\x44\x6A";
const std::string kScheduleWordEuc = "\xCD\xBD\xC4\xEA";

}  // namespace

TEST(DetectJapaneseCode, Table) {
  struct Case {
    std::string text;
    int code;
  } cases[] = {
      {"", jcAscii},
      {"Moriva (UnKnown)", jcAscii},
      {"abc\x97", jcAscii},  // the last byte is never examined
      {"abc\x97\x5C", jcSjis},
      {"\x01"
       "abc",
       jcBinary},
      {"ab\xFF"
       "cd",
       jcBinary},
      {"abc\x01", jcAscii},  // the control test stops before the last byte
      {std::string(600, 'a') + "\x02" + "a", jcBinary},  // found again by the scan
      {kScheduleWordSjis, jcSjis},
      {kIn + kScheduleWordJisBody + kOut, jcJis},
      {"\x1B$@" + kScheduleWordJisBody, jcJisOld},
      {"\x1B(J"
       "abc",
       jcAscii},
      {"a\x1B$", jcAscii},              // escape cut off at the end
      {kScheduleWordEuc, jcEucOrSjis},  // every byte fits both codes
      {"\xA4\xF3", jcEuc},              // EUC "ん": a trail byte only EUC has
      {"\xF0\xA1"
       "a",
       jcEuc},
      {"\x8E\x40"
       "a",
       jcSjis},
      {"\x8E\xB1"
       "a",
       jcEucOrSjis},  // EUC half-width kana or two Shift-JIS bytes
      {"\xB1\xB6"
       "a",
       jcEucOrSjis},  // half-width kana in either
      {"\xB1\xE0\xA1\x81"
       "a",
       jcSjis},  // decided by the scan after E0-EF
      {"\xB1\xE0\xA1\xFD"
       "a",
       jcEuc},
      {"\xB1\xE0\x20\x81"
       "a",
       jcSjis},  // the scan stops at a low byte; 81 then decides
      {"\xE0\x40"
       "a",
       jcSjis},
      {"\xE0\xFE"
       "a",
       jcEuc},
      {"\xE0\xC0"
       "a",
       jcEucOrSjis},
      {"\xA4\xF3\x97\x5C", jcEuc},   // the first decision holds
      {"\xFB\xFC\x8B\xB4", jcSjis},  // 髙橋: open after the extension kanji, 8B decides
      {"\xFC\xA1"
       "a",
       jcEucOrSjis},
      {"\xFA\xFD"
       "a",
       jcEuc},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(DetectJapaneseCode(c.text), c.code);
  }
}

TEST(ConvertJapaneseCode, ScheduleWordInEachCode) {
  const std::string jis = kIn + kScheduleWordJisBody;
  EXPECT_EQ(ConvertJapaneseCode(kScheduleWordSjis, jcJis), jis);  // no escape at the end
  EXPECT_EQ(ConvertJapaneseCode(kScheduleWordSjis + "\r\n", jcJis), jis + kOut + "\r\n");
  EXPECT_EQ(ConvertJapaneseCode(kScheduleWordSjis, jcEuc), kScheduleWordEuc);
  EXPECT_EQ(ConvertJapaneseCode(jis + kOut, jcSjis), kScheduleWordSjis);
  EXPECT_EQ(ConvertJapaneseCode(jis + kOut, jcEuc), kScheduleWordEuc);
  // EUC "予定" alone cannot be told from Shift-JIS, so it stays as it is.
  EXPECT_EQ(ConvertJapaneseCode(kScheduleWordEuc, jcSjis), kScheduleWordEuc);
  // A byte only EUC has decides ("ん" = A4 F3), but only before the scan that follows E0-EF
  // has passed it.
  EXPECT_EQ(ConvertJapaneseCode("\xA4\xF3" + kScheduleWordEuc, jcSjis),
            "\x82\xF1" + kScheduleWordSjis);
  EXPECT_EQ(ConvertJapaneseCode("\xA4\xF3" + kScheduleWordEuc, jcJis),
            kIn + "\x24\x73" + kScheduleWordJisBody);
  EXPECT_EQ(DetectJapaneseCode(kScheduleWordEuc + "\xA4\xF3"), jcEucOrSjis);
}

TEST(ConvertJapaneseCode, UnchangedCases) {
  const std::string jis = kIn + kScheduleWordJisBody + kOut;
  struct Case {
    std::string text;
    int target;
  } cases[] = {
      {"plain ASCII", jcJis},      {"plain ASCII", jcEuc},
      {"plain ASCII", jcSjis},     {"\x01\x97\x5C", jcJis},  // binary
      {kScheduleWordSjis, jcSjis}, {jis, jcJis},
      {"\x1B$@\x30\x21", jcJis},  // old JIS counts as JIS
      {kScheduleWordSjis, 0},      {kScheduleWordSjis, 3},
      {kScheduleWordSjis, 6},      {kScheduleWordSjis, 7},
      {"\xB1\xB2\xB3", jcJis},  // undecided
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text) + " -> " + std::to_string(c.target));
    EXPECT_EQ(ConvertJapaneseCode(c.text, c.target), c.text);
  }
}

TEST(SjisToJis, PairsKanaAndSoundMarks) {
  struct Case {
    std::string sjis, jis;
  } cases[] = {
      {"\x82\xA0", kIn + "\x24\x22"},          // あ: the pair arithmetic's edge (b > 158)
      {"\x81\x60", kIn + "\x21\x41"},          // ～
      {"\xE0\x40", kIn + "\x5F\x21"},          // first lead byte above the gap
      {"\xEA\xA4", kIn + "\x74\x26"},          // the last JIS X 0208 kanji
      {"\xB6\xDE", kIn + "\x25\x2C"},          // ｶﾞ → ガ
      {"\xCA\xDF", kIn + "\x25\x51"},          // ﾊﾟ → パ
      {"\xB3\xDE", kIn + "\x25\x74"},          // ｳﾞ → ヴ
      {"\xC4\xDE", kIn + "\x25\x49"},          // ﾄﾞ → ド
      {"\xCE\xDE", kIn + "\x25\x5C"},          // ﾎﾞ → ボ
      {"\xB1\xDE", kIn + "\x25\x22\x21\x2B"},  // ｱﾞ: not combined
      {"\xB6\xDF", kIn + "\x25\x2B\x21\x2C"},  // ｶﾟ: not combined
      {"\xA1\xB0\xDD\xA6", kIn + "\x21\x23\x21\x3C\x25\x73\x25\x72"},  // ｡ｰﾝｦ
      {"a\x97\x5C"
       "b\x92\xE8",
       "a" + kIn + "\x4D\x3D" + kOut + "b" + kIn + "\x44\x6A"},
      {"\x97\x5C\n", kIn + "\x4D\x3D" + kOut + "\n"},
      {"a\x97", "a"},  // lead byte cut off by the end
      {"\x97\x5C\x97", kIn + "\x4D\x3D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.sjis));
    EXPECT_EQ(SjisToJis(c.sjis), c.jis);
  }
}

TEST(EucToJis, KanaWithSoundMarks) {
  EXPECT_EQ(EucToJis("\x8E\xB6\x8E\xDE"), kIn + "\x25\x2C");
  EXPECT_EQ(EucToJis("\x8E\xCA\x8E\xDF"
                     "a"),
            kIn + "\x25\x51" + kOut + "a");
  EXPECT_EQ(EucToJis("\x8E\xB1\x8E\xDE"), kIn + "\x25\x22\x21\x2B");
  EXPECT_EQ(EucToJis("\xB0\xA1\xB0"), kIn + "\x30\x21");  // cut off at the end
}

TEST(JisConversions, EscapesAndTruncation) {
  // Escapes switch runs; ESC ( B ends a run as well as ESC ( J; other escapes keep the state.
  const std::string jis = "a\x1B$B\x30\x21\x1B(Bb\x1B$B\x30\x22\x1B&@\x30\x23\x1B(J";
  EXPECT_EQ(JisToSjis(jis),
            "a\x88\x9F"
            "b\x88\xA0\x88\xA1");
  EXPECT_EQ(JisToEuc(jis),
            "a\xB0\xA1"
            "b\xB0\xA2\xB0\xA3");
  // Escapes back to back are all escapes.
  EXPECT_EQ(JisToEuc("\x1B(B\x1B$B\x30\x21\x1B(B\x1B(J"), "\xB0\xA1");
  EXPECT_EQ(JisToSjis("\x1B(B\x1B$B\x30\x21\x1B(B\x1B(J"), "\x88\x9F");
  // Never past the end: an escape or half a character as the last bytes.
  for (std::string cut : {"ab\x1B", "ab\x1B$", "ab\x1B$B", "ab\x1B$B\x30"}) {
    SCOPED_TRACE(testing::PrintToString(cut));
    EXPECT_EQ(JisToSjis(cut), "ab");
  }
  EXPECT_EQ(JisToEuc("ab\x1B$B\x30"), "ab\xB0");
}

TEST(EucSjis, ConversionsBothWays) {
  EXPECT_EQ(SjisToEuc("a\xB1\x97\x5C"), "a\x8E\xB1\xCD\xBD");
  EXPECT_EQ(EucToSjis("a\x8E\xB1\xCD\xBD"), "a\xB1\x97\x5C");
  EXPECT_EQ(EucToSjis("\x80\xFF\xCD"), "\x80\xFF");  // cut-off pair dropped
  EXPECT_EQ(SjisToEuc("\x97"), "");
}

TEST(ConvertJapaneseCode, RoundTripsEveryJisX0208Character) {
  // Every row-and-cell pair of JIS X 0208, through all three codes and back.
  std::string jis = "\x1B$B";
  for (int row = 0x21; row <= 0x7E; ++row)
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      jis.push_back(static_cast<char>(row));
      jis.push_back(static_cast<char>(cell));
    }
  jis += "\x1B(J";
  std::string sjis = JisToSjis(jis);
  std::string euc = JisToEuc(jis);
  EXPECT_EQ(SjisToJis(sjis) + "\x1B(J", jis);
  EXPECT_EQ(EucToJis(euc) + "\x1B(J", jis);
  EXPECT_EQ(SjisToEuc(sjis), euc);
  EXPECT_EQ(EucToSjis(euc), sjis);
  // Shift-JIS from the pair arithmetic is real code page 932 text.
  EXPECT_EQ(Cp932ToUtf8(JisToSjis("\x1B$B\x4D\x3D\x44\x6A\x25\x2C")), "予定ガ");
}

TEST(EncodeHeader, WordsAndFolds) {
  const std::string word = " =?ISO-2022-JP?B?GyRCTT1EahsoSg==?=";
  auto w = [](const std::string& jis) {
    return " =?ISO-2022-JP?B?" + Base64EncodeText(jis) + "?=";
  };
  const std::string a30(30, 'a');
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"empty", "", ""},
      {"ascii", "Moriva (UnKnown)", "Moriva (UnKnown)"},
      {"half-width kana go full-width into a word", "\xB1\xB2", w("\x1B$B%\"%$\x1B(J")},
      {"kanji", kScheduleWordSjis, word},
      {"mixed", "Re:" + kScheduleWordSjis + "!", "Re:" + word + "!"},
      {"a blank between two words goes into the word", kScheduleWordSjis + " " + kScheduleWordSjis,
       w("\x1B$BM=Dj\x1B(J \x1B$BM=Dj\x1B(J")},
      {"a blank before plain text stays plain", kScheduleWordSjis + " a", word + " a"},
      {"plain words are never cut", std::string(62, 'a'), std::string(62, 'a')},
      {"plain text folds before a blank", std::string(70, 'a') + " " + std::string(10, 'b'),
       std::string(70, 'a') + "\r\n " + std::string(10, 'b')},
      {"a word of a line's size is cut", std::string(1000, 'a'),
       std::string(990, 'a') + "\r\n " + std::string(10, 'a')},
      {"kanji after a fold point brings its blank", a30 + kScheduleWordSjis, a30 + "\r\n" + word},
      {"no fold between a word and plain text", std::string(26, 'a') + kScheduleWordSjis + "b",
       std::string(26, 'a') + word + "b"},
      {"fold between kanji", std::string(28, 'a') + kScheduleWordSjis,
       std::string(28, 'a') + " =?ISO-2022-JP?B?GyRCTT0bKEo=?=\r\n =?ISO-2022-JP?B?GyRCRGobKEo=?="},
      {"kanji steps over the fold point", std::string(29, 'a') + kScheduleWordSjis + "b",
       std::string(29, 'a') + word + "b"},
      {"a sound mark stays with its kana", std::string(29, 'a') + "\xB6\xDE",
       std::string(29, 'a') + w("\x1B$B%,\x1B(J")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeHeader(c.in), c.out);
  }
}

TEST(EncodeHeader, LongJapaneseSubjectDecodesBack) {
  std::string subject;
  for (int i = 0; i < 12; ++i) subject += Utf8ToCp932("予定の確認です。ｶﾞ");
  std::string encoded = EncodeHeader(subject);
  // Every line is short, no line is blank, and no CR stands alone.
  size_t start = 0;
  std::string unfolded;
  for (;;) {
    size_t end = encoded.find("\r\n", start);
    std::string line = encoded.substr(start, end - start);
    EXPECT_LE(line.size(), 998u);  // the hard limit of a mail line
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.find('\r'), std::string::npos);
    if (start > 0) {
      EXPECT_EQ(line[0], ' ');
    }
    unfolded += line;
    if (end == std::string::npos) break;
    start = end + 2;
  }
  // Decoded, the words give back the text exactly (the blank the value begins with stands
  // after the header's colon); half-width kana come back full-width.
  ASSERT_EQ(unfolded[0], ' ');
  EXPECT_EQ(DecodeHeaderToCp932(unfolded.substr(1)), JisToSjis(SjisToJis(subject)));
}

TEST(Base64Text, Table) {
  struct Case {
    std::string bytes, text;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\xFF\xFE\x00", 3), "//4A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Base64EncodeText(c.bytes), c.text);
    EXPECT_EQ(Base64DecodeText(c.text), c.bytes);
  }
  EXPECT_EQ(Base64DecodeText("Zm9v\r\nYmFy\r\n"), "foobar");
  EXPECT_EQ(Base64DecodeText("Zm9vYg"), "foob");  // padding missing
  EXPECT_EQ(Base64DecodeText("Zm9vY"), "foo");    // a lone character carries no byte
}

TEST(Jconvert, NeverReadsPastTheEnd) {
  // Arbitrary bytes in buffers of exactly their length (so a memory checker sees any read past
  // the end), rich in escapes, lead bytes and kana.
  const char alphabet[] =
      "\x1B$B(J@\x81\x97\x5C\x8E\xA1\xB6\xDE\xDF\xE0\xEF\xF0\xFD\xFF\x01=?Aa\r\n";
  uint32_t x = 99;
  for (int round = 0; round < 3000; ++round) {
    size_t n = round % 24;
    auto buffer = std::make_unique<char[]>(n);
    for (size_t i = 0; i < n; ++i) {
      x = x * 1664525u + 1013904223u;
      buffer[i] = alphabet[(x >> 16) % (sizeof alphabet - 1)];
    }
    std::string_view text(buffer.get(), n);
    DetectJapaneseCode(text);
    for (int target : {jcJis, jcEuc, jcSjis}) ConvertJapaneseCode(text, target);
    for (auto convert :
         {SjisToJis, EucToJis, JisToSjis, JisToEuc, EucToSjis, SjisToEuc, Base64DecodeText})
      convert(text);
    EncodeHeader(text);
    EncodeDisplayName(text);
    EXPECT_TRUE(IsValidUtf8(DecodeHeaderToUtf8(text)));
  }
}
