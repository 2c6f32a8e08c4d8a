#include "base/Cp932.h"

#include <algorithm>
#include <stdexcept>

#include "base/IconvConverter.h"

namespace moriva {
namespace {

// Length of the UTF-8 sequence starting with `c`, so that a bad sequence is skipped whole.
size_t Utf8Unit(const char* p, size_t left) {
  unsigned char c = static_cast<unsigned char>(*p);
  size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return std::min(n, left);
}

size_t OneByte(const char*, size_t) {
  return 1;
}
size_t TwoBytes(const char*, size_t left) {
  return std::min<size_t>(2, left);
}

// One converter per direction and thread, opened on first use.
enum class Direction { kCp932ToUtf8, kUtf8ToCp932, kCp932ToUtf16, kUtf16ToCp932 };

// Opening a descriptor costs far more than a short conversion, and the program converts many
// short texts.
template <Direction D>
TIconvConverter& Conv() {
  static constexpr const char* kNames[][2] = {
      {"UTF-8", "CP932"}, {"CP932", "UTF-8"}, {"UTF-16LE", "CP932"}, {"CP932", "UTF-16LE"}};
  thread_local std::unique_ptr<TIconvConverter> c = [] {
    const char* to = kNames[static_cast<int>(D)][0];
    const char* from = kNames[static_cast<int>(D)][1];
    auto opened = TIconvConverter::Open(to, from);
    if (!opened)
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    return opened;
  }();
  return *c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kCp932ToUtf8>().Run(s, OneByte, "?");
}

std::string Utf8ToCp932(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kUtf8ToCp932>().Run(s, Utf8Unit, "?");
}

std::string Utf8ToCp932(std::string_view s, std::string_view fallback, size_t& replaced) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kUtf8ToCp932>().Run(s, Utf8Unit, fallback, &replaced);
}

std::u16string Cp932ToUtf16(std::string_view s) {
  std::string bytes = Conv<Direction::kCp932ToUtf16>().Run(s, OneByte, std::string("?\0", 2));
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

std::string Utf16ToCp932(std::u16string_view s) {
  std::string bytes(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) {
    bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(s[i] >> 8);
  }
  return Conv<Direction::kUtf16ToCp932>().Run(bytes, TwoBytes, "?");
}

bool IsValidCp932(std::string_view s) {
  if (IsAscii(s)) return true;
  size_t replaced = 0;
  Conv<Direction::kCp932ToUtf8>().Run(s, OneByte, {}, &replaced);
  return replaced == 0;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80             ? 1
               : (c & 0xE0) == 0xC0 ? 2
               : (c & 0xF0) == 0xE0 ? 3
               : (c & 0xF8) == 0xF0 ? 4
                                    : 0;
    if (n == 0 || i + n > s.size()) return false;
    unsigned cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

}  // namespace moriva
