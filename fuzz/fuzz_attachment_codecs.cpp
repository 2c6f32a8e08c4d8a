// The attachment decoders: quoted-printable, uuencode and the base64 streams. The streams must
// give the same bytes whether the text arrives whole, line by line or in pieces of any size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "base/LineList.h"
#include "fuzz/FuzzSupport.h"
#include "mail/Attachment.h"
#include "mail/CodecStreams.h"

using namespace moriva;

namespace {

// Writes `text` to `stream` in pieces whose sizes come from `sizes` (whole when it runs dry).
void WriteInPieces(TStream& stream, std::string_view text, std::string_view sizes) {
  FuzzedDataProvider cut(reinterpret_cast<const uint8_t*>(sizes.data()), sizes.size());
  while (!text.empty()) {
    size_t n =
        cut.remaining_bytes() ? cut.ConsumeIntegralInRange<size_t>(1, text.size()) : text.size();
    stream.Write(text.substr(0, n));
    text.remove_prefix(n);
  }
}

std::string Base64Decode(std::string_view text, std::string_view sizes) {
  TMemoryStream out;
  TBase64DecodingStream dec(out);
  WriteInPieces(dec, text, sizes);
  return out.TakeBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  std::string sizes = fdp.ConsumeBytesAsString(fdp.ConsumeIntegralInRange<size_t>(0, 16));
  std::string text = fdp.ConsumeRemainingBytesAsString();

  FUZZ_CHECK(DecodeQuotedText(text).size() <= text.size());

  TLineList lines;
  lines.SetText(text);
  try {
    (void)DecodeUUBlock(lines);
  } catch (const Exception& e) {
    FUZZ_CHECK(e.Message() == "Oops...");  // the decoder's one refusal; nothing else may escape
  }

  // Line by line (as a received attachment is), whole, and in pieces: the same bytes.
  TAttachedFile file;
  file.EncodedLines = lines;
  file.DecodeBase64();
  const std::string joined = lines.Text();
  FUZZ_CHECK(Base64Decode(joined, "") == file.BodyBytes());
  FUZZ_CHECK(Base64Decode(joined, sizes) == file.BodyBytes());

  // Encoding in pieces and decoding in other pieces gives the bytes back.
  TMemoryStream encoded;
  {
    TBase64EncodingStream enc(encoded);
    WriteInPieces(enc, text, sizes);
    enc.Finish();
    FUZZ_CHECK(enc.Position() == static_cast<int64_t>(text.size()));
  }
  std::string reversed(sizes.rbegin(), sizes.rend());
  FUZZ_CHECK(Base64Decode(encoded.Bytes(), reversed) == text);
  return 0;
}
