#pragma once
// Hexadecimal digits and %XX escapes, as mail parameters (name*=utf-8''...), quoted-printable
// bodies and URLs carry them.
#include <string>
#include <string_view>

namespace moriva {

// The value of one hexadecimal digit (either letter case), -1 for any other character.
int HexDigitValue(char c);

// Every %XX with two hexadecimal digits replaced by its byte; anything else, a lone or broken
// '%' included, kept as it stands.
std::string PercentDecode(std::string_view text);

// Every byte outside visible ASCII (blanks, controls, bytes of 0x80 and up) written as %XX
// with upper-case digits; the rest kept as it stands.
std::string PercentEncodeNonAscii(std::string_view text);

}  // namespace moriva
