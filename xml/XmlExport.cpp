#include "xml/XmlExport.h"

#include <algorithm>

#include "base/CommaText.h"
#include "base/Cp932.h"

namespace moriva {
namespace {

// Fields of a schedule line: year, year again, month, day, two empty fields, item text.
constexpr size_t kYear = 0;
constexpr size_t kMonth = 2;
constexpr size_t kDay = 3;
constexpr size_t kItemText = 6;

// Dates are plain ASCII; widening them directly spares a code-page conversion per line.
std::u16string ToWide(std::string_view cp932) {
  if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::u16string(cp932.begin(), cp932.end());
  return Cp932ToUtf16(cp932);
}

void AppendTextElement(TDomDocument& doc, TDomNode& parent, std::u16string_view name,
                       std::u16string_view text) {
  TDomNode* element = parent.AppendChild(doc.CreateElement(name));
  element->AppendChild(doc.CreateTextNode(text));
}

}  // namespace

std::unique_ptr<TDomDocument> BuildScheduleXml(const TLineList& lines, size_t* skipped) {
  auto doc = std::make_unique<TDomDocument>();
  TDomNode* root = doc->AppendChild(doc->CreateElement(u"スケジュール"));
  size_t left_out = 0;
  for (const std::string& line : lines) {
    std::vector<std::string> f = SplitCommaText(line);
    if (f.size() <= kItemText) {
      ++left_out;
      continue;
    }
    TDomNode* item = root->AppendChild(doc->CreateElement(u"アイテム"));
    AppendTextElement(*doc, *item, u"日付", ToWide(f[kYear] + "/" + f[kMonth] + "/" + f[kDay]));
    AppendTextElement(*doc, *item, u"場所", ToWide(f[kItemText]));
  }
  if (skipped) *skipped = left_out;
  return doc;
}

void ExportScheduleXml(const TLineList& lines, const std::filesystem::path& path) {
  BuildScheduleXml(lines)->SaveToFile(path, 0);
}

std::string WithXmlExtension(std::string_view fileName) {
  size_t slash = fileName.rfind('/');
  size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  if (fileName.find('.', nameStart) != std::string_view::npos) return std::string(fileName);
  return std::string(fileName) + ".xml";
}

}  // namespace moriva
