#pragma once
// The MD5 message digest (RFC 1321), used for the APOP login.
//
// Feed with Update any number of times and read the digest through Bytes or HexString. The
// first read completes the digest on a copy of the running state, so reading never disturbs
// it: data fed after a read is added to everything fed before, and the next read gives the
// digest of all of it.
#include <array>
#include <cstdint>

#include "mail/CheckSum.h"

namespace moriva {

class TMD5 : public TBasicCheckSum {
 public:
  TMD5();

  uint8_t RawByte(int index) override;
  void Reset() override;
  using TBasicCheckSum::Update;
  void Update(const void* buffer, size_t count) override;
  void Finalize() override;
  // Processes the full 64-byte block buffer into the running state and empties the buffer.
  void Transform() override;
  std::string ClassName() const override { return "TMD5"; }

  bool Finalized() const { return finalized_; }

 private:
  void TransformBlock(const uint8_t* block);

  std::array<uint8_t, 64> buffer_{};
  size_t fill_ = 0;                   // bytes in buffer_, 0-63 between calls
  uint64_t bit_count_ = 0;            // message length in bits, modulo 2^64
  std::array<uint32_t, 4> state_{};   // running A, B, C, D
  std::array<uint32_t, 4> digest_{};  // A, B, C, D of the finished digest
  bool finalized_ = false;
};

// The MD5 of `bytes` as 32 lower-case hexadecimal digits.
std::string MD5Hex(std::string_view bytes);

}  // namespace moriva
