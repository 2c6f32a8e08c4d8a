#include "mail/JapaneseCodes.h"

#include <algorithm>
#include <cstdint>

namespace moriva {
namespace {

using u8 = unsigned char;

constexpr char kEsc = '\x1B';
constexpr std::string_view kEnterKanji = "\x1B$B";
constexpr std::string_view kLeaveKanji = "\x1B(J";

u8 At(std::string_view s, size_t i) {
  return static_cast<u8>(s[i]);
}

bool In(u8 c, u8 lo, u8 hi) {
  return c >= lo && c <= hi;
}

// F0-FE lead EUC characters, but FA-FC also lead the extension kanji of the Windows code page
// (the 髙 and 﨑 of many family names) and F0-F9 its user-defined characters; taking such text
// for EUC would garble all of it. A second byte only one code has decides; for FA-FC, whose EUC
// rows hold no standard character, a second byte both codes have leaves the question open.
int HighLeadCode(std::string_view s, size_t lead) {
  const u8 c = At(s, lead);
  if (c > 0xFC || lead + 1 >= s.size()) return jcEuc;
  const u8 d = At(s, lead + 1);
  if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0)) return jcSjis;
  if (In(c, 0xFA, 0xFC) && In(d, 0xA1, 0xFC)) return jcEucOrSjis;
  return jcEuc;
}

// Full-width JIS X 0208 counterparts of the half-width katakana A1-DF (row << 8 | cell).
constexpr uint16_t kHalfKana[63] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523,  // ｡｢｣､･ｦｧｨ
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213C,  // ｩｪｫｬｭｮｯｰ
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F,  // ｱｲｳｴｵｶｷｸ
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F,  // ｹｺｻｼｽｾｿﾀ
    0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,          // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr u8 kVoiced = 0xDE;      // ﾞ
constexpr u8 kSemiVoiced = 0xDF;  // ﾟ

// The JIS character of half-width kana `k`, combined with the sound mark `mark` when the two
// make one character (mark is 0 when none follows). `absorbed` tells whether it was used.
uint16_t KanaToJis(u8 k, u8 mark, bool& absorbed) {
  uint16_t jis = kHalfKana[k - 0xA1];
  absorbed = true;
  if (mark == kVoiced && k == 0xB3) return 0x2574;  // ｳﾞ → ヴ
  if (mark == kVoiced && (In(k, 0xB6, 0xC4) || In(k, 0xCA, 0xCE))) return jis + 1;
  if (mark == kSemiVoiced && In(k, 0xCA, 0xCE)) return jis + 2;
  absorbed = false;
  return jis;
}

void PutPair(std::string& out, u8 a, u8 b) {
  out.push_back(static_cast<char>(a));
  out.push_back(static_cast<char>(b));
}

void SjisPairToJis(u8 a, u8 b, u8& c, u8& d) {
  c = static_cast<u8>(2 * a - 96 - (a < 160 ? 128 : 0));
  if (b <= 158) {
    --c;
    d = static_cast<u8>(b < 128 ? b - 31 : b - 32);
  } else {
    d = static_cast<u8>(b - 126);
  }
}

void JisPairToSjis(u8 a, u8 b, u8& c, u8& d) {
  c = static_cast<u8>(((a + 1) >> 1) + (a < 95 ? 112 : 176));
  if (a % 2 == 0)
    d = static_cast<u8>(b + 126);
  else
    d = static_cast<u8>(b < 96 ? b + 31 : b + 32);
}

// Shift-JIS and EUC-JP to JIS share everything but how they tell a character apart; the
// source-specific part is `Step`, which writes one non-ASCII character as JIS and returns how
// many input bytes it used (0 when the character is cut off by the end of the text).
template <typename Step>
std::string ToJis(std::string_view s, Step step) {
  std::string out;
  out.reserve(s.size() + s.size() / 4 + 16);
  bool in_run = false;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    u8 c = At(s, i);
    if (c < 0x80) {
      if (in_run) {
        out += kLeaveKanji;
        in_run = false;
      }
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    if (!in_run) {
      out += kEnterKanji;
      in_run = true;
    }
    size_t used = step(s, i, out);
    if (used == 0) {
      // The text ends inside a character: drop it, and the escape that would open it.
      if (out.ends_with(kEnterKanji)) out.resize(out.size() - kEnterKanji.size());
      break;
    }
    i += used;
  }
  return out;
}

// Code page 932 holds the IBM extensions twice: as NEC-selected characters (leads ED-EE, which
// land in JIS rows 89-92 like any other pair) and at leads FA-FC, which the arithmetic would
// carry outside 21-7E. Runs of the latter and where their twins start, counted in characters
// (188 trail bytes per lead, 7F skipped), as other converters map them.
struct TIbmRun {
  uint16_t from, to, count;
};
constexpr TIbmRun kIbmRuns[] = {
    {0xFA40, 0xEEEF, 10}, {0xFA4A, 0x8754, 10}, {0xFA54, 0x81CA, 1},
    {0xFA55, 0xEEFA, 3},  {0xFA58, 0x878A, 1},  {0xFA59, 0x8782, 1},
    {0xFA5A, 0x8784, 1},  {0xFA5B, 0x81E6, 1},  {0xFA5C, 0xED40, 360},
};
// The geta mark, the usual stand-in for a character JIS X 0208 lacks.
constexpr uint16_t kGeta = 0x222E;

int SjisIndex(uint16_t code) {
  const int trail = code & 0xFF;
  return (code >> 8) * 188 + trail - 0x40 - (trail > 0x7F ? 1 : 0);
}

uint16_t SjisFromIndex(int index) {
  const int trail = index % 188 + 0x40;
  return static_cast<uint16_t>((index / 188) << 8 | (trail >= 0x7F ? trail + 1 : trail));
}

// The NEC-selected twin of an IBM extension, or 0 when `code` is none.
uint16_t IbmTwin(uint16_t code) {
  const int index = SjisIndex(code);
  for (const TIbmRun& run : kIbmRuns) {
    const int first = SjisIndex(run.from);
    if (index >= first && index < first + run.count)
      return SjisFromIndex(SjisIndex(run.to) + index - first);
  }
  return 0;
}

size_t SjisCharToJis(std::string_view s, size_t i, std::string& out) {
  u8 c = At(s, i);
  if (In(c, 0xA1, 0xDF)) {
    u8 mark = i + 1 < s.size() ? At(s, i + 1) : 0;
    bool absorbed;
    uint16_t jis = KanaToJis(c, mark, absorbed);
    PutPair(out, jis >> 8, jis & 0xFF);
    return absorbed ? 2 : 1;
  }
  if (i + 1 >= s.size()) return 0;
  u8 d = At(s, i + 1);
  if (c >= 0xF0) {
    if (uint16_t twin = IbmTwin(static_cast<uint16_t>(c << 8 | d))) {
      c = static_cast<u8>(twin >> 8);
      d = static_cast<u8>(twin & 0xFF);
    }
  }
  u8 a, b;
  SjisPairToJis(c, d, a, b);
  // User-defined characters and malformed pairs have no JIS form; their bytes would leave
  // 21-7E and break the escape structure every reader relies on.
  if (!In(a, 0x21, 0x7E) || !In(b, 0x21, 0x7E)) {
    a = kGeta >> 8;
    b = kGeta & 0xFF;
  }
  PutPair(out, a, b);
  return 2;
}

size_t EucCharToJis(std::string_view s, size_t i, std::string& out) {
  if (i + 1 >= s.size()) return 0;
  u8 c = At(s, i);
  u8 d = At(s, i + 1);
  if (c == 0x8E && In(d, 0xA1, 0xDF)) {
    u8 mark = i + 3 < s.size() && At(s, i + 2) == 0x8E ? At(s, i + 3) : 0;
    bool absorbed;
    uint16_t jis = KanaToJis(d, mark, absorbed);
    PutPair(out, jis >> 8, jis & 0xFF);
    return absorbed ? 4 : 2;
  }
  PutPair(out, c & 0x7F, d & 0x7F);
  return 2;
}

// Walks JIS text: escape sequences switch the double-byte state and are dropped; `step`
// handles the text at position i (knowing whether it is inside a run) and returns how many
// bytes it used, 0 when a character is cut off by the end of the text.
template <typename Step>
std::string FromJis(std::string_view s, Step step) {
  std::string out;
  out.reserve(s.size());
  bool in_run = false;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    if (s[i] == kEsc) {
      if (i + 1 < n) {
        if (s[i + 1] == '$')
          in_run = true;
        else if (s[i + 1] == '(')
          in_run = false;
      }
      i += 3;
      continue;
    }
    size_t used = step(s, i, in_run, out);
    if (used == 0) break;
    i += used;
  }
  return out;
}

}  // namespace

std::string SjisToJis(std::string_view sjis) {
  return ToJis(sjis, SjisCharToJis);
}

std::string EucToJis(std::string_view euc) {
  return ToJis(euc, EucCharToJis);
}

std::string JisToSjis(std::string_view jis) {
  return FromJis(jis, [](std::string_view s, size_t i, bool in_run, std::string& out) -> size_t {
    if (!in_run) {
      out.push_back(s[i]);
      return 1;
    }
    if (i + 1 >= s.size()) return 0;
    u8 c, d;
    JisPairToSjis(At(s, i), At(s, i + 1), c, d);
    PutPair(out, c, d);
    return 2;
  });
}

std::string JisToEuc(std::string_view jis) {
  // Inside a run only bytes of the JIS character range get their top bit; anything else (a
  // stray control byte) passes as it is.
  return FromJis(jis, [](std::string_view s, size_t i, bool in_run, std::string& out) -> size_t {
    u8 c = At(s, i);
    out.push_back(static_cast<char>(in_run && In(c, 0x21, 0x7E) ? c | 0x80 : c));
    return 1;
  });
}

std::string EucToSjis(std::string_view euc) {
  std::string out;
  out.reserve(euc.size());
  const size_t n = euc.size();
  size_t i = 0;
  while (i < n) {
    u8 c = At(euc, i);
    if (c <= 0x80 || c == 0xFF) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (i + 1 >= n) {
      break;
    } else if (c == 0x8E) {
      out.push_back(euc[i + 1]);
      i += 2;
    } else {
      u8 a, b;
      JisPairToSjis(c & 0x7F, At(euc, i + 1) & 0x7F, a, b);
      PutPair(out, a, b);
      i += 2;
    }
  }
  return out;
}

std::string SjisToEuc(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 8);
  const size_t n = sjis.size();
  size_t i = 0;
  while (i < n) {
    u8 c = At(sjis, i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (In(c, 0xA1, 0xDF)) {
      PutPair(out, 0x8E, c);
      ++i;
    } else if (i + 1 >= n) {
      break;
    } else {
      u8 a, b;
      SjisPairToJis(c, At(sjis, i + 1), a, b);
      PutPair(out, a | 0x80, b | 0x80);
      i += 2;
    }
  }
  return out;
}

int DetectJapaneseCode(std::string_view text) {
  const size_t n = text.size();
  // Binary data is told by its control bytes near the start, before any guessing.
  const size_t tested = n == 0 ? 0 : std::min<size_t>(512, n - 1);
  for (size_t i = 0; i < tested; ++i) {
    u8 c = At(text, i);
    if (c < 8 || c == 0xFF) return jcBinary;
  }

  int r = jcAscii;
  size_t i = 0;
  // The last byte never starts a character here, so every "next byte" below exists.
  while ((r == jcAscii || r == jcEucOrSjis) && i + 1 < n) {
    u8 c = At(text, i++);
    if (c == kEsc) {
      if (text[i] == '$') {
        ++i;
        if (i < n) {
          if (text[i] == 'B') r = jcJis;
          if (text[i] == '@') r = jcJisOld;
          ++i;
        }
      }
    } else if (c < 8 || c == 0xFF) {
      r = jcBinary;
    } else if (c <= 0x7F) {
      // ASCII tells nothing.
    } else if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9F)) {
      r = jcSjis;
    } else if (c == 0x8E) {
      u8 d = At(text, i++);
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0) || In(d, 0xE0, 0xFC)) r = jcSjis;
      if (In(d, 0xA1, 0xDF)) r = jcEucOrSjis;
    } else if (In(c, 0xA1, 0xDF)) {
      u8 d = At(text, i++);
      if (In(d, 0xF0, 0xFE)) {
        r = jcEuc;
      } else if (In(d, 0xA1, 0xDF)) {
        r = jcEucOrSjis;
      } else if (In(d, 0xE0, 0xEF)) {
        // A kana-or-EUC byte then E0-EF: only the bytes that follow can decide.
        r = jcEucOrSjis;
        while (r == jcEucOrSjis && i < n && At(text, i) >= 0x40) {
          u8 e = At(text, i++);
          if (In(e, 0x81, 0x8D) || In(e, 0x8F, 0x9C)) r = jcSjis;
          if (In(e, 0xFD, 0xFE)) r = jcEuc;
        }
      } else if (d <= 0x9F) {
        r = jcSjis;
      }
    } else if (In(c, 0xF0, 0xFE)) {
      r = HighLeadCode(text, i - 1);
      if (r == jcEucOrSjis) ++i;  // past the pair's second byte
    } else if (In(c, 0xE0, 0xEF)) {
      u8 d = At(text, i++);
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0))
        r = jcSjis;
      else if (In(d, 0xFD, 0xFE))
        r = jcEuc;
      else if (In(d, 0xA1, 0xFC))
        r = jcEucOrSjis;
    }
  }
  return r;
}

std::string ConvertJapaneseCode(std::string_view text, int target) {
  int code = DetectJapaneseCode(text);
  if (code == jcJisOld) code = jcJis;
  if (code < jcJis || code == target || code == jcEucOrSjis) return std::string(text);
  switch (target) {
    case jcJis:
      return code == jcEuc ? EucToJis(text) : SjisToJis(text);
    case jcEuc:
      return code == jcJis ? JisToEuc(text) : SjisToEuc(text);
    case jcSjis:
      return code == jcJis ? JisToSjis(text) : EucToSjis(text);
    default:
      return std::string(text);
  }
}

}  // namespace moriva
