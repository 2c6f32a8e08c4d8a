#include "mail/LineReader.h"

#include <cstring>

namespace moriva {

std::string LineFailureText(TLineResult result) {
  switch (result) {
    case TLineResult::lrLine:
      return {};
    case TLineResult::lrClosed:
      return "サーバーが接続を切りました。";
    case TLineResult::lrTimedOut:
      return "サーバーの応答が時間内にありません。";
    case TLineResult::lrCancelled:
      return "キャンセルしました。";
    case TLineResult::lrTooLong:
      return "サーバーの応答の行が長すぎます。";
  }
  return {};
}

TLineResult ToLineResult(TIoResult result) {
  switch (result) {
    case TIoResult::ioOk:
      return TLineResult::lrLine;
    case TIoResult::ioClosed:
      return TLineResult::lrClosed;
    case TIoResult::ioTimedOut:
      return TLineResult::lrTimedOut;
    case TIoResult::ioCancelled:
      return TLineResult::lrCancelled;
  }
  return TLineResult::lrClosed;
}

std::string Trim(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

void TLineReader::Clear() {
  buffer_.clear();
  start_ = 0;
  scanned_ = 0;
  dropping_ = false;
  cut_length_ = 0;
  cut_lines_ = 0;
}

TLineResult TLineReader::DropRestOfLine() {
  while (dropping_) {
    const char* from = buffer_.data() + start_;
    const size_t left = buffer_.size() - start_;
    if (const void* lf = std::memchr(from, '\n', left)) {
      start_ = static_cast<const char*>(lf) - buffer_.data() + 1;
      dropping_ = false;
      break;
    }
    cut_length_ += left;
    start_ = buffer_.size();
    if (cut_length_ > MaxCutLineLength) return TLineResult::lrTooLong;
    TLineResult filled = Fill();
    if (filled != TLineResult::lrLine) return filled;
  }
  return TLineResult::lrLine;
}

TLineResult TLineReader::ReadLine(std::string& line) {
  for (;;) {
    if (TLineResult dropped = DropRestOfLine(); dropped != TLineResult::lrLine) return dropped;
    const char* from = buffer_.data() + start_ + scanned_;
    size_t left = buffer_.size() - start_ - scanned_;
    if (const void* lf = std::memchr(from, '\n', left)) {
      size_t end = static_cast<const char*>(lf) - buffer_.data();
      size_t stop = (end > start_ && buffer_[end - 1] == '\r') ? end - 1 : end;
      line.assign(buffer_, start_, stop - start_);
      start_ = end + 1;
      scanned_ = 0;
      return TLineResult::lrLine;
    }
    scanned_ = buffer_.size() - start_;
    if (scanned_ > MaxLineLength) {
      if (!CutLongLines) return TLineResult::lrTooLong;
      line.assign(buffer_, start_, MaxLineLength);
      cut_length_ = scanned_;
      start_ = buffer_.size();
      scanned_ = 0;
      dropping_ = true;
      ++cut_lines_;
      return TLineResult::lrLine;
    }
    TLineResult filled = Fill();
    if (filled != TLineResult::lrLine) return filled;
  }
}

TLineResult TLineReader::Fill() {
  // Drop what was handed out before growing, so the buffer stays about one line long.
  if (start_ > 0) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  size_t old_size = buffer_.size();
  buffer_.resize(old_size + chunk_size_);
  size_t received = 0;
  TIoResult result = source_.Receive(buffer_.data() + old_size, chunk_size_, received);
  buffer_.resize(old_size + (result == TIoResult::ioOk ? received : 0));
  return ToLineResult(result);
}

}  // namespace moriva
