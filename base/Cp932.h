#pragma once
// Code page 932 (Shift-JIS as Windows has it): the lead-byte test and conversions to and from
// Unicode. All program text in the core is held as CP932 bytes; these convert at the edges.
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

// Conversions (Japanese literals the core must hold as CP932 are written in UTF-8 in the source
// and converted by Utf8ToCp932). Bytes or characters that have no counterpart become '?' (as the
// platform's conversion does with its default character); nothing throws.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
// The same with a chosen CP932 `fallback` for each character (or malformed UTF-8 sequence)
// that has no counterpart; `replaced` is increased by their number.
std::string Utf8ToCp932(std::string_view utf8, std::string_view fallback, size_t& replaced);
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

// Text that code page 932 spells: every byte a character, or part of one, that the code page
// assigns (its user-defined area included).
bool IsValidCp932(std::string_view s);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s);

}  // namespace moriva
