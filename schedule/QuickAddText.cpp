#include "schedule/QuickAddText.h"

#include <array>

#include "base/Cp932.h"
#include "base/SearchFold.h"

namespace moriva {
namespace {

// The signs people type in either width; the full-width ones fold to these.
constexpr std::array<std::pair<TCharCode, char>, 9> kWideSigns = {{
    {0x8197, '@'},  // ＠
    {0x8146, ':'},  // ：
    {0x815E, '/'},  // ／
    {0x817C, '-'},  // －
    {0x815D, '-'},  // ‐
    {0x8160, '~'},  // ～ (and the wave dash, the same character here)
    {0x8144, '.'},  // ．
    {0x8143, ','},  // ，
    {0x817B, '+'},  // ＋
}};

// A character as a search folds it (full-width letters and digits as ASCII, letters in lower
// case, the ideographic space as a blank), then the signs above narrowed too.
TCharCode Fold(std::string_view c, std::string& buffer) {
  buffer.clear();
  AppendFolded(c, buffer);
  auto code = static_cast<TCharCode>(static_cast<unsigned char>(buffer[0]));
  if (buffer.size() == 2)
    code = static_cast<TCharCode>(code << 8 | static_cast<unsigned char>(buffer[1]));
  if (code == '\t') return ' ';
  for (const auto& [wide, narrow] : kWideSigns)
    if (code == wide) return static_cast<TCharCode>(narrow);
  return code;
}

// 〇 一 … 九 and 十, as codes.
struct TKanjiDigits {
  TCodes Digits = WordCodes("〇一二三四五六七八九");
  TCharCode Ten = WordCodes("十")[0];
};

const TKanjiDigits& KanjiDigits() {
  static const TKanjiDigits digits;
  return digits;
}

int KanjiDigit(TCharCode c) {
  const TCodes& digits = KanjiDigits().Digits;
  for (size_t i = 0; i < digits.size(); ++i)
    if (digits[i] == c) return static_cast<int>(i);
  return -1;
}

void AppendCodes(std::string_view s, TCodes& codes, std::vector<uint32_t>* offsets) {
  std::string buffer;
  for (size_t i = 0; i < s.size();) {
    const size_t length = CharLength(s, i);
    codes.push_back(Fold(s.substr(i, length), buffer));
    if (offsets) offsets->push_back(static_cast<uint32_t>(i));
    i += length;
  }
  if (offsets) offsets->push_back(static_cast<uint32_t>(s.size()));
}

}  // namespace

TCodes WordCodes(std::string_view utf8) {
  TCodes codes;
  AppendCodes(Utf8ToCp932(utf8), codes, nullptr);
  return codes;
}

std::vector<TCodes> WordList(std::initializer_list<std::string_view> utf8) {
  std::vector<TCodes> list;
  for (std::string_view w : utf8) list.push_back(WordCodes(w));
  return list;
}

TQuickText::TQuickText(std::string_view cp932) : source_(cp932) {
  codes_.reserve(cp932.size());
  offsets_.reserve(cp932.size() + 1);
  AppendCodes(cp932, codes_, &offsets_);
}

size_t TQuickText::Word(size_t at, const TCodes& word) const {
  if (at + word.size() > codes_.size()) return kNoMatch;
  for (size_t i = 0; i < word.size(); ++i)
    if (codes_[at + i] != word[i]) return kNoMatch;
  return at + word.size();
}

size_t TQuickText::AnyWord(size_t at, const std::vector<TCodes>& words) const {
  size_t end = kNoMatch;
  WhichWord(at, words, end);
  return end;
}

std::optional<size_t> TQuickText::WhichWord(size_t at, const std::vector<TCodes>& words,
                                            size_t& end) const {
  for (size_t i = 0; i < words.size(); ++i) {
    end = Word(at, words[i]);
    if (end != kNoMatch) return i;
  }
  end = kNoMatch;
  return std::nullopt;
}

bool TQuickText::IsAlnum(size_t i) const {
  const TCharCode c = At(i);
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

size_t TQuickText::SkipBlanks(size_t at) const {
  while (IsBlank(at)) ++at;
  return at;
}

std::optional<int> TQuickText::Number(size_t at, size_t& end) const {
  if (IsDigit(at)) {
    int value = 0;
    size_t i = at;
    for (; IsDigit(i); ++i) {
      if (i - at == 4) return std::nullopt;
      value = value * 10 + (At(i) - '0');
    }
    end = i;
    return value;
  }
  // [d]十[d] or a single d: enough for days, hours and months.
  const TCharCode ten = KanjiDigits().Ten;
  size_t i = at;
  int tens = -1, ones = KanjiDigit(At(i));
  if (ones >= 0) ++i;
  if (At(i) == ten) {
    tens = ones >= 0 ? ones : 1;
    ones = KanjiDigit(At(++i));
    if (ones >= 0) ++i;
  }
  if (i == at) return std::nullopt;
  end = i;
  return (tens > 0 ? tens * 10 : 0) + (ones > 0 ? ones : 0);
}

}  // namespace moriva
