#include "base/IconvConverter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace moriva {

std::unique_ptr<TIconvConverter> TIconvConverter::Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::unique_ptr<TIconvConverter>(new TIconvConverter(cd));
}

TIconvConverter::~TIconvConverter() {
  iconv_close(cd_);
}

namespace {

class TFallback final : public TIconvConverter::TBadInput {
 public:
  TFallback(TIconvConverter::UnitLength unit, std::string_view fallback, size_t* replaced)
      : unit_(unit), fallback_(fallback), replaced_(replaced) {}
  size_t Replace(std::string_view rest, std::string& out) override {
    out += fallback_;
    if (replaced_) ++*replaced_;
    return unit_(rest.data(), rest.size());
  }

 private:
  TIconvConverter::UnitLength unit_;
  std::string_view fallback_;
  size_t* replaced_;
};

}  // namespace

std::string TIconvConverter::Run(std::string_view in, UnitLength unit, std::string_view fallback,
                                 size_t* replaced) {
  TFallback bad(unit, fallback, replaced);
  return Run(in, bad);
}

std::string TIconvConverter::Run(std::string_view in, TBadInput& bad) {
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  size_t used = 0;
  std::string piece;
  while (src_left > 0) {
    char* dst = out.data() + used;
    size_t dst_left = out.size() - used;
    size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
    used = out.size() - dst_left;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {
      // EILSEQ or EINVAL (truncated sequence at the end): replace one unit and go on.
      piece.clear();
      const size_t skip = std::clamp<size_t>(bad.Replace({src, src_left}, piece), 1, src_left);
      if (out.size() - used < piece.size()) out.resize(out.size() * 2 + piece.size());
      std::memcpy(out.data() + used, piece.data(), piece.size());
      used += piece.size();
      src += skip;
      src_left -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
  }
  // A converter may hold back the last character (one that combines with what follows, as in
  // Vietnamese) until it is told the text has ended.
  for (;;) {
    char* dst = out.data() + used;
    size_t dst_left = out.size() - used;
    size_t r = iconv(cd_, nullptr, nullptr, &dst, &dst_left);
    used = out.size() - dst_left;
    if (r != static_cast<size_t>(-1) || errno != E2BIG) break;
    out.resize(out.size() * 2);
  }
  out.resize(used);
  return out;
}

}  // namespace moriva
