#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mail/LineReader.h"
#include "tests/mail/ChunkSource.h"

namespace moriva {
namespace {

std::vector<std::string> ReadAll(TByteSource& source, TLineResult& end, size_t chunk = 16384) {
  TLineReader reader(source, chunk);
  std::vector<std::string> lines;
  std::string line;
  while ((end = reader.ReadLine(line)) == TLineResult::lrLine) lines.push_back(line);
  return lines;
}

TEST(LineReaderTest, SameLinesWhereverTheStreamIsCut) {
  const std::string stream = "220-first\r\n220-\r\n\r\n220 last line\r\nbare LF\nmid\rCR\r\ntail";
  const std::vector<std::string> expected = {"220-first",     "220-",    "",
                                             "220 last line", "bare LF", "mid\rCR"};
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    ChunkSource source({stream.substr(0, cut), stream.substr(cut)});
    TLineResult end;
    EXPECT_EQ(ReadAll(source, end), expected);
    EXPECT_EQ(end, TLineResult::lrClosed);  // "tail" never got its line end
  }
  std::vector<std::string> bytes;
  for (char c : stream) bytes.emplace_back(1, c);
  ChunkSource one_by_one(bytes);
  TLineResult end;
  EXPECT_EQ(ReadAll(one_by_one, end, 1), expected);
}

TEST(LineReaderTest, EndsOfTheSourceAreReported) {
  struct Case {
    TIoResult source_end;
    TLineResult expected;
  } cases[] = {
      {TIoResult::ioClosed, TLineResult::lrClosed},
      {TIoResult::ioTimedOut, TLineResult::lrTimedOut},
      {TIoResult::ioCancelled, TLineResult::lrCancelled},
  };
  for (const Case& c : cases) {
    ChunkSource source({"+OK one\r\n+OK tw"}, c.source_end);
    TLineResult end;
    EXPECT_EQ(ReadAll(source, end), std::vector<std::string>{"+OK one"});
    EXPECT_EQ(end, c.expected);
    // The user reads it in an error box beside Japanese messages: it must not be English.
    const std::string text = LineFailureText(end);
    EXPECT_TRUE(std::ranges::any_of(text, [](char ch) { return (ch & 0x80) != 0; })) << text;
  }
}

TEST(LineReaderTest, EndlessLineIsStopped) {
  std::vector<std::string> chunks(100, std::string(1000, 'a'));
  chunks.push_back("\r\n");
  ChunkSource source(chunks);
  TLineReader reader(source, 512);
  reader.MaxLineLength = 10000;
  std::string line;
  EXPECT_EQ(reader.ReadLine(line), TLineResult::lrTooLong);
}

}  // namespace
}  // namespace moriva
