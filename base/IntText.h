#pragma once
// Decimal integer conversion with the program's error text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moriva {

// Parses an optional sign followed by decimal digits that fit an int32; nothing else.
std::optional<int32_t> TryStrToInt(std::string_view text);

// As TryStrToInt; throws EConvertError "'%s' は整数ではありません" (text shown as UTF-8).
int32_t StrToInt(std::string_view text);

std::string NotAnIntegerMessage(std::string_view text);

// done * 100 / total rounded to the nearest integer, halves to the even neighbour (the way the
// transfer progress is reported). `total` must not be 0.
uint64_t RoundedPercent(uint64_t done, uint64_t total);

}  // namespace moriva
