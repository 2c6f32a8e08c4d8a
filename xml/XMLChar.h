#pragma once
// Character classes of XML 1.0 (first edition rules): the letters, digits, combining
// characters and extenders from which names are built, and the characters a document may
// hold at all. Element and attribute names are checked against the Name production with
// these classes, so a name that passes is a name every XML 1.0 reader accepts.
#include <string_view>

namespace moriva {

bool IsXmlBaseChar(char16_t c);
bool IsXmlIdeographic(char16_t c);
bool IsXmlCombiningChar(char16_t c);
bool IsXmlDigit(char16_t c);
bool IsXmlExtender(char16_t c);

inline bool IsXmlLetter(char16_t c) {
  return IsXmlBaseChar(c) || IsXmlIdeographic(c);
}

// First character of a name: a letter, "_" or ":".
inline bool IsXmlNameStartChar(char16_t c) {
  return c == u'_' || c == u':' || IsXmlLetter(c);
}

// Any further character: also digits, ".", "-", combining characters and extenders.
inline bool IsXmlNameChar(char16_t c) {
  return IsXmlNameStartChar(c) || c == u'.' || c == u'-' || IsXmlDigit(c) ||
         IsXmlCombiningChar(c) || IsXmlExtender(c);
}

// The Name production: a start character followed by name characters. Empty is no name.
bool IsXmlName(std::u16string_view name);

// A character a document may contain at all (the Char production): tab, LF, CR, and code
// points from 0x20 on, except surrogates, FFFE and FFFF. Anything else cannot be written,
// not even as a character reference.
constexpr bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace moriva
