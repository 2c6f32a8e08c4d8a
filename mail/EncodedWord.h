#pragma once
// The encoded words ("=?ISO-2022-JP?B?...?=") of the headers the program writes and the
// whole-string base64 they are made of (HeaderText.h reads the words of received headers).
// Every function takes and returns byte strings and keeps no state.
#include <cstddef>
#include <string>
#include <string_view>

namespace moriva {

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

// Base64 of a whole string (alphabet A-Z a-z 0-9 + /, padded with "=", no line breaks).
std::string Base64EncodeText(std::string_view bytes);
// Decodes base64 text. Characters outside the alphabet (line ends, blanks, ...) are skipped;
// "=" marks a missing value (third character "=": one byte; fourth: two). A final incomplete
// group yields the bytes its characters can hold.
std::string Base64DecodeText(std::string_view text);

}  // namespace moriva
