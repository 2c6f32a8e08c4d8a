// The base64 streams against coreutils base64.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mail/Attachment.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;
using moriva::oracle::RunTool;
using moriva::oracle::ShellQuote;
using moriva::oracle::TempDir;

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

std::string Encode(const std::string& data) {
  TMemoryStream out;
  {
    TBase64EncodingStream enc(out);
    enc.Write(data);
  }
  return out.Bytes();
}

std::string Decode(const std::string& text) {
  TMemoryStream out;
  TBase64DecodingStream(out).Write(text);
  return out.Bytes();
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
    s.replace(at, from.size(), to);
  return s;
}

const size_t kSizes[] = {0, 1, 2, 3, 56, 57, 58, 114, 1000, 4096, 100003};

}  // namespace

TEST(Base64Oracle, EncodingAgreesWithCoreutils) {
  TempDir dir;
  for (size_t n : kSizes) {
    SCOPED_TRACE(n);
    std::string data = RandomBytes(n, static_cast<unsigned>(n) + 1);
    std::string file = dir.Write("data.bin", data);
    std::string ours = Encode(data);
    // Joined, the text is coreutils' unwrapped output.
    EXPECT_EQ(Replace(ours, "\r\n", ""), RunTool("base64 -w0 " + ShellQuote(file)));
    // coreutils also wraps at 76 characters; it ends every line with LF, the last one too.
    std::string wrapped = RunTool("base64 -w76 " + ShellQuote(file));
    std::string expected = Replace(ours, "\r\n", "\n");
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    EXPECT_EQ(expected, wrapped);
  }
}

TEST(Base64Oracle, DecodingAgreesWithCoreutils) {
  TempDir dir;
  for (size_t n : kSizes) {
    SCOPED_TRACE(n);
    std::string data = RandomBytes(n, static_cast<unsigned>(n) + 2);
    // coreutils decodes our lines (CR LF included once the CRs are gone) ...
    std::string ours = Encode(data);
    std::string file = dir.Write("ours.txt", Replace(ours, "\r\n", "\n"));
    EXPECT_EQ(RunTool("base64 -d " + ShellQuote(file)), data);
    // ... and we decode coreutils' text, wrapped at any width.
    std::string raw = dir.Write("data.bin", data);
    EXPECT_EQ(Decode(RunTool("base64 -w64 " + ShellQuote(raw))), data);
    EXPECT_EQ(Decode(RunTool("base64 " + ShellQuote(raw))), data);
  }
}
