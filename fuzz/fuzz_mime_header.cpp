// Encoded words and base64 text: decoding any header value, and base64 round trips.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  std::string decoded = DecodeHeader(text);
  FUZZ_CHECK(decoded.size() <= text.size());
  (void)ConvertJapaneseCode(decoded, jcSjis);

  std::string bytes = Base64DecodeText(text);
  FUZZ_CHECK(bytes.size() <= text.size());
  FUZZ_CHECK(Base64DecodeText(Base64EncodeText(text)) == text);

  (void)DecodeHeader(EncodeHeader(text.substr(0, 200)));
  return 0;
}
