#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/Pop3Reply.h"

namespace moriva {
namespace {

// Hands out a byte stream cut before the given offsets (ascending), one piece per receive,
// then reports the end it was given.
class TCutSource : public TByteSource {
 public:
  TCutSource(std::string bytes, std::vector<size_t> cuts, TIoResult end = TIoResult::ioClosed)
      : bytes_(std::move(bytes)), cuts_(std::move(cuts)), end_(end) {
    cuts_.push_back(bytes_.size());
  }
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override {
    while (next_ < cuts_.size() && cuts_[next_] <= pos_) ++next_;
    if (pos_ == bytes_.size()) {
      received = 0;
      return end_;
    }
    received = bytes_.copy(buffer, std::min(capacity, cuts_[next_] - pos_), pos_);
    pos_ += received;
    return TIoResult::ioOk;
  }

 private:
  std::string bytes_;
  std::vector<size_t> cuts_;
  TIoResult end_;
  size_t pos_ = 0, next_ = 0;
};

// The ways a stream is cut: not at all, in two at every offset, before every byte.
std::vector<std::vector<size_t>> Cuts(size_t size) {
  std::vector<std::vector<size_t>> cuts{{}};
  std::vector<size_t> every;
  for (size_t at = 1; at < size; ++at) {
    cuts.push_back({at});
    every.push_back(at);
  }
  cuts.push_back(every);
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
      // Only "+OK" accepts: anything else the client cannot read is no acceptance.
      {"", "", "", true},
      {"* odd", "* od", "d", true},
      {"+OKAY", "+OKA", "Y", true},
      {"+ok", "+ok", "", true},
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
    for (const auto& cut : Cuts(c.bytes.size())) {
      SCOPED_TRACE(std::string(c.name) + ", cuts " + std::to_string(cut.size()) + ", first " +
                   std::to_string(cut.empty() ? 0 : cut[0]));
      TCutSource source(c.bytes, cut);
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
    TCutSource source(bytes, {});
    TLineReader reader(source);
    std::vector<std::string> lines;
    int turns = 0;
    EXPECT_EQ(ReceiveMultiLine(reader, lines, 1000, [&] { return ++turns < 2; }),
              TLineResult::lrCancelled);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  }
  {
    SCOPED_TRACE("a complete reply is taken even when the last turn says stop");
    TCutSource source(bytes, {});
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
      TCutSource source(bytes, {});
      TLineReader reader(source);
      std::vector<std::string> lines;
      EXPECT_EQ(ReceiveMultiLine(reader, lines, bound, nullptr),
                bound == 10 ? TLineResult::lrLine : TLineResult::lrTooLong);
    }
  }
  {
    SCOPED_TRACE("the memory the lines take held has a bound of its own");
    for (size_t bound : {2 * HeldLineCost(3) - 1, 2 * HeldLineCost(3)}) {
      TCutSource source(bytes, {});
      TLineReader reader(source);
      std::vector<std::string> lines;
      TReplyBudget budget{.MaxBytes = 1000, .MaxMemory = bound};
      const bool over = bound < 2 * HeldLineCost(3);
      EXPECT_EQ(ReceiveMultiLine(reader, lines, budget, nullptr),
                over ? TLineResult::lrTooLong : TLineResult::lrLine);
      EXPECT_EQ(budget.OverMemory, over);
    }
  }
  {
    SCOPED_TRACE("a silent peer ends in the source's time-out");
    TCutSource source("one\r\n", {}, TIoResult::ioTimedOut);
    TLineReader reader(source);
    std::vector<std::string> lines;
    EXPECT_EQ(ReceiveMultiLine(reader, lines, 1000, nullptr), TLineResult::lrTimedOut);
  }
}

TEST(CountingSourceTest, CountsAndShowsEveryChunk) {
  TCutSource inner("abcdefghij", {3, 5});
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
