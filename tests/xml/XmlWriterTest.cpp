#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "xml/DomDocument.h"
#include "xml/DomException.h"

namespace moriva {
namespace {

// <a><b><c>text</c><d/></b><e/></a> with the names given in Japanese where it matters.
void BuildNested(TDomDocument& doc) {
  TDomNode* a = doc.AppendChild(doc.CreateElement(u"予定表"));
  TDomNode* b = a->AppendChild(doc.CreateElement(u"b"));
  b->AppendChild(doc.CreateElement(u"c"))->AppendChild(doc.CreateTextNode(u"会議 & <昼食>"));
  b->AppendChild(doc.CreateElement(u"d"));
  a->AppendChild(doc.CreateElement(u"e"));
}

TEST(XmlWriter, EmptyElementDocument) {
  TDomDocument doc;
  doc.AppendChild(doc.CreateElement(u"root"));
  EXPECT_EQ(doc.SaveToBytes(), "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<root/>\r\n");
  TDomDocument empty;
  EXPECT_EQ(empty.SaveToBytes(), "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n");
}

TEST(XmlWriter, StepZeroWritesTheTreeOnOneLine) {
  TDomDocument doc;
  BuildNested(doc);
  EXPECT_EQ(doc.WriteXML(0, 0),
            u"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
            u"<予定表><b><c>会議 &amp; &lt;昼食&gt;</c><d/></b><e/></予定表>");
}

TEST(XmlWriter, StepTwoIndentsElementContent) {
  TDomDocument doc;
  BuildNested(doc);
  EXPECT_EQ(doc.WriteXML(2, 2),
            u"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
            u"<予定表>\r\n"
            u"  <b>\r\n"
            u"    <c>会議 &amp; &lt;昼食&gt;</c>\r\n"
            u"    <d/>\r\n"
            u"  </b>\r\n"
            u"  <e/>\r\n"
            u"</予定表>");
  // An element with a text child keeps its children on its own line, unindented.
  TDomNode* b = doc.GetDocumentElement()->GetFirstChild();
  b->AppendChild(doc.CreateTextNode(u"tail"));
  EXPECT_EQ(b->WriteXML(4, 2), u"    <b><c>会議 &amp; &lt;昼食&gt;</c><d/>tail</b>");
  EXPECT_THROW(b->WriteXML(-1, 2), EDomException);
}

TEST(XmlWriter, SavedStepTwoMatchesGolden) {
  TDomDocument doc;
  BuildNested(doc);
  doc.GetDocumentElement()->SetAttribute(u"版", u"1 \"a\" <&>\t");
  xmltest::ExpectGolden(doc.SaveToBytes(2), "tree_step2.xml");
}

TEST(XmlWriter, EscapesOnlyWhatNeedsIt) {
  struct Case {
    std::u16string data;
    std::u16string written;
  } cases[] = {
      {u"plain", u"plain"},
      {u"", u""},
      {u"a&b", u"a&amp;b"},
      {u"]]>", u"]]&gt;"},
      {u"\"quoted\" 'single'", u"\"quoted\" 'single'"},
      {u"tab\there", u"tab\there"},
      {u"ctl\x01\x1F", u"ctl??"},  // no XML document can hold these
      {std::u16string(u"nul\0x", 5), u"nul?x"},
      {u"\xFFFE\xFFFF", u"??"},
      {u"\U0001F600", u"\U0001F600"},  // a surrogate pair stays
      {u"lone\xD800!", u"lone?!"},
      {u"lone\xDC00", u"lone?"},
  };
  TDomDocument doc;
  doc.SetEncodingIndex(xeUtf8);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(doc.CreateTextNode(c.data)->WriteXML(0, 0), c.written);
  }
  TDomElement* e = doc.CreateElement(u"e");
  e->SetAttribute(u"v", u"\"<&>\t\r\n'");
  EXPECT_EQ(e->WriteXML(0, 0), u"<e v=\"&quot;&lt;&amp;&gt;&#9;&#13;&#10;'\"/>");
}

// Plain Shift_JIS readers refuse the vendor rows of code page 932 (NEC and IBM extensions,
// user-defined characters); such characters, and those code page 932 lacks, go out as
// character references in a Shift_JIS file and so arrive unchanged.
TEST(XmlWriter, ShiftJisFileUsesReferencesForWhatShiftJisLacks) {
  struct Case {
    std::u16string data;
    std::u16string written;
  } cases[] = {
      {u"会議室ｶﾀｶﾅ～－∥￠", u"会議室ｶﾀｶﾅ～－∥￠"},  // shared with Shift_JIS (bytes may differ)
      {u"①Ⅲ㈱", u"&#x2460;&#x2162;&#x3231;"},        // NEC row 13
      {u"髙﨑", u"&#x9AD9;&#xFA11;"},                // IBM extension kanji
      {u"ⅰ", u"&#x2170;"},                           // NEC-selected IBM extension
      {u"\xE000", u"&#xE000;"},                      // user-defined area
      {u"€¥é", u"&#x20AC;&#xA5;&#xE9;"},             // no code page 932 form at all
      {u"\U0001F600", u"&#x1F600;"},
      {u"\\~", u"\\~"},
  };
  TDomDocument doc;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(doc.CreateTextNode(c.data)->WriteXML(0, 0), c.written);
  }
  TDomElement* e = doc.CreateElement(u"e");
  e->SetAttribute(u"v", u"①");
  EXPECT_EQ(e->WriteXML(0, 0), u"<e v=\"&#x2460;\"/>");
  EXPECT_TRUE(HasShiftJisForm(u'ｱ'));
  EXPECT_FALSE(HasShiftJisForm(u'\xA5'));
}

TEST(XmlWriter, LineEndsBecomeCrLf) {
  TDomDocument doc;
  doc.AppendChild(doc.CreateElement(u"t"))->AppendChild(doc.CreateTextNode(u"a\nb\rc\r\nd"));
  EXPECT_EQ(doc.SaveToBytes(), std::string("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n") +
                                   "<t>a\r\nb\r\nc\r\nd</t>\r\n");
}

TEST(XmlWriter, EncodingsFirstBytesAndForms) {
  struct Case {
    TXmlEncoding encoding;
    std::string first;
    std::string root;  // "<r>日</r>" in the file's bytes
  } cases[] = {
      {xeShiftJIS, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", "<r>\x93\xFA</r>"},
      {xeUtf8, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<r>\xE6\x97\xA5</r>"},
      {xeUtf16LE, std::string("\xFF\xFE<\0?\0", 6), std::string("<\0r\0>\0\xE5\x65<\0", 10)},
      {xeUtf16BE, std::string("\xFE\xFF\0<\0?", 6), std::string("\0<\0r\0>\x65\xE5\0<", 10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "encoding " << c.encoding);
    TDomDocument doc;
    doc.SetEncodingIndex(c.encoding);
    doc.AppendChild(doc.CreateElement(u"r"))->AppendChild(doc.CreateTextNode(u"日"));
    std::string bytes = doc.SaveToBytes();
    EXPECT_EQ(bytes.substr(0, c.first.size()), c.first);
    EXPECT_NE(bytes.find(c.root), std::string::npos);
  }
  // The UTF-16 declaration names UTF-16 for either byte order.
  TDomDocument doc;
  doc.SetEncodingIndex(xeUtf16BE);
  EXPECT_EQ(doc.WriteXML(0, 0), u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
}

TEST(XmlWriter, Utf8JoinsSurrogatePairs) {
  EXPECT_EQ(EncodeXmlText(u"\U0001F600\xD800", xeUtf8), "\xEF\xBB\xBF\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(EncodeXmlText(u"€", xeShiftJIS), "?");  // no Shift_JIS form
  EXPECT_EQ(EncodeXmlText(u"～①", xeShiftJIS), Utf8ToCp932("～①"));
}

TEST(XmlWriter, SaveToFileReplacesAtomicallyAndReportsFailure) {
  xmltest::ScratchDir dir;
  TDomDocument doc;
  doc.AppendChild(doc.CreateElement(u"r"));
  WriteFileAtomically(dir / "out.xml", "old");
  doc.SaveToFile(dir / "out.xml");
  EXPECT_EQ(ReadFileBytes(dir / "out.xml"), doc.SaveToBytes());
  EXPECT_THROW(doc.SaveToFile(dir / "missing" / "out.xml"), EFileError);
}

}  // namespace
}  // namespace moriva
