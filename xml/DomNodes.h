#pragma once
// The node kinds below the document: element, attribute, character data and text, and the
// document type. They are made only by a document's Create... functions.
#include "xml/DomNode.h"

namespace moriva {

class TDomElement;

class TDomAttr : public TDomNode {
 public:
  ~TDomAttr() override;
  TDomNodeType GetNodeType() const override { return ntAttribute; }
  const std::u16string& GetValue() const { return GetNodeValue(); }
  void SetValue(std::u16string_view value) { SetNodeValue(value); }
  void SetNodeValue(std::u16string_view value) override;
  // The element that holds this attribute, or nullptr.
  TDomElement* GetOwnerElement() const { return owner_element_; }
  TDomNode* ImportNode(TDomDocument& document, bool deep) const override;
  // Written as a blank, the name, "=" and the value in double quotes.
  void WriteXMLTo(std::u16string& out, int indent, int step) const override;

 private:
  friend class TDomDocument;
  friend class TDomElement;
  TDomAttr(TDomDocument* owner, std::u16string name) : TDomNode(owner, std::move(name), false) {}
  TDomElement* owner_element_ = nullptr;
};

class TDomElement : public TDomNode {
 public:
  ~TDomElement() override;
  TDomNodeType GetNodeType() const override { return ntElement; }
  const std::u16string& GetTagName() const { return GetNodeName(); }
  TDomNamedNodeMap* GetAttributes() override { return &attributes_; }

  // The value of the attribute `name`, or empty when there is none.
  std::u16string GetAttribute(std::u16string_view name) const;
  // Sets (or adds, at the end) the attribute `name`. A bad name: 5; read-only: 7.
  void SetAttribute(std::u16string_view name, std::u16string_view value);
  // Puts `attr` in; one of the same name is replaced in its place and returned (it stays
  // owned by the document). Read-only: 7; another document: 4; held by another element: 10.
  TDomAttr* SetAttributeNode(TDomAttr* attr);

  TDomNode* ImportNode(TDomDocument& document, bool deep) const override;
  void WriteXMLTo(std::u16string& out, int indent, int step) const override;

 protected:
  bool AcceptsChild(const TDomNode& node) const override;

 private:
  friend class TDomDocument;
  friend class TDomAttr;
  TDomElement(TDomDocument* owner, std::u16string tagName)
      : TDomNode(owner, std::move(tagName), true) {}
  TDomNamedNodeMap attributes_;
};

// A node whose value is its text data. Any text is accepted: the writer escapes what needs
// escaping, so the data is kept exactly as given.
class TDomCharacterData : public TDomNode {
 public:
  const std::u16string& GetData() const { return GetNodeValue(); }
  void SetData(std::u16string_view data) { SetNodeValue(data); }
  // Read-only: 7.
  void SetNodeValue(std::u16string_view value) override;
  void AppendData(std::u16string_view data);
  size_t GetLength() const { return GetNodeValue().size(); }

 protected:
  TDomCharacterData(TDomDocument* owner, std::u16string name, std::u16string_view data)
      : TDomNode(owner, std::move(name), false) {
    value_ = data;
  }
};

class TDomText : public TDomCharacterData {
 public:
  TDomNodeType GetNodeType() const override { return ntText; }
  TDomNode* ImportNode(TDomDocument& document, bool deep) const override;
  // The data with "&", "<" and ">" escaped; characters no XML document may hold become "?";
  // in a Shift_JIS document, characters Shift_JIS lacks become character references.
  void WriteXMLTo(std::u16string& out, int indent, int step) const override;

 private:
  friend class TDomDocument;
  TDomText(TDomDocument* owner, std::u16string_view data)
      : TDomCharacterData(owner, u"#text", data) {}
};

// The document type: a name only. It is read-only, as in the DOM.
class TDomDocumentType : public TDomNode {
 public:
  TDomNodeType GetNodeType() const override { return ntDocumentType; }
  TDomNode* ImportNode(TDomDocument& document, bool deep) const override;
  // "<!DOCTYPE name>".
  void WriteXMLTo(std::u16string& out, int indent, int step) const override;

 private:
  friend class TDomDocument;
  TDomDocumentType(TDomDocument* owner, std::u16string name)
      : TDomNode(owner, std::move(name), false) {
    SetReadOnly(true);
  }
};

}  // namespace moriva
