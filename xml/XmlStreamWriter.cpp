#include "xml/XmlStreamWriter.h"

#include <utility>

namespace moriva {
namespace {

// Encoded in blocks of about this many characters.
constexpr size_t kBlockChars = 32768;

size_t ByteOrderMarkSize(TXmlEncoding encoding) {
  switch (encoding) {
    case xeUtf8:
      return 3;
    case xeUtf16LE:
    case xeUtf16BE:
      return 2;
    case xeShiftJIS:
      break;
  }
  return 0;
}

// Every line end (CR LF, CR or LF) as CR LF, as the tree's writer makes them. The block never
// ends inside a CR LF pair: it always ends at a tag.
std::u16string WithCrLfEnds(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      out += u"\r\n";
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

TXmlStreamWriter::TXmlStreamWriter(std::function<void(std::string_view)> write,
                                   TXmlEncoding encoding)
    : write_(std::move(write)), encoding_(encoding) {
  pending_ = u"<?xml version=\"1.0\" encoding=\"";
  pending_ += XmlEncodingName(encoding_);
  pending_ += u"\"?>\r\n";
}

void TXmlStreamWriter::CloseStartTag() {
  if (!startTagOpen_) return;
  pending_ += u'>';
  startTagOpen_ = false;
}

void TXmlStreamWriter::StartElement(std::u16string_view name) {
  CloseStartTag();
  FlushIfFull();
  pending_ += u'<';
  pending_ += name;
  open_.emplace_back(name);
  startTagOpen_ = true;
}

void TXmlStreamWriter::Text(std::u16string_view text) {
  CloseStartTag();
  AppendXmlEscaped(pending_, text, false, encoding_);
}

void TXmlStreamWriter::EndElement() {
  if (startTagOpen_) {
    pending_ += u"/>";
    startTagOpen_ = false;
  } else {
    pending_ += u"</";
    pending_ += open_.back();
    pending_ += u'>';
  }
  open_.pop_back();
  FlushIfFull();
}

void TXmlStreamWriter::Finish() {
  pending_ += u"\r\n";
  Flush();
}

void TXmlStreamWriter::FlushIfFull() {
  if (pending_.size() >= kBlockChars && pending_.back() == u'>') Flush();
}

void TXmlStreamWriter::Flush() {
  std::string bytes = EncodeXmlText(WithCrLfEnds(pending_), encoding_);
  std::string_view out = bytes;
  if (bomWritten_) out.remove_prefix(ByteOrderMarkSize(encoding_));
  bomWritten_ = true;
  if (!out.empty()) write_(out);
  pending_.clear();
}

}  // namespace moriva
