#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/VexPOP3Reply.h"

namespace moriva {
namespace {

// Hands out prepared chunks, one per receive, then reports the end it was given.
class TChunkSource : public TByteSource {
 public:
  TChunkSource(std::vector<std::string> chunks, TIoResult end = TIoResult::ioClosed)
      : chunks_(std::move(chunks)), end_(end) {}
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override {
    received = 0;
    if (next_ == chunks_.size()) return end_;
    std::string& chunk = chunks_[next_];
    received = std::min(capacity, chunk.size());
    chunk.copy(buffer, received);
    chunk.erase(0, received);
    if (chunk.empty()) ++next_;
    return TIoResult::ioOk;
  }

 private:
  std::vector<std::string> chunks_;
  size_t next_ = 0;
  TIoResult end_;
};

// The ways a stream is cut for the reader: whole, in two at every offset, byte by byte.
std::vector<std::vector<std::string>> Cuts(const std::string& bytes) {
  std::vector<std::vector<std::string>> cuts{{bytes}};
  for (size_t at = 1; at < bytes.size(); ++at)
    cuts.push_back({bytes.substr(0, at), bytes.substr(at)});
  std::vector<std::string> single;
  for (char c : bytes) single.emplace_back(1, c);
  cuts.push_back(single);
  return cuts;
}

TEST(Pop3StatusTest, FirstLineIsJudged) {
  struct Case {
    const char* line;
    const char* status;
    const char* text;
    bool error;
  } cases[] = {
      {"+OK 2 320", "+OK", "2 320", false},
      {"-ERR no such message", "-ERR", "no such message", true},
      {"+OK", "+OK", "", false},
      {"-ERR", "-ERR", "", true},
      {"+OK   padded text  ", "+OK", "padded text", false},
      {"-ERRx", "-ERR", "x", true},
      {"", "", "", false},
      {"* odd", "* od", "d", false},  // unknown statuses count as success, as they always did
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TPop3Status s = ParsePop3Status(c.line);
    EXPECT_EQ(s.Status, c.status);
    EXPECT_EQ(s.Text, c.text);
    EXPECT_EQ(s.Error, c.error);
  }
}

TEST(Pop3NumberTest, WordsOfReplyTexts) {
  struct Case {
    const char* text;
    int word;
    int32_t fallback;
    int32_t expected;
  } cases[] = {
      {"2 320", 1, 0, 2},
      {"2 320", 2, 100, 320},
      {"1", 2, 100, 100},
      {"", 1, 0, 0},
      {"1 (120)", 2, 100, 120},
      {"{7} messages", 1, 0, 7},
      {"1  120", 2, 100, 100},
      {"  3 99  ", 2, 0, 99},
      {"x 5", 1, 0, 0},
      {"1 120 octets", 2, 100, 120},
      {"1\r\n120", 2, 100, 120},
      {"1 -5", 2, 100, -5},
      {"1 99999999999", 2, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Pop3Number(c.text, c.word, c.fallback), c.expected);
  }
}

TEST(ApopTest, TimeStampAndDigest) {
  struct Case {
    const char* greeting;
    const char* stamp;
  } cases[] = {
      {"<1896.697170952@dbc.mtview.ca.us>", "<1896.697170952@dbc.mtview.ca.us>"},
      {"Dovecot (Debian) ready. <1a.2b.3c@host>", "<1a.2b.3c@host>"},
      {"ready <a@b> and <c@d>", "<a@b>"},
      {"ready > <x@y>", "<x@y>"},
      {"POP3 server ready", ""},
      {"ready <unclosed", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.greeting);
    EXPECT_EQ(ApopTimeStamp(c.greeting), c.stamp);
  }
  // md5sum of "<1896.697170952@dbc.mtview.ca.us>tanstaafl".
  EXPECT_EQ(ApopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaafl"),
            "a6f0dd348916c9ee9539661f94c75203");
}

struct ReceptionCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
  TLineResult result;
};

TEST(ReceiveMultiLineTest, AnyCutGivesTheSameLines) {
  const ReceptionCase cases[] = {
      {"plain", "a\r\nb\r\n.\r\n", {"a", "b"}, TLineResult::lrLine},
      {"empty listing", ".\r\n", {}, TLineResult::lrLine},
      {"stuffed", "..\r\n...x\r\n.a\r\nb.\r\n.\r\n", {".", "..x", "a", "b."}, TLineResult::lrLine},
      {"stuffed last line", "x\r\n..\r\n.\r\n", {"x", "."}, TLineResult::lrLine},
      {"empty lines kept",
       "h: v\r\n\r\n\r\nbody\r\n.\r\n",
       {"h: v", "", "", "body"},
       TLineResult::lrLine},
      {"bare line feeds", "a\nb\n.\n", {"a", "b"}, TLineResult::lrLine},
      {"dot with blank is text", ". \r\n.\r\n", {" "}, TLineResult::lrLine},
      {"nothing after the end is read", "a\r\n.\r\n+OK next\r\n", {"a"}, TLineResult::lrLine},
      {"closed before the end", "a\r\nb\r\n", {"a", "b"}, TLineResult::lrClosed},
      {"closed in the terminator", "a\r\n.", {"a"}, TLineResult::lrClosed},
  };
  for (const ReceptionCase& c : cases) {
    for (const auto& cut : Cuts(c.bytes)) {
      SCOPED_TRACE(std::string(c.name) + ", pieces " + std::to_string(cut.size()) + ", first " +
                   std::to_string(cut[0].size()));
      TChunkSource source(cut);
      TLineReader reader(source, 7);
      std::vector<std::string> lines;
      EXPECT_EQ(ReceiveMultiLine(reader, lines, 1 << 20, nullptr), c.result);
      EXPECT_EQ(lines, c.lines);
    }
  }
}

TEST(ReceiveMultiLineTest, TurnAndBound) {
  const std::string bytes = "one\r\ntwo\r\n.\r\n";
  {
    SCOPED_TRACE("a turn that says stop before the end cancels");
    TChunkSource source({bytes});
    TLineReader reader(source);
    std::vector<std::string> lines;
    int turns = 0;
    EXPECT_EQ(ReceiveMultiLine(reader, lines, 1000, [&] { return ++turns < 2; }),
              TLineResult::lrCancelled);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  }
  {
    SCOPED_TRACE("a complete reply is taken even when the last turn says stop");
    TChunkSource source({bytes});
    TLineReader reader(source);
    std::vector<std::string> lines;
    int turns = 0;
    EXPECT_EQ(ReceiveMultiLine(reader, lines, 1000, [&] { return ++turns < 3; }),
              TLineResult::lrLine);
    EXPECT_EQ(turns, 3);
  }
  {
    SCOPED_TRACE("a reply over the bound stops; lines count with CR LF");
    for (size_t bound : {9, 10}) {
      TChunkSource source({bytes});
      TLineReader reader(source);
      std::vector<std::string> lines;
      EXPECT_EQ(ReceiveMultiLine(reader, lines, bound, nullptr),
                bound == 10 ? TLineResult::lrLine : TLineResult::lrTooLong);
    }
  }
  {
    SCOPED_TRACE("a silent peer ends in the source's time-out");
    TChunkSource source({"one\r\n"}, TIoResult::ioTimedOut);
    TLineReader reader(source);
    std::vector<std::string> lines;
    EXPECT_EQ(ReceiveMultiLine(reader, lines, 1000, nullptr), TLineResult::lrTimedOut);
  }
}

TEST(CountingSourceTest, CountsAndShowsEveryChunk) {
  TChunkSource inner({"abc", "de", "fghij"});
  TCountingSource tap(inner);
  std::string seen;
  tap.OnChunk = [&](std::string_view chunk) { seen += std::string(chunk) + "|"; };
  char buf[4];
  size_t n = 0;
  while (tap.Receive(buf, sizeof buf, n) == TIoResult::ioOk) {
  }
  EXPECT_EQ(seen, "abc|de|fghi|j|");
  EXPECT_EQ(tap.Bytes(), 10u);
  EXPECT_EQ(tap.Chunks(), 4u);
}

}  // namespace
}  // namespace moriva
