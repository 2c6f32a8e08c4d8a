#include "mail/CodecStreams.h"

#include <gtest/gtest.h>

#include "tests/mail/MailTestTools.h"

using namespace moriva;
using mailtest::RandomBytes;

namespace {

// Writes `data` in pieces of the given size (0 = all at once) and finishes.
std::string Encode(const std::string& data, size_t piece = 0) {
  TMemoryStream out;
  TBase64EncodingStream enc(out);
  if (piece == 0) piece = data.size() + 1;
  for (size_t i = 0; i < data.size(); i += piece) enc.Write(data.substr(i, piece));
  enc.Finish();
  return out.Bytes();
}

std::string Decode(const std::string& text, size_t piece = 0) {
  TMemoryStream out;
  TBase64DecodingStream dec(out);
  if (piece == 0) piece = text.size() + 1;
  size_t produced = 0;
  for (size_t i = 0; i < text.size(); i += piece) produced += dec.Write(text.substr(i, piece));
  EXPECT_EQ(produced, out.Bytes().size());
  return out.Bytes();
}

// A destination that refuses every write.
class BrokenStream : public TStream {
 public:
  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void*, size_t) override { throw EStreamError("disk full"); }
  int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
};

}  // namespace

TEST(Base64EncodingStream, LineLayout) {
  struct Case {
    size_t bytes;
    std::vector<size_t> lines;  // lengths of the lines
    bool final_crlf;
  } cases[] = {
      {0, {}, false},   {1, {4}, false},      {2, {4}, false},       {3, {4}, false},
      {57, {76}, true}, {58, {76, 4}, false}, {114, {76, 76}, true}, {115, {76, 76, 4}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::string text = Encode(RandomBytes(c.bytes));
    std::vector<size_t> lengths;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lengths.push_back(end - start);
      start = end + 2;
    }
    EXPECT_EQ(lengths, c.lines);
    EXPECT_EQ(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n", c.final_crlf);
  }
  EXPECT_EQ(Encode("M"), "TQ==");
  EXPECT_EQ(Encode("Ma"), "TWE=");
  EXPECT_EQ(Encode("Man"), "TWFu");
  EXPECT_EQ(Encode("\xFB\xFF"), "+/8=");
}

TEST(Base64EncodingStream, PiecesGiveTheSameText) {
  for (size_t n : {0, 1, 2, 56, 57, 58, 170, 171, 1000, 5000}) {
    std::string data = RandomBytes(n, static_cast<unsigned>(n));
    std::string whole = Encode(data);
    for (size_t piece : {1, 2, 3, 4, 5, 56, 57, 58, 1024}) {
      SCOPED_TRACE(testing::Message() << n << " bytes in pieces of " << piece);
      EXPECT_EQ(Encode(data, piece), whole);
    }
    EXPECT_EQ(Decode(whole), data);
  }
}

TEST(Base64EncodingStream, LargeWriteCrossesOutputBlocks) {
  std::string data = RandomBytes(100000, 7);
  std::string text = Encode(data);
  EXPECT_EQ(Encode(data, 4097), text);
  EXPECT_EQ(Decode(text), data);
  EXPECT_EQ(Decode(text, 1), data);
}

TEST(Base64EncodingStream, StreamOperations) {
  TMemoryStream out;
  TBase64EncodingStream enc(out);
  EXPECT_EQ(enc.Write("abcde"), 5u);
  EXPECT_EQ(enc.Position(), 5);
  EXPECT_EQ(enc.Seek(0, soEnd), 5);
  EXPECT_EQ(enc.Seek(5, soBeginning), 5);
  char c;
  EXPECT_THROW(
      {
        try {
          enc.Read(&c, 1);
        } catch (const EStreamError& e) {
          EXPECT_STREQ(e.what(), "Invalid stream operation");
          throw;
        }
      },
      EStreamError);
  EXPECT_THROW(enc.Seek(0, soBeginning), EStreamError);
  EXPECT_THROW(enc.Seek(1, soCurrent), EStreamError);
  EXPECT_THROW(enc.Seek(-1, soEnd), EStreamError);
  enc.Finish();
  EXPECT_EQ(out.Bytes(), "YWJjZGU=");
  EXPECT_THROW(enc.Write("x"), EStreamError);
}

TEST(Base64EncodingStream, DestructorWritesFinalGroup) {
  TMemoryStream out;
  { TBase64EncodingStream(out).Write("ab"); }
  EXPECT_EQ(out.Bytes(), "YWI=");
}

TEST(Base64EncodingStream, DestinationFailureIsReported) {
  BrokenStream broken;
  TBase64EncodingStream enc(broken);
  EXPECT_THROW(enc.Write(RandomBytes(300)), EStreamError);
  TBase64DecodingStream dec(broken);
  EXPECT_THROW(dec.Write("QUJD"), EStreamError);
}

TEST(Base64DecodingStream, Groups) {
  struct Case {
    std::string text;
    std::string bytes;
  } cases[] = {
      {"TWFu", "Man"},
      {"TWE=", "Ma"},
      {"TQ==", "M"},
      {"TQ=", ""},   // an incomplete group waits and is never finished
      {"=QUJ", ""},  // first value "=": nothing
      {"TW\r\nFu", "Man"},
      {"\r\n\r\nTWFu\r\n", "Man"},
      {"TQ==TWFu", "MMan"},
      // Characters outside the alphabet carry no bits: a trailing blank, a tab, a stray byte.
      {"TWFu \r\nTWFu\t\r\n", "ManMan"},
      {"T*W\x80"
       "Fu",
       "Man"},
      {"+/8=", "\xFB\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Decode(c.text), c.bytes);
    EXPECT_EQ(Decode(c.text, 1), c.bytes);
  }
}

TEST(Base64DecodingStream, CountsAndStreamOperations) {
  TMemoryStream out;
  TBase64DecodingStream dec(out);
  EXPECT_EQ(dec.Write("QU"), 0u);
  EXPECT_EQ(dec.PendingCount(), 2u);
  EXPECT_EQ(dec.Write("JDRA=="), 4u);
  EXPECT_EQ(out.Bytes(), "ABCD");
  char c;
  EXPECT_THROW(dec.Read(&c, 1), EStreamError);
  EXPECT_THROW(dec.Seek(0, soCurrent), EStreamError);
}

TEST(MemoryStream, ReadWriteSeek) {
  TMemoryStream m;
  m.Write("hello");
  m.Seek(1, soBeginning);
  m.Write("EL");
  EXPECT_EQ(m.Bytes(), "hELlo");
  m.Seek(2, soEnd);
  m.Write("!");
  EXPECT_EQ(m.Bytes(), std::string("hELlo\0\0!", 8));
  m.Seek(0, soBeginning);
  char buf[4];
  EXPECT_EQ(m.Read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "hELl");
  m.Seek(100, soBeginning);
  EXPECT_EQ(m.Read(buf, 4), 0u);
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(m.TakeBytes(), "hE");
  EXPECT_EQ(m.Size(), 0);
}
