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

}  // namespace moriva
