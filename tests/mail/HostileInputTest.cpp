// Mail input that is long or built to hurt: many encoded words, megabyte header lines, lines
// that never end, over-long attachment names. Each must finish quickly, keep its memory
// bounded and give the same result as a short input would.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/AttachmentName.h"
#include "mail/EncodedWord.h"
#include "mail/HeaderText.h"
#include "mail/JapaneseCodes.h"
#include "mail/LineReader.h"
#include "mail/MimeHeader.h"
#include "mail/MimeParser.h"
#include "mail/Pop3Client.h"
#include "tests/mail/ChunkSource.h"
#include "tests/mail/MailTestTools.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

// Generous for a slow or sanitized build, far below what a cost growing with the square of
// the input would take (tens of seconds for these sizes).
constexpr auto kQuick = std::chrono::seconds(3);

template <class F>
std::chrono::steady_clock::duration TimeOf(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::steady_clock::now() - start;
}

std::string Repeat(std::string_view piece, size_t n) {
  std::string s;
  s.reserve(piece.size() * n);
  for (size_t i = 0; i < n; ++i) s += piece;
  return s;
}

TEST(HostileHeader, DecodingCostsTheLengthOfTheText) {
  const std::string sjis = Utf8ToCp932("予定");
  const std::string word =
      "=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(sjis) + "\x1B(J") + "?= ";
  // Words in ever new charsets: each costs the load of a converter, so only so many are taken;
  // the others are read as raw text.
  std::vector<std::string> names = {"KOI8-R", "KOI8-U",    "CP437",   "CP850", "CP852",
                                    "CP866",  "MACINTOSH", "TIS-620", "CP737", "CP775",
                                    "CP855",  "CP857",     "CP860",   "CP861"};
  for (int i = 1; i <= 16; ++i)
    if (i != 12) names.push_back("ISO-8859-" + std::to_string(i));
  for (int i = 1250; i <= 1258; ++i) names.push_back("CP" + std::to_string(i));
  std::string charsets;
  for (const std::string& name : names) charsets += "=?" + name + "?Q?abc?= a ";
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"100 000 encoded words", Repeat(word, 100000), Repeat(sjis, 100000) + " "},
      // Every prefix finds no end: the text stays as it is.
      {"100 000 unclosed prefixes", Repeat("=?iso-2022-jp?b?QUJD ", 100000),
       Repeat("=?iso-2022-jp?b?QUJD ", 100000)},
      {"words in 38 charsets, 2 600 times", Repeat(charsets, 2600),
       Repeat("abc a ", 2600 * names.size())},
      {"a megabyte of '='", std::string(1 << 20, '='), std::string(1 << 20, '=')},
      {"a megabyte line without words", std::string(1 << 20, 'a'), std::string(1 << 20, 'a')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string decoded;
    EXPECT_LT(TimeOf([&] { decoded = DecodeHeaderToCp932(c.in); }), kQuick);
    EXPECT_EQ(decoded, c.out);
  }
}

TEST(HostileHeader, EncodingAMegabyteKeepsLinesWithinTheLimit) {
  std::string value;
  while (value.size() < (1 << 20)) value += Utf8ToCp932("会議a");
  std::string encoded;
  EXPECT_LT(TimeOf([&] { encoded = EncodeHeader(value); }), kQuick);
  size_t lines = 0;
  for (size_t start = 0;; ++lines) {
    size_t end = encoded.find(kHeaderFold, start);
    // The hard limit of a mail line: a character stepping over a fold point delays the fold.
    ASSERT_LE((end == std::string::npos ? encoded.size() : end) - start, 998u);
    if (end == std::string::npos) break;
    start = end + kHeaderFold.size();
  }
  EXPECT_GT(lines, value.size() / 100);
}

// Kanji and single bytes chosen so that no character ends just before a fold point: only the
// line-length check can fold such a value.
std::string DodgingFoldPoints(size_t bytes) {
  std::string s;
  bool kanji = true;
  while (s.size() < bytes) {
    if ((s.size() + (kanji ? 2 : 1) + 1) % 31 == 0) kanji = !kanji;
    s += kanji ? Utf8ToCp932("あ") : "a";
    kanji = !kanji;
  }
  return s;
}

TEST(HostileHeader, EncodedLinesStayWithinTheMailLineLimit) {
  for (size_t bytes : {300, 3000, 100000}) {
    SCOPED_TRACE(bytes);
    const std::string value = DodgingFoldPoints(bytes);
    const std::string encoded = "Subject: " + EncodeHeader(value);
    std::string unfolded;
    for (size_t start = 0;;) {
      size_t end = encoded.find(kHeaderFold, start);
      std::string_view line = std::string_view(encoded).substr(start, end - start);
      ASSERT_LE(line.size(), 998u);
      unfolded += line;
      if (end == std::string::npos) break;
      start = end + kHeaderFold.size();
    }
    // Nothing is lost: decoded, the words give the characters back (with the blank each word
    // brings after a plain character).
    std::string back = DecodeHeaderToCp932(unfolded.substr(9));
    std::erase(back, ' ');
    EXPECT_EQ(back, value);
  }
}

TEST(HostileHeader, AddressListsWithUnclosedGroupsCostTheirLength) {
  // An entry that is neither a name nor an address gives itself as both.
  auto both = [](const std::string& s) { return "\"" + s + "\" <" + s + ">"; };
  const std::string parens(1 << 20, '(');
  const std::string unclosed = Repeat("n <a@b", 100000);
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      // Every "(" looks for a ")" that never comes.
      {"a megabyte of '('", parens, both(parens)},
      {"comments closed late", Repeat("(", 300000) + ")a@b",
       "\"" + std::string(299999, '(') + "\" <a@b>"},
      {"many unclosed addresses", unclosed, both(unclosed)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string list;
    EXPECT_LT(TimeOf([&] { list = NormalizeAddressList(c.in); }), kQuick);
    EXPECT_EQ(list, c.out);
  }
}

TEST(HostileHeader, UnfoldingManyContinuationLines) {
  std::vector<std::string> lines = {"Subject: a"};
  for (int i = 0; i < 200000; ++i) lines.push_back(" b");
  lines.push_back("");
  std::optional<std::string> subject;
  EXPECT_LT(TimeOf([&] { subject = FindHeader("SUBJECT:", lines); }), kQuick);
  ASSERT_TRUE(subject);
  EXPECT_EQ(*subject, "Subject: a" + std::string(200000, 'b'));
}

// Bytes without end: what a broken or hostile server may send.
class EndlessSource : public TByteSource {
 public:
  explicit EndlessSource(char fill) : fill_(fill) {}
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override {
    received = std::min<size_t>(capacity, 1000);
    std::fill_n(buffer, received, fill_);
    sent += received;
    return TIoResult::ioOk;
  }
  size_t sent = 0;

 private:
  char fill_;
};

TEST(HostileServer, ALineThatNeverEndsIsStoppedAtTheCap) {
  EndlessSource source('x');
  TLineReader reader(source);
  std::string line;
  EXPECT_EQ(reader.ReadLine(line), TLineResult::lrTooLong);
  EXPECT_EQ(LineFailureText(TLineResult::lrTooLong), "サーバーの応答の行が長すぎます。");
  // Memory stays about one line long, and reading stopped soon after the cap.
  EXPECT_LE(reader.Buffered(), reader.MaxLineLength + 16384);
  EXPECT_LE(source.sent, reader.MaxLineLength + 16384);
  EXPECT_EQ(reader.ReadLine(line), TLineResult::lrTooLong);
  EXPECT_LE(source.sent, reader.MaxLineLength + 2 * 16384);
}

TEST(HostileServer, LongLinesAreCutWhenAskedAndTheReadingGoesOn) {
  const std::string big(25000, 'a');
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
  } cases[] = {
      {"in pieces", {big.substr(0, 9000), big.substr(9000) + "\r\nnext\r\n"}},
      {"line end alone", {big, "\r", "\nnext\r\n"}},
      {"all at once", {big + "\r\nnext\r\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkSource source(c.chunks);
    TLineReader reader(source, 1000);
    reader.MaxLineLength = 10000;
    reader.CutLongLines = true;
    std::string line;
    ASSERT_EQ(reader.ReadLine(line), TLineResult::lrLine);
    EXPECT_EQ(line, big.substr(0, 10000));
    ASSERT_EQ(reader.ReadLine(line), TLineResult::lrLine);
    EXPECT_EQ(line, "next");
    EXPECT_EQ(reader.CutLines(), 1u);
    EXPECT_LE(reader.Buffered(), 10000u);
    EXPECT_EQ(reader.ReadLine(line), TLineResult::lrClosed);
  }
}

TEST(HostileServer, ACutLineThatNeverEndsIsStoppedToo) {
  EndlessSource source('x');
  TLineReader reader(source);
  reader.CutLongLines = true;
  reader.MaxCutLineLength = 8 << 20;
  std::string line;
  ASSERT_EQ(reader.ReadLine(line), TLineResult::lrLine);
  EXPECT_EQ(line.size(), reader.MaxLineLength);
  EXPECT_EQ(reader.ReadLine(line), TLineResult::lrTooLong);
  EXPECT_LE(reader.Buffered(), 16384u);
  EXPECT_LE(source.sent, reader.MaxCutLineLength + 2 * 16384);
}

// A mail with a header line of 3 MiB would otherwise fail every receive at the same place.
TEST(HostileServer, AMailWithAnOverlongLineCanStillBeExamined) {
  testing::TScriptedServer server;
  server.Send("+OK ready\r\n")
      .Reply("+OK 1 3145800\r\n")
      .Reply("+OK\r\nX-Junk: " + std::string(3 << 20, 'j') + "\r\nSubject: mrv\r\n\r\n.\r\n")
      .Silent()
      .Start();
  TPop3Client pop;
  pop.Host = "127.0.0.1";
  pop.Port = std::to_string(server.Port());
  pop.TimeOut = 5000;
  pop.PlainLoginAllowed = true;
  std::vector<std::string> errors;
  pop.OnError = [&](const void*, int, const std::string& text) { errors.push_back(text); };
  pop.Connect();
  TMailMessage msg;
  EXPECT_TRUE(pop.RetrieveHeader(1, msg));
  EXPECT_EQ(msg.Subject, "mrv");
  EXPECT_TRUE(errors.empty());
  pop.Quit();
  server.Join();
}

// A source that sends one text a few bytes at a time.
class TrickleSource : public TByteSource {
 public:
  explicit TrickleSource(std::string text) : text_(std::move(text)) {}
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override {
    if (pos_ == text_.size()) return TIoResult::ioClosed;
    received = std::min({capacity, text_.size() - pos_, size_t{7}});
    text_.copy(buffer, received, pos_);
    pos_ += received;
    return TIoResult::ioOk;
  }

 private:
  std::string text_;
  size_t pos_ = 0;
};

TEST(HostileServer, AMegabyteLineInTinyPiecesIsReadWhole) {
  const std::string big(1000000, 'b');
  TrickleSource source(big + "\r\nnext\r\n");
  TLineReader reader(source);
  std::string line;
  EXPECT_LT(TimeOf([&] { ASSERT_EQ(reader.ReadLine(line), TLineResult::lrLine); }), kQuick);
  EXPECT_EQ(line, big);
  ASSERT_EQ(reader.ReadLine(line), TLineResult::lrLine);
  EXPECT_EQ(line, "next");
}

TEST(HostileMail, MegabyteHeaderLinesAndManyWordsParseQuickly) {
  const std::string jis = SjisToJis(Utf8ToCp932("件")) + "\x1B(J";
  const std::string word = "=?ISO-2022-JP?B?" + Base64EncodeText(jis) + "?=";
  std::vector<std::string> lines = {
      "Subject: " + Repeat(word + " ", 30000),
      "X-Junk: " + std::string(1 << 20, 'j'),
      "Content-Type: multipart/mixed; " + std::string(1 << 20, ' ') + "boundary=b",
      "",
      "--b",
      "Content-Type: text/plain; name=\"" + Repeat(word, 30000) + ".csv\"",
      "",
      "x",
      "--b--"};
  TMailMessage m;
  EXPECT_LT(TimeOf([&] { SetRawMail(m, TLineList(lines)); }), kQuick);
  EXPECT_EQ(m.Subject, Repeat(Utf8ToCp932("件"), 30000));
  ASSERT_EQ(m.AttachedFiles.Count(), 1u);
  EXPECT_LE(m.AttachedFiles[0].FileName.size(), kMaxAttachmentNameBytes);
  EXPECT_TRUE(m.AttachedFiles[0].FileName.ends_with(".csv"));
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), "x");
}

TEST(HostileMail, ThousandsOfPartsKeepTheirOrderAndBody) {
  std::vector<std::string> lines = {"Content-Type: multipart/mixed; boundary=p", ""};
  for (int i = 0; i < 5000; ++i) {
    lines.insert(
        lines.end(),
        {"--p", "Content-Type: application/octet-stream; name=f" + std::to_string(i) + ".bin",
         "Content-Transfer-Encoding: base64", "", "QUJD"});
  }
  lines.push_back("--p--");
  TMailMessage m;
  EXPECT_LT(TimeOf([&] { SetRawMail(m, TLineList(lines)); }), kQuick);
  ASSERT_EQ(m.AttachedFiles.Count(), 5000u);
  EXPECT_EQ(m.AttachedFiles[4999].FileName, "f4999.bin");
  EXPECT_EQ(m.AttachedFiles[4999].BodyBytes(), "ABC");
}

// Received names of 300 bytes and more are stored under a shortened name that the file
// system takes, in the folder they were meant for, keeping their extension.
TEST(HostileMail, OverLongAttachmentNamesAreSavedShortened) {
  const std::string kanji = Repeat(Utf8ToCp932("表"), 100);  // 300 bytes in UTF-8
  struct Case {
    const char* name;
    std::string header;
    std::string start;
  } cases[] = {
      {"ASCII", "name=\"" + std::string(300, 'a') + ".csv\"", "aaaa"},
      {"encoded Japanese",
       "name=\"=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(kanji) + "\x1B(J") + "?=.csv\"",
       "表表"},
      {"path delimiters", "name=\"" + Repeat("../", 100) + "x.csv\"", "...."},
      {"a megabyte", "name=\"" + std::string(1 << 20, 'm') + ".csv\"", "mmmm"},
  };
  mailtest::TempDir dir;
  const fs::path incoming = dir.Path() / "incoming";
  fs::create_directory(incoming);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMailMessage m;
    SetRawMail(m, TLineList({"Content-Type: multipart/mixed; boundary=z", "", "--z",
                             "Content-Type: text/csv; " + c.header,
                             "Content-Transfer-Encoding: base64", "", "QUJD", "--z--"}));
    ASSERT_EQ(m.AttachedFiles.Count(), 1u);
    const std::string& name = m.AttachedFiles[0].FileName;
    EXPECT_LE(name.size(), size_t{NAME_MAX});
    EXPECT_TRUE(name.starts_with(c.start)) << name;
    EXPECT_TRUE(name.ends_with(".csv")) << name;
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(name)), name);  // not cut inside a character
    const fs::path path = incoming / name;
    EXPECT_EQ(path.parent_path(), incoming);
    ASSERT_NO_THROW(m.AttachedFiles[0].SaveToFile(path));
    EXPECT_EQ(ReadFileBytes(path), "ABC");
  }
}

}  // namespace
}  // namespace moriva
