#include "base/IntText.h"

#include <charconv>

#include "base/Cp932.h"
#include "base/Exception.h"

namespace moriva {

std::optional<int32_t> TryStrToInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') {
    ++first;
    if (first == last || *first == '-') return std::nullopt;
  }
  int32_t value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value, 10);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

std::string NotAnIntegerMessage(std::string_view text) {
  return "'" + Cp932ToUtf8(text) + "' は整数ではありません";
}

int32_t StrToInt(std::string_view text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw EConvertError(NotAnIntegerMessage(text));
}

uint64_t RoundedPercent(uint64_t done, uint64_t total) {
  const uint64_t scaled = done * 100;
  uint64_t q = scaled / total;
  const uint64_t r = scaled % total;
  if (2 * r > total || (2 * r == total && q % 2 == 1)) ++q;
  return q;
}

}  // namespace moriva
