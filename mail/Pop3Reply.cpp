#include "mail/Pop3Reply.h"

#include "base/IntText.h"
#include "mail/MD5.h"

namespace moriva {

TPop3Status ParsePop3Status(std::string_view line) {
  TPop3Status status;
  status.Status = Trim(line.substr(0, 4));
  if (line.size() > 4) status.Text = Trim(line.substr(4));
  status.Error = status.Status != "+OK";
  return status;
}

bool IsUsableUniqueId(std::string_view id) {
  if (id.empty() || id.size() > kMaxUniqueIdLength) return false;
  for (char c : id)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

int32_t Pop3Number(std::string_view text, int word, int32_t fallback) {
  // A reply text is one line, but a text with line ends inside still reads word by word.
  const std::string trimmed = Trim(text);
  std::string s;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    const bool crlf = trimmed[i] == '\r' && i + 1 < trimmed.size() && trimmed[i + 1] == '\n';
    s += crlf ? ' ' : trimmed[i];
    if (crlf) ++i;
  }
  std::string_view rest = s;
  for (int i = 1; i < word; ++i) {
    size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return fallback;
    rest.remove_prefix(blank + 1);
  }
  rest = rest.substr(0, rest.find(' '));
  std::string digits;
  for (char c : rest)
    if (c != '(' && c != ')' && c != '{' && c != '}') digits += c;
  return TryStrToInt(digits).value_or(fallback);
}

std::string ApopTimeStamp(std::string_view greeting) {
  size_t open = greeting.find('<');
  if (open == std::string_view::npos) return {};
  size_t close = greeting.find('>', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(greeting.substr(open, close - open + 1));
}

bool IsApopTimeStamp(std::string_view timeStamp) {
  if (timeStamp.size() < 3 || timeStamp.front() != '<' || timeStamp.back() != '>') return false;
  const std::string_view inside = timeStamp.substr(1, timeStamp.size() - 2);
  for (char c : inside)
    if (c < 0x21 || c > 0x7E || c == '<' || c == '>') return false;
  // Something on both sides of the "@", as in a message id.
  const size_t at = inside.find('@');
  return at != std::string_view::npos && at > 0 && at + 1 < inside.size();
}

std::string ApopDigest(std::string_view timeStamp, std::string_view password) {
  std::string text(timeStamp);
  text += password;
  return MD5Hex(text);
}

size_t HeldLineCost(size_t length) {
  // A short string lives inside its object; a longer one adds its bytes, the closing NUL and
  // the allocator's own bookkeeping.
  constexpr size_t kInline = 15;
  return sizeof(std::string) + (length > kInline ? length + 1 + 16 : 0);
}

TLineResult ReceiveMultiLine(TLineReader& reader, std::vector<std::string>& lines,
                             TReplyBudget& budget, const std::function<bool()>& turn) {
  size_t bytes = 0;
  size_t memory = lines.size() * sizeof(std::string);
  std::string text;          // the lines one after the other
  std::vector<size_t> ends;  // where each line ends in `text`
  auto hand_out = [&] {
    lines.reserve(lines.size() + ends.size());
    size_t start = 0;
    for (size_t end : ends) {
      lines.emplace_back(text, start, end - start);
      start = end;
    }
  };
  std::string line;
  for (;;) {
    TLineResult result = reader.ReadLine(line);
    if (result != TLineResult::lrLine) {
      hand_out();
      return result;
    }
    const bool end = line == ".";
    if (!end) {
      const size_t skip = line.size() > 1 && line[0] == '.' ? 1 : 0;
      bytes += line.size() - skip + 2;
      memory += HeldLineCost(line.size() - skip);
      if (bytes > budget.MaxBytes) return TLineResult::lrTooLong;
      if (memory > budget.MaxMemory) {
        budget.OverMemory = true;
        return TLineResult::lrTooLong;
      }
      text.append(line, skip);
      ends.push_back(text.size());
    }
    // A reply that is complete is taken even when the turn asks to stop.
    const bool go = !turn || turn();
    if (end) {
      hand_out();
      return TLineResult::lrLine;
    }
    if (!go) {
      hand_out();
      return TLineResult::lrCancelled;
    }
  }
}

TLineResult ReceiveMultiLine(TLineReader& reader, std::vector<std::string>& lines, size_t maxBytes,
                             const std::function<bool()>& turn) {
  TReplyBudget budget{.MaxBytes = maxBytes};
  return ReceiveMultiLine(reader, lines, budget, turn);
}

TIoResult TCountingSource::Receive(char* buffer, size_t capacity, size_t& received) {
  TIoResult result = inner_.Receive(buffer, capacity, received);
  if (result == TIoResult::ioOk && received > 0) {
    bytes_ += received;
    ++chunks_;
    if (OnChunk) OnChunk(std::string_view(buffer, received));
  }
  return result;
}

}  // namespace moriva
