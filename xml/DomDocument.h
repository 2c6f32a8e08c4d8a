#pragma once
// The document: it creates and owns every node of its tree, holds the XML version and the
// output encoding, and saves itself as a file.
#include <filesystem>
#include <string>
#include <string_view>

#include "xml/DomNodes.h"
#include "xml/XmlOutput.h"

namespace moriva {

class TDomDocument : public TDomNode {
 public:
  // An empty document: version "1.0", encoding Shift_JIS.
  TDomDocument();
  // Destroys every node still registered.
  ~TDomDocument() override;

  TDomNodeType GetNodeType() const override { return ntDocument; }

  // New nodes, owned by this document and not yet in the tree. Names must match the XML
  // Name production (code 5 otherwise).
  TDomElement* CreateElement(std::u16string_view tagName);
  TDomText* CreateTextNode(std::u16string_view data);
  TDomAttr* CreateAttribute(std::u16string_view name);
  TDomDocumentType* CreateDocumentType(std::u16string_view name);

  TDomElement* GetDocumentElement() const;
  TDomDocumentType* GetDocType() const;

  const std::u16string& GetVersion() const { return version_; }
  // Letters, digits, "_", ".", ":" and "-" only (code 5 otherwise).
  void SetVersion(std::u16string_view version);
  TXmlEncoding GetEncodingIndex() const { return encoding_; }
  // 0 Shift_JIS, 1 UTF-8, 2 UTF-16 little-endian, 3 UTF-16 big-endian; others: code 1.
  void SetEncodingIndex(int index);

  // How many nodes the document owns now (the document itself not counted).
  size_t GetNodeCount() const { return node_count_; }

  // The file's bytes: WriteXML(step, step) with every line ended by CR LF, in the
  // document's encoding with its byte-order mark.
  std::string SaveToBytes(int step = 0) const;
  // Writes SaveToBytes to `fileName` atomically; EFileError when it cannot be written.
  void SaveToFile(const std::filesystem::path& fileName, int step = 0) const;

  // A document cannot be imported into another: code 9.
  TDomNode* ImportNode(TDomDocument& document, bool deep) const override;
  // The declaration, then CR LF and each child.
  void WriteXMLTo(std::u16string& out, int indent, int step) const override;

 protected:
  bool AcceptsChild(const TDomNode& node) const override;
  void NodeChanged(TDomNode& node, TDomNodeChange change) override;

 private:
  friend class TDomNode;
  // Oldest first: the nodes are freed in the order they were made, which the allocator
  // handles best.
  TDomNode* reg_head_ = nullptr;
  TDomNode* reg_tail_ = nullptr;
  size_t node_count_ = 0;
  bool destroying_ = false;
  std::u16string version_ = u"1.0";
  TXmlEncoding encoding_ = xeShiftJIS;
};

}  // namespace moriva
