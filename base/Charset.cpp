#include "base/Charset.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "base/Cp932.h"
#include "base/IconvConverter.h"

namespace moriva {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kGeta = "\x81\xAC";             // 〓 in CP932
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("-_.:+()").find(c) != std::string_view::npos;
}

std::string UpperName(std::string_view name) {
  std::string r(name);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

size_t OneByte(const char*, size_t) {
  return 1;
}
size_t TwoBytes(const char*, size_t left) {
  return std::min<size_t>(2, left);
}
size_t FourBytes(const char*, size_t left) {
  return std::min<size_t>(4, left);
}

// A bad character is skipped by the width of the set's code units, so that the rest of a
// UTF-16 text stays in step.
TIconvConverter::UnitLength UnitOf(std::string_view upper) {
  for (std::string_view two : {"UTF-16", "UTF16", "UCS-2", "UCS2", "UNICODE"})
    if (upper.starts_with(two)) return TwoBytes;
  for (std::string_view four : {"UTF-32", "UTF32", "UCS-4", "UCS4", "WCHAR_T"})
    if (upper.starts_with(four)) return FourBytes;
  return OneByte;
}

struct TOpenCharset {
  std::string Name;  // upper case
  std::unique_ptr<TIconvConverter> Converter;
};

// The converters of the thread's outermost scope; none outside a scope.
thread_local std::vector<TOpenCharset>* g_open = nullptr;

}  // namespace

TCharsetScope::TCharsetScope() : outermost_(g_open == nullptr) {
  if (outermost_) g_open = new std::vector<TOpenCharset>();
}

TCharsetScope::~TCharsetScope() {
  if (!outermost_) return;
  delete g_open;
  g_open = nullptr;
}

std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset) {
  // Only plain names reach iconv: it reads suffixes such as "//TRANSLIT" as instructions.
  if (charset.empty() || charset.size() > kMaxCharsetNameLength ||
      !std::all_of(charset.begin(), charset.end(), IsNameChar))
    return std::nullopt;
  const TCharsetScope scope;
  const std::string upper = UpperName(charset);
  TIconvConverter* converter = nullptr;
  for (TOpenCharset& c : *g_open)
    if (c.Name == upper) converter = c.Converter.get();
  if (!converter) {
    if (g_open->size() >= kMaxOpenCharsets) return std::nullopt;
    std::unique_ptr<TIconvConverter> opened = TIconvConverter::Open("UTF-8", upper.c_str());
    // A name iconv does not know costs little to refuse again, so it takes no place.
    if (!opened) return std::nullopt;
    converter = opened.get();
    g_open->push_back({upper, std::move(opened)});
  }
  return converter->Run(bytes, UnitOf(upper), kReplacement);
}

std::string ForeignTextToCp932(std::string bytes, size_t* replaced) {
  const std::string_view b = bytes;
  std::string utf8;
  if (b.starts_with(kUtf8Mark)) {
    utf8 = b.substr(kUtf8Mark.size());
  } else if (b.starts_with(kUtf16LeMark) || b.starts_with(kUtf16BeMark)) {
    const char* set = b.starts_with(kUtf16LeMark) ? "UTF-16LE" : "UTF-16BE";
    utf8 = CharsetToUtf8(b.substr(kUtf16LeMark.size()), set).value_or(std::string());
  } else {
    // Only text beyond ASCII reads two ways. CP932 text is seldom valid UTF-8 (a kana or kanji
    // that begins a field never is), so for CP932 files the question ends at their first
    // double-byte character. Short UTF-8 Japanese text, on the other hand, often happens to be
    // valid CP932 as well: valid UTF-8 that holds characters of three bytes or more (kana,
    // kanji, symbols) is taken as UTF-8 even then. Only two-byte UTF-8, which CP932 half-width
    // kana can spell by chance ("ﾃｽ" is "ý"), is left to CP932 when both fit.
    const auto beyond = std::find_if(b.begin(), b.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const std::string_view rest = b.substr(static_cast<size_t>(beyond - b.begin()));
    if (rest.empty() || !IsValidUtf8(rest)) return bytes;
    const bool wide = std::any_of(rest.begin(), rest.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
    if (!wide && IsValidCp932(rest)) return bytes;
    utf8 = std::move(bytes);
  }
  size_t count = 0;
  std::string text = Utf8ToCp932(utf8, kGeta, count);
  if (replaced) *replaced += count;
  return text;
}

}  // namespace moriva
