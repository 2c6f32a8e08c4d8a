#include "mail/MD5.h"

#include <gtest/gtest.h>

#include <string>

using namespace moriva;

namespace {

struct Vector {
  std::string input;
  const char* hex;
};

const Vector kVectors[] = {
    // RFC 1321 test suite.
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    // Padding that just fits, that spills into a second block, and whole blocks.
    {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
    {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
    {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
    {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
    {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
    {std::string(119, 'a'), "8a7bd0732ed6a28ce75f6dabc90e1613"},
    {std::string(120, 'a'), "5f61c0ccad4cac44c75ff505e1f1e537"},
    {std::string(128, 'a'), "e510683b3f5ffe4093d021808bc6ff70"},
};

}  // namespace

TEST(MD5, VectorsWholeAndInPieces) {
  for (const auto& v : kVectors) {
    SCOPED_TRACE(v.input.size());
    EXPECT_EQ(MD5Hex(v.input), v.hex);
    TMD5 bytewise;
    for (char c : v.input) bytewise.Update(&c, 1);
    EXPECT_EQ(bytewise.HexString(), v.hex);
    // Every split into two pieces goes through the block buffer differently.
    for (size_t cut = 0; cut <= v.input.size(); cut += 7) {
      TMD5 two;
      two.Update(std::string_view(v.input).substr(0, cut));
      two.Update(std::string_view(v.input).substr(cut));
      EXPECT_EQ(two.HexString(), v.hex) << "cut at " << cut;
    }
  }
}

TEST(MD5, MillionAs) {
  TMD5 md5;
  std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) md5.Update(chunk);
  EXPECT_EQ(md5.HexString(), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(MD5, BytesAndRangeError) {
  TMD5 md5;
  EXPECT_EQ(md5.DigestSize(), 16);
  EXPECT_EQ(md5.Description(), "Message Digest 5 (MD5)");
  // d41d8cd9...: the first chaining value, least significant byte first.
  EXPECT_EQ(md5.Bytes(0), 0xd4);
  EXPECT_EQ(md5.Bytes(3), 0xd9);
  EXPECT_EQ(md5.Bytes(15), 0x7e);
  for (int bad : {16, -1, 1000}) {
    SCOPED_TRACE(bad);
    try {
      md5.Bytes(bad);
      ADD_FAILURE() << "no range error";
    } catch (const ERangeError& e) {
      EXPECT_STREQ(e.what(), "Call to TMD5.GetByte [property Bytes] with index <> [0..15]");
    }
  }
}

TEST(MD5, ReadingKeepsTheRunningState) {
  TMD5 md5;
  md5.Update("ab");
  EXPECT_FALSE(md5.Finalized());
  EXPECT_EQ(md5.HexString(), MD5Hex("ab"));
  EXPECT_TRUE(md5.Finalized());
  EXPECT_EQ(md5.HexString(), MD5Hex("ab"));  // a second read gives the same
  md5.Update("c");
  EXPECT_EQ(md5.HexString(), "900150983cd24fb0d6963f7d28e17f72");
  md5.Reset();
  EXPECT_FALSE(md5.Finalized());
  EXPECT_EQ(md5.HexString(), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(MD5, UsableThroughTheBase) {
  TMD5 md5;
  TBasicCheckSum& sum = md5;
  sum.Update("abc", 3);
  EXPECT_EQ(sum.HexString(), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_THROW(sum.GetByte(16), ERangeError);
}
