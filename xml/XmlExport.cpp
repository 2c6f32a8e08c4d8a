#include "xml/XmlExport.h"

#include <algorithm>
#include <vector>

#include "base/AtomicFileWriter.h"
#include "base/CommaText.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/SeriesLine.h"
#include "xml/XmlStreamWriter.h"

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

std::u16string DateText(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return ToWide(std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d));
}

std::u16string Number(long n) {
  return ToWide(std::to_string(n));
}

void TextElement(TXmlElementSink& sink, std::u16string_view name, std::u16string_view text) {
  sink.StartElement(name);
  sink.Text(text);
  sink.EndElement();
}

std::u16string_view UnitWord(TRepeatUnit unit) {
  switch (unit) {
    case TRepeatUnit::Day:
      return u"日";
    case TRepeatUnit::Week:
      return u"週";
    case TRepeatUnit::Month:
      return u"月";
    case TRepeatUnit::Year:
      break;
  }
  return u"年";
}

std::u16string WeekdayNames(uint8_t weekdays) {
  // Weeks begin on Monday, as the rule counts them.
  static constexpr char16_t kNames[] = u"日月火水木金土";
  static constexpr uint8_t kOrder[] = {2, 3, 4, 5, 6, 7, 1};
  std::u16string text;
  for (uint8_t w : kOrder) {
    if (!(weekdays & WeekdayBit(w))) continue;
    if (!text.empty()) text += u'・';
    text += kNames[w - 1];
  }
  return text;
}

void SeriesElement(TXmlElementSink& sink, const TSeries& s) {
  const TRecurrence& r = s.Rule;
  sink.StartElement(u"繰り返し");
  TextElement(sink, u"識別子", ToWide(s.Id));
  TextElement(sink, u"日付", DateText(r.Start));
  TextElement(sink, u"場所", ToWide(s.Text));
  TextElement(sink, u"単位", UnitWord(r.Unit));
  TextElement(sink, u"間隔", Number(r.Interval));
  if (r.Weekdays) TextElement(sink, u"曜日", WeekdayNames(r.Weekdays));
  if (r.WeekNo) TextElement(sink, u"週", r.WeekNo == kLastWeek ? u"最終" : Number(r.WeekNo));
  if (r.MonthDay) TextElement(sink, u"日", Number(r.MonthDay));
  if (r.Until) TextElement(sink, u"終了日", DateText(*r.Until));
  if (r.Count) TextElement(sink, u"回数", Number(*r.Count));
  if (r.SkipHolidays) TextElement(sink, u"祝日を除く", u"TRUE");
  for (JuliusDay z : r.Exceptions) TextElement(sink, u"除外日", DateText(z));
  sink.EndElement();
}

// The one walk over the lines that both the tree and the stream are made from.
TScheduleXmlCounts WalkSchedule(const TLineList& lines, TXmlElementSink& sink) {
  TScheduleXmlCounts counts;
  sink.StartElement(u"スケジュール");
  TSeries series;
  for (const std::string& line : lines) {
    if (IsSeriesLine(line) && ParseSeriesLine(line, series) == TSeriesLineKind::Series) {
      SeriesElement(sink, series);
      ++counts.Series;
      continue;
    }
    std::vector<std::string> f = SplitCommaText(line);
    if (f.size() <= kItemText) {
      ++counts.LeftOut;
      continue;
    }
    sink.StartElement(u"アイテム");
    TextElement(sink, u"日付", ToWide(f[kYear] + "/" + f[kMonth] + "/" + f[kDay]));
    TextElement(sink, u"場所", ToWide(f[kItemText]));
    sink.EndElement();
    ++counts.Items;
  }
  sink.EndElement();
  return counts;
}

// Elements appended to a document tree.
class TTreeBuilder final : public TXmlElementSink {
 public:
  explicit TTreeBuilder(TDomDocument& doc) : doc_(doc), at_(&doc) {}
  void StartElement(std::u16string_view name) override {
    at_ = at_->AppendChild(doc_.CreateElement(name));
  }
  void Text(std::u16string_view text) override { at_->AppendChild(doc_.CreateTextNode(text)); }
  void EndElement() override { at_ = at_->GetParentNode(); }

 private:
  TDomDocument& doc_;
  TDomNode* at_;
};

}  // namespace

std::unique_ptr<TDomDocument> BuildScheduleXml(const TLineList& lines, size_t* skipped) {
  auto doc = std::make_unique<TDomDocument>();
  TTreeBuilder builder(*doc);
  const TScheduleXmlCounts counts = WalkSchedule(lines, builder);
  if (skipped) *skipped = counts.LeftOut;
  return doc;
}

TScheduleXmlCounts WriteScheduleXml(const TLineList& lines,
                                    const std::function<void(std::string_view)>& write) {
  TXmlStreamWriter writer(write);
  const TScheduleXmlCounts counts = WalkSchedule(lines, writer);
  writer.Finish();
  return counts;
}

TScheduleXmlCounts ExportScheduleXml(const TLineList& lines, const std::filesystem::path& path) {
  TAtomicFileWriter file(path);
  const TScheduleXmlCounts counts =
      WriteScheduleXml(lines, [&](std::string_view bytes) { file.Write(bytes); });
  file.Commit();
  return counts;
}

std::string WithXmlExtension(std::string_view fileName) {
  size_t slash = fileName.rfind('/');
  size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  if (fileName.find('.', nameStart) != std::string_view::npos) return std::string(fileName);
  return std::string(fileName) + ".xml";
}

}  // namespace moriva
