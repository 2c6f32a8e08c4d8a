#pragma once
// The digest family: a base that knows a digest's size and name, reads its bytes with a range
// check and writes them as hexadecimal; the concrete digests (TMD5) supply the arithmetic.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/Exception.h"

namespace moriva {

// An index outside its valid range.
class ERangeError : public Exception {
 public:
  using Exception::Exception;
};

class TBasicCheckSum {
 public:
  virtual ~TBasicCheckSum() = default;
  TBasicCheckSum(const TBasicCheckSum&) = default;
  TBasicCheckSum& operator=(const TBasicCheckSum&) = default;

  int DigestSize() const { return digest_size_; }
  const std::string& Description() const { return description_; }

  // Digest byte `index`, 0 <= index < DigestSize(); any other index throws ERangeError
  // "Call to <class>.GetByte [property Bytes] with index <> [0..<DigestSize - 1>]".
  uint8_t Bytes(int index) { return GetByte(index); }
  virtual uint8_t GetByte(int index);
  // The digest bytes from index 0 upwards, two lower-case hexadecimal digits each.
  std::string HexString();

  virtual uint8_t RawByte(int index) = 0;
  virtual void Reset() = 0;
  virtual void Update(const void* buffer, size_t count) = 0;
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  virtual void Finalize() = 0;
  virtual void Transform() = 0;

  // The class name the range error quotes.
  virtual std::string ClassName() const = 0;

 protected:
  // A derived class calls its own Reset() in its constructor (a base constructor cannot reach
  // the derived one).
  TBasicCheckSum(std::string description, int digest_size)
      : description_(std::move(description)), digest_size_(digest_size) {}

 private:
  std::string description_;
  int digest_size_;
};

}  // namespace moriva
