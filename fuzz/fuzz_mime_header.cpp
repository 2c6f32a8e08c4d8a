// Encoded words and base64 text: decoding any header value in any charset, and base64 round
// trips.
#include <cstdint>

#include "base/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "mail/EncodedWord.h"
#include "mail/HeaderText.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  // A byte grows into a few characters at most, whatever the charset a word names.
  const std::string decoded = DecodeHeaderToUtf8(text);
  FUZZ_CHECK(decoded.size() <= 16 * text.size());
  FUZZ_CHECK(IsValidUtf8(decoded));
  FUZZ_CHECK(DecodeHeaderToCp932(text).size() <= 16 * text.size());

  std::string bytes = Base64DecodeText(text);
  FUZZ_CHECK(bytes.size() <= text.size());
  FUZZ_CHECK(Base64DecodeText(Base64EncodeText(text)) == text);

  (void)DecodeHeaderToCp932(EncodeHeader(text.substr(0, 200)));
  return 0;
}
