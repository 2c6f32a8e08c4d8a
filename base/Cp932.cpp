#include "base/Cp932.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "base/Charset.h"
#include "base/IconvConverter.h"

static_assert(std::endian::native == std::endian::little, "UTF-16LE is copied as it stands");

namespace moriva {
namespace {

// Length of the UTF-8 sequence starting with `c`, so that a bad sequence is skipped whole.
size_t Utf8Unit(const char* p, size_t left) {
  unsigned char c = static_cast<unsigned char>(*p);
  size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return std::min(n, left);
}

size_t OneByte(const char*, size_t) {
  return 1;
}

// One converter per direction and thread, opened on first use.
enum class Direction { kCp932ToUtf8, kUtf8ToCp932, kCp932ToUtf16, kUtf16ToCp932 };

// Opening a descriptor costs far more than a short conversion, and the program converts many
// short texts.
template <Direction D>
TIconvConverter& Conv() {
  static constexpr const char* kNames[][2] = {
      {"UTF-8", "CP932"}, {"CP932", "UTF-8"}, {"UTF-16LE", "CP932"}, {"CP932", "UTF-16LE"}};
  thread_local std::unique_ptr<TIconvConverter> c = [] {
    const char* to = kNames[static_cast<int>(D)][0];
    const char* from = kNames[static_cast<int>(D)][1];
    auto opened = TIconvConverter::Open(to, from);
    if (!opened)
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    return opened;
  }();
  return *c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// The user-defined area: lead bytes 0xF0-0xF9, each with the 188 trail bytes 0x40-0x7E and
// 0x80-0xFC, numbered 0-1879 in that order; U+E000 + the number in Unicode.
constexpr unsigned kTrailsPerRow = 188;
constexpr unsigned kUserChars = 10 * kTrailsPerRow;  // 1880
constexpr unsigned kHighChars = 5 * kTrailsPerRow;   // 940, rows 0xF5-0xF9
constexpr char32_t kUserAreaFirst = 0xE000;
constexpr char32_t kHighFirst = kUserAreaFirst + kUserChars - kHighChars;  // U+E3AC
constexpr char32_t kUserAreaLast = kUserAreaFirst + kUserChars - 1;        // U+E757
constexpr char32_t kNoChar = 0xFFFFFFFF;

// The number of the user-defined character at s[i], or -1.
int UserCharAt(std::string_view s, size_t i) {
  if (i + 1 >= s.size()) return -1;
  const auto lead = static_cast<unsigned char>(s[i]);
  const auto trail = static_cast<unsigned char>(s[i + 1]);
  if (lead < 0xF0 || lead > 0xF9 || trail < 0x40 || trail > 0xFC || trail == 0x7F) return -1;
  return static_cast<int>((lead - 0xF0) * kTrailsPerRow + trail - 0x40 - (trail > 0x7F ? 1 : 0));
}

void AppendUserChar(unsigned number, std::string& out) {
  const unsigned trail = number % kTrailsPerRow + 0x40;
  out += static_cast<char>(0xF0 + number / kTrailsPerRow);
  out += static_cast<char>(trail >= 0x7F ? trail + 1 : trail);
}

void AppendPair(char32_t cp, std::string& out) {
  AppendUserChar(kUserChars - kHighChars + cp / kUserChars, out);
  AppendUserChar(cp % kUserChars, out);
}

// Characters iconv would turn into CP932 although they must be pairs: the high rows' own
// private-use characters (else they would read back as the start of a pair), and the tag
// characters of emoji flags, which iconv drops without a word.
bool PairedAlthoughConvertible(char32_t cp) {
  return (cp >= kHighFirst && cp <= kUserAreaLast) || (cp >= 0xE0000 && cp <= 0xE007F);
}

bool Cp932Spells(char32_t cp);

// Planes 4-13 hold no characters. Leaving them out of the pairs means that only rows 0xF5 and
// 0xF7-0xF8 start one, so fewer user-defined characters that older files hold side by side
// could be taken for a pair.
bool InEmptyPlanes(char32_t cp) {
  return cp >= 0x40000 && cp < 0xE0000;
}

// Whether Utf8ToCp932 writes `cp` as a pair.
bool WrittenAsPair(char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || InEmptyPlanes(cp)) return false;
  return cp >= 0x10000 || PairedAlthoughConvertible(cp) || !Cp932Spells(cp);
}

// The code point of the pair that starts at s[i], or kNoChar when none starts there. Two
// user-defined characters that Utf8ToCp932 would not have written are no pair, so an old file
// that holds such characters side by side reads as it always did.
char32_t PairAt(std::string_view s, size_t i) {
  if (!IsHighRowLead(static_cast<unsigned char>(s[i]))) return kNoChar;
  const int high = UserCharAt(s, i);
  const int low = UserCharAt(s, i + 2);
  if (high < 0 || low < 0) return kNoChar;
  const char32_t cp =
      static_cast<char32_t>(high - static_cast<int>(kUserChars - kHighChars)) * kUserChars +
      static_cast<char32_t>(low);
  return WrittenAsPair(cp) ? cp : kNoChar;
}

bool Has(std::string_view s, char c) {
  return std::memchr(s.data(), c, s.size()) != nullptr;
}

// Whether CP932 text may hold a pair: iconv turns every high-row character into U+E3AC-U+E757,
// so text whose conversion holds none of those holds no pair. Looking at the result (for the
// lead byte 0xEE with memchr) costs less than stepping through the text beforehand.
bool MayHoldPairUtf8(std::string_view utf8) {
  for (const char* p = utf8.data();
       (p = static_cast<const char*>(std::memchr(p, '\xEE', utf8.data() + utf8.size() - p))); ++p) {
    if (utf8.data() + utf8.size() - p < 3) break;
    const auto b1 = static_cast<unsigned char>(p[1]), b2 = static_cast<unsigned char>(p[2]);
    const char32_t cp = 0xE000 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
    if (cp >= kHighFirst && cp <= kUserAreaLast) return true;
  }
  return false;
}

bool MayHoldPairUtf16(std::u16string_view utf16) {
  return std::any_of(utf16.begin(), utf16.end(),
                     [](char16_t u) { return u >= kHighFirst && u <= kUserAreaLast; });
}

// Whether Unicode text holds a character iconv converts although it must be a pair: its UTF-8
// lead byte is 0xEE or 0xF3; in UTF-16, a unit of U+E3AC-U+E757 or the tag characters' high
// surrogate.
bool MayNeedCutUtf8(std::string_view s) {
  return Has(s, '\xEE') || Has(s, '\xF3');
}

bool MayNeedCutUtf16(std::u16string_view s) {
  return std::any_of(s.begin(), s.end(), [](char16_t u) {
    return (u >= kHighFirst && u <= kUserAreaLast) || u == 0xDB40;
  });
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16Le(char32_t cp, std::string& out) {
  auto unit = [&out](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  if (cp < 0x10000) {
    unit(cp);
  } else {
    unit(0xD800 + ((cp - 0x10000) >> 10));
    unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
}

struct TDecoded {
  char32_t Cp = kNoChar;  // kNoChar: malformed
  size_t Length = 1;
};

// The UTF-8 character at the start of `s` (shortest forms only, no surrogates).
TDecoded DecodeUtf8(std::string_view s) {
  const auto c = static_cast<unsigned char>(s[0]);
  const size_t n = c < 0x80             ? 1
                   : (c & 0xE0) == 0xC0 ? 2
                   : (c & 0xF0) == 0xE0 ? 3
                   : (c & 0xF8) == 0xF0 ? 4
                                        : 0;
  if (n == 0 || n > s.size()) return {kNoChar, Utf8Unit(s.data(), s.size())};
  char32_t cp = n == 1 ? c : c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const auto d = static_cast<unsigned char>(s[k]);
    if ((d & 0xC0) != 0x80) return {kNoChar, k};
    cp = cp << 6 | (d & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kNoChar, n};
  return {cp, n};
}

// The UTF-16LE character at the start of `s`; a lone surrogate is malformed.
TDecoded DecodeUtf16Le(std::string_view s) {
  auto unit = [&s](size_t at) -> char32_t {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
  };
  if (s.size() < 2) return {kNoChar, s.size()};
  const char32_t u = unit(0);
  if (u < 0xD800 || u > 0xDFFF) return {u, 2};
  if (u >= 0xDC00 || s.size() < 4) return {kNoChar, 2};
  const char32_t v = unit(2);
  if (v < 0xDC00 || v > 0xDFFF) return {kNoChar, 2};
  return {0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00), 4};
}

// What iconv cannot convert into CP932: a character becomes its pair, malformed input (and a
// code point of the empty planes) the fallback.
class TPairOrFallback final : public TIconvConverter::TBadInput {
 public:
  TPairOrFallback(TDecoded (*decode)(std::string_view), std::string_view fallback, size_t* replaced)
      : decode_(decode), fallback_(fallback), replaced_(replaced) {}
  size_t Replace(std::string_view rest, std::string& out) override {
    const TDecoded d = decode_(rest);
    if (d.Cp != kNoChar && !InEmptyPlanes(d.Cp)) {
      AppendPair(d.Cp, out);
    } else {
      out += fallback_;
      if (replaced_) ++*replaced_;
    }
    return d.Length;
  }

 private:
  TDecoded (*decode_)(std::string_view);
  std::string_view fallback_;
  size_t* replaced_;
};

// Unicode (UTF-8 or UTF-16LE bytes) into CP932. Most text holds nothing that iconv would
// convert although it must be a pair (no lead byte of such a character in UTF-8, no such unit
// in UTF-16), and goes to iconv whole; other text is cut at those characters.
template <Direction D>
std::string EncodeCp932(std::string_view s, std::string_view fallback, size_t* replaced,
                        bool plain) {
  constexpr bool kUtf8 = D == Direction::kUtf8ToCp932;
  const auto decode = kUtf8 ? DecodeUtf8 : DecodeUtf16Le;
  TPairOrFallback bad(decode, fallback, replaced);
  TIconvConverter& conv = Conv<D>();
  if (plain) return conv.Run(s, bad);
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i < s.size();) {
    const TDecoded d = decode(s.substr(i));
    if (d.Cp != kNoChar && PairedAlthoughConvertible(d.Cp)) {
      out += conv.Run(s.substr(start, i - start), bad);
      AppendPair(d.Cp, out);
      start = i + d.Length;
    }
    i += d.Cp != kNoChar ? d.Length : kUtf8 ? 1 : 2;
  }
  out += conv.Run(s.substr(std::min(start, s.size())), bad);
  return out;
}

// CP932 into Unicode (UTF-8 or UTF-16LE bytes): iconv converts all but the pairs.
template <Direction D>
std::string DecodeCp932(std::string_view s, std::string_view fallback) {
  TIconvConverter& conv = Conv<D>();
  const auto append = D == Direction::kCp932ToUtf8 ? AppendUtf8 : AppendUtf16Le;
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i < s.size();) {
    const char32_t cp = PairAt(s, i);
    if (cp == kNoChar) {
      i += CharLength(s, i);
      continue;
    }
    out += conv.Run(s.substr(start, i - start), OneByte, fallback);
    append(cp, out);
    i += 4;
    start = i;
  }
  out += conv.Run(s.substr(start), OneByte, fallback);
  return out;
}

bool Cp932Spells(char32_t cp) {
  std::string utf8;
  AppendUtf8(cp, utf8);
  size_t replaced = 0;
  const std::string cp932 = Conv<Direction::kUtf8ToCp932>().Run(utf8, Utf8Unit, {}, &replaced);
  return replaced == 0 && !cp932.empty();
}

}  // namespace

std::string ToHandsetCp932(std::string_view s, size_t& replaced) {
  return WithoutPairs(s, "\x81\xAC", replaced);  // 〓
}

size_t WholeCharLength(std::string_view s, size_t i) {
  if (IsHighRowLead(static_cast<unsigned char>(s[i])) && PairAt(s, i) != kNoChar) return 4;
  return CharLength(s, i);
}

std::string Cp932ToUtf8(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  std::string utf8 = Conv<Direction::kCp932ToUtf8>().Run(s, OneByte, "?");
  if (!MayHoldPairUtf8(utf8)) return utf8;
  return DecodeCp932<Direction::kCp932ToUtf8>(s, "?");
}

std::string Utf8ToCp932(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  return EncodeCp932<Direction::kUtf8ToCp932>(s, "?", nullptr, !MayNeedCutUtf8(s));
}

std::string Utf8ToCp932(std::string_view s, std::string_view fallback, size_t& replaced) {
  if (IsAscii(s)) return std::string(s);
  return EncodeCp932<Direction::kUtf8ToCp932>(s, fallback, &replaced, !MayNeedCutUtf8(s));
}

std::u16string Cp932ToUtf16(std::string_view s) {
  const std::string_view unknown("?\0", 2);
  std::string bytes = Conv<Direction::kCp932ToUtf16>().Run(s, OneByte, unknown);
  std::u16string out(bytes.size() / 2, u'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * 2);  // UTF-16LE: the machine's own order
  if (!MayHoldPairUtf16(out)) return out;
  bytes = DecodeCp932<Direction::kCp932ToUtf16>(s, unknown);
  out.assign(bytes.size() / 2, u'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

std::string Utf16ToCp932(std::u16string_view s) {
  std::string bytes(s.size() * 2, '\0');
  std::memcpy(bytes.data(), s.data(), bytes.size());  // UTF-16LE: the machine's own order
  return EncodeCp932<Direction::kUtf16ToCp932>(bytes, "?", nullptr, !MayNeedCutUtf16(s));
}

std::string WithoutPairs(std::string_view s, std::string_view fallback, size_t& replaced) {
  if (std::none_of(s.begin(), s.end(),
                   [](char c) { return IsHighRowLead(static_cast<unsigned char>(c)); }))
    return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const char32_t cp = PairAt(s, i);
    if (cp == kNoChar) {
      const size_t n = CharLength(s, i);
      out.append(s, i, n);
      i += n;
      continue;
    }
    if (cp >= kUserAreaFirst && cp <= kUserAreaLast) {
      AppendUserChar(cp - kUserAreaFirst, out);
    } else {
      out += fallback;
      ++replaced;
    }
    i += 4;
  }
  return out;
}

bool IsValidCp932(std::string_view s) {
  if (IsAscii(s)) return true;
  size_t replaced = 0;
  Conv<Direction::kCp932ToUtf8>().Run(s, OneByte, {}, &replaced);
  return replaced == 0;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const TDecoded d = DecodeUtf8(s.substr(i));
    if (d.Cp == kNoChar) return false;
    i += d.Length;
  }
  return true;
}

}  // namespace moriva
