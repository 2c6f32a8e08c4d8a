#pragma once
// Code page 932 (Shift-JIS as Windows has it): the lead-byte test and conversions to and from
// Unicode. All program text in the core is held as CP932 bytes; these convert at the edges.
//
// A character code page 932 cannot spell (emoji, 𠮷, é, ...) is held inside the CP932 text as a
// pair of characters from the code page's user-defined area (lead bytes 0xF0-0xF9, 1880
// characters, U+E000-U+E757 in Unicode): the first from rows 0xF5-0xF9 (940 characters, the
// "high" ones), the second any of the 1880; the code point is first × 1880 + second, each
// counted from the start of its range. A private-use character of the high rows' range
// (U+E3AC-U+E757) is itself written as a pair, so that a high character followed by a
// user-defined one is always a pair; one of rows 0xF0-0xF4 stays one character. A lone high
// character, or two that would spell something the code page has or a code point of the
// empty planes 4-13, is read as its own private-use character, as older files hold it.
// docs/CHARACTERS.md tells why.
#include <string>
#include <string_view>

namespace moriva {

// True for the first byte of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character that starts at s[i]: 2 for a lead byte that has a
// following byte, else 1 (a lead byte as the very last byte counts as one byte).
inline size_t CharLength(std::string_view s, size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// The first byte of a pair's first character.
constexpr bool IsHighRowLead(unsigned char c) {
  return c >= 0xF5 && c <= 0xF9;
}

// Length in bytes of the character that starts at s[i], a pair counted whole (4); else as
// CharLength. Whatever steps through text to cut or to find it steps by this.
size_t WholeCharLength(std::string_view s, size_t i);

// Conversions (Japanese literals the core must hold as CP932 are written in UTF-8 in the source
// and converted by Utf8ToCp932). Every Unicode character is kept (as a pair when the code page
// has none); only what is no character at all (malformed UTF-8 or UTF-16, a lead byte without
// its trail byte, a code point of the empty planes 4-13) becomes '?', as the platform's
// conversion does with its default character; nothing throws.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
// The same with a chosen CP932 `fallback` for each of those; `replaced` is increased by their
// number.
std::string Utf8ToCp932(std::string_view utf8, std::string_view fallback, size_t& replaced);
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

// The text as the handset's own code holds it: each pair becomes 〓, counted in `replaced`
// (a pair that stands for a user-defined character becomes that character again).
std::string ToHandsetCp932(std::string_view cp932, size_t& replaced);

// Text that code page 932 spells: every byte a character, or part of one, that the code page
// assigns (its user-defined area included).
bool IsValidCp932(std::string_view s);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s);

}  // namespace moriva
