#include <gtest/gtest.h>

#include <functional>

#include "xml/DomDocument.h"
#include "xml/DomException.h"

namespace moriva {
namespace {

// Runs `f` and returns the DOM exception code it raised, or 0 when it raised none.
int CodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EDomException& e) {
    return e.Code();
  }
  return 0;
}

std::u16string ChildNames(const TDomNode& node) {
  std::u16string out;
  const TDomNodeList* list = node.GetChildNodes();
  for (size_t i = 0; list && i < list->Count(); ++i) out += list->Item(i)->GetNodeName() + u";";
  return out;
}

TEST(DomTree, ElementNamesAreCheckedOnCreation) {
  TDomDocument doc;
  for (const char16_t* name : {u"スケジュール", u"日付", u"場所", u"_a1", u"x.y-z"}) {
    EXPECT_EQ(doc.CreateElement(name)->GetTagName(), name);
  }
  for (const char16_t* name : {u"", u"1日", u"9", u"-a", u"a b"}) {
    EXPECT_EQ(CodeOf([&] { doc.CreateElement(name); }), INVALID_CHARACTER_ERR);
    EXPECT_EQ(CodeOf([&] { doc.CreateAttribute(name); }), INVALID_CHARACTER_ERR);
    EXPECT_EQ(CodeOf([&] { doc.CreateDocumentType(name); }), INVALID_CHARACTER_ERR);
  }
  // A refused name leaves no half-made node behind.
  EXPECT_EQ(doc.GetNodeCount(), 5u);
}

TEST(DomTree, ExceptionCarriesCodeAndMessage) {
  TDomDocument doc;
  try {
    doc.CreateElement(u"1a");
    FAIL() << "no exception";
  } catch (const EDomException& e) {
    EXPECT_EQ(e.Code(), 5);
    EXPECT_STREQ(e.what(), "名前の中などで，不当なキャラクタが指定された");
  }
  EXPECT_EQ(EDomException(3).Message(), "ノードの属さない箇所にノードが挿入された");
  EXPECT_EQ(EDomException(11).Message(),
            "If an attempt is made to use an object that is not, or is no longer, usable.");
  EXPECT_EQ(EDomException(15).Message(), "引数または操作はオブジェクトでサポートされない");
  EXPECT_EQ(EDomException(99).Message(), "DOM exception 99");
}

TEST(DomTree, DocumentTakesOneElementAndOneDocumentType) {
  TDomDocument doc;
  TDomElement* root = doc.CreateElement(u"root");
  doc.AppendChild(root);
  EXPECT_EQ(CodeOf([&] { doc.AppendChild(doc.CreateElement(u"second")); }), HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(CodeOf([&] { doc.AppendChild(doc.CreateTextNode(u"t")); }), HIERARCHY_REQUEST_ERR);
  // Appending the element it already has only moves it.
  TDomDocumentType* type = doc.CreateDocumentType(u"root");
  doc.InsertBefore(type, root);
  EXPECT_EQ(CodeOf([&] { doc.AppendChild(root); }), 0);
  EXPECT_EQ(ChildNames(doc), u"root;root;");
  EXPECT_EQ(doc.GetDocumentElement(), root);
  EXPECT_EQ(doc.GetDocType(), type);
  EXPECT_EQ(CodeOf([&] { doc.AppendChild(doc.CreateDocumentType(u"other")); }),
            HIERARCHY_REQUEST_ERR);
}

// Each case breaks one or more rules; the first rule in the checking order decides the code.
TEST(DomTree, InsertBeforeChecksInOrder) {
  struct Case {
    const char* what;
    bool wrongKind, readOnly, otherDocument, ancestor, strangeReference;
    int code;
  } cases[] = {
      {"all well", false, false, false, false, false, 0},
      {"kind", true, false, false, false, false, 3},
      {"read-only", false, true, false, false, false, 7},
      {"other document", false, false, true, false, false, 4},
      {"ancestor", false, false, false, true, false, 3},
      {"reference", false, false, false, false, true, 8},
      {"kind before read-only", true, true, true, false, true, 3},
      {"read-only before document", false, true, true, false, true, 7},
      {"document before reference", false, false, true, false, true, 4},
      {"ancestor before reference", false, false, false, true, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDomDocument doc, other;
    TDomElement* top = doc.CreateElement(u"top");
    TDomElement* parent = doc.CreateElement(u"parent");
    doc.AppendChild(top)->AppendChild(parent);
    TDomNode* child = parent->AppendChild(doc.CreateElement(u"child"));
    TDomNode* stranger = top->AppendChild(doc.CreateElement(u"stranger"));

    TDomNode* node = doc.CreateElement(u"new");
    if (c.wrongKind) node = doc.CreateAttribute(u"new");
    if (c.otherDocument)
      node = c.wrongKind ? static_cast<TDomNode*>(other.CreateAttribute(u"n"))
                         : other.CreateElement(u"n");
    if (c.ancestor) node = top;
    if (c.readOnly) parent->SetReadOnly(true);
    TDomNode* reference = c.strangeReference ? stranger : child;

    EXPECT_EQ(CodeOf([&] { parent->InsertBefore(node, reference); }), c.code);
    EXPECT_EQ(ChildNames(*parent), c.code == 0 ? u"new;child;" : u"child;");
  }
}

TEST(DomTree, TextAndDocumentTypeTakeNoChildren) {
  TDomDocument doc;
  TDomText* text = doc.CreateTextNode(u"t");
  EXPECT_EQ(text->GetChildNodes(), nullptr);
  EXPECT_FALSE(text->HasChildNodes());
  EXPECT_EQ(CodeOf([&] { text->AppendChild(doc.CreateTextNode(u"u")); }), HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(CodeOf([&] { doc.CreateDocumentType(u"d")->AppendChild(doc.CreateElement(u"e")); }),
            HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(CodeOf([&] { doc.CreateElement(u"e")->AppendChild(&doc); }), HIERARCHY_REQUEST_ERR);
}

TEST(DomTree, InsertMovesNodeFromOldParent) {
  TDomDocument doc;
  TDomNode* a = doc.AppendChild(doc.CreateElement(u"a"));
  TDomNode* b = a->AppendChild(doc.CreateElement(u"b"));
  TDomNode* c = a->AppendChild(doc.CreateElement(u"c"));
  TDomNode* x = b->AppendChild(doc.CreateElement(u"x"));
  c->InsertBefore(x, nullptr);
  EXPECT_EQ(ChildNames(*b), u"");
  EXPECT_EQ(ChildNames(*c), u"x;");
  EXPECT_EQ(x->GetParentNode(), c);
  a->InsertBefore(c, b);  // reorder among siblings
  EXPECT_EQ(ChildNames(*a), u"c;b;");
  a->InsertBefore(b, b);  // before itself: stays
  EXPECT_EQ(ChildNames(*a), u"c;b;");
  EXPECT_EQ(a->GetFirstChild(), c);
}

TEST(DomTree, RemoveChild) {
  TDomDocument doc;
  TDomNode* a = doc.AppendChild(doc.CreateElement(u"a"));
  TDomNode* b = a->AppendChild(doc.CreateElement(u"b"));
  TDomNode* loose = doc.CreateElement(u"loose");
  EXPECT_EQ(CodeOf([&] { a->RemoveChild(loose); }), NOT_FOUND_ERR);
  a->SetReadOnly(true);
  EXPECT_EQ(CodeOf([&] { a->RemoveChild(b); }), NO_MODIFICATION_ALLOWED_ERR);
  a->SetReadOnly(false);
  EXPECT_EQ(a->RemoveChild(b), b);
  EXPECT_EQ(b->GetParentNode(), nullptr);
  EXPECT_FALSE(a->HasChildNodes());
  EXPECT_EQ(doc.GetNodeCount(), 3u);  // still owned by the document
}

TEST(DomTree, DocumentOwnsEveryNodeAndSubtreesMayGoFirst) {
  TDomDocument doc;
  TDomElement* root = doc.CreateElement(u"root");
  doc.AppendChild(root);
  TDomElement* sub = doc.CreateElement(u"sub");
  root->AppendChild(sub);
  sub->AppendChild(doc.CreateTextNode(u"text"));
  sub->SetAttribute(u"k", u"v");
  root->AppendChild(doc.CreateElement(u"after"));
  doc.CreateTextNode(u"never inserted");
  EXPECT_EQ(doc.GetNodeCount(), 6u);

  delete sub;  // takes its text and attribute along and leaves its parent
  EXPECT_EQ(doc.GetNodeCount(), 3u);
  EXPECT_EQ(ChildNames(*root), u"after;");
  // The rest, the loose text node included, goes with the document.
}

TEST(DomTree, AttributesKeepTheirPlaceWhenReplaced) {
  TDomDocument doc;
  TDomElement* e = doc.CreateElement(u"e");
  e->SetAttribute(u"a", u"1");
  e->SetAttribute(u"b", u"2");
  e->SetAttribute(u"a", u"3");
  TDomNamedNodeMap& map = *e->GetAttributes();
  ASSERT_EQ(map.Count(), 2u);
  EXPECT_EQ(map.Item(0)->GetNodeName(), u"a");
  EXPECT_EQ(map.Item(0)->GetNodeValue(), u"3");
  EXPECT_EQ(map.Item(2), nullptr);
  EXPECT_EQ(e->GetAttribute(u"b"), u"2");
  EXPECT_EQ(e->GetAttribute(u"none"), u"");

  TDomAttr* replacement = doc.CreateAttribute(u"b");
  replacement->SetValue(u"4");
  TDomAttr* old = e->SetAttributeNode(replacement);
  EXPECT_EQ(old->GetValue(), u"2");
  EXPECT_EQ(old->GetOwnerElement(), nullptr);
  EXPECT_EQ(map.Item(1), replacement);

  TDomElement* f = doc.CreateElement(u"f");
  EXPECT_EQ(CodeOf([&] { f->SetAttributeNode(replacement); }), INUSE_ATTRIBUTE_ERR);
  TDomDocument other;
  EXPECT_EQ(CodeOf([&] { f->SetAttributeNode(other.CreateAttribute(u"z")); }), WRONG_DOCUMENT_ERR);
  EXPECT_EQ(CodeOf([&] { f->SetAttribute(u"1x", u"v"); }), INVALID_CHARACTER_ERR);
  delete replacement;  // leaves the map
  EXPECT_EQ(map.Count(), 1u);
}

TEST(DomTree, ImportAndClone) {
  TDomDocument doc, other;
  TDomElement* e = doc.CreateElement(u"e");
  e->SetAttribute(u"k", u"v");
  e->AppendChild(doc.CreateElement(u"c"))->AppendChild(doc.CreateTextNode(u"x&y"));

  auto* deep = static_cast<TDomElement*>(e->ImportNode(other, true));
  EXPECT_EQ(deep->GetOwnerDocument(), &other);
  EXPECT_EQ(deep->WriteXML(0, 0), u"<e k=\"v\"><c>x&amp;y</c></e>");
  auto* shallow = static_cast<TDomElement*>(e->CloneNode(false));
  EXPECT_EQ(shallow->GetOwnerDocument(), &doc);
  EXPECT_EQ(shallow->WriteXML(0, 0), u"<e k=\"v\"/>");
  EXPECT_EQ(CodeOf([&] { doc.ImportNode(other, true); }), NOT_SUPPORTED_ERR);
  EXPECT_EQ(other.GetNodeCount(), 4u);
}

TEST(DomTree, TextDataAcceptsAnyTextButNotWhenReadOnly) {
  TDomDocument doc;
  TDomText* t = doc.CreateTextNode(u"R&D <meeting> ]]> \"q\"");
  EXPECT_EQ(t->GetData(), u"R&D <meeting> ]]> \"q\"");
  t->AppendData(u"&");
  EXPECT_EQ(t->GetLength(), 22u);
  t->SetReadOnly(true);
  EXPECT_EQ(CodeOf([&] { t->SetData(u"x"); }), NO_MODIFICATION_ALLOWED_ERR);
  EXPECT_EQ(CodeOf([&] { doc.CreateDocumentType(u"d")->SetNodeValue(u"x"); }),
            NO_MODIFICATION_ALLOWED_ERR);
}

TEST(DomTree, VersionAndEncodingAreChecked) {
  TDomDocument doc;
  EXPECT_EQ(doc.GetVersion(), u"1.0");
  EXPECT_EQ(doc.GetEncodingIndex(), xeShiftJIS);
  EXPECT_EQ(CodeOf([&] { doc.SetVersion(u"1.0\" x=\""); }), INVALID_CHARACTER_ERR);
  EXPECT_EQ(CodeOf([&] { doc.SetVersion(u""); }), INVALID_CHARACTER_ERR);
  EXPECT_EQ(CodeOf([&] { doc.SetEncodingIndex(4); }), INDEX_SIZE_ERR);
  EXPECT_EQ(CodeOf([&] { doc.SetEncodingIndex(-1); }), INDEX_SIZE_ERR);
  EXPECT_EQ(doc.GetEncodingIndex(), xeShiftJIS);
}

}  // namespace
}  // namespace moriva
