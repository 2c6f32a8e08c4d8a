#include "xml/XmlOutput.h"

#include <atomic>
#include <cstdint>

#include "base/Charset.h"
#include "base/Cp932.h"
#include "xml/XMLChar.h"

namespace moriva {
namespace {

constexpr bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The fixed replacement for `c`, or nullptr when it has none.
const char16_t* FixedReplacement(char16_t c, bool inAttribute) {
  switch (c) {
    case u'&':
      return u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return inAttribute ? u"&quot;" : nullptr;
    // A reader turns these into blanks inside attribute values.
    case u'\t':
      return inAttribute ? u"&#9;" : nullptr;
    case u'\n':
      return inAttribute ? u"&#10;" : nullptr;
    case u'\r':
      return inAttribute ? u"&#13;" : nullptr;
    default:
      return nullptr;
  }
}

void AppendCharRef(std::u16string& out, char32_t c) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  char16_t digits[8];
  int n = 0;
  do {
    digits[n++] = kHex[c & 0xF];
    c >>= 4;
  } while (c);
  out += u"&#x";
  while (n) out += digits[--n];
  out += u';';
}

// Whether `c` (above ASCII) converts to code page 932 bytes that plain Shift_JIS shares.
bool ConvertsToShiftJis(char16_t c) {
  std::string cp932 = Utf16ToCp932(std::u16string_view(&c, 1));
  auto lead = static_cast<unsigned char>(cp932[0]);
  // A single byte above ASCII is half-width katakana, or a stand-in ("?", or 5C for the yen
  // sign) that would come back as another character.
  if (cp932.size() == 1) return lead >= 0xA1 && lead <= 0xDF;
  return !(lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xF0);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string ToUtf16(std::u16string_view text, bool bigEndian) {
  std::string out(text.size() * 2, '\0');
  int hi = bigEndian ? 0 : 1;
  for (size_t i = 0; i < text.size(); ++i) {
    out[2 * i + hi] = static_cast<char>(text[i] >> 8);
    out[2 * i + 1 - hi] = static_cast<char>(text[i] & 0xFF);
  }
  return out;
}

}  // namespace

std::u16string_view XmlEncodingName(TXmlEncoding encoding) {
  switch (encoding) {
    case xeUtf8:
      return u"UTF-8";
    case xeUtf16LE:
    case xeUtf16BE:
      return u"UTF-16";
    case xeShiftJIS:
      break;
  }
  return u"Shift_JIS";
}

bool HasShiftJisForm(char16_t c) {
  if (c < 0x80) return true;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  // Answers are kept per character: a schedule uses few distinct characters, and asking
  // the converter costs far more than a look-up. Threads may race to fill an entry; they
  // write the same answer.
  static std::atomic<uint8_t> known[0x10000];  // 0 not asked yet, 1 no, 2 yes
  uint8_t k = known[c].load(std::memory_order_relaxed);
  if (k == 0) {
    k = ConvertsToShiftJis(c) ? 2 : 1;
    known[c].store(k, std::memory_order_relaxed);
  }
  return k == 2;
}

void AppendXmlEscaped(std::u16string& out, std::u16string_view text, bool inAttribute,
                      TXmlEncoding encoding) {
  const bool refs = encoding == xeShiftJIS;
  // Copy runs of plain characters in one go; most texts need no replacement at all.
  size_t run = 0;
  size_t i = 0;
  while (i < text.size()) {
    char16_t c = text[i];
    if (c >= 0x20 && c < 0x7F && c != u'&' && c != u'<' && c != u'>' && c != u'"') {
      ++i;
      continue;
    }
    const char16_t* fixed = FixedReplacement(c, inAttribute);
    size_t len = 1;
    char32_t code = c;
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      len = 2;
      code = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    bool bad = !fixed && len == 1 && !IsXmlChar(c);
    bool ref = !fixed && !bad && refs && (len == 2 || !HasShiftJisForm(c));
    if (fixed || bad || ref) {
      out.append(text, run, i - run);
      if (fixed)
        out += fixed;
      else if (bad)
        out += u'?';
      else
        AppendCharRef(out, code);
      run = i + len;
    }
    i += len;
  }
  out.append(text, run, text.size() - run);
}

std::u16string WithCrLfLines(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(u"\r\n", i);
    if (end == std::u16string_view::npos) end = text.size();
    out.append(text, i, end - i);
    out += u"\r\n";
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
      ++end;
    i = end + 1;
  }
  return out;
}

std::string EncodeXmlText(std::u16string_view text, TXmlEncoding encoding) {
  switch (encoding) {
    case xeUtf8:
      return "\xEF\xBB\xBF" + ToUtf8(text);
    case xeUtf16LE:
      return "\xFF\xFE" + ToUtf16(text, false);
    case xeUtf16BE:
      return "\xFE\xFF" + ToUtf16(text, true);
    case xeShiftJIS:
      break;
  }
  // Other programs read the file: a character without a Shift_JIS form is no pair there.
  size_t replaced = 0;
  return WithoutPairs(Utf16ToCp932(text), "?", replaced);
}

}  // namespace moriva
