#pragma once
// The header toolkit of the mail reader: pure functions over the lines of a received mail
// (bytes as received, no line ends). Keys are upper case: with their colon where they name
// a header ("CONTENT-TYPE:"), without where they name a parameter ("NAME", "BOUNDARY").
// Lines are upper-cased (ASCII letters only) for matching; values are always taken from the
// line as received.
//
// "Trim" here means: remove bytes 0x00-0x20 (blanks and control characters) at both ends.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace moriva {

// A run of lines inside a mail, without copies.
using TLineSpan = std::span<const std::string>;

std::string TrimHeaderText(std::string_view text);
// ASCII letters to upper case; every other byte unchanged, so positions stay the same.
std::string UpperHeaderText(std::string_view text);

// The header line whose upper-case form begins with `key`, unfolded. Leading lines of length
// 0 are skipped; the search ends at the next line of length 0 (a line of blanks does not end
// it). Continuation lines (beginning with a blank or a tab) are trimmed and appended with no
// separator. nullopt when no line of the block matches.
std::optional<std::string> FindHeader(std::string_view key, TLineSpan lines);

// The text after the first occurrence of `key` in the upper-case line, trimmed, cut before
// its first ";" and trimmed again; empty when the key is absent. The cut applies to every
// header, so a subject holding ";" ends before it.
std::string HeaderValue(std::string_view key, std::string_view line);

// Removes one leading and then one trailing double or single quote, each if present.
std::string StripQuotes(std::string_view text);

// The display name of one address, wrapped in double quotes: the first "<...>" group goes;
// the inside of a remaining "(...)" group is taken; every quote character goes; trimmed.
std::string DisplayNameOf(std::string_view text);
// The address of one entry, wrapped in "<" and ">": every "(...)" comment goes; trimmed; the
// inside of a remaining "<...>" group is taken.
std::string AddressOf(std::string_view text);
// An address header value as `"name" <address>` entries joined by ", ". Quoted strings are
// removed first (with their quotes, so a comma inside one does not split the list), then the
// value is split at commas. A bare address gives itself twice ("a@b" <a@b>); a quoted name
// gives "". Encoded words in a name are decoded (DecodeHeaderToCp932) after the name has been
// cut out, so a decoded name is never trimmed or stripped of quote-like characters.
std::string NormalizeAddressList(std::string_view text);

// The delimiter line of a multipart ("--" + boundary) from its Content-Type line; empty when
// the line holds no "BOUNDARY". At most 72 characters after the word are read; a quoted value
// ends at its closing quote, an unquoted one before ";".
std::string BoundaryOf(std::string_view line);

// The lines after a part's header block: lines up to the first line that is empty after
// trimming are dropped, then the empty (after trimming) lines after it.
TLineSpan StripHeaderBlock(TLineSpan lines);

// What the header block of one part says about it.
struct TPartInfo {
  std::string ContentType;  // upper case, up to ";"; "TEXT/PLAIN" without a Content-Type
  std::string FileName;     // "name" of Content-Type, else "filename" of Content-Disposition
  std::string Encoding;     // Content-Transfer-Encoding, upper case; "7BIT" when absent
};
// The file name comes unquoted and decoded, as UTF-8 (DecodeHeaderToUtf8); blanks around the
// undecoded name are trimmed. A name in the extended form ("filename*=UTF-8''%E4%BA%88.csv", or
// in sections "filename*0*=", "filename*1*=", ...) wins over a plain one; it comes
// percent-decoded and converted from its charset (MailCharsetToUtf8).
TPartInfo GetPartInfo(TLineSpan lines);

}  // namespace moriva
