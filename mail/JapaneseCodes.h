#pragma once
// Japanese code handling for mail: guessing which of JIS (ISO-2022-JP), EUC-JP and Shift-JIS
// a text is in and converting between the three (the encoded words of mail headers built on
// them are in EncodedWord.h). Every function takes and returns byte strings and keeps no state.
//
// JIS text as written here: a run of double-byte characters starts with ESC $ B and ends with
// ESC ( J (the JIS-Roman set); every double-byte character is two bytes 21-7E (row, cell).
// No escape is added at the end of a text that ends inside a run.
//
// Malformed input is never read past its end: an escape or a lead byte as the very last byte
// (or a double-byte character missing its second byte) ends the conversion there, and the
// incomplete character is dropped.
#include <cstddef>
#include <string>
#include <string_view>

namespace moriva {

// The values DetectJapaneseCode returns and ConvertJapaneseCode takes as its target.
enum JapaneseCode : int {
  jcAscii = 0,      // nothing but ASCII was recognised
  jcBinary = 1,     // not text: a byte below 8 or equal to 255 was seen
  jcJis = 2,        // JIS, new form: ESC $ B seen
  jcJisOld = 3,     // JIS, old form: ESC $ @ seen (converts like jcJis)
  jcEuc = 4,        // EUC-JP
  jcSjis = 5,       // Shift-JIS (code page 932)
  jcEucOrSjis = 6,  // EUC-JP or Shift-JIS, cannot be told apart
};

// Guesses the code of `text`, 0-6 as above. Only the first 512 bytes are tested for control
// bytes; the scan stops as soon as the code is decided. The last byte is never examined as
// the first byte of a character, so a text whose only non-ASCII byte is its last is ASCII.
int DetectJapaneseCode(std::string_view text);

// Converts `text` to `target` (jcJis, jcEuc or jcSjis). The text comes back unchanged when
// it is ASCII, not text, already in the target code (jcJisOld counts as JIS), undecided
// (jcEucOrSjis), or when the target is any other value. Half-width katakana become their
// full-width forms in JIS (a following voiced or semi-voiced sound mark is absorbed: ｶﾞ → ガ,
// ﾊﾟ → パ); EUC-JP keeps them as 8E xx and Shift-JIS as single bytes. In JIS, the IBM
// extensions of code page 932 (leads FA-FC) are written as their NEC-selected twins (髙 FB FC
// as 7C 62), and characters JIS X 0208 cannot hold (user-defined ones, malformed pairs) as 〓
// (22 2E), so that every byte of a run stays within 21-7E.
std::string ConvertJapaneseCode(std::string_view text, int target);

// The six conversions behind ConvertJapaneseCode, for callers that know the source code.
std::string SjisToJis(std::string_view sjis);
std::string EucToJis(std::string_view euc);
std::string JisToSjis(std::string_view jis);
std::string JisToEuc(std::string_view jis);
std::string EucToSjis(std::string_view euc);
std::string SjisToEuc(std::string_view sjis);

}  // namespace moriva
