#include "mail/MD5.h"

#include <algorithm>
#include <cstring>

namespace moriva {
namespace {

constexpr std::array<uint32_t, 4> kInitial = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};

constexpr uint32_t Rotl(uint32_t x, int s) {
  return (x << s) | (x >> (32 - s));
}

// One step of each round: a := b + ((a + f(b, c, d) + x + t) <<< s).
#define MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);           \
  a = Rotl(a, s) + (b)

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
  return z ^ (x & (y ^ z));
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) {
  return y ^ (z & (x ^ y));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
  return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) {
  return y ^ (x | ~z);
}

inline uint32_t LoadLE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

TMD5::TMD5() : TBasicCheckSum("Message Digest 5 (MD5)", 16) {
  Reset();
}

void TMD5::Reset() {
  buffer_.fill(0);
  fill_ = 0;
  bit_count_ = 0;
  state_ = kInitial;
  digest_ = kInitial;
  finalized_ = false;
}

void TMD5::Update(const void* buffer, size_t count) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  bit_count_ += static_cast<uint64_t>(count) * 8;
  // A read before this call finished an earlier digest; the next read must include this data.
  if (count > 0) finalized_ = false;
  if (fill_ > 0) {
    size_t take = std::min(count, buffer_.size() - fill_);
    std::memcpy(buffer_.data() + fill_, p, take);
    fill_ += take;
    p += take;
    count -= take;
    if (fill_ < buffer_.size()) return;
    Transform();
  }
  // Whole blocks straight from the caller's memory: the same result as going through the
  // buffer, without the copy.
  for (; count >= 64; p += 64, count -= 64) TransformBlock(p);
  std::memcpy(buffer_.data(), p, count);
  fill_ = count;
}

void TMD5::Transform() {
  TransformBlock(buffer_.data());
  buffer_.fill(0);
  fill_ = 0;
}

void TMD5::TransformBlock(const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE(block + 4 * i);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  MD5_STEP(F, a, b, c, d, x[0], 0xd76aa478, 7);
  MD5_STEP(F, d, a, b, c, x[1], 0xe8c7b756, 12);
  MD5_STEP(F, c, d, a, b, x[2], 0x242070db, 17);
  MD5_STEP(F, b, c, d, a, x[3], 0xc1bdceee, 22);
  MD5_STEP(F, a, b, c, d, x[4], 0xf57c0faf, 7);
  MD5_STEP(F, d, a, b, c, x[5], 0x4787c62a, 12);
  MD5_STEP(F, c, d, a, b, x[6], 0xa8304613, 17);
  MD5_STEP(F, b, c, d, a, x[7], 0xfd469501, 22);
  MD5_STEP(F, a, b, c, d, x[8], 0x698098d8, 7);
  MD5_STEP(F, d, a, b, c, x[9], 0x8b44f7af, 12);
  MD5_STEP(F, c, d, a, b, x[10], 0xffff5bb1, 17);
  MD5_STEP(F, b, c, d, a, x[11], 0x895cd7be, 22);
  MD5_STEP(F, a, b, c, d, x[12], 0x6b901122, 7);
  MD5_STEP(F, d, a, b, c, x[13], 0xfd987193, 12);
  MD5_STEP(F, c, d, a, b, x[14], 0xa679438e, 17);
  MD5_STEP(F, b, c, d, a, x[15], 0x49b40821, 22);

  MD5_STEP(G, a, b, c, d, x[1], 0xf61e2562, 5);
  MD5_STEP(G, d, a, b, c, x[6], 0xc040b340, 9);
  MD5_STEP(G, c, d, a, b, x[11], 0x265e5a51, 14);
  MD5_STEP(G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
  MD5_STEP(G, a, b, c, d, x[5], 0xd62f105d, 5);
  MD5_STEP(G, d, a, b, c, x[10], 0x02441453, 9);
  MD5_STEP(G, c, d, a, b, x[15], 0xd8a1e681, 14);
  MD5_STEP(G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
  MD5_STEP(G, a, b, c, d, x[9], 0x21e1cde6, 5);
  MD5_STEP(G, d, a, b, c, x[14], 0xc33707d6, 9);
  MD5_STEP(G, c, d, a, b, x[3], 0xf4d50d87, 14);
  MD5_STEP(G, b, c, d, a, x[8], 0x455a14ed, 20);
  MD5_STEP(G, a, b, c, d, x[13], 0xa9e3e905, 5);
  MD5_STEP(G, d, a, b, c, x[2], 0xfcefa3f8, 9);
  MD5_STEP(G, c, d, a, b, x[7], 0x676f02d9, 14);
  MD5_STEP(G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

  MD5_STEP(H, a, b, c, d, x[5], 0xfffa3942, 4);
  MD5_STEP(H, d, a, b, c, x[8], 0x8771f681, 11);
  MD5_STEP(H, c, d, a, b, x[11], 0x6d9d6122, 16);
  MD5_STEP(H, b, c, d, a, x[14], 0xfde5380c, 23);
  MD5_STEP(H, a, b, c, d, x[1], 0xa4beea44, 4);
  MD5_STEP(H, d, a, b, c, x[4], 0x4bdecfa9, 11);
  MD5_STEP(H, c, d, a, b, x[7], 0xf6bb4b60, 16);
  MD5_STEP(H, b, c, d, a, x[10], 0xbebfbc70, 23);
  MD5_STEP(H, a, b, c, d, x[13], 0x289b7ec6, 4);
  MD5_STEP(H, d, a, b, c, x[0], 0xeaa127fa, 11);
  MD5_STEP(H, c, d, a, b, x[3], 0xd4ef3085, 16);
  MD5_STEP(H, b, c, d, a, x[6], 0x04881d05, 23);
  MD5_STEP(H, a, b, c, d, x[9], 0xd9d4d039, 4);
  MD5_STEP(H, d, a, b, c, x[12], 0xe6db99e5, 11);
  MD5_STEP(H, c, d, a, b, x[15], 0x1fa27cf8, 16);
  MD5_STEP(H, b, c, d, a, x[2], 0xc4ac5665, 23);

  MD5_STEP(I, a, b, c, d, x[0], 0xf4292244, 6);
  MD5_STEP(I, d, a, b, c, x[7], 0x432aff97, 10);
  MD5_STEP(I, c, d, a, b, x[14], 0xab9423a7, 15);
  MD5_STEP(I, b, c, d, a, x[5], 0xfc93a039, 21);
  MD5_STEP(I, a, b, c, d, x[12], 0x655b59c3, 6);
  MD5_STEP(I, d, a, b, c, x[3], 0x8f0ccc92, 10);
  MD5_STEP(I, c, d, a, b, x[10], 0xffeff47d, 15);
  MD5_STEP(I, b, c, d, a, x[1], 0x85845dd1, 21);
  MD5_STEP(I, a, b, c, d, x[8], 0x6fa87e4f, 6);
  MD5_STEP(I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
  MD5_STEP(I, c, d, a, b, x[6], 0xa3014314, 15);
  MD5_STEP(I, b, c, d, a, x[13], 0x4e0811a1, 21);
  MD5_STEP(I, a, b, c, d, x[4], 0xf7537e82, 6);
  MD5_STEP(I, d, a, b, c, x[11], 0xbd3af235, 10);
  MD5_STEP(I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
  MD5_STEP(I, b, c, d, a, x[9], 0xeb86d391, 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void TMD5::Finalize() {
  // Pad a copy, so that the running state stays as it was and more data can follow.
  const auto saved_buffer = buffer_;
  const size_t saved_fill = fill_;
  const uint64_t saved_bits = bit_count_;
  const auto saved_state = state_;

  buffer_[fill_++] = 0x80;
  if (fill_ > 56) {
    std::memset(buffer_.data() + fill_, 0, buffer_.size() - fill_);
    Transform();
  }
  std::memset(buffer_.data() + fill_, 0, 56 - fill_);
  for (int i = 0; i < 8; ++i) buffer_[56 + i] = static_cast<uint8_t>(saved_bits >> (8 * i));
  Transform();
  digest_ = state_;

  buffer_ = saved_buffer;
  fill_ = saved_fill;
  bit_count_ = saved_bits;
  state_ = saved_state;
  finalized_ = true;
}

uint8_t TMD5::RawByte(int index) {
  if (!finalized_) Finalize();
  return static_cast<uint8_t>(digest_[index / 4] >> (8 * (index % 4)));
}

std::string MD5Hex(std::string_view bytes) {
  TMD5 md5;
  md5.Update(bytes);
  return md5.HexString();
}

}  // namespace moriva
