#include "base/SearchFold.h"

#include <array>
#include <cstdint>

#include "base/Cp932.h"
#include "base/LineList.h"

namespace moriva {
namespace {

// The full-width forms of the half-width katakana 0xA1-0xDF, in their order.
const std::string& FullWidthKana() {
  static const std::string table = Utf8ToCp932(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘ"
      "ホマミムメモヤユヨラリルレロワン゛゜");
  return table;
}

constexpr unsigned char kVoicedMark = 0xDE;      // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;  // ﾟ

// The full-width code of a half-width katakana byte, joined with the mark that follows it when
// the pair is one character: in the JIS order the voiced form of カ..ト and ハ..ホ comes right
// after the plain one, and the semi-voiced form of ハ..ホ right after that.
unsigned KanaCode(unsigned char kana, unsigned char next, bool& joined) {
  const std::string& table = FullWidthKana();
  const size_t at = static_cast<size_t>(kana - 0xA1) * 2;
  unsigned code =
      static_cast<unsigned char>(table[at]) << 8 | static_cast<unsigned char>(table[at + 1]);
  const bool kaToTo = kana >= 0xB6 && kana <= 0xC4;  // ｶ..ﾄ
  const bool haToHo = kana >= 0xCA && kana <= 0xCE;  // ﾊ..ﾎ
  joined = true;
  if (next == kVoicedMark && kana == 0xB3) return 0x8394;  // ｳﾞ → ヴ
  if (next == kVoicedMark && (kaToTo || haToHo)) return code + 1;
  if (next == kSemiVoicedMark && haToHo) return code + 2;
  joined = false;
  return code;
}

// The folded code of a double-byte character.
unsigned FoldDoubleByte(unsigned code) {
  if (code >= 0x839F && code <= 0x83B6) return code + 0x20;  // Greek capitals
  if (code >= 0x8440 && code <= 0x8460) {                    // Cyrillic capitals
    // The small letters skip 0x847F, which is no trail byte.
    const unsigned index = code - 0x8440;
    return 0x8470 + index + (index >= 15 ? 1 : 0);
  }
  return code;
}

}  // namespace

void AppendFolded(std::string_view s, std::string& out) {
  // Written through a pointer into room made beforehand: a folded text is never longer than
  // twice the original (one half-width byte becomes two), and this runs over every line of the
  // schedule on each search.
  const size_t start = out.size();
  out.resize(start + 2 * s.size());
  char* o = out.data() + start;
  auto put = [&o](unsigned code) {
    *o++ = static_cast<char>(code >> 8);
    *o++ = static_cast<char>(code & 0xFF);
  };
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      *o++ = AsciiLower(static_cast<char>(c));
      ++i;
    } else if (CharLength(s, i) == 2) {
      const unsigned code = c << 8 | static_cast<unsigned char>(s[i + 1]);
      i += 2;
      if (code >= 0x824F && code <= 0x8258) {
        *o++ = static_cast<char>('0' + (code - 0x824F));  // ０-９
      } else if (code >= 0x8260 && code <= 0x8279) {
        *o++ = static_cast<char>('a' + (code - 0x8260));  // Ａ-Ｚ
      } else if (code >= 0x8281 && code <= 0x829A) {
        *o++ = static_cast<char>('a' + (code - 0x8281));  // ａ-ｚ
      } else if (code == 0x8140) {
        *o++ = ' ';  // the ideographic space
      } else {
        put(FoldDoubleByte(code));
      }
    } else if (c >= 0xA1 && c <= 0xDF) {
      const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
      bool joined = false;
      put(KanaCode(c, next, joined));
      i += joined ? 2 : 1;
    } else {
      *o++ = static_cast<char>(c);  // 0x80, 0xA0, 0xFD-0xFF: no characters of CP932
      ++i;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
}

size_t FindCp932(std::string_view text, std::string_view needle, size_t from) {
  size_t boundary = from;  // always the start of a character
  for (size_t hit = text.find(needle, from); hit != std::string_view::npos;
       hit = text.find(needle, boundary)) {
    while (boundary < hit) boundary += WholeCharLength(text, boundary);
    if (boundary == hit) return hit;
  }
  return std::string_view::npos;
}

}  // namespace moriva
