#pragma once
// The node of the document tree, with the node list and the named node map. Every node
// belongs to the document that created it: the document keeps a registry of its nodes and
// destroys those still registered when it is destroyed. Deleting a node earlier takes it out
// of its parent and of the registry and deletes its children, so a subtree may go first.
// Node text is UTF-16.
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

class TDomDocument;
class TDomNode;

// The DOM node type codes.
enum TDomNodeType : int {
  ntElement = 1,
  ntAttribute = 2,
  ntText = 3,
  ntCDataSection = 4,
  ntEntityReference = 5,
  ntEntity = 6,
  ntProcessingInstruction = 7,
  ntComment = 8,
  ntDocument = 9,
  ntDocumentType = 10,
};

// What a node tells its owner document.
enum TDomNodeChange { ncCreated, ncInserted, ncRemoved, ncDestroyed };

// An ordered list of nodes; it does not own them.
class TDomNodeList {
 public:
  size_t Count() const { return items_.size(); }
  // The node at `index`, or nullptr outside 0..Count-1.
  TDomNode* Item(size_t index) const { return index < items_.size() ? items_[index] : nullptr; }

 private:
  friend class TDomNode;
  std::vector<TDomNode*> items_;
};

// An ordered list of attribute nodes, looked up by name; it does not own them.
class TDomNamedNodeMap {
 public:
  size_t Count() const { return items_.size(); }
  TDomNode* Item(size_t index) const { return index < items_.size() ? items_[index] : nullptr; }
  TDomNode* GetNamedItem(std::u16string_view name) const;

 private:
  friend class TDomElement;
  friend class TDomAttr;
  // Puts `node` in; a node of the same name is replaced in its place and returned.
  TDomNode* SetNamedItem(TDomNode* node);
  void Remove(TDomNode* node);
  std::vector<TDomNode*> items_;
};

class TDomNode {
 public:
  virtual ~TDomNode();
  TDomNode(const TDomNode&) = delete;
  TDomNode& operator=(const TDomNode&) = delete;

  // The document this node was created for; nullptr for a document.
  TDomDocument* GetOwnerDocument() const { return owner_; }
  TDomNode* GetParentNode() const { return parent_; }
  const std::u16string& GetNodeName() const { return name_; }
  virtual TDomNodeType GetNodeType() const = 0;

  // The text of character data and attributes; empty for the other kinds.
  const std::u16string& GetNodeValue() const { return value_; }
  // Sets the text where the kind has one (read-only node: code 7); ignored elsewhere.
  virtual void SetNodeValue(std::u16string_view value);

  // The children; nullptr for kinds that never have children (text, attribute, ...).
  const TDomNodeList* GetChildNodes() const { return has_children_ ? &children_ : nullptr; }
  TDomNode* GetFirstChild() const { return children_.Item(0); }
  bool HasChildNodes() const { return children_.Count() > 0; }
  // The attributes of an element; nullptr for the other kinds.
  virtual TDomNamedNodeMap* GetAttributes() { return nullptr; }

  bool IsReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }

  // Inserts `node` before `reference`, or at the end when `reference` is nullptr, after
  // taking it from its old parent. Checks in this order: a kind this node does not accept
  // (3), this node read-only (7), `node` from another document (4), `node` this node or one
  // of its ancestors (3), `reference` not a child of this node (8). Returns `node`.
  TDomNode* InsertBefore(TDomNode* node, TDomNode* reference);
  TDomNode* AppendChild(TDomNode* node) { return InsertBefore(node, nullptr); }
  // Takes `node` out of the children (read-only: 7, not a child: 8). It stays owned by the
  // document. Returns `node`.
  TDomNode* RemoveChild(TDomNode* node);

  // A copy of this node made by and owned by `document`; `deep` copies the children too.
  virtual TDomNode* ImportNode(TDomDocument& document, bool deep) const = 0;
  TDomNode* CloneNode(bool deep) const;

  // The node as XML text. `indent` blanks go before an element's tag, and each level of
  // element-only content is indented `step` more; step 0 writes the tree on one line.
  // Negative numbers: code 1.
  std::u16string WriteXML(int indent, int step) const;
  virtual void WriteXMLTo(std::u16string& out, int indent, int step) const = 0;

 protected:
  // `hasChildren`: whether this kind keeps a child list at all. Registers with `owner`.
  TDomNode(TDomDocument* owner, std::u16string name, bool hasChildren);

  virtual bool AcceptsChild(const TDomNode& node) const;
  // Notices to the owner document about `node`; the document keeps its registry by them.
  virtual void NodeChanged(TDomNode& node, TDomNodeChange change);
  // True while the owner document destroys all its nodes: links need no mending then.
  bool OwnerIsDestroying() const;
  // Appends copies of this node's children, made by `document`, to `copy`.
  void ImportChildrenInto(TDomNode& copy, TDomDocument& document) const;
  // The document that must own a node inserted here.
  const TDomDocument* ChildOwner() const;
  // Unlinks every child without deleting it (used when the owner deletes them itself).
  void ForgetChildren();

  std::u16string value_;

 private:
  friend class TDomDocument;
  void DetachChild(TDomNode* child);

  TDomDocument* owner_;
  TDomNode* parent_ = nullptr;
  std::u16string name_;
  TDomNodeList children_;  // stays empty on kinds without children
  bool has_children_;
  bool read_only_ = false;
  // The owner's registry is a doubly linked list through its nodes.
  TDomNode* reg_prev_ = nullptr;
  TDomNode* reg_next_ = nullptr;
};

}  // namespace moriva
