#pragma once
// The quick-add reader's view of a typed text: one code per character, with full-width digits,
// letters and the common signs folded to ASCII and letters in lower case, so that "１５：００",
// "15:00" and "１５:00" read alike, while every character still knows where its bytes stand in
// the text, so that the subject and the place are taken as they were typed. Words and numbers
// are matched on the codes. Texts are CP932.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

// A character as a search folds it (base/SearchFold.h), as one byte or lead << 8 | trail, with
// the full-width signs @ : / - ~ . , + narrowed too.
using TCharCode = uint16_t;
using TCodes = std::vector<TCharCode>;

inline constexpr size_t kNoMatch = static_cast<size_t>(-1);

class TQuickText {
 public:
  explicit TQuickText(std::string_view cp932);

  size_t Size() const { return codes_.size(); }
  TCharCode At(size_t i) const { return i < codes_.size() ? codes_[i] : 0; }
  // The bytes of characters [from, to) as typed.
  std::string_view Source(size_t from, size_t to) const {
    return source_.substr(offsets_[from], offsets_[to] - offsets_[from]);
  }

  // The end of `word` when it stands at `at`, else kNoMatch.
  size_t Word(size_t at, const TCodes& word) const;
  // The end of the first of `words` that stands at `at` (list longer words first).
  size_t AnyWord(size_t at, const std::vector<TCodes>& words) const;
  // Which of `words` stands at `at` (its position in the list), and its end.
  std::optional<size_t> WhichWord(size_t at, const std::vector<TCodes>& words, size_t& end) const;

  bool IsBlank(size_t i) const { return At(i) == ' '; }
  bool IsDigit(size_t i) const { return At(i) >= '0' && At(i) <= '9'; }
  // An ASCII letter or digit: a number or a letter that follows one is part of a longer word.
  bool IsAlnum(size_t i) const;
  size_t SkipBlanks(size_t at) const;

  // A number at `at`: one to four ASCII digits, or kanji numerals up to 九十九 (十, 二十,
  // 三十一). `end` is set past it. A digit run longer than four is no number.
  std::optional<int> Number(size_t at, size_t& end) const;

 private:
  std::string_view source_;
  TCodes codes_;
  std::vector<uint32_t> offsets_;  // one more than codes_: the end of the text
};

// The codes of a UTF-8 word (converted to CP932 and folded as typed text is).
TCodes WordCodes(std::string_view utf8);
std::vector<TCodes> WordList(std::initializer_list<std::string_view> utf8);

}  // namespace moriva
