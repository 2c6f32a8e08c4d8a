// Encoded words of mail headers and the whole-string base64 they are made of.
#include "mail/EncodedWord.h"

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
constexpr size_t kFoldEvery = 31;
// Far below the 998 bytes a mail line may hold: room for the header's name on the first line
// and for the one character (up to a whole new encoded word) added after each check.
constexpr size_t kFoldLongLine = 800;
// Plain text is folded at a blank where the next word would carry the line past this length.
constexpr size_t kPlainLineLength = 78;
// A plain word longer than a line may hold is cut here, as the least harm.
constexpr size_t kPlainCutLength = 990;

// Value of each base64 character; 64 for "=", 0xFF for everything else.
constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> t{};
  for (auto& v : t) v = 0xFF;
  for (int i = 0; i < 64; ++i)
    t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i);
  t['='] = 64;
  return t;
}
constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsHalfKana(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0xA1 && u <= 0xDF;
}

// Characters that go into encoded words: double-byte ones, and half-width katakana, which
// have no place in a header as raw 8-bit bytes (JIS writes them full-width).
bool IsWordChar(char c) {
  return IsLeadByte(static_cast<unsigned char>(c)) || IsHalfKana(c);
}

// Bytes of the plain word that starts at `from`, up to a blank or a character of a word.
size_t PlainWordLength(std::string_view s, size_t from) {
  size_t i = from;
  while (i < s.size() && !IsBlank(s[i]) && !IsWordChar(s[i])) ++i;
  return i - from;
}

// Builds the encoded header. A fold only marks that the next piece written starts a
// continuation line; it is written with that piece so that a value never ends in a fold.
class HeaderWriter {
 public:
  explicit HeaderWriter(size_t lead) : lead_(lead) {}

  void AddPlain(char c) {
    if (!kanji_.empty()) Flush();
    plain_.push_back(c);
    if (!IsBlank(c)) has_text_ = true;
  }
  void AddKanji(std::string_view ch) {
    if (!plain_.empty()) Flush();
    kanji_ += ch;
    has_text_ = true;
  }
  // Ends the line here; a plain character that follows gets a blank of its own.
  void Fold() {
    Flush();
    fold_ = true;
    has_text_ = false;
  }
  // Ends the line before the blank about to be added, which then begins the next line, so
  // that unfolding gives back the text as it was.
  void FoldBeforeBlank() {
    Flush();
    out_ += kHeaderFold;
    line_start_ = out_.size();
    lead_ = 0;
    has_text_ = false;
  }
  std::string Finish() {
    Flush();
    return std::move(out_);
  }
  // Whether the current line holds more than blanks.
  bool HasText() const { return has_text_; }
  // The length the current line would have with `ch` added to the pending run of words.
  size_t LineLengthWithWord(std::string_view ch) const {
    const size_t jis = SjisToJis(kanji_ + std::string(ch)).size() + 3;
    const size_t word = kWordStart.size() + (jis + 2) / 3 * 4 + kWordEnd.size();
    return (fold_ ? 0 : lead_ + out_.size() - line_start_ + plain_.size()) + word;
  }
  // The length the current line will have once the pending run is written.
  size_t LineLength() const {
    size_t pending = plain_.size();
    if (!kanji_.empty()) {
      // The run in JIS with its two escapes, as base64, inside the word's frame.
      pending = kWordStart.size() + (kanji_.size() + 6 + 2) / 3 * 4 + kWordEnd.size();
    }
    // After a fold the pending run (with its blank) begins the next line.
    if (fold_) return (kanji_.empty() ? 1 : 0) + pending;
    return lead_ + out_.size() - line_start_ + pending;
  }

 private:
  void NewLine() {
    out_ += kHeaderFold;
    line_start_ = out_.size();
    lead_ = 0;
  }
  void Flush() {
    if (!plain_.empty()) {
      // A continuation line begins with a blank; an encoded word brings its own.
      if (fold_) {
        NewLine();
        out_ += ' ';
      }
      out_ += plain_;
      plain_.clear();
      fold_ = false;
    } else if (!kanji_.empty()) {
      // A word needs a blank before it, and brings its own unless the text has one there.
      const bool blank_before = !fold_ && !out_.empty() && IsBlank(out_.back());
      if (fold_) NewLine();
      std::string jis = SjisToJis(kanji_);
      // A run cut at a fold may end in a blank, outside the double-byte set already.
      if (!IsBlank(kanji_.back())) jis += "\x1B(J";
      out_ += kWordStart.substr(blank_before ? 1 : 0);
      out_ += Base64EncodeText(jis);
      out_ += kWordEnd;
      kanji_.clear();
      fold_ = false;
    }
  }

  std::string out_, plain_, kanji_;
  size_t lead_;            // bytes before the value on the current line (the header's name)
  size_t line_start_ = 0;  // where the current line begins in out_
  bool fold_ = false;
  bool has_text_ = false;
};

// The header encoding; `allWords` puts every character into encoded words (a display name
// with Japanese in it, whose plain parts could otherwise read as address syntax) and keeps
// them in one word as far as a line allows: readers show a blank between two words of a name.
std::string Encode(std::string_view sjis, size_t lead, bool allWords) {
  HeaderWriter w(lead);
  const size_t n = sjis.size();
  size_t i = 0;            // bytes consumed so far
  bool fold_due = false;   // a fold point was passed; words may be cut before the next one
  bool last_word = false;  // the last character went into an encoded word
  bool last_kana = false;  // ... and was half-width katakana
  size_t blanks_end = 0;   // end of the run of blanks last looked ahead over
  while (i < n) {
    const char c = sjis[i];
    const size_t len = CharLength(sjis, i);
    bool word = allWords || IsWordChar(c);
    // Decoders drop the blanks between two encoded words, so blanks that stand between two
    // Japanese runs travel inside the words.
    if (!word && last_word && IsBlank(c)) {
      if (i >= blanks_end) {  // judged once for a whole run of blanks
        blanks_end = i;
        while (blanks_end < n && IsBlank(sjis[blanks_end])) ++blanks_end;
      }
      word = blanks_end < n && IsWordChar(sjis[blanks_end]);
    }
    if (i > 0) {
      if (word) {
        // A sound mark must stay with its kana, or it would show as a mark of its own.
        const bool mark = last_kana && (c == '\xDE' || c == '\xDF');
        const bool due =
            !allWords && (fold_due || (w.HasText() && w.LineLengthWithWord(sjis.substr(i, len)) >
                                                          kPlainLineLength));
        if (!mark && (due || w.LineLength() > kFoldLongLine)) w.Fold();
      } else if (IsBlank(c)) {
        // Plain text folds only at blanks, so no word is cut.
        if (w.HasText() && w.LineLength() + 1 + PlainWordLength(sjis, i + 1) > kPlainLineLength)
          w.FoldBeforeBlank();
      } else if (w.LineLength() >= kPlainCutLength) {
        w.Fold();
      }
    }
    if (word)
      w.AddKanji(sjis.substr(i, len));
    else
      w.AddPlain(c);
    last_word = word;
    last_kana = word && IsHalfKana(c);
    i += len;
    // A character that steps over a fold point skips that fold.
    fold_due = (i + 1) % kFoldEvery == 0;
  }
  return w.Finish();
}

// atext of an address's display name and the blank: a name made only of these needs no quotes.
bool IsPhraseChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
         std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

}  // namespace

std::string EncodeHeader(std::string_view sjis, size_t lead) {
  return Encode(sjis, lead, false);
}

std::string EncodeDisplayName(std::string_view sjis, size_t lead) {
  const bool plain = std::all_of(sjis.begin(), sjis.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!plain) {
    std::string words = Encode(sjis, lead, true);
    // The encoding's leading blank would only stand between the header's colon and the name.
    return words.starts_with(' ') ? words.substr(1) : words;
  }
  const bool bare = !sjis.empty() && std::all_of(sjis.begin(), sjis.end(), IsPhraseChar) &&
                    sjis.front() != ' ' && sjis.back() != ' ' &&
                    sjis.find("=?") == std::string_view::npos;
  if (bare) return std::string(sjis);
  std::string quoted = "\"";
  for (char c : sjis) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
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
  // Characters outside the alphabet (line ends, blanks, anything a mailer slipped in) are
  // skipped; every other character but "=" carries six bits, which gives the size.
  std::string digits;
  digits.reserve(text.size());
  for (char c : text)
    if (kDecode[static_cast<unsigned char>(c)] != 0xFF) digits += c;
  size_t m = 0;
  for (char c : digits)
    if (c != '=') ++m;
  const size_t size = m / 4 * 3 + (m % 4 != 0 ? m % 4 - 1 : 0);

  std::string out;
  out.reserve(size + 3);
  const size_t n = digits.size();
  size_t i = 0;
  while (i < n && out.size() < size) {
    // A group of four; characters missing at the end count as "=".
    char g[4];
    for (char& c : g) c = i < n ? digits[i++] : '=';
    uint32_t v = 0;
    for (char c : g) v = (v << 6) | (kDecode[static_cast<unsigned char>(c)] & 63);
    size_t bytes = g[2] == '=' ? 1 : g[3] == '=' ? 2 : 3;
    const char b[3] = {static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
    out.append(b, bytes);
  }
  if (out.size() > size) out.resize(size);
  return out;
}

}  // namespace moriva
