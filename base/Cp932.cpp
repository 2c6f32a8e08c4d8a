#include "base/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

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

// One iconv descriptor per direction and thread; opening one costs far more than a
// short conversion, and the program converts many short texts.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  using UnitLength = size_t (*)(const char* p, size_t left);

  // Converts `in`; an unconvertible input unit (whose length `unit` tells) becomes `fallback`,
  // and is counted in *replaced when asked for.
  std::string Run(const char* in, size_t in_len, UnitLength unit, std::string_view fallback,
                  size_t* replaced = nullptr) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(in_len * 2 + 16);
    char* src = const_cast<char*>(in);
    size_t src_left = in_len;
    size_t used = 0;
    while (src_left > 0) {
      char* dst = out.data() + used;
      size_t dst_left = out.size() - used;
      size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      used = out.size() - dst_left;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
      } else {
        // EILSEQ or EINVAL (truncated sequence at the end): replace one unit and go on.
        if (out.size() - used < fallback.size()) out.resize(out.size() * 2 + fallback.size());
        std::memcpy(out.data() + used, fallback.data(), fallback.size());
        used += fallback.size();
        if (replaced) ++*replaced;
        size_t skip = unit(src, src_left);
        src += skip;
        src_left -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// One converter per direction and thread, opened on first use.
enum class Direction { kCp932ToUtf8, kUtf8ToCp932, kCp932ToUtf16, kUtf16ToCp932 };

template <Direction D>
Converter& Conv() {
  static constexpr const char* kNames[][2] = {
      {"UTF-8", "CP932"}, {"CP932", "UTF-8"}, {"UTF-16LE", "CP932"}, {"CP932", "UTF-16LE"}};
  thread_local Converter c(kNames[static_cast<int>(D)][0], kNames[static_cast<int>(D)][1]);
  return c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kCp932ToUtf8>().Run(s.data(), s.size(), OneByte, "?");
}

std::string Utf8ToCp932(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kUtf8ToCp932>().Run(s.data(), s.size(), Utf8Unit, "?");
}

std::string Utf8ToCp932(std::string_view s, std::string_view fallback, size_t& replaced) {
  if (IsAscii(s)) return std::string(s);
  return Conv<Direction::kUtf8ToCp932>().Run(s.data(), s.size(), Utf8Unit, fallback, &replaced);
}

std::u16string Cp932ToUtf16(std::string_view s) {
  std::string bytes =
      Conv<Direction::kCp932ToUtf16>().Run(s.data(), s.size(), OneByte, std::string("?\0", 2));
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
  return Conv<Direction::kUtf16ToCp932>().Run(bytes.data(), bytes.size(), TwoBytes, "?");
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
