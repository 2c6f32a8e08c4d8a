// Encoded words of mail headers and the whole-string base64 they are made of; declared in
// JapaneseCodes.h.
#include <algorithm>
#include <array>
#include <cstdint>

#include "base/Cp932.h"
#include "mail/JapaneseCodes.h"

namespace moriva {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kWordStart = " =?ISO-2022-JP?B?";
constexpr std::string_view kWordEnd = "?=";
constexpr std::string_view kPrefix = "=?ISO-2022-JP?B?";
constexpr size_t kFoldEvery = 31;
// Far below the 998 bytes a mail line may hold: room for the header's name on the first line
// and for the one character (up to a whole new encoded word) added after each check.
constexpr size_t kFoldLongLine = 800;

// Value of each base64 character; everything else counts as zero.
constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 64; ++i)
    t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i);
  return t;
}
constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position of the encoded-word prefix at or after `from`, in any letter case.
size_t FindPrefix(std::string_view s, size_t from) {
  for (size_t i = from; i + kPrefix.size() <= s.size(); ++i) {
    if (s[i] != '=') continue;
    bool same = true;
    for (size_t k = 1; k < kPrefix.size() && same; ++k) same = Upper(s[i + k]) == kPrefix[k];
    if (same) return i;
  }
  return std::string_view::npos;
}

// Builds the encoded header. A fold only marks that the next piece written starts a
// continuation line; it is written with that piece so that a value never ends in a fold.
class HeaderWriter {
 public:
  void AddPlain(char c) {
    if (!kanji_.empty()) Flush();
    plain_.push_back(c);
  }
  void AddKanji(std::string_view ch) {
    if (!plain_.empty()) Flush();
    kanji_ += ch;
  }
  void Fold() {
    Flush();
    fold_ = true;
  }
  std::string Finish() {
    Flush();
    return std::move(out_);
  }
  // The length the current line will have once the pending run is written.
  size_t LineLength() const {
    size_t pending = plain_.size();
    if (!kanji_.empty()) {
      // The run in JIS with its two escapes, as base64, inside the word's frame.
      pending = kWordStart.size() + (kanji_.size() + 6 + 2) / 3 * 4 + kWordEnd.size();
    }
    return out_.size() - line_start_ + pending;
  }

 private:
  void Flush() {
    if (!plain_.empty()) {
      // A continuation line begins with a blank; an encoded word brings its own.
      if (fold_) {
        out_ += kHeaderFold;
        line_start_ = out_.size();
        out_ += ' ';
      }
      out_ += plain_;
      plain_.clear();
      fold_ = false;
    } else if (!kanji_.empty()) {
      if (fold_) {
        out_ += kHeaderFold;
        line_start_ = out_.size();
      }
      out_ += kWordStart;
      out_ += Base64EncodeText(SjisToJis(kanji_) + "\x1B(J");
      out_ += kWordEnd;
      kanji_.clear();
      fold_ = false;
    }
  }

  std::string out_, plain_, kanji_;
  size_t line_start_ = 0;  // where the current line begins in out_
  bool fold_ = false;
};

}  // namespace

std::string EncodeHeader(std::string_view sjis) {
  HeaderWriter w;
  const size_t n = sjis.size();
  size_t i = 0;  // bytes consumed so far
  while (i < n) {
    size_t len = CharLength(sjis, i);
    if (IsLeadByte(static_cast<unsigned char>(sjis[i])))
      w.AddKanji(sjis.substr(i, len));
    else
      w.AddPlain(sjis[i]);
    i += len;
    if (i >= n) break;
    // A character that steps over a fold point skips that fold, and text that alternates
    // between kanji and single bytes grows many times in encoding, so a line could pass the
    // limit of a mail line; it is folded early before it gets there.
    if ((i + 1) % kFoldEvery == 0 || w.LineLength() > kFoldLongLine) w.Fold();
  }
  return w.Finish();
}

std::string DecodeHeader(std::string_view text) {
  // One pass over the text: the result is built by appending, never by editing it in place,
  // so a header of many encoded words costs no more than its length.
  std::string out;
  out.reserve(text.size());
  size_t from = 0;     // first byte of `text` not yet copied or decoded
  bool closed = true;  // false once no "?=" is left: every later prefix is just removed
  for (;;) {
    size_t q = FindPrefix(text, from);
    if (q == std::string_view::npos) break;
    out.append(text, from, q - from);
    const size_t start = q + kPrefix.size();
    size_t p = closed ? text.find(kWordEnd, start) : std::string_view::npos;
    if (p == std::string_view::npos) {
      closed = false;
      from = start;
      continue;
    }
    // Decoded bytes are data, never searched for further encoded words.
    out += Base64DecodeText(text.substr(start, p - start));
    from = p + kWordEnd.size();
  }
  out.append(text, from);
  return out;
}

std::string Base64EncodeText(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    uint32_t v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  if (i < n) {
    uint32_t v = p[i] << 16;
    if (i + 1 < n) v |= p[i + 1] << 8;
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

std::string Base64DecodeText(std::string_view text) {
  // The size the text stands for: every character but CR, LF and "=" carries six bits.
  size_t m = 0;
  for (char c : text)
    if (c != '\r' && c != '\n' && c != '=') ++m;
  const size_t size = m / 4 * 3 + (m % 4 != 0 ? m % 4 - 1 : 0);

  std::string out;
  out.reserve(size + 3);
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && out.size() < size) {
    if (text[i] == '\r' || text[i] == '\n') {
      ++i;
      continue;
    }
    // A group of four; characters missing at the end count as "=".
    char g[4];
    for (char& c : g) c = i < n ? text[i++] : '=';
    uint32_t v = 0;
    for (char c : g) v = (v << 6) | kDecode[static_cast<unsigned char>(c)];
    size_t bytes = g[2] == '=' ? 1 : g[3] == '=' ? 2 : 3;
    const char b[3] = {static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
    out.append(b, bytes);
  }
  if (out.size() > size) out.resize(size);
  return out;
}

}  // namespace moriva
