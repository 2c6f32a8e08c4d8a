#include "calendar/JapaneseEra.h"

#include <array>

#include "base/Cp932.h"

namespace moriva {
namespace {

struct TEraInfo {
  std::string_view Name;  // UTF-8
  char Letter;
  int32_t Year;
  uint8_t Month, Day;
};

constexpr std::array<TEraInfo, kEraCount> kEras = {{
    {"明治", 'M', 1868, 1, 25},
    {"大正", 'T', 1912, 7, 30},
    {"昭和", 'S', 1926, 12, 25},
    {"平成", 'H', 1989, 1, 8},
    {"令和", 'R', 2019, 5, 1},
}};

constexpr JuliusDay kLastEngineDay = 5373484;  // 31 December 9999
constexpr int32_t kMaxEraYear = 9999;

const TEraInfo& Info(TEra era) {
  return kEras[static_cast<size_t>(era)];
}

const std::array<std::string, kEraCount>& Cp932Names() {
  static const std::array<std::string, kEraCount> names = [] {
    std::array<std::string, kEraCount> n;
    for (size_t i = 0; i < n.size(); ++i) n[i] = Utf8ToCp932(kEras[i].Name);
    return n;
  }();
  return names;
}

// Reads an unsigned number of ASCII or full-width digits at s[i]; advances i.
std::optional<int32_t> ReadNumber(std::string_view s, size_t& i) {
  int64_t value = 0;
  size_t digits = 0;
  while (i < s.size()) {
    int digit;
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= '0' && c <= '9') {
      digit = c - '0';
      i += 1;
    } else if (c == 0x82 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x4F &&
               static_cast<unsigned char>(s[i + 1]) <= 0x58) {
      digit = static_cast<unsigned char>(s[i + 1]) - 0x4F;  // ０ ... ９
      i += 2;
    } else {
      break;
    }
    if (++digits > 9) return std::nullopt;
    value = value * 10 + digit;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<int32_t>(value);
}

bool Skip(std::string_view s, size_t& i, std::string_view word) {
  if (s.substr(i, word.size()) != word) return false;
  i += word.size();
  return true;
}

std::optional<TEraDate> Checked(TEra era, int32_t y, int32_t m, int32_t d) {
  if (y < 1 || y > kMaxEraYear || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  return TEraDate{era, y, static_cast<uint8_t>(m), static_cast<uint8_t>(d)};
}

// 令和9年1月10日
std::optional<TEraDate> ParseKanjiForm(std::string_view s) {
  for (int e = 0; e < kEraCount; ++e) {
    size_t i = 0;
    if (!Skip(s, i, Cp932Names()[e])) continue;
    std::optional<int32_t> y;
    if (Skip(s, i, Utf8ToCp932("元")))
      y = 1;
    else
      y = ReadNumber(s, i);
    if (!y || !Skip(s, i, Utf8ToCp932("年"))) return std::nullopt;
    const std::optional<int32_t> m = ReadNumber(s, i);
    if (!m || !Skip(s, i, Utf8ToCp932("月"))) return std::nullopt;
    const std::optional<int32_t> d = ReadNumber(s, i);
    if (!d || !Skip(s, i, Utf8ToCp932("日")) || i != s.size()) return std::nullopt;
    return Checked(static_cast<TEra>(e), *y, *m, *d);
  }
  return std::nullopt;
}

// R9.1.10
std::optional<TEraDate> ParseLetterForm(std::string_view s) {
  if (s.empty()) return std::nullopt;
  const char letter = static_cast<char>(s[0] & ~0x20);  // upper case
  for (int e = 0; e < kEraCount; ++e) {
    if (kEras[e].Letter != letter) continue;
    size_t i = 1;
    const std::optional<int32_t> y = ReadNumber(s, i);
    if (!y || i >= s.size()) return std::nullopt;
    const char sep = s[i];
    if (sep != '.' && sep != '/' && sep != '-') return std::nullopt;
    ++i;
    const std::optional<int32_t> m = ReadNumber(s, i);
    if (!m || !Skip(s, i, std::string_view(&sep, 1))) return std::nullopt;
    const std::optional<int32_t> d = ReadNumber(s, i);
    if (!d || i != s.size()) return std::nullopt;
    return Checked(static_cast<TEra>(e), *y, *m, *d);
  }
  return std::nullopt;
}

}  // namespace

JuliusDay EraFirstDay(TEra era) {
  const TEraInfo& e = Info(era);
  return DateToJulius(e.Year, e.Month, e.Day);
}

JuliusDay EraLastDay(TEra era) {
  return era == TEra::Reiwa ? kLastEngineDay
                            : EraFirstDay(static_cast<TEra>(static_cast<int>(era) + 1)) - 1;
}

std::string EraName(TEra era) {
  return Cp932Names()[static_cast<size_t>(era)];
}

char EraLetter(TEra era) {
  return Info(era).Letter;
}

std::optional<TEraDate> EraDateOf(JuliusDay z) {
  for (int e = kEraCount - 1; e >= 0; --e) {
    const auto era = static_cast<TEra>(e);
    if (z < EraFirstDay(era)) continue;
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    return TEraDate{era, y - Info(era).Year + 1, m, d};
  }
  return std::nullopt;
}

std::optional<JuliusDay> EraDateToJulius(const TEraDate& date) {
  if (date.Year < 1 || date.Year > kMaxEraYear) return std::nullopt;
  const int32_t y = Info(date.Era).Year + date.Year - 1;
  if (!IsValidDate(y, date.Month, date.Day)) return std::nullopt;
  const JuliusDay z = DateToJulius(y, date.Month, date.Day);
  if (z < EraFirstDay(date.Era) || z > EraLastDay(date.Era)) return std::nullopt;
  return z;
}

std::string EraYearText(TEra era, int32_t year) {
  return EraName(era) + (year == 1 ? Utf8ToCp932("元") : std::to_string(year)) + Utf8ToCp932("年");
}

std::string EraDateText(const TEraDate& date) {
  return EraYearText(date.Era, date.Year) + std::to_string(date.Month) + Utf8ToCp932("月") +
         std::to_string(date.Day) + Utf8ToCp932("日");
}

std::string EraYearsOfMonth(int32_t year, uint8_t month) {
  const std::optional<TEraDate> first = EraDateOf(DateToJulius(year, month, 1));
  const std::optional<TEraDate> last =
      EraDateOf(DateToJulius(year, month, DaysInMonth(year, month)));
  if (!last) return {};
  std::string text;
  if (first && first->Era != last->Era) text = EraYearText(first->Era, first->Year) + "/";
  return text + EraYearText(last->Era, last->Year);
}

std::optional<TEraDate> ParseEraDate(std::string_view cp932) {
  if (std::optional<TEraDate> d = ParseKanjiForm(cp932)) return d;
  return ParseLetterForm(cp932);
}

}  // namespace moriva
