#pragma once
// The parts of a POP3 dialogue that need no socket: the status line of a reply, the numbers
// in a reply text, the APOP digest and the reception of a multi-line reply. They read lines
// from a TLineReader, so any byte stream can feed them, cut wherever the peer liked.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/ByteSource.h"
#include "mail/LineReader.h"

namespace moriva {

// The first line of a reply, "+OK text" or "-ERR text".
struct TPop3Status {
  std::string Status;  // the first four characters, trimmed: "+OK" or "-ERR"
  std::string Text;    // from the fifth character on, trimmed
  // Anything but "+OK": a reply the client cannot read must not pass for an acceptance (a
  // login taken as done, a listing taken as complete).
  bool Error = false;
};
TPop3Status ParsePop3Status(std::string_view line);

// Whether a unique id of the server's may be kept in the list of examined mails: 1 to
// kMaxUniqueIdLength bytes, none of them a control character (CR, LF, NUL, ... DEL). Such an id
// is written as one line of that file; anything else would break the line or bloat the file.
inline constexpr size_t kMaxUniqueIdLength = 255;
bool IsUsableUniqueId(std::string_view id);

// The `word`-th (1-based) blank-separated word of a reply text as a number, with "(", ")",
// "{" and "}" removed: "2 320" gives 2 for word 1 and 320 for word 2. The text is trimmed
// first; `fallback` when the text has fewer words or the word is no number. Words are cut at
// single blanks, so two blanks in a row make an empty word (no number).
int32_t Pop3Number(std::string_view text, int word, int32_t fallback);

// The time stamp of a greeting text: from its first "<" to the next ">", both included;
// empty when there is none. Servers may put words before and after it.
std::string ApopTimeStamp(std::string_view greeting);
// Whether a time stamp has the form of a message id, "<" printable ASCII holding "@" ">", the
// only form APOP is used with: a server posing as the real one could otherwise choose any
// challenge, which is what the known attacks on the digest need.
bool IsApopTimeStamp(std::string_view timeStamp);
// The APOP digest of a time stamp and a password: the MD5 of the two, one after the other,
// as 32 lower-case hexadecimal digits.
std::string ApopDigest(std::string_view timeStamp, std::string_view password);

// What one multi-line reply may cost: the bytes of its lines on the wire (CR LF counted), and
// the memory they take once held as separate lines (HeldLineCost each). Both bounds matter: a
// reply of many short lines costs far more held than on the wire.
struct TReplyBudget {
  size_t MaxBytes = SIZE_MAX;
  size_t MaxMemory = SIZE_MAX;
  bool OverMemory = false;  // set when MaxMemory stopped the reception
};
// The memory one line of `length` bytes takes held as a string of its own.
size_t HeldLineCost(size_t length);

// The lines of a multi-line reply after its status line, read up to the line "." that ends
// it (the peer's CR LF "." CR LF, wherever it was cut), dot-unstuffed: a line longer than one
// character that begins with "." loses that dot. Lines may end in CR LF or LF alone.
//
// `turn` runs after every line read, the terminator included; when it returns false before
// the terminator the reception stops with lrCancelled. A reply over either bound of `budget`
// stops with lrTooLong (a peer that never ends, or sends endless empty lines, must not exhaust
// the memory). lrLine means the terminator was read; any other result is the reader's reason
// for stopping, and `lines` then holds what came before (nothing after lrTooLong). Until the
// end the lines are kept in one buffer, a few bytes each, and become strings only once.
TLineResult ReceiveMultiLine(TLineReader& reader, std::vector<std::string>& lines,
                             TReplyBudget& budget, const std::function<bool()>& turn);
// The same with only the wire bound.
TLineResult ReceiveMultiLine(TLineReader& reader, std::vector<std::string>& lines, size_t maxBytes,
                             const std::function<bool()>& turn);

// Passes receives through to another source and counts them, so that a client can tell
// progress per chunk and show each chunk as it came.
class TCountingSource : public TByteSource {
 public:
  explicit TCountingSource(TByteSource& inner) : inner_(inner) {}

  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override;

  uint64_t Bytes() const { return bytes_; }
  uint64_t Chunks() const { return chunks_; }
  // Every chunk received, exactly as it came.
  std::function<void(std::string_view chunk)> OnChunk;

 private:
  TByteSource& inner_;
  uint64_t bytes_ = 0;
  uint64_t chunks_ = 0;
};

}  // namespace moriva
