#pragma once
// Japanese code handling for mail: guessing which of JIS (ISO-2022-JP), EUC-JP and Shift-JIS
// a text is in, converting between the three, and the encoded words ("=?ISO-2022-JP?B?...?=")
// of mail headers. Every function takes and returns byte strings and keeps no state.
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

// Encodes a Shift-JIS header value for a mail header. Runs of double-byte characters and of
// half-width katakana (written full-width) become encoded words " =?ISO-2022-JP?B?<base64 of
// the JIS bytes, ending ESC ( J>?=" (each with one leading blank); blanks between two such runs
// go into the words, since decoders drop blanks between encoded words; other single-byte
// characters are kept as they are, so a pure ASCII text comes back unchanged when it is short.
//
// Long values are folded: kHeaderFold ("\r\n") is written and the value goes on in a
// continuation line that begins with a blank. Encoded words are cut after every 31st byte of
// the input (a double-byte character may step over that point; then there is no fold there),
// and early where a line would grow past 800 bytes (text that alternates between double-byte and
// single-byte characters grows many times in encoding). Plain text is folded only before a
// blank it holds, where the next word would carry the line past 78 characters (`lead` is the
// length of the header's name before the value on the first line), so that unfolding gives the
// text back; only a word too long for any line (990) is cut. No fold is written at the very
// end. Callers that keep headers as lines must therefore split the result at "\r\n" and put
// each piece on its own line (TLineList::SetText does exactly that).
inline constexpr std::string_view kHeaderFold = "\r\n";
std::string EncodeHeader(std::string_view sjis, size_t lead = 0);

// The display name of an address for a mail header, in a form every reader takes: a name with
// anything but ASCII becomes encoded words as a whole (folded as above, without a leading
// blank), never inside quotes; an ASCII name stays as it is, in double quotes (quotes and
// backslashes escaped) when it holds characters a bare name may not.
std::string EncodeDisplayName(std::string_view sjis, size_t lead = 0);

// Replaces every encoded word "=?ISO-2022-JP?B?...?=" (prefix found in any letter case) by its
// decoded bytes, which stay in JIS (apply ConvertJapaneseCode(..., jcSjis) for Shift-JIS).
// Blanks around encoded words stay; a prefix without a closing "?=" is just removed.
std::string DecodeHeader(std::string_view text);

// Base64 of a whole string (alphabet A-Z a-z 0-9 + /, padded with "=", no line breaks).
std::string Base64EncodeText(std::string_view bytes);
// Decodes base64 text. Characters outside the alphabet (line ends, blanks, ...) are skipped;
// "=" marks a missing value (third character "=": one byte; fourth: two). A final incomplete
// group yields the bytes its characters can hold.
std::string Base64DecodeText(std::string_view text);

}  // namespace moriva
