#include "mail/MimeHeader.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/Cp932.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;

namespace {

std::string EncodedWord(std::string_view sjis) {
  return "=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(sjis)) + "?=";
}

TEST(FindHeader, UnfoldsAndStopsAtTheFirstEmptyLine) {
  std::vector<std::string> lines = {
      "",        "",    "Subject: one",         " two ", "\t three",
      "To: a@b", "   ", "X-Late: after blanks", "",      "X-Body: not a header"};
  EXPECT_EQ(FindHeader("SUBJECT:", lines), "Subject: onetwothree");
  EXPECT_EQ(FindHeader("TO:", lines), "To: a@b");
  // A line of blanks is not the end of the block, a line of length 0 is.
  EXPECT_EQ(FindHeader("X-LATE:", lines), "X-Late: after blanks");
  EXPECT_EQ(FindHeader("X-BODY:", lines), std::nullopt);
  EXPECT_EQ(FindHeader("CC:", lines), std::nullopt);
  std::vector<std::string> lower = {"content-TYPE: text/html"};
  EXPECT_EQ(FindHeader("CONTENT-TYPE:", lower), "content-TYPE: text/html");
  EXPECT_EQ(FindHeader("CONTENT-TYPE:", TLineSpan()), std::nullopt);
}

TEST(HeaderValue, TakesTheTextAfterTheKeyUpToASemicolon) {
  struct Case {
    std::string key, line, value;
  } cases[] = {
      {"SUBJECT:", "Subject:  Meeting; room 3 ", "Meeting"},
      {"SUBJECT:", "Subject:", ""},
      {"CONTENT-TYPE:", "Content-Type: Text/Plain ; charset=x", "Text/Plain"},
      {"NAME", "Content-Type: text/csv; name=\"A.CSV\"", "=\"A.CSV\""},
      {"NAME", "Content-Type: text/csv", ""},
      {"BOUNDARY", "x; boundary=abc; y", "=abc"},
      {"SUBJECT:", "Subject: \x1B$BM=Dj\x1B(B ", "\x1B$BM=Dj\x1B(B"},  // keeps its escape
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(HeaderValue(c.key, c.line), c.value);
  }
}

TEST(AddressText, QuotesNamesAndAddresses) {
  struct Case {
    std::string in, quotes, name, address;
  } cases[] = {
      {"Taro Yamada <taro@example.jp>", "Taro Yamada <taro@example.jp>", "\"Taro Yamada\"",
       "<taro@example.jp>"},
      {"taro@example.jp (Taro)", "taro@example.jp (Taro)", "\"Taro\"", "<taro@example.jp>"},
      {"'x'", "x", "\"x\"", "<'x'>"},
      {"\"a\" <b> <c>", "a\" <b> <c>", "\"a  <c>\"", "<b>"},
      {"(c1) a@b (c2) ", "(c1) a@b (c2) ", "\"c1\"", "<a@b>"},
      {"", "", "\"\"", "<>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(StripQuotes(c.in), c.quotes);
    EXPECT_EQ(DisplayNameOf(c.in), c.name);
    EXPECT_EQ(AddressOf(c.in), c.address);
  }
}

TEST(NormalizeAddressList, GivesQuotedNamesAndBracketedAddresses) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"Taro <taro@example.jp>, hana@example.jp",
       "\"Taro\" <taro@example.jp>, \"hana@example.jp\" <hana@example.jp>"},
      // A quoted name is dropped, so a comma inside it does not split the list.
      {"\"Yamada, Taro\" <taro@example.jp>", "\"\" <taro@example.jp>"},
      {"a@b,", "\"a@b\" <a@b>, \"\" <>"},
      {"  ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(NormalizeAddressList(c.in), c.out);
  }
}

TEST(NormalizeAddressList, DecodesAnEncodedNameWhole) {
  // "あぜ" in JIS holds the bytes of a double quote and of "<"; the name must come through
  // whole, as CP932 text.
  std::string jis = SjisToJis(Utf8ToCp932("あぜ"));
  ASSERT_NE(jis.find('"'), std::string::npos);
  std::string list = EncodedWord(Utf8ToCp932("あぜ")) + " <aze@example.jp>";
  EXPECT_EQ(NormalizeAddressList(list), "\"" + Utf8ToCp932("あぜ") + "\" <aze@example.jp>");
}

TEST(BoundaryOf, ReadsQuotedAndPlainValues) {
  std::string seventy(70, 'b');
  struct Case {
    std::string line, delimiter;
  } cases[] = {
      {"Content-Type: multipart/mixed; boundary=\"--_VEX_bound_abc\"", "----_VEX_bound_abc"},
      {"Content-Type: multipart/mixed; BOUNDARY = xyz ; charset=a", "--xyz"},
      {"Content-Type: multipart/mixed; boundary=\"a;b\"", "--a"},
      {"Content-Type: multipart/mixed; boundary=\"" + seventy + "\"", "--" + seventy},
      {"Content-Type: multipart/mixed; boundary=" + seventy + "cdef", "--" + seventy + "c"},
      {"Content-Type: multipart/mixed; boundary=", "--"},
      {"Content-Type: multipart/mixed", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(BoundaryOf(c.line), c.delimiter);
  }
}

TEST(StripHeaderBlock, DropsHeadersAndTheBlankLinesAfterThem) {
  std::vector<std::string> lines = {"A: 1", "B: 2", "", " \t", "body", "", "more"};
  TLineSpan rest = StripHeaderBlock(lines);
  EXPECT_EQ(std::vector<std::string>(rest.begin(), rest.end()),
            (std::vector<std::string>{"body", "", "more"}));
  std::vector<std::string> only = {"A: 1"};
  EXPECT_TRUE(StripHeaderBlock(only).empty());
  std::vector<std::string> none = {"", "body"};
  EXPECT_EQ(StripHeaderBlock(none).size(), 1u);
}

TEST(GetPartInfo, ReadsTypeNameAndEncoding) {
  struct Case {
    std::vector<std::string> lines;
    std::string type, name, encoding;
  } cases[] = {
      {{"", "body"}, "TEXT/PLAIN", "", "7BIT"},
      {{"Content-Type: text/csv; name=\"SCHEDULE.CSV\"", "Content-Transfer-Encoding: Base64"},
       "TEXT/CSV",
       "SCHEDULE.CSV",
       "BASE64"},
      {{"Content-Type: application/octet-stream", "Content-Disposition: attachment;",
        "  filename='x.csv'"},
       "APPLICATION/OCTET-STREAM",
       "x.csv",
       "7BIT"},
      {{"content-type: IMAGE/JPEG; name = \" a b.jpg \""}, "IMAGE/JPEG", "a b.jpg", "7BIT"},
      {{"Content-Type: text/plain", "Content-Disposition: attachment"}, "TEXT/PLAIN", "", "7BIT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    TPartInfo info = GetPartInfo(c.lines);
    EXPECT_EQ(info.ContentType, c.type);
    EXPECT_EQ(info.FileName, c.name);
    EXPECT_EQ(info.Encoding, c.encoding);
  }
}

TEST(GetPartInfo, DecodesAnEncodedNameIntoUtf8) {
  std::vector<std::string> lines = {"Content-Type: text/csv; name=\"" +
                                    EncodedWord(Utf8ToCp932("予定.csv")) + "\""};
  EXPECT_EQ(GetPartInfo(lines).FileName, "予定.csv");
}

}  // namespace
