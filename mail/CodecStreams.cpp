#include "mail/CodecStreams.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace moriva {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineLength = 76;

// Decoding values: 0-63 for the alphabet, 64 for the fill character, and a marker for every
// other character, which is skipped: line ends, and the blanks and stray bytes some mailers
// leave in a line, carry no bits.
constexpr unsigned char kFill = 64;
constexpr unsigned char kSkip = 0xFF;

constexpr std::array<unsigned char, 256> MakeDecodeTable() {
  std::array<unsigned char, 256> t{};
  for (auto& v : t) v = kSkip;
  for (int i = 0; i < 64; ++i)
    t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
  t['='] = kFill;
  return t;
}
constexpr auto kDecode = MakeDecodeTable();

// Collects output in a fixed block and hands it to the destination when the block fills,
// so a large write neither allocates its whole output nor calls the destination per group.
class OutputBlock {
 public:
  explicit OutputBlock(TStream& dest) : dest_(dest) {}
  // Room for at least `n` more bytes.
  char* Reserve(size_t n) {
    if (used_ + n > sizeof(buf_)) Flush();
    return buf_ + used_;
  }
  void Commit(size_t n) { used_ += n; }
  void Flush() {
    if (used_ > 0) dest_.Write(buf_, used_);
    used_ = 0;
  }

 private:
  TStream& dest_;
  size_t used_ = 0;
  char buf_[16384];
};

inline void EncodeGroup(const unsigned char* in, char* out) {
  out[0] = kAlphabet[in[0] >> 2];
  out[1] = kAlphabet[((in[0] & 0x03) << 4) | (in[1] >> 4)];
  out[2] = kAlphabet[((in[1] & 0x0F) << 2) | (in[2] >> 6)];
  out[3] = kAlphabet[in[2] & 0x3F];
}

// The bytes of one group of four values; returns how many the group yields.
inline size_t DecodeGroup(const unsigned char* v, char* out) {
  if (v[0] == kFill) return 0;
  out[0] = static_cast<char>((v[0] * 4 + v[1] / 16) & 0xFF);
  if (v[2] == kFill) return 1;
  out[1] = static_cast<char>((v[1] * 16 + v[2] / 4) & 0xFF);
  if (v[3] == kFill) return 2;
  out[2] = static_cast<char>((v[2] * 64 + v[3]) & 0xFF);
  return 3;
}

}  // namespace

std::string InvalidStreamOperationMessage() {
  return "Invalid stream operation";
}

// ---- TMemoryStream ----

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (pos_ >= data_.size()) return 0;
  size_t n = std::min(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  const char* p = static_cast<const char*>(buffer);
  if (pos_ == data_.size()) {
    data_.append(p, count);
  } else {
    if (pos_ + count > data_.size()) data_.resize(pos_ + count, '\0');
    std::memcpy(data_.data() + pos_, p, count);
  }
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0
                 : origin == soCurrent ? static_cast<int64_t>(pos_)
                                       : static_cast<int64_t>(data_.size());
  int64_t target = base + offset;
  if (target < 0) throw EStreamError(InvalidStreamOperationMessage());
  pos_ = static_cast<size_t>(target);
  return target;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError(InvalidStreamOperationMessage());
  data_.resize(static_cast<size_t>(size), '\0');
  pos_ = std::min(pos_, data_.size());
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

std::string TMemoryStream::TakeBytes() {
  std::string out = std::move(data_);
  Clear();
  return out;
}

// ---- TBase64EncodingStream ----

TBase64EncodingStream::~TBase64EncodingStream() {
  try {
    Finish();
  } catch (...) {
    // A destructor must not throw; callers that care call Finish themselves.
  }
}

size_t TBase64EncodingStream::Write(const void* buffer, size_t count) {
  if (finished_) throw EStreamError(InvalidStreamOperationMessage());
  total_ += static_cast<int64_t>(count);
  const unsigned char* p = static_cast<const unsigned char*>(buffer);
  size_t n = count;
  OutputBlock out(dest_);
  auto put_group = [&](const unsigned char* in) {
    char* o = out.Reserve(6);
    EncodeGroup(in, o);
    line_chars_ += 4;
    if (line_chars_ == kLineLength) {
      o[4] = '\r';
      o[5] = '\n';
      line_chars_ = 0;
      out.Commit(6);
    } else {
      out.Commit(4);
    }
  };
  try {
    // First complete the group left over from the previous call.
    if (pending_count_ > 0) {
      unsigned char group[3] = {pending_[0], pending_[1], 0};
      size_t have = pending_count_;
      while (have < 3 && n > 0) {
        group[have++] = *p++;
        --n;
      }
      if (have < 3) {
        pending_[0] = group[0];
        pending_[1] = group[1];
        pending_count_ = have;
        return count;
      }
      pending_count_ = 0;
      put_group(group);
    }
    // Groups up to the next line start, then whole lines (57 bytes, 76 characters + CR LF).
    while (n >= 3 && line_chars_ != 0) {
      put_group(p);
      p += 3;
      n -= 3;
    }
    constexpr size_t kLineBytes = kLineLength / 4 * 3;
    while (n >= kLineBytes) {
      char* o = out.Reserve(kLineLength + 2);
      for (int g = 0; g < kLineLength / 4; ++g, p += 3, o += 4) EncodeGroup(p, o);
      o[0] = '\r';
      o[1] = '\n';
      out.Commit(kLineLength + 2);
      n -= kLineBytes;
    }
    while (n >= 3) {
      put_group(p);
      p += 3;
      n -= 3;
    }
    out.Flush();
  } catch (...) {
    line_chars_ = 0;
    pending_count_ = 0;
    throw;
  }
  for (size_t i = 0; i < n; ++i) pending_[i] = p[i];
  pending_count_ = n;
  return count;
}

void TBase64EncodingStream::Finish() {
  if (finished_) return;
  finished_ = true;
  if (pending_count_ == 0) return;
  unsigned char group[3] = {pending_[0],
                            static_cast<unsigned char>(pending_count_ > 1 ? pending_[1] : 0), 0};
  char o[4];
  EncodeGroup(group, o);
  o[3] = '=';
  if (pending_count_ == 1) o[2] = '=';
  pending_count_ = 0;
  dest_.Write(o, 4);
}

size_t TBase64EncodingStream::Read(void*, size_t) {
  throw EStreamError(InvalidStreamOperationMessage());
}

int64_t TBase64EncodingStream::Seek(int64_t offset, TSeekOrigin origin) {
  bool asks_position = (offset == 0 && (origin == soCurrent || origin == soEnd)) ||
                       (origin == soBeginning && offset == total_);
  if (!asks_position) throw EStreamError(InvalidStreamOperationMessage());
  return total_;
}

// ---- TBase64DecodingStream ----

size_t TBase64DecodingStream::Write(const void* buffer, size_t count) {
  const unsigned char* p = static_cast<const unsigned char*>(buffer);
  const unsigned char* end = p + count;
  size_t produced = 0;
  OutputBlock out(dest_);
  auto take = [&](unsigned char v) {
    group_[group_count_++] = v;
    if (group_count_ == 4) {
      size_t k = DecodeGroup(group_, out.Reserve(3));
      out.Commit(k);
      produced += k;
      group_count_ = 0;
    }
  };
  while (p < end) {
    if (group_count_ == 0) {
      // Whole groups of plain alphabet characters: the common case, decoded directly.
      while (end - p >= 4) {
        unsigned char a = kDecode[p[0]], b = kDecode[p[1]], c = kDecode[p[2]], d = kDecode[p[3]];
        if ((a | b | c | d) & 0xC0) break;
        char* o = out.Reserve(3);
        o[0] = static_cast<char>((a << 2) | (b >> 4));
        o[1] = static_cast<char>((b << 4) | (c >> 2));
        o[2] = static_cast<char>((c << 6) | d);
        out.Commit(3);
        produced += 3;
        p += 4;
      }
      if (p == end) break;
    }
    unsigned char v = kDecode[*p++];
    if (v != kSkip) take(v);
  }
  out.Flush();
  return produced;
}

size_t TBase64DecodingStream::Read(void*, size_t) {
  throw EStreamError(InvalidStreamOperationMessage());
}

int64_t TBase64DecodingStream::Seek(int64_t, TSeekOrigin) {
  throw EStreamError(InvalidStreamOperationMessage());
}

}  // namespace moriva
