#include "mail/CheckSum.h"

#include <cstdio>

namespace moriva {

uint8_t TBasicCheckSum::GetByte(int index) {
  if (index < 0 || index >= digest_size_) {
    char text[160];
    std::snprintf(text, sizeof text, "Call to %s.GetByte [property Bytes] with index <> [0..%d]",
                  ClassName().c_str(), digest_size_ - 1);
    throw ERangeError(text);
  }
  return RawByte(index);
}

std::string TBasicCheckSum::HexString() {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * static_cast<size_t>(digest_size_));
  for (int i = 0; i < digest_size_; ++i) {
    uint8_t b = RawByte(i);
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 15]);
  }
  return hex;
}

}  // namespace moriva
