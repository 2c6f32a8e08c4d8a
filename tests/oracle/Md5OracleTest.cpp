// TMD5 against coreutils md5sum.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "mail/MD5.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;
using moriva::oracle::RunTool;
using moriva::oracle::ShellQuote;
using moriva::oracle::TempDir;

namespace {

// Deterministic bytes of every value (a small linear congruential generator).
std::string PseudoRandomBytes(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (char& c : s) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

}  // namespace

TEST(Md5Oracle, EveryLengthUpTo1000) {
  TempDir dir;
  const std::string data = PseudoRandomBytes(1000, 7);
  for (size_t n = 0; n <= 1000; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "in%04zu", n);
    dir.Write(name, std::string_view(data).substr(0, n));
  }
  // One run over all files; md5sum writes "<hex>  <name>" in the order given.
  std::istringstream lines(RunTool("cd " + ShellQuote(dir.Path().string()) + " && md5sum in*"));
  std::string line;
  size_t n = 0;
  for (; std::getline(lines, line); ++n) {
    SCOPED_TRACE(n);
    ASSERT_LE(n, 1000u);
    ASSERT_EQ(line.size(), 32u + 2 + 6);
    EXPECT_EQ(line.substr(34),
              "in" + std::string(4 - std::to_string(n).size(), '0') + std::to_string(n));
    EXPECT_EQ(MD5Hex(std::string_view(data).substr(0, n)), line.substr(0, 32));
  }
  EXPECT_EQ(n, 1001u);
}

TEST(Md5Oracle, LargeInputsFedInOddPieces) {
  TempDir dir;
  for (size_t size : {size_t{1} << 20, (size_t{5} << 20) + 13, (size_t{16} << 20) - 1}) {
    SCOPED_TRACE(size);
    const std::string data = PseudoRandomBytes(size, static_cast<uint32_t>(size));
    std::string file = dir.Write("large.bin", data);
    std::string expected = RunTool("md5sum " + ShellQuote(file)).substr(0, 32);
    TMD5 md5;
    for (size_t at = 0, piece = 1; at < size; at += piece, piece = piece * 3 % 100003 + 1)
      md5.Update(std::string_view(data).substr(at, piece));
    EXPECT_EQ(md5.HexString(), expected);
  }
}
