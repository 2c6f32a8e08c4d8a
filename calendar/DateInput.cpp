#include "calendar/DateInput.h"

#include <regex>
#include <string>

#include "calendar/JapaneseEra.h"

namespace moriva {
namespace {

// Full-width digits, slash and hyphen-minus as their ASCII forms; blanks dropped at both ends.
std::string Narrowed(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const auto next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (c == 0x82 && next >= 0x4F && next <= 0x58) {
      out += static_cast<char>('0' + next - 0x4F);
      ++i;
    } else if (c == 0x81 && next == 0x5E) {  // ／
      out += '/';
      ++i;
    } else if (c == 0x81 && next == 0x7C) {  // －
      out += '-';
      ++i;
    } else if (c == 0x81 && next == 0x40) {  // ideographic space
      out += ' ';
      ++i;
    } else {
      out += static_cast<char>(c);
      if (c >= 0x81 && (c <= 0x9F || (c >= 0xE0 && c <= 0xFC)) && i + 1 < s.size())
        out += static_cast<char>(s[++i]);
    }
  }
  const size_t first = out.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<JuliusDay> ParseDateInput(std::string_view cp932, int32_t thisYear) {
  const std::string text = Narrowed(cp932);
  if (const std::optional<TEraDate> era = ParseEraDate(text)) return EraDateToJulius(*era);
  static const std::regex full(R"(([0-9]{1,4})([/-])([0-9]{1,2})\2([0-9]{1,2}))");
  static const std::regex monthDay(R"(([0-9]{1,2})([/-])([0-9]{1,2}))");
  std::smatch m;
  int32_t y;
  int month, day;
  if (std::regex_match(text, m, full)) {
    y = std::stoi(m[1].str());
    month = std::stoi(m[3].str());
    day = std::stoi(m[4].str());
  } else if (std::regex_match(text, m, monthDay)) {
    y = thisYear;
    month = std::stoi(m[1].str());
    day = std::stoi(m[3].str());
  } else {
    return std::nullopt;
  }
  if (y < 1 || y > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  if (y == 1582 && month == 10 && day >= 5 && day <= 14) return std::nullopt;  // skipped days
  const auto mm = static_cast<uint8_t>(month), dd = static_cast<uint8_t>(day);
  if (!IsValidDate(y, mm, dd)) return std::nullopt;
  return DateToJulius(y, mm, dd);
}

}  // namespace moriva
