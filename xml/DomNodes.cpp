#include "xml/DomNodes.h"

#include "xml/DomDocument.h"
#include "xml/DomException.h"
#include "xml/XmlOutput.h"

namespace moriva {

TDomAttr::~TDomAttr() {
  if (owner_element_ && !OwnerIsDestroying()) owner_element_->attributes_.Remove(this);
}

void TDomAttr::SetNodeValue(std::u16string_view value) {
  TDomNode::SetNodeValue(value);
  value_ = value;
}

TDomNode* TDomAttr::ImportNode(TDomDocument& document, bool) const {
  TDomAttr* copy = document.CreateAttribute(GetNodeName());
  copy->value_ = value_;
  return copy;
}

void TDomAttr::WriteXMLTo(std::u16string& out, int, int) const {
  out += u' ';
  out += GetNodeName();
  out += u"=\"";
  AppendXmlEscaped(out, value_, true, GetOwnerDocument()->GetEncodingIndex());
  out += u'"';
}

TDomElement::~TDomElement() {
  if (OwnerIsDestroying()) return;
  for (size_t i = 0; i < attributes_.Count(); ++i) {
    auto* attr = static_cast<TDomAttr*>(attributes_.Item(i));
    attr->owner_element_ = nullptr;  // it need not take itself out of the map
    delete attr;
  }
}

std::u16string TDomElement::GetAttribute(std::u16string_view name) const {
  const TDomNode* attr = attributes_.GetNamedItem(name);
  return attr ? attr->GetNodeValue() : std::u16string();
}

void TDomElement::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (IsReadOnly()) throw EDomException(NO_MODIFICATION_ALLOWED_ERR);
  if (auto* attr = static_cast<TDomAttr*>(attributes_.GetNamedItem(name))) {
    attr->SetValue(value);
    return;
  }
  TDomAttr* attr = GetOwnerDocument()->CreateAttribute(name);
  attr->SetValue(value);
  SetAttributeNode(attr);
}

TDomAttr* TDomElement::SetAttributeNode(TDomAttr* attr) {
  if (!attr) throw EDomException(NOT_FOUND_ERR);
  if (IsReadOnly()) throw EDomException(NO_MODIFICATION_ALLOWED_ERR);
  if (attr->GetOwnerDocument() != GetOwnerDocument()) throw EDomException(WRONG_DOCUMENT_ERR);
  if (attr->owner_element_ == this) return nullptr;
  if (attr->owner_element_) throw EDomException(INUSE_ATTRIBUTE_ERR);
  auto* old = static_cast<TDomAttr*>(attributes_.SetNamedItem(attr));
  attr->owner_element_ = this;
  if (old) old->owner_element_ = nullptr;
  return old;
}

bool TDomElement::AcceptsChild(const TDomNode& node) const {
  switch (node.GetNodeType()) {
    case ntElement:
    case ntText:
    case ntCDataSection:
    case ntEntityReference:
    case ntProcessingInstruction:
    case ntComment:
      return true;
    default:
      return false;
  }
}

TDomNode* TDomElement::ImportNode(TDomDocument& document, bool deep) const {
  TDomElement* copy = document.CreateElement(GetNodeName());
  for (size_t i = 0; i < attributes_.Count(); ++i)
    copy->SetAttributeNode(static_cast<TDomAttr*>(attributes_.Item(i)->ImportNode(document, true)));
  if (deep) ImportChildrenInto(*copy, document);
  return copy;
}

void TDomElement::WriteXMLTo(std::u16string& out, int indent, int step) const {
  out.append(indent, u' ');
  out += u'<';
  out += GetNodeName();
  for (size_t i = 0; i < attributes_.Count(); ++i) attributes_.Item(i)->WriteXMLTo(out, 0, 0);
  const TDomNodeList& children = *GetChildNodes();
  if (children.Count() == 0) {
    out += u"/>";
    return;
  }
  out += u'>';
  bool onlyElements = true;
  for (size_t i = 0; i < children.Count() && onlyElements; ++i)
    onlyElements = children.Item(i)->GetNodeType() == ntElement;
  if (onlyElements && step != 0) {
    for (size_t i = 0; i < children.Count(); ++i) {
      out += u"\r\n";
      children.Item(i)->WriteXMLTo(out, indent + step, step);
    }
    out += u"\r\n";
    out.append(indent, u' ');
  } else {
    // Mixed content is kept on one line: indenting it would add blanks to the text.
    for (size_t i = 0; i < children.Count(); ++i) children.Item(i)->WriteXMLTo(out, 0, 0);
  }
  out += u"</";
  out += GetNodeName();
  out += u'>';
}

void TDomCharacterData::SetNodeValue(std::u16string_view value) {
  TDomNode::SetNodeValue(value);
  value_ = value;
}

void TDomCharacterData::AppendData(std::u16string_view data) {
  TDomNode::SetNodeValue(data);
  value_ += data;
}

TDomNode* TDomText::ImportNode(TDomDocument& document, bool) const {
  return document.CreateTextNode(GetData());
}

void TDomText::WriteXMLTo(std::u16string& out, int, int) const {
  AppendXmlEscaped(out, GetData(), false, GetOwnerDocument()->GetEncodingIndex());
}

TDomNode* TDomDocumentType::ImportNode(TDomDocument& document, bool) const {
  return document.CreateDocumentType(GetNodeName());
}

void TDomDocumentType::WriteXMLTo(std::u16string& out, int, int) const {
  out += u"<!DOCTYPE ";
  out += GetNodeName();
  out += u'>';
}

}  // namespace moriva
