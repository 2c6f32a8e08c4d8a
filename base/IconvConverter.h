#pragma once
// One iconv conversion descriptor and the loop that converts a whole text through it, bad input
// replaced unit by unit. The CP932 conversions and the other character sets share it.
#include <iconv.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace moriva {

class TIconvConverter {
 public:
  // The length of the input unit that starts at `p` (with `left` bytes left), so that a bad
  // unit is skipped whole.
  using UnitLength = size_t (*)(const char* p, size_t left);

  // nullptr when the platform cannot convert `from` into `to`.
  static std::unique_ptr<TIconvConverter> Open(const char* to, const char* from);
  ~TIconvConverter();
  TIconvConverter(const TIconvConverter&) = delete;
  TIconvConverter& operator=(const TIconvConverter&) = delete;

  // What stands for input the set cannot convert.
  class TBadInput {
   public:
    // Appends what stands for the unconvertible input at the start of `rest` to `out`, and
    // returns how many bytes of `rest` that was (at least one, at most rest.size()).
    virtual size_t Replace(std::string_view rest, std::string& out) = 0;

   protected:
    ~TBadInput() = default;
  };

  // Converts `in`; an unconvertible input unit (whose length `unit` tells) becomes `fallback`,
  // and is counted in *replaced when asked for. The descriptor's state is reset first, so no
  // shift state carries over from an earlier text.
  std::string Run(std::string_view in, UnitLength unit, std::string_view fallback,
                  size_t* replaced = nullptr);
  // The same with `bad` deciding what stands for each unconvertible piece.
  std::string Run(std::string_view in, TBadInput& bad);

 private:
  explicit TIconvConverter(iconv_t cd) : cd_(cd) {}
  iconv_t cd_;
};

}  // namespace moriva
