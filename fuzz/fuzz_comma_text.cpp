// Comma text: splitting any bytes, and joining fields so that splitting gives them back.
#include <cstdint>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

namespace {

// A field whose last character is a lone lead byte would swallow the comma or quote that
// follows it; such bytes are no CP932 text and cannot round-trip.
bool EndsInLoneLeadByte(std::string_view s) {
  size_t i = 0;
  size_t last = 0;
  while (i < s.size()) {
    last = i;
    i += CharLength(s, i);
  }
  return !s.empty() && last == s.size() - 1 && IsLeadByte(static_cast<unsigned char>(s.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);

  // Any text: split, join, split again gives the same fields (an unclosed quoted field may
  // end in a lone lead byte, which then pairs with the closing quote the join adds).
  std::vector<std::string> fields = SplitCommaText(text);
  std::string joined = JoinCommaText(fields);
  if (fields.empty() || !EndsInLoneLeadByte(fields.back()))
    FUZZ_CHECK(SplitCommaText(joined) == fields);

  // NUL-separated pieces as fields: join, then split gives them back.
  std::vector<std::string> pieces;
  for (std::string_view p : fuzz::SplitAtNul(text))
    if (!EndsInLoneLeadByte(p)) pieces.emplace_back(p);
  FUZZ_CHECK(SplitCommaText(JoinCommaText(pieces)) == pieces);

  std::string quoted = QuotedStr(text.substr(0, text.find('\0')));
  FUZZ_CHECK(quoted.size() >= 2 && quoted.front() == '"');
  return 0;
}
