#include "mail/HeaderText.h"

#include <optional>

#include "base/Charset.h"
#include "base/Cp932.h"
#include "mail/Attachment.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

namespace moriva {
namespace {

constexpr std::string_view kGeta = "\x81\xAC";  // 〓 in CP932
// A charset name with its "*language" never needs more.
constexpr size_t kMaxWordCharsetLength = 2 * kMaxCharsetNameLength;

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsJis(std::string_view s) {
  return s.find("\x1b$B") != std::string_view::npos || s.find("\x1b$@") != std::string_view::npos;
}

bool IsLinearBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsBlankRun(std::string_view s) {
  for (char c : s)
    if (!IsLinearBlank(c)) return false;
  return true;
}

// Characters of a charset name and its language as words write them.
bool IsWordCharsetChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("-_.:+()*").find(c) != std::string_view::npos;
}

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool IsOneOf(std::string_view upper, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (upper == n) return true;
  return false;
}

struct TWord {
  std::string Charset;  // upper case, without the language
  std::string Bytes;    // decoded
  size_t End = 0;       // just after the closing "?="
};

// Reads the encoded words of one header value from left to right.
class TWordReader {
 public:
  explicit TWordReader(std::string_view text) : text_(text) {}

  // The word that begins at `at` (where "=?" stands), or nullopt.
  std::optional<TWord> At(size_t at) {
    size_t i = at + 2;
    const size_t name_end = std::min(text_.size(), i + kMaxWordCharsetLength + 1);
    while (i < name_end && IsWordCharsetChar(text_[i])) ++i;
    if (i == at + 2 || i + 2 >= text_.size() || text_[i] != '?' || text_[i + 2] != '?')
      return std::nullopt;
    const char encoding = text_[i + 1];
    if (encoding != 'B' && encoding != 'b' && encoding != 'Q' && encoding != 'q')
      return std::nullopt;
    const size_t start = i + 3;
    const size_t close = CloseAtOrAfter(start);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view name = text_.substr(at + 2, i - at - 2);
    name = name.substr(0, name.find('*'));
    std::string_view inside = text_.substr(start, close - start);
    TWord word;
    word.Charset = Upper(name);
    word.Bytes =
        encoding == 'B' || encoding == 'b' ? Base64DecodeText(inside) : DecodeQuotedText(inside);
    word.End = close + 2;
    return word;
  }

 private:
  // The first "?=" at or after `from`. Words are read left to right, so the last one found
  // answers every later question until `from` passes it: no stretch of text is searched twice.
  size_t CloseAtOrAfter(size_t from) {
    if (close_ != std::string_view::npos && close_ >= from) return close_;
    if (none_left_) return std::string_view::npos;
    close_ = text_.find("?=", from);
    none_left_ = close_ == std::string_view::npos;
    return close_;
  }

  std::string_view text_;
  size_t close_ = std::string_view::npos;
  bool none_left_ = false;
};

}  // namespace

std::string MailTextToUtf8(std::string_view text) {
  if (IsJis(text)) return Cp932ToUtf8(JisToSjis(text));
  if (IsAscii(text) || IsValidUtf8(text)) return std::string(text);
  if (DetectJapaneseCode(text) == jcEuc) return Cp932ToUtf8(EucToSjis(text));
  return Cp932ToUtf8(text);
}

std::string MailCharsetToUtf8(std::string_view bytes, std::string_view charset) {
  const std::string upper = Upper(charset);
  if (IsOneOf(upper, {"ISO-2022-JP", "CSISO2022JP"})) return Cp932ToUtf8(JisToSjis(bytes));
  if (IsOneOf(upper, {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "X-SJIS", "MS_KANJI", "CSSHIFTJIS",
                      "WINDOWS-31J", "CP932", "MS932"}))
    return Cp932ToUtf8(bytes);
  if (upper.empty() || IsOneOf(upper, {"US-ASCII", "ASCII"})) return MailTextToUtf8(bytes);
  if (std::optional<std::string> text = CharsetToUtf8(bytes, upper)) return std::move(*text);
  return MailTextToUtf8(bytes);
}

std::string DecodeHeaderToUtf8(std::string_view text) {
  const TCharsetScope charsets;  // each set costs one load for the whole header
  std::string out;
  out.reserve(text.size());
  TWordReader reader(text);
  // Adjacent words of one charset are gathered here and converted together.
  std::string charset, bytes;
  bool gathering = false;
  auto flush = [&] {
    if (gathering) out += MailCharsetToUtf8(bytes, charset);
    bytes.clear();
    gathering = false;
  };
  size_t plain_from = 0;  // the first byte not yet taken
  for (size_t at = text.find("=?"); at != std::string_view::npos; at = text.find("=?", at)) {
    std::optional<TWord> word = reader.At(at);
    if (!word) {
      at += 2;
      continue;
    }
    std::string_view between = text.substr(plain_from, at - plain_from);
    if (!(gathering && IsBlankRun(between))) {
      flush();
      out += MailTextToUtf8(between);
    } else if (word->Charset != charset) {
      flush();
    }
    if (!gathering) charset = word->Charset;
    gathering = true;
    bytes += word->Bytes;
    at = plain_from = word->End;
  }
  flush();
  out += MailTextToUtf8(text.substr(plain_from));
  return out;
}

std::string DecodeHeaderToCp932(std::string_view text) {
  size_t replaced = 0;
  return Utf8ToCp932(DecodeHeaderToUtf8(text), kGeta, replaced);
}

}  // namespace moriva
