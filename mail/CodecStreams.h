#pragma once
// Byte streams for the attachment codecs: a minimal stream interface, the in-memory stream
// that holds an attachment's content, and the two base64 streams that sit in front of
// another stream and encode or decode whatever is written to them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace moriva {

// Reading a write-only codec stream, or seeking it anywhere but its current position.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

// "Invalid stream operation"
std::string InvalidStreamOperationMessage();

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes `count` bytes and returns the number the stream reports for the call. A failure of
  // the underlying storage throws.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Moves the position and returns the new one.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  size_t Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  int64_t Position() { return Seek(0, soCurrent); }
};

// A growable byte buffer with a position. Writing past the end extends it; seeking past the
// end is allowed and a later write fills the gap with zero bytes, reading there gives nothing.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  using TStream::Write;

  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  // Cuts or extends (with zero bytes) to `size`; the position stays unless it lies beyond.
  void SetSize(int64_t size);
  void Clear();
  const std::string& Bytes() const { return data_; }
  // Room for `bytes` in all, so that writes up to that size do not move the buffer.
  void Reserve(size_t bytes) { data_.reserve(bytes); }
  // Hands the bytes over and leaves the stream empty.
  std::string TakeBytes();

 private:
  std::string data_;
  size_t pos_ = 0;
};

// Base64 in front of `dest`: every three bytes written become four characters, and after
// every 76 characters a CR LF follows. Up to two bytes wait for the next write. Finish (or
// the destructor) writes the final group ("xx==" or "xxx="); no line break follows it. So
// the text has lines of exactly 76 characters and a shorter last line without CR LF, and a
// full last line ends with CR LF.
class TBase64EncodingStream : public TStream {
 public:
  explicit TBase64EncodingStream(TStream& dest) : dest_(dest) {}
  // Writes the final group; a failure there is swallowed (call Finish to see it).
  ~TBase64EncodingStream() override;
  TBase64EncodingStream(const TBase64EncodingStream&) = delete;
  TBase64EncodingStream& operator=(const TBase64EncodingStream&) = delete;

  // Returns `count`. A failure of the destination resets the line count and is rethrown;
  // the bytes of that call are lost.
  size_t Write(const void* buffer, size_t count) override;
  using TStream::Write;
  // Throws EStreamError "Invalid stream operation".
  size_t Read(void* buffer, size_t count) override;
  // Only asks for the position (the number of bytes written): an offset of 0 from the
  // current position or the end, or the current position from the start. Anything else
  // throws EStreamError.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;

  // Writes the final group once; later writes are refused with EStreamError.
  void Finish();

 private:
  TStream& dest_;
  unsigned char pending_[2] = {0, 0};
  size_t pending_count_ = 0;
  int64_t total_ = 0;
  int line_chars_ = 0;  // characters since the last line break, 0..75
  bool finished_ = false;
};

// Base64 decoding in front of `dest`. Characters outside the alphabet and "=" (line ends,
// blanks, stray bytes) are ignored; the others are taken in groups of four, and an incomplete
// group waits for the next write. "=" fills: a group whose first value is "=" gives nothing,
// third "=" one byte, fourth "=" two bytes.
class TBase64DecodingStream : public TStream {
 public:
  explicit TBase64DecodingStream(TStream& dest) : dest_(dest) {}
  TBase64DecodingStream(const TBase64DecodingStream&) = delete;
  TBase64DecodingStream& operator=(const TBase64DecodingStream&) = delete;

  // Returns the number of bytes this call produced. A failure of the destination is
  // rethrown; the bytes of that call are lost.
  size_t Write(const void* buffer, size_t count) override;
  using TStream::Write;
  size_t Read(void* buffer, size_t count) override;           // EStreamError
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;  // EStreamError

  // The characters of an incomplete group still waiting (0-3).
  size_t PendingCount() const { return group_count_; }

 private:
  TStream& dest_;
  unsigned char group_[4] = {0, 0, 0, 0};
  size_t group_count_ = 0;
};

}  // namespace moriva
