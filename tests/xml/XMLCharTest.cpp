#include "xml/XMLChar.h"

#include <gtest/gtest.h>

#include "XmlTestSupport.h"

namespace moriva {
namespace {

TEST(XMLChar, NamesTable) {
  struct Case {
    std::u16string name;
    bool ok;
  } cases[] = {
      {u"スケジュール", true},  // ー (an extender) inside a name
      {u"アイテム", true},
      {u"日付", true},
      {u"場所", true},
      {u"ひらがな", true},
      {u"〇番", true},  // 〇 counts as an ideograph
      {u"_x", true},
      {u":x", true},
      {u"a1.b-c_d:e", true},
      {u"Ωμέγα", true},
      {u"", false},
      {u"1abc", false},
      {u"１abc", false},  // a full-width digit is no letter either
      {u"-a", false},
      {u".a", false},
      {u"ーa", false},  // an extender may not come first
      {u"々木", false},
      {u"a b", false},
      {u"a&b", false},
      {u"a<", false},
      {u"会議。", false},  // ideographic full stop
      {u"a\u0301", true},  // combining mark after a letter
      {u"\u0301a", false},
      {u"a\U0001F600", false},  // nothing outside the basic plane is a name character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(IsXmlName(c.name), c.ok);
  }
}

TEST(XMLChar, CharProduction) {
  for (char32_t c : {0x9u, 0xAu, 0xDu, 0x20u, 0xD7FFu, 0xE000u, 0xFFFDu, 0x10000u, 0x10FFFFu})
    EXPECT_TRUE(IsXmlChar(c)) << std::hex << uint32_t(c);
  for (char32_t c : {0x0u, 0x1u, 0x8u, 0xBu, 0x1Fu, 0xD800u, 0xDFFFu, 0xFFFEu, 0x110000u})
    EXPECT_FALSE(IsXmlChar(c)) << std::hex << uint32_t(c);
}

// Every character of the basic plane, class by class, against libxml2's tables of the same
// classes, read through Python.
TEST(XMLChar, AgreesWithLibxml2OnEveryCharacter) {
  const char* script =
      "import ctypes,sys\n"
      "l=ctypes.CDLL('libxml2.so.2')\n"
      "fs=[l.xmlIsBaseChar,l.xmlIsIdeographic,l.xmlIsCombining,l.xmlIsDigit,l.xmlIsExtender]\n"
      "sys.stdout.write(''.join(''.join('1' if f(c) else '0' for f in fs) "
      "for c in range(65536)))\n";
  xmltest::CommandResult r =
      xmltest::RunCommand("/usr/bin/python3 -c " + xmltest::ShellQuote(script));
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.output.size(), 65536u * 5);
  bool (*classes[])(char16_t) = {IsXmlBaseChar, IsXmlIdeographic, IsXmlCombiningChar, IsXmlDigit,
                                 IsXmlExtender};
  int differences = 0;
  for (unsigned c = 0; c < 65536 && differences < 10; ++c) {
    for (int k = 0; k < 5; ++k) {
      bool expected = r.output[c * 5 + k] == '1';
      if (classes[k](static_cast<char16_t>(c)) != expected) {
        ADD_FAILURE() << "U+" << std::hex << c << " class " << k << " expected " << expected;
        ++differences;
      }
    }
  }
}

}  // namespace
}  // namespace moriva
