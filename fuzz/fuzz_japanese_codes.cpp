// Japanese code handling of mail: guessing the code of any bytes and converting them to each
// target, all six direct conversions, and header encoding of the Shift-JIS result.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  int code = DetectJapaneseCode(text);
  FUZZ_CHECK(code >= jcAscii && code <= jcEucOrSjis);
  for (int target : {int{jcJis}, int{jcEuc}, int{jcSjis}, int{jcAscii}, 7}) {
    std::string out = ConvertJapaneseCode(text, target);
    bool same_code = code == target || (target == jcJis && code == jcJisOld);
    if (same_code || code == jcAscii || code == jcBinary || code == jcEucOrSjis ||
        (target != jcJis && target != jcEuc && target != jcSjis))
      FUZZ_CHECK(out == text);
  }
  (void)SjisToJis(text);
  (void)EucToJis(text);
  (void)JisToSjis(text);
  (void)JisToEuc(text);
  (void)EucToSjis(text);
  (void)SjisToEuc(text);
  (void)JisToSjis(SjisToJis(text));
  (void)EncodeHeader(text.substr(0, 256));
  return 0;
}
