#pragma once
// Text as a search compares it. A user looking for "ﾐｰﾃｨﾝｸﾞ" means "ミーティング" too, and "ＡＢＣ"
// means "abc": the folded form writes letters in lower case (ASCII, full-width Latin, Greek and
// Cyrillic), full-width Latin letters, digits and the ideographic space as their ASCII
// counterparts, and half-width katakana as full-width ones, a following voiced or semi-voiced
// mark joined into the one character (ｶﾞ → ガ, ﾊﾟ → パ, ｳﾞ → ヴ). Everything else (kanji,
// hiragana, symbols) is kept as it is. Input and output are CP932 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace moriva {

// Appends the folded form of `cp932` to `out` (which is not cleared, so a buffer can be reused).
void AppendFolded(std::string_view cp932, std::string& out);

inline std::string FoldForSearch(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size());
  AppendFolded(cp932, out);
  return out;
}

// The first position, at or after `from`, where `needle` occurs in `text` beginning on a
// character boundary (a match that starts on the trail byte of a double-byte character, or on
// the second half of a pair, is no match: "@" is not found in "　", which is 81 40); npos when
// there is none. `from` must itself
// be a character boundary. An empty needle is found at `from`.
size_t FindCp932(std::string_view text, std::string_view needle, size_t from = 0);

}  // namespace moriva
