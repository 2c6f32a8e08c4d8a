#pragma once
// An XML document written as it is made, for documents too large to hold as a tree: elements
// are opened and closed in order and the file's bytes handed on in blocks of a few tens of
// kilobytes. The bytes equal what the document tree writes for the same elements with
// indentation step 0 (TDomDocument::SaveToBytes(0)): the declaration, CR LF, the whole element
// tree on one line, CR LF; text escaped alike, an element without children in the "/>" form.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlOutput.h"

namespace moriva {

// Where a walk that makes elements sends them: the tree (TDomDocument) or the stream below.
class TXmlElementSink {
 public:
  virtual void StartElement(std::u16string_view name) = 0;
  virtual void Text(std::u16string_view text) = 0;
  virtual void EndElement() = 0;

 protected:
  ~TXmlElementSink() = default;
};

class TXmlStreamWriter final : public TXmlElementSink {
 public:
  // `write` receives the bytes in order. The declaration names `encoding` (version "1.0").
  explicit TXmlStreamWriter(std::function<void(std::string_view)> write,
                            TXmlEncoding encoding = xeShiftJIS);

  // Names are written as given: the caller's names are fixed words that are valid XML names.
  void StartElement(std::u16string_view name) override;
  void Text(std::u16string_view text) override;
  void EndElement() override;
  // Ends the last line and hands on what is left; every element must have been closed.
  void Finish();

 private:
  void CloseStartTag();
  void FlushIfFull();
  void Flush();

  std::function<void(std::string_view)> write_;
  TXmlEncoding encoding_;
  std::u16string pending_;  // text not yet encoded; always ends at a tag, never inside a line end
  std::vector<std::u16string> open_;
  bool startTagOpen_ = false;  // "<name" written, neither ">" nor "/>" yet
  bool bomWritten_ = false;
};

}  // namespace moriva
