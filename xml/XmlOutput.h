#pragma once
// From XML text to file bytes: escaping of character data, line ends, and the four output
// encodings with their byte-order marks.
#include <string>
#include <string_view>

namespace moriva {

enum TXmlEncoding : int {
  xeShiftJIS = 0,  // code page 932, no byte-order mark
  xeUtf8 = 1,      // EF BB BF first
  xeUtf16LE = 2,   // FF FE first
  xeUtf16BE = 3,   // FE FF first
};

// The name written in the declaration: "Shift_JIS", "UTF-8" or "UTF-16".
std::u16string_view XmlEncodingName(TXmlEncoding encoding);

// Appends `text` so that a reader gets it back: "&", "<" and ">" as entity references and,
// inside an attribute value, also '"' and tab, LF and CR as references. A character that no
// XML document may hold (control characters, an unpaired surrogate) becomes "?", so the
// output is always well-formed. For a Shift_JIS file, a character without a form that every
// Shift_JIS reader decodes (see HasShiftJisForm) is written as a character reference, so
// it arrives unchanged instead of breaking the file.
void AppendXmlEscaped(std::u16string& out, std::u16string_view text, bool inAttribute,
                      TXmlEncoding encoding);

// True when `c` has a code page 932 form that plain Shift_JIS shares: ASCII, half-width
// katakana, and the double-byte characters outside the vendor rows (lead bytes 87, ED, EE
// and F0-FC: NEC and IBM extensions and user-defined characters), which strict readers
// refuse.
bool HasShiftJisForm(char16_t c);

// The text split into lines at CR LF, CR or LF and every line followed by CR LF (text after
// the last line end is a last line; an empty text stays empty).
std::u16string WithCrLfLines(std::u16string_view text);

// The bytes of a file holding `text`, byte-order mark first. Shift_JIS writes code page 932
// and "?" for a character without a form there (only names can still hold one: text has
// character references by then); UTF-8 joins surrogate pairs into one character and writes
// an unpaired surrogate as U+FFFD.
std::string EncodeXmlText(std::u16string_view text, TXmlEncoding encoding);

}  // namespace moriva
