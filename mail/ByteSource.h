#pragma once
// Where the protocol parsers get their bytes from. Kept apart from the socket so that a
// parser, and every test that feeds one a prepared stream, needs no network code at all.
#include <cstddef>

namespace moriva {

// How a wait for the peer ended.
enum class TIoResult {
  ioOk,         // bytes moved
  ioClosed,     // not connected, or the peer closed the connection
  ioTimedOut,   // TimeOut passed without progress
  ioCancelled,  // the cancel callback said so
};

// Anything bytes can be received from: the socket, or a prepared stream in tests.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  // Waits for at least one byte (at most `capacity`); `received` holds the count on ioOk.
  virtual TIoResult Receive(char* buffer, size_t capacity, size_t& received) = 0;
};

}  // namespace moriva
