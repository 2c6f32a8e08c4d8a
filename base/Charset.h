#pragma once
// Text in a character set that someone else chose (the encoded words of a mail, the byte-order
// mark of a file), converted to UTF-8 through the platform's iconv.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace moriva {

// The longest character-set name taken (the registered names are shorter).
inline constexpr size_t kMaxCharsetNameLength = 40;
// How many character sets one scope converts from at most.
inline constexpr size_t kMaxOpenCharsets = 16;

// Keeps the converters CharsetToUtf8 opens while it lives. Opening a converter loads the
// platform's module for the set, which costs as much as a hundred short conversions, and a
// module no converter holds is soon unloaded again; so whoever decodes many texts (a whole
// mail) holds a scope, and a hostile mail that names ever new sets costs at most
// kMaxOpenCharsets loads: sets beyond those are refused. Scopes may nest on a thread; the
// outermost one keeps the converters. Without a scope each call opens its own and closes it.
class TCharsetScope {
 public:
  TCharsetScope();
  ~TCharsetScope();
  TCharsetScope(const TCharsetScope&) = delete;
  TCharsetScope& operator=(const TCharsetScope&) = delete;

 private:
  bool outermost_;
};

// `bytes` in the character set `charset` (a name iconv knows, in any letter case: "UTF-8",
// "ISO-8859-15", "EUC-JP", "UTF-16BE", ...) as UTF-8; bytes that are no character of the set
// become U+FFFD. nullopt when iconv does not know the name, when the name holds anything but
// letters, digits and "-_.:+()" or is longer than kMaxCharsetNameLength, and for a set beyond
// the scope's kMaxOpenCharsets.
std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset);

// The bytes of a text file another program wrote, as CP932 text: a file that starts with the
// UTF-8 byte-order mark is read as UTF-8, and so is one that is valid UTF-8 (beyond ASCII) and
// either not valid CP932 or holding a character of three UTF-8 bytes or more; one that starts
// with a UTF-16 byte-order mark (either order) is read as UTF-16; any other is CP932 already
// and comes back unchanged. Every CSV file the program writes is invalid UTF-8 (its header
// begins with 件 after a quote), so it reads as it was written. The mark goes; a character
// CP932 cannot spell is kept (as a pair, see Cp932.h); bytes that are no UTF-8 become 〓 and
// are counted in *replaced when asked for.
std::string ForeignTextToCp932(std::string bytes, size_t* replaced = nullptr);

// CP932 text for another program, which knows code page 932 alone: each pair (Cp932.h) becomes
// `fallback`, counted in `replaced`; a pair that stands for a user-defined character becomes
// that character again. ToHandsetCp932 is this with 〓.
std::string WithoutPairs(std::string_view cp932, std::string_view fallback, size_t& replaced);

}  // namespace moriva
