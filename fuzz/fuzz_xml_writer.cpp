// The XML writer with random trees: a random sequence of tree operations (most refused ones
// throw EDomException), then the tree written with every encoding. Deleting nodes early,
// moving, cloning and importing exercise the document's registry of its nodes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "xml/DomDocument.h"
#include "xml/DomException.h"

using namespace moriva;

namespace {

std::u16string Text16(FuzzedDataProvider& fdp) {
  size_t n = fdp.ConsumeIntegralInRange<size_t>(0, 12);
  std::u16string s;
  for (size_t i = 0; i < n && fdp.remaining_bytes(); ++i) {
    // Mostly plain letters so that names pass; sometimes any code unit.
    uint8_t kind = fdp.ConsumeIntegral<uint8_t>();
    if (kind < 160)
      s += static_cast<char16_t>(u'a' + kind % 26);
    else
      s += fdp.ConsumeIntegral<char16_t>();
  }
  return s;
}

// The nodes a test still holds, per document; a deleted node takes its subtree with it.
struct Nodes {
  TDomDocument* doc;
  std::vector<TDomNode*> all;

  TDomNode* Pick(FuzzedDataProvider& fdp) const {
    if (all.empty()) return nullptr;
    return all[fdp.ConsumeIntegralInRange<size_t>(0, all.size() - 1)];
  }
  void Forget(TDomNode* node) {
    if (const TDomNodeList* kids = node->GetChildNodes())
      for (size_t i = 0; i < kids->Count(); ++i) Forget(kids->Item(i));
    if (TDomNamedNodeMap* attrs = node->GetAttributes())
      for (size_t i = 0; i < attrs->Count(); ++i) Forget(attrs->Item(i));
    all.erase(std::remove(all.begin(), all.end(), node), all.end());
  }
};

void Step(FuzzedDataProvider& fdp, Nodes& a, Nodes& b) {
  Nodes& n = fdp.ConsumeBool() ? a : b;
  Nodes& other = &n == &a ? b : a;
  TDomNode* x = n.Pick(fdp);
  TDomNode* y = n.Pick(fdp);
  switch (fdp.ConsumeIntegralInRange<int>(0, 11)) {
    case 0:
      n.all.push_back(n.doc->CreateElement(Text16(fdp)));
      break;
    case 1:
      n.all.push_back(n.doc->CreateTextNode(Text16(fdp)));
      break;
    case 2:
      n.all.push_back(n.doc->CreateAttribute(Text16(fdp)));
      break;
    case 3:
      n.all.push_back(n.doc->CreateDocumentType(Text16(fdp)));
      break;
    case 4:
      if (x && y) x->InsertBefore(y, fdp.ConsumeBool() ? nullptr : n.Pick(fdp));
      break;
    case 5:
      if (x && y) x->RemoveChild(y);
      break;
    case 6:
      if (x && x->GetNodeType() == ntElement) {
        auto* e = static_cast<TDomElement*>(x);
        std::u16string name = Text16(fdp);
        e->SetAttribute(name, Text16(fdp));
        for (size_t i = 0; i < e->GetAttributes()->Count(); ++i)
          if (std::find(n.all.begin(), n.all.end(), e->GetAttributes()->Item(i)) == n.all.end())
            n.all.push_back(e->GetAttributes()->Item(i));
      }
      break;
    case 7:
      if (x && y && x->GetNodeType() == ntElement && y->GetNodeType() == ntAttribute) {
        TDomAttr* old = static_cast<TDomElement*>(x)->SetAttributeNode(static_cast<TDomAttr*>(y));
        (void)old;  // stays owned by the document, still in `all`
      }
      break;
    case 8:
      if (x && x != n.doc) n.all.push_back(x->CloneNode(fdp.ConsumeBool()));
      break;
    case 9:
      if (x) other.all.push_back(x->ImportNode(*other.doc, fdp.ConsumeBool()));
      break;
    case 10:
      if (x) x->SetNodeValue(Text16(fdp));
      break;
    case 11:
      if (x && x != n.doc) {
        n.Forget(x);
        delete x;
      }
      break;
  }
}

void Collect(Nodes& n, TDomNode* node) {
  // Clones and imports bring subtrees: remember every node below as well.
  if (std::find(n.all.begin(), n.all.end(), node) == n.all.end()) n.all.push_back(node);
  if (const TDomNodeList* kids = node->GetChildNodes())
    for (size_t i = 0; i < kids->Count(); ++i) Collect(n, kids->Item(i));
  if (TDomNamedNodeMap* attrs = node->GetAttributes())
    for (size_t i = 0; i < attrs->Count(); ++i) Collect(n, attrs->Item(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  auto doc_a = std::make_unique<TDomDocument>();
  auto doc_b = std::make_unique<TDomDocument>();
  Nodes a{doc_a.get(), {doc_a.get()}};
  Nodes b{doc_b.get(), {doc_b.get()}};
  for (int i = 0; i < 64 && fdp.remaining_bytes(); ++i) {
    try {
      Step(fdp, a, b);
    } catch (const EDomException& e) {
      FUZZ_CHECK(e.Code() >= 1 && e.Code() <= 15);
    }
    for (Nodes* n : {&a, &b})
      for (size_t k = 0; k < n->all.size(); ++k) Collect(*n, n->all[k]);
  }
  for (Nodes* n : {&a, &b}) {
    FUZZ_CHECK(n->doc->GetNodeCount() == n->all.size() - 1);
    for (int enc = 0; enc < 4; ++enc) {
      n->doc->SetEncodingIndex(enc);
      (void)n->doc->SaveToBytes(enc);
    }
    for (TDomNode* node : n->all) (void)node->WriteXML(1, 2);
  }
  return 0;
}
