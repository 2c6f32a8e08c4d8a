#pragma once
// A byte source for the line reader's tests: hands out prepared chunks, each at most as much as
// the reader asks for, then the given end.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "mail/ByteSource.h"

namespace moriva {

class ChunkSource : public TByteSource {
 public:
  explicit ChunkSource(std::vector<std::string> chunks, TIoResult end = TIoResult::ioClosed)
      : chunks_(std::move(chunks)), end_(end) {}
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override {
    received = 0;
    if (next_ == chunks_.size()) return end_;
    std::string& chunk = chunks_[next_];
    received = std::min(capacity, chunk.size());
    chunk.copy(buffer, received);
    chunk.erase(0, received);
    if (chunk.empty()) ++next_;
    return TIoResult::ioOk;
  }

 private:
  std::vector<std::string> chunks_;
  size_t next_ = 0;
  TIoResult end_;
};

}  // namespace moriva
