#pragma once
// Reads protocol lines from a byte source through a buffer. Servers cut their replies
// wherever they like: a line may arrive in many receives and one receive may hold many lines,
// so nothing here assumes that a receive ends at a line end.
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/ClientSocket.h"

namespace moriva {

enum class TLineResult {
  lrLine,       // a whole line was read
  lrClosed,     // the connection ended (or was never open) before a line end
  lrTimedOut,   // the source waited TimeOut without a byte
  lrCancelled,  // the user cancelled the wait
  lrTooLong,    // more than MaxLineLength bytes without a line end
};

// The reader's view of how a wait ended: ioOk becomes lrLine.
TLineResult ToLineResult(TIoResult result);

// A clear text for every result but lrLine, for the clients' error reports.
std::string LineFailureText(TLineResult result);

// The text without leading and trailing blanks and control characters (codes 0-32), the way
// reply codes and texts are read.
std::string Trim(std::string_view text);

class TLineReader {
 public:
  explicit TLineReader(TByteSource& source, size_t chunkSize = 16384)
      : source_(source), chunk_size_(chunkSize) {}

  // A line is bytes up to LF; the LF and one CR before it are removed. A server that sends
  // endless bytes without a line end is stopped here.
  size_t MaxLineLength = 1 << 20;

  TLineResult ReadLine(std::string& line);
  // Forgets what is buffered (a new connection starts clean).
  void Clear();
  // Bytes received but not yet handed out as lines.
  size_t Buffered() const { return buffer_.size() - start_; }

 private:
  TLineResult Fill();

  TByteSource& source_;
  size_t chunk_size_;
  std::string buffer_;
  size_t start_ = 0;    // first byte not handed out
  size_t scanned_ = 0;  // bytes from start_ known to hold no LF
};

}  // namespace moriva
