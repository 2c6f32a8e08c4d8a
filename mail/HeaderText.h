#pragma once
// The texts of a received mail's headers as a reader shows them: encoded words in any character
// set, and raw bytes in whatever code the sender's mailer wrote, made UTF-8 (or the core's
// CP932). Every function takes bytes and keeps no state of its own.
#include <string>
#include <string_view>

namespace moriva {

// Raw text from a mail (a header written without encoded words, a server's reply) in UTF-8:
// JIS (ESC $ B runs) and EUC-JP are converted through code page 932, valid UTF-8 is kept
// (mailers may write headers in raw UTF-8), anything else is read as code page 932.
std::string MailTextToUtf8(std::string_view text);

// `bytes` in the character set a mail names for them (an encoded word's, an extended
// parameter's; any letter case) as UTF-8. ISO-2022-JP and the names of Shift_JIS are read
// through code page 932, so the characters Japanese phones add to those sets (①, ㈱, ...) come
// through; any other set iconv knows is converted by it (CharsetToUtf8); the bytes of a set it
// does not know or refuses (beyond the sets one mail may name), of US-ASCII (often 8-bit all
// the same) and of an empty name are read as MailTextToUtf8 reads raw text.
std::string MailCharsetToUtf8(std::string_view bytes, std::string_view charset);

// A header value with its encoded words "=?charset?B?base64?=" and "=?charset?Q?quoted?="
// (letters in any case, the charset optionally followed by "*language") decoded, as UTF-8:
// - the text around the words is read by MailTextToUtf8;
// - blanks and line ends between two encoded words are dropped, and the bytes of adjacent
//   words in one charset are joined before they are converted, so that a character cut
//   between two words comes back whole;
// - in a Q word "_" is a blank and "=XX" a byte;
// - what only looks like a word (another encoding letter, a charset name with other characters
//   or longer than a charset name may be, no "?=" after it) stays as it is.
// Decoded bytes are never searched for further words. Time and size of the result grow in
// proportion to the text.
std::string DecodeHeaderToUtf8(std::string_view text);

// DecodeHeaderToUtf8 in CP932, the core's text (a character CP932 cannot spell kept as a pair,
// see Cp932.h; bytes that are no UTF-8 become 〓).
std::string DecodeHeaderToCp932(std::string_view text);

}  // namespace moriva
