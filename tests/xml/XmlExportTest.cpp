#include "xml/XmlExport.h"

#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "base/Cp932.h"
#include "base/Exception.h"

namespace moriva {
namespace {

TEST(XmlExport, SampleStoreMatchesGolden) {
  size_t skipped = 0;
  std::string bytes = BuildScheduleXml(xmltest::SampleStore(), &skipped)->SaveToBytes(0);
  EXPECT_EQ(skipped, 2u);
  xmltest::ExpectGolden(bytes, "schedule.xml");
}

TEST(XmlExport, EmptyStoreWritesAnEmptyRoot) {
  xmltest::ScratchDir dir;
  ExportScheduleXml(TLineList{}, dir / "empty.xml");
  EXPECT_EQ(ReadFileBytes(dir / "empty.xml"), "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n" +
                                                  Utf8ToCp932("<スケジュール/>") + "\r\n");
}

TEST(XmlExport, TreeHasOneItemPerScheduleLine) {
  auto doc = BuildScheduleXml(xmltest::SampleStore());
  TDomElement* root = doc->GetDocumentElement();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetTagName(), u"スケジュール");
  const TDomNodeList& items = *root->GetChildNodes();
  ASSERT_EQ(items.Count(), 4u);
  struct Expected {
    std::u16string date, text;
  } expected[] = {
      {u"2002/7/15", u"会議- 会議室- 9:30:0- TRUE"},
      {u"2002/7/15", u"R&D 打合せ- 第2会議室- 13:0:0- FALSE"},
      {u"/5/3", u"憲法記念日"},
      {u"2026/12/31", u"<年末> \"大掃除\" ]]> 'x'- - 23:55:0- TRUE"},
  };
  for (size_t i = 0; i < items.Count(); ++i) {
    SCOPED_TRACE(i);
    TDomNode* item = items.Item(i);
    EXPECT_EQ(item->GetNodeName(), u"アイテム");
    ASSERT_EQ(item->GetChildNodes()->Count(), 2u);
    TDomNode* date = item->GetChildNodes()->Item(0);
    TDomNode* place = item->GetChildNodes()->Item(1);
    EXPECT_EQ(date->GetNodeName(), u"日付");
    EXPECT_EQ(place->GetNodeName(), u"場所");
    EXPECT_EQ(date->GetFirstChild()->GetNodeValue(), expected[i].date);
    EXPECT_EQ(place->GetFirstChild()->GetNodeValue(), expected[i].text);
  }
}

TEST(XmlExport, FileNameGetsXmlWhenItHasNoExtension) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"schedule", "schedule.xml"},
      {"/home/u/schedule", "/home/u/schedule.xml"},
      {"/home/u.v/schedule", "/home/u.v/schedule.xml"},  // a dot in a folder name is no extension
      {"schedule.xml", "schedule.xml"},
      {"schedule.txt", "schedule.txt"},
      {"/tmp/a.b.c", "/tmp/a.b.c"},
      {"予定", "予定.xml"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(WithXmlExtension(c.in), c.out);
  }
}

TEST(XmlExport, FailedWriteKeepsTheOldFile) {
  xmltest::ScratchDir dir;
  EXPECT_THROW(ExportScheduleXml(xmltest::SampleStore(), dir / "no" / "such.xml"), EFileError);
  EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

// A Shift_JIS reader takes 5C, 7E and 8160 as the JIS characters ¥, ‾ and 〜 where code
// page 932 has \, ~ and ～: the text it reads back is compared in those terms.
std::u16string AsJisReaderReads(std::u16string text) {
  for (auto& c : text) {
    if (c == u'\\') c = u'¥';
    if (c == u'~') c = u'‾';
    if (c == u'～') c = u'〜';
  }
  return text;
}

std::string Utf8(std::u16string_view text) {
  return EncodeXmlText(text, xeUtf8).substr(3);  // without the byte-order mark
}

// xmllint must accept every exported file and read the item texts back unchanged, whatever
// the texts hold, in every encoding and with and without indentation.
TEST(XmlExportOracle, XmllintAcceptsAndReadsBackEveryFile) {
  xmltest::ScratchDir dir;
  TLineList store = xmltest::SampleStore();
  store.Add(
      Utf8ToCp932("2024,2024,2,29,,,\"tab\there\x01 ctl & <&amp;> ]]]]>>- ｶﾀｶﾅ- 0:0:0- TRUE\""));
  store.Add(Utf8ToCp932("2024,2024,3,1,,,\"①髙﨑ⅰ㈱ \\ ~ ～- - 1:5:0- FALSE\""));
  auto doc = BuildScheduleXml(store);
  const TDomNodeList& items = *doc->GetDocumentElement()->GetChildNodes();
  for (int encoding = xeShiftJIS; encoding <= xeUtf16BE; ++encoding) {
    for (int step : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "encoding " << encoding << " step " << step);
      doc->SetEncodingIndex(encoding);
      std::filesystem::path file = dir / ("e" + std::to_string(encoding) + ".xml");
      doc->SaveToFile(file, step);
      std::string quoted = xmltest::ShellQuote(file.string());
      xmltest::CommandResult lint = xmltest::RunCommand("xmllint --noout " + quoted + " 2>&1");
      EXPECT_EQ(lint.status, 0) << lint.output;
      for (size_t i = 0; i < items.Count(); ++i) {
        SCOPED_TRACE(i);
        std::string xpath = "string(/*/*[" + std::to_string(i + 1) + "]/*[2])";
        xmltest::CommandResult read =
            xmltest::RunCommand("xmllint --xpath " + xmltest::ShellQuote(xpath) + " " + quoted);
        std::u16string want =
            items.Item(i)->GetChildNodes()->Item(1)->GetFirstChild()->GetNodeValue();
        for (auto& c : want)
          if (c == 1) c = u'?';  // a control character cannot be written
        if (encoding == xeShiftJIS) want = AsJisReaderReads(want);
        EXPECT_EQ(read.output, Utf8(want) + "\n");
      }
    }
  }
}

}  // namespace
}  // namespace moriva
