#include "mail/HeaderText.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;

namespace {

// Q encoding as a strict writer does it: nothing but letters and digits left as they are.
std::string QuotedWordText(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c == ' ') {
      out += '_';
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else {
      out += {'=', digits[c >> 4], digits[c & 15]};
    }
  }
  return out;
}

// Every charset both ways (B and Q), whole and cut into words anywhere (inside a character, an
// escape sequence) with blanks, folds or tabs between them: the words join into the text.
TEST(DecodeHeader, EveryCharsetBothEncodingsWholeAndCutIntoWords) {
  const std::string sjis = Utf8ToCp932("予定表 12月");
  struct Case {
    const char* charset;
    std::string bytes, text;
  } cases[] = {
      {"UTF-8", "予定表 12月", "予定表 12月"},
      {"utf-8", "🎂 誕生日", "🎂 誕生日"},
      {"ISO-2022-JP", SjisToJis(sjis) + "\x1B(B", "予定表 12月"},
      {"Shift_JIS", sjis, "予定表 12月"},
      {"CP932", Utf8ToCp932("①～㈱"), "①～㈱"},
      {"EUC-JP", SjisToEuc(sjis), "予定表 12月"},
      {"ISO-8859-1", "caf\xE9 cr\xE8me", "café crème"},
      {"iso-8859-15", "\xA4 5", "€ 5"},
      {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
  };
  const char* separators[] = {" ", "", "\r\n ", "\t\t"};
  for (const Case& c : cases) {
    for (char encoding : {'B', 'Q', 'b', 'q'}) {
      for (size_t cuts = 0; cuts <= 3; ++cuts) {
        std::string words;
        size_t from = 0;
        for (size_t k = 0; k <= cuts; ++k) {
          const size_t to = k == cuts ? c.bytes.size() : c.bytes.size() * (k + 1) / (cuts + 1);
          const std::string piece = c.bytes.substr(from, to - from);
          if (k > 0) words += separators[cuts];
          words += std::string("=?") + c.charset + "?" + encoding + "?" +
                   (encoding == 'B' || encoding == 'b' ? Base64EncodeText(piece)
                                                       : QuotedWordText(piece)) +
                   "?=";
          from = to;
        }
        SCOPED_TRACE(words);
        EXPECT_EQ(DecodeHeaderToUtf8("Re: " + words + " (2)"), "Re: " + c.text + " (2)");
      }
    }
  }
}

TEST(DecodeHeader, Table) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"no words", "no words"},
      {"=?iso-2022-jp?b?GyRCTT1EahsoSg==?=", "予定"},
      {"Re: =?Iso-2022-Jp?B?QQ==?= =?ISO-2022-JP?B?Qg==?= x", "Re: AB x"},
      // Blanks between words of different charsets go too; text between words stays.
      {"=?UTF-8?B?5LqI?= =?ISO-8859-1?Q?caf=E9?=", "予café"},
      {"=?UTF-8?Q?a?= b =?UTF-8?Q?c?=", "a b c"},
      {"=?UTF-8*ja?Q?a_b?=c", "a bc"},  // a language; no blank needed after a word
      // Not words: they stay as they are.
      {"a =?ISO-2022-JP?B?QUJD", "a =?ISO-2022-JP?B?QUJD"},
      {"=?UTF-8?X?abc?= =?UTF-8//TRANSLIT?Q?a?=", "=?UTF-8?X?abc?= =?UTF-8//TRANSLIT?Q?a?="},
      {"=??Q?a?=", "=??Q?a?="},
      {"x?= =?ISO-2022-JP?B?QQ==?=", "x?= A"},  // an earlier "?=" is not the end
      // Decoded bytes are not searched again.
      {"=?ISO-2022-JP?B?PT9JU08tMjAyMi1KUD9CP1FRPT0/PQ==?=", "=?ISO-2022-JP?B?QQ==?="},
      // A charset nobody knows, and US-ASCII holding 8-bit bytes: read as raw text is.
      {"=?X-UNKNOWN?Q?abc?= =?us-ascii?Q?=E4=BA=88?=", "abc予"},
      {"=?UTF-8?Q?a=FFb?=", "a\uFFFDb"},
      // Raw header text in UTF-8, JIS, CP932.
      {"予定表 12月", "予定表 12月"},
      {"\x1B$BM=Dj\x1B(B =?UTF-8?B?6KGo?=", "予定 表"},
      {Utf8ToCp932("予定 ") + "=?UTF-8?B?6KGo?=", "予定 表"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(DecodeHeaderToUtf8(c.in), c.out);
  }
  // The core's text keeps what CP932 cannot spell.
  EXPECT_EQ(DecodeHeaderToCp932("=?UTF-8?B?8J+OgiDoqpXnlJ/ml6U=?="), Utf8ToCp932("🎂 誕生日"));
}

}  // namespace
