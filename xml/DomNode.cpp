#include "xml/DomNode.h"

#include <algorithm>

#include "xml/DomDocument.h"
#include "xml/DomException.h"

namespace moriva {

TDomNode* TDomNamedNodeMap::GetNamedItem(std::u16string_view name) const {
  for (TDomNode* n : items_)
    if (n->GetNodeName() == name) return n;
  return nullptr;
}

TDomNode* TDomNamedNodeMap::SetNamedItem(TDomNode* node) {
  for (TDomNode*& n : items_) {
    if (n->GetNodeName() == node->GetNodeName()) {
      TDomNode* old = n;
      n = node;
      return old;
    }
  }
  items_.push_back(node);
  return nullptr;
}

void TDomNamedNodeMap::Remove(TDomNode* node) {
  auto it = std::find(items_.begin(), items_.end(), node);
  if (it != items_.end()) items_.erase(it);
}

TDomNode::TDomNode(TDomDocument* owner, std::u16string name, bool hasChildren)
    : owner_(owner), name_(std::move(name)), has_children_(hasChildren) {
  if (owner_) owner_->NodeChanged(*this, ncCreated);
}

TDomNode::~TDomNode() {
  // When the document goes, it deletes every registered node one by one; parents and
  // children are among them, so nothing is unlinked.
  if (OwnerIsDestroying()) return;
  if (parent_) parent_->DetachChild(this);
  for (TDomNode* child : children_.items_) {
    child->parent_ = nullptr;  // saves each child searching this list for itself
    delete child;
  }
  children_.items_.clear();
  if (owner_) owner_->NodeChanged(*this, ncDestroyed);
}

void TDomNode::SetNodeValue(std::u16string_view) {
  if (read_only_) throw EDomException(NO_MODIFICATION_ALLOWED_ERR);
}

bool TDomNode::AcceptsChild(const TDomNode&) const {
  return false;
}

void TDomNode::NodeChanged(TDomNode& node, TDomNodeChange change) {
  if (owner_) owner_->NodeChanged(node, change);
}

bool TDomNode::OwnerIsDestroying() const {
  return owner_ && owner_->destroying_;
}

const TDomDocument* TDomNode::ChildOwner() const {
  return GetNodeType() == ntDocument ? static_cast<const TDomDocument*>(this) : owner_;
}

void TDomNode::ForgetChildren() {
  children_.items_.clear();
}

TDomNode* TDomNode::InsertBefore(TDomNode* node, TDomNode* reference) {
  if (!node) throw EDomException(NOT_FOUND_ERR);
  if (!AcceptsChild(*node)) throw EDomException(HIERARCHY_REQUEST_ERR);
  if (read_only_) throw EDomException(NO_MODIFICATION_ALLOWED_ERR);
  if (node->owner_ != ChildOwner()) throw EDomException(WRONG_DOCUMENT_ERR);
  for (const TDomNode* p = this; p; p = p->parent_)
    if (p == node) throw EDomException(HIERARCHY_REQUEST_ERR);
  if (reference && reference->parent_ != this) throw EDomException(NOT_FOUND_ERR);
  if (node == reference) return node;  // already in place

  if (node->parent_) {
    TDomNode* old = node->parent_;
    old->DetachChild(node);
    NodeChanged(*node, ncRemoved);
  }
  auto& items = children_.items_;
  if (reference)
    items.insert(std::find(items.begin(), items.end(), reference), node);
  else
    items.push_back(node);
  node->parent_ = this;
  NodeChanged(*node, ncInserted);
  return node;
}

TDomNode* TDomNode::RemoveChild(TDomNode* node) {
  if (read_only_) throw EDomException(NO_MODIFICATION_ALLOWED_ERR);
  if (!node || node->parent_ != this) throw EDomException(NOT_FOUND_ERR);
  DetachChild(node);
  NodeChanged(*node, ncRemoved);
  return node;
}

void TDomNode::DetachChild(TDomNode* child) {
  // Search from the back: the child taken away is most often one just appended.
  auto& items = children_.items_;
  auto it = std::find(items.rbegin(), items.rend(), child);
  if (it != items.rend()) items.erase(std::next(it).base());
  child->parent_ = nullptr;
}

TDomNode* TDomNode::CloneNode(bool deep) const {
  if (!owner_) throw EDomException(NOT_SUPPORTED_ERR);
  return ImportNode(*owner_, deep);
}

void TDomNode::ImportChildrenInto(TDomNode& copy, TDomDocument& document) const {
  for (const TDomNode* child : children_.items_)
    copy.AppendChild(child->ImportNode(document, true));
}

std::u16string TDomNode::WriteXML(int indent, int step) const {
  if (indent < 0 || step < 0) throw EDomException(INDEX_SIZE_ERR);
  std::u16string out;
  WriteXMLTo(out, indent, step);
  return out;
}

}  // namespace moriva
