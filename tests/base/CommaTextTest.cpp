#include "base/CommaText.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

using moriva::JoinCommaText;
using moriva::SplitCommaText;
using moriva::Utf8ToCp932;
using Fields = std::vector<std::string>;

TEST(SplitCommaText, Table) {
  struct Case {
    std::string text;
    Fields fields;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"a,b,c", {"a", "b", "c"}},
      {"a,,c", {"a", "", "c"}},
      {"a,", {"a", ""}},
      {"a, ", {"a"}},  // the comma is not the last character: no final empty field
      {",a", {"", "a"}},
      {"a b", {"a", "b"}},  // a blank outside quotes separates as a comma does
      {"  a ,  b", {"a", "b"}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}},  // no closing quote: the rest of the text
      {"\"\"", {""}},
      {"\"ab\"cd,e", {"ab", "cd", "e"}},
      {std::string("a,b\0,c", 6), {"a", "b"}},  // NUL ends the text
      {"\t1,\n2", {"1", "2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitCommaText(c.text), c.fields);
  }
}

TEST(SplitCommaText, TrailBytesAreNeverSeparators) {
  // 表 (95 5C), ソ (83 5C), ポ (83 7C): trail bytes that look like ASCII.
  for (const char* word : {"表", "ソ", "ポ", "表示ソフトポ"}) {
    std::string w = Utf8ToCp932(word);
    SCOPED_TRACE(word);
    EXPECT_EQ(SplitCommaText(w + "," + w), (Fields{w, w}));
    EXPECT_EQ(SplitCommaText("\"" + w + "\"\"" + w + "\"," + w), (Fields{w + "\"" + w, w}));
    EXPECT_EQ(JoinCommaText({w, w + " x", ""}), w + ",\"" + w + " x\",");
  }
  // A lead byte as the very last byte does not run past the end.
  EXPECT_EQ(SplitCommaText("a,\x95"), (Fields{"a", "\x95"}));
  EXPECT_EQ(SplitCommaText("\"a\x95"), (Fields{"a\x95"}));
}

TEST(JoinCommaText, Table) {
  struct Case {
    Fields fields;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"", ""}, ","},
      {{"a", "b"}, "a,b"},
      {{"a b"}, "\"a b\""},
      {{"x,y"}, "\"x,y\""},
      {{"q\"q"}, "\"q\"\"q\""},
      {{"tab\there"}, "\"tab\there\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JoinCommaText(c.fields), c.text);
  }
}

TEST(CommaText, RoundTrip) {
  // Fields without leading/trailing blanks survive a join and a split.
  std::vector<Fields> lists = {{"a"},         {"a", "", "b"},
                               {"\"", ","},   {Utf8ToCp932("振替休日"), "x y"},
                               {"", "a", ""}, {Utf8ToCp932("ソ\"ポ"), Utf8ToCp932("表,")}};
  for (const auto& f : lists) {
    SCOPED_TRACE(JoinCommaText(f));
    EXPECT_EQ(SplitCommaText(JoinCommaText(f)), f);
  }
}
