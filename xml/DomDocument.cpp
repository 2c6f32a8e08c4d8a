#include "xml/DomDocument.h"

#include <algorithm>

#include "base/FileIO.h"
#include "xml/DomException.h"
#include "xml/XMLChar.h"

namespace moriva {
namespace {

std::u16string CheckedName(std::u16string_view name) {
  if (!IsXmlName(name)) throw EDomException(INVALID_CHARACTER_ERR);
  return std::u16string(name);
}

bool IsVersionChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'.' || c == u':' || c == u'-';
}

}  // namespace

TDomDocument::TDomDocument() : TDomNode(nullptr, u"#document", true) {}

TDomDocument::~TDomDocument() {
  destroying_ = true;
  while (reg_head_) {
    TDomNode* node = reg_head_;
    reg_head_ = node->reg_next_;
    delete node;
  }
  reg_tail_ = nullptr;
  node_count_ = 0;
  ForgetChildren();  // they were among the registered nodes
}

TDomElement* TDomDocument::CreateElement(std::u16string_view tagName) {
  return new TDomElement(this, CheckedName(tagName));
}

TDomText* TDomDocument::CreateTextNode(std::u16string_view data) {
  return new TDomText(this, data);
}

TDomAttr* TDomDocument::CreateAttribute(std::u16string_view name) {
  return new TDomAttr(this, CheckedName(name));
}

TDomDocumentType* TDomDocument::CreateDocumentType(std::u16string_view name) {
  return new TDomDocumentType(this, CheckedName(name));
}

TDomElement* TDomDocument::GetDocumentElement() const {
  const TDomNodeList& children = *GetChildNodes();
  for (size_t i = 0; i < children.Count(); ++i)
    if (children.Item(i)->GetNodeType() == ntElement)
      return static_cast<TDomElement*>(children.Item(i));
  return nullptr;
}

TDomDocumentType* TDomDocument::GetDocType() const {
  const TDomNodeList& children = *GetChildNodes();
  for (size_t i = 0; i < children.Count(); ++i)
    if (children.Item(i)->GetNodeType() == ntDocumentType)
      return static_cast<TDomDocumentType*>(children.Item(i));
  return nullptr;
}

void TDomDocument::SetVersion(std::u16string_view version) {
  // The version is written inside the declaration's quotes; keep it a VersionNum.
  if (version.empty() || !std::all_of(version.begin(), version.end(), IsVersionChar))
    throw EDomException(INVALID_CHARACTER_ERR);
  version_ = version;
}

void TDomDocument::SetEncodingIndex(int index) {
  if (index < xeShiftJIS || index > xeUtf16BE) throw EDomException(INDEX_SIZE_ERR);
  encoding_ = static_cast<TXmlEncoding>(index);
}

bool TDomDocument::AcceptsChild(const TDomNode& node) const {
  // One element and one document type at most; moving the one already here is no second.
  auto hasOther = [&](TDomNodeType type) {
    const TDomNodeList& children = *GetChildNodes();
    for (size_t i = 0; i < children.Count(); ++i)
      if (children.Item(i)->GetNodeType() == type && children.Item(i) != &node) return true;
    return false;
  };
  switch (node.GetNodeType()) {
    case ntElement:
    case ntDocumentType:
      return !hasOther(node.GetNodeType());
    case ntProcessingInstruction:
    case ntComment:
      return true;
    default:
      return false;
  }
}

void TDomDocument::NodeChanged(TDomNode& node, TDomNodeChange change) {
  if (change == ncCreated) {
    node.reg_prev_ = reg_tail_;
    if (reg_tail_)
      reg_tail_->reg_next_ = &node;
    else
      reg_head_ = &node;
    reg_tail_ = &node;
    ++node_count_;
  } else if (change == ncDestroyed) {
    if (node.reg_prev_)
      node.reg_prev_->reg_next_ = node.reg_next_;
    else
      reg_head_ = node.reg_next_;
    if (node.reg_next_)
      node.reg_next_->reg_prev_ = node.reg_prev_;
    else
      reg_tail_ = node.reg_prev_;
    node.reg_prev_ = node.reg_next_ = nullptr;
    --node_count_;
  }
}

TDomNode* TDomDocument::ImportNode(TDomDocument&, bool) const {
  throw EDomException(NOT_SUPPORTED_ERR);
}

void TDomDocument::WriteXMLTo(std::u16string& out, int, int step) const {
  out += u"<?xml version=\"";
  out += version_;
  out += u"\" encoding=\"";
  out += XmlEncodingName(encoding_);
  out += u"\"?>";
  const TDomNodeList& children = *GetChildNodes();
  for (size_t i = 0; i < children.Count(); ++i) {
    out += u"\r\n";
    children.Item(i)->WriteXMLTo(out, 0, step);
  }
}

std::string TDomDocument::SaveToBytes(int step) const {
  return EncodeXmlText(WithCrLfLines(WriteXML(step, step)), encoding_);
}

void TDomDocument::SaveToFile(const std::filesystem::path& fileName, int step) const {
  WriteFileAtomically(fileName, SaveToBytes(step));
}

}  // namespace moriva
