#include "mail/Pop3Reply.h"

#include "base/IntText.h"
#include "mail/MD5.h"

namespace moriva {

TPop3Status ParsePop3Status(std::string_view line) {
  TPop3Status status;
  status.Status = Trim(line.substr(0, 4));
  if (line.size() > 4) status.Text = Trim(line.substr(4));
  status.Error = status.Status == "-ERR";
  return status;
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

std::string ApopDigest(std::string_view timeStamp, std::string_view password) {
  std::string text(timeStamp);
  text += password;
  return MD5Hex(text);
}

TLineResult ReceiveMultiLine(TLineReader& reader, std::vector<std::string>& lines, size_t maxBytes,
                             const std::function<bool()>& turn) {
  size_t total = 0;
  std::string line;
  for (;;) {
    TLineResult result = reader.ReadLine(line);
    if (result != TLineResult::lrLine) return result;
    const bool end = line == ".";
    if (!end) {
      if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
      total += line.size() + 2;
      if (total > maxBytes) return TLineResult::lrTooLong;
      lines.push_back(std::move(line));
      line.clear();
    }
    // A reply that is complete is taken even when the turn asks to stop.
    const bool go = !turn || turn();
    if (end) return TLineResult::lrLine;
    if (!go) return TLineResult::lrCancelled;
  }
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
