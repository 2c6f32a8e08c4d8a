#pragma once
// Reads protocol lines from a byte source through a buffer. Servers cut their replies
// wherever they like: a line may arrive in many receives and one receive may hold many lines,
// so nothing here assumes that a receive ends at a line end.
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/ByteSource.h"

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

// A clear text for every result but lrLine, for the clients' error reports. The user reads
// it in an error box beside the program's other Japanese messages, so it is Japanese too.
inline constexpr std::string_view kReplyTooLongText = "サーバーの応答が長すぎます。";
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
  // When set, a longer line is not an error: it is handed out cut to MaxLineLength bytes, and
  // the rest of it is dropped as it arrives, up to its line end. A mail's lines are read this
  // way, so that one overlong line cannot make its mail, and every mail after it, unreadable.
  // A line that goes on past MaxCutLineLength still ends the reading with lrTooLong.
  bool CutLongLines = false;
  size_t MaxCutLineLength = size_t{256} << 20;
  // How many lines were cut since the reader was made or cleared.
  size_t CutLines() const { return cut_lines_; }

  TLineResult ReadLine(std::string& line);
  // Forgets what is buffered (a new connection starts clean).
  void Clear();
  // Bytes received but not yet handed out as lines.
  size_t Buffered() const { return buffer_.size() - start_; }

 private:
  TLineResult Fill();
  TLineResult DropRestOfLine();

  TByteSource& source_;
  size_t chunk_size_;
  std::string buffer_;
  size_t start_ = 0;       // first byte not handed out
  size_t scanned_ = 0;     // bytes from start_ known to hold no LF
  bool dropping_ = false;  // the rest of a cut line is being dropped
  size_t cut_length_ = 0;  // bytes of the cut line so far
  size_t cut_lines_ = 0;
};

}  // namespace moriva
