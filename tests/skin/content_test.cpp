// The element factory and the shared content implementation's tree: creation from prototypes,
// the document's load steps without a window, key sets and ids, inserting and binding children,
// and destroying a tree. Scripts, listeners and node links are tested through the real window.
#include "content_fixture.h"

namespace velmor {
namespace {

using test::ContentTest;
using test::Outline;
using test::TestDocument;

TEST_F(ContentTest, FactoryMakesElementsOfKnownTagsOnly) {
  for (const wchar_t* tag : {L"Window", L"BUTTON", L"foo", L"", L"menu ", L"script"}) {
    scIContent* element = reinterpret_cast<scIContent*>(1);
    EXPECT_EQ(CreateElement(Prototype(tag), &element), E_FAIL) << tag;
    EXPECT_EQ(element, nullptr);
  }
  scPrototypeScript script;
  scIContent* element = reinterpret_cast<scIContent*>(1);
  EXPECT_EQ(CreateElement(&script, &element), S_OK);
  EXPECT_EQ(element, nullptr) << "a script node makes no element";
  // An element holds its prototype (and so its document) until it is destroyed.
  scPrototypeElement* prototype = Prototype(L"label");
  ComPtr<scIContent> label = Create(prototype);
  EXPECT_EQ(InitElement(label.Get(), nullptr), E_FAIL);
  EXPECT_EQ(prototype->m_refCount, 2);
  EXPECT_EQ(Impl(label)->OwnerDocument(), m_document);
  label->Destroy();
  EXPECT_EQ(prototype->m_refCount, 1);
  EXPECT_EQ(Impl(label)->Prototype(), nullptr);
}

TEST_F(ContentTest, LoadBuildsTheTreeSkipsUnknownSubtreesAndHandsOverKeySets) {
  EXPECT_EQ(Content().BuildContent(), E_UNEXPECTED) << "nothing read yet";
  ASSERT_EQ(Load("<window id=\"w\">"
                 "<image id=\"i\"><label id=\"l\"/></image>"
                 "<foo id=\"f\"><button id=\"inside\"/></foo>"
                 "<keyset id=\"k1\"><key id=\"dup\"/></keyset>"
                 "<button id=\"dup\"/><button id=\"b\"/><keyset id=\"k2\"/>"
                 "<menubar><menu><menupopup><menuitem/><menuseparator/></menupopup></menu>"
                 "</menubar></window>"),
            S_OK);
  EXPECT_EQ(Outline(Root()), L"window#w(image#i(label#l),keyset#k1(key#dup),button#dup,button#b,"
                             L"keyset#k2,menubar(menu(menupopup(menuitem,menuitem))))");
  EXPECT_EQ(ById(L"f"), nullptr);
  EXPECT_EQ(ById(L"inside"), nullptr);
  EXPECT_STREQ(ById(L"dup")->NodeName(), L"key") << "the first id wins";
  ASSERT_EQ(m_document->keySets.size(), 2u);
  EXPECT_EQ(m_document->keySets[0], static_cast<scIContent*>(ById(L"k1")));
  EXPECT_EQ(m_document->keySets[1], static_cast<scIContent*>(ById(L"k2")));
  EXPECT_EQ(Content().BaseFolder(), m_dir);
  EXPECT_NE(Content().DocumentPath().find(L"skin1.xml"), std::wstring::npos);
  // The root is bound to the document without a parent; the others under their parents.
  EXPECT_EQ(Root()->LinkWord(),
            reinterpret_cast<uintptr_t>(static_cast<scIContentDocument*>(m_document)) | 1);
  EXPECT_EQ(ById(L"l")->LinkWord(),
            reinterpret_cast<uintptr_t>(static_cast<scIContent*>(ById(L"i"))) | 3);
  // Changing the id attribute keeps the registered id.
  test::Var value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = ::SysAllocString(L"new");
  ASSERT_EQ(ById(L"b")->SetAttr(L"id", value, TRUE), S_OK);
  EXPECT_NE(ById(L"b"), nullptr);
  EXPECT_EQ(ById(L"new"), nullptr);
  // Without a script context script elements are skipped; without listener tables handlers too.
  ASSERT_EQ(Load("<window><script>x</script><button id=\"h\" onclick=\"f()\"/></window>"), S_OK);
  EXPECT_EQ(Outline(Root()), L"window(button#h)");
  ComPtr<scIEventListenerManager> none;
  EXPECT_EQ(ById(L"h")->GetListenerManager(TRUE, &none), E_NOTIMPL);
  EXPECT_TRUE(ById(L"h")->HasAttr(L"onclick"));
}

TEST_F(ContentTest, ScriptSourcePathsResolveWithPathAppend) {
  Content().SetPaths(L"C:\\skins\\default", L"C:\\skins\\default\\main.xml");
  const struct {
    const wchar_t* source;
    const wchar_t* path;
  } cases[] = {{L"a.js", L"C:\\skins\\default\\a.js"},
               {L"\\lib\\a.js", L"C:\\skins\\default\\lib\\a.js"},
               {L"..\\chrome\\a.js", L"C:\\skins\\chrome\\a.js"}};
  for (const auto& c : cases) {
    std::wstring path;
    ASSERT_TRUE(Content().ResolveScriptPath(c.source, path)) << c.source;
    EXPECT_EQ(path, c.path);
  }
  std::wstring path;
  EXPECT_FALSE(Content().ResolveScriptPath(std::wstring(300, L'a'), path));
}

TEST_F(ContentTest, InsertChildAtLinksInOrderAndRefusesWhatDoesNotFit) {
  ComPtr<scIContent> parent = Create(Prototype(L"image"));
  ComPtr<scIContent> a = Create(Prototype(L"label", {{L"id", L"a"}}));
  ComPtr<scIContent> b = Create(Prototype(L"label", {{L"id", L"b"}}));
  ComPtr<scIContent> c = Create(Prototype(L"label", {{L"id", L"c"}}));
  ComPtr<scIContent> d = Create(Prototype(L"label", {{L"id", L"d"}}));
  EXPECT_EQ(parent->InsertChildAt(b.Get(), 0, FALSE), S_OK);  // b
  EXPECT_EQ(parent->AppendChildTo(d.Get(), FALSE), S_OK);     // b d
  EXPECT_EQ(parent->InsertChildAt(a.Get(), 0, FALSE), S_OK);  // a b d
  EXPECT_EQ(parent->InsertChildAt(c.Get(), 2, FALSE), S_OK);  // a b c d
  EXPECT_EQ(Outline(Impl(parent)), L"image(label#a,label#b,label#c,label#d)");
  EXPECT_EQ(parent->GetChildCount(), 4u);
  EXPECT_EQ(parent->GetChildAt(2), c.Get());
  EXPECT_EQ(parent->GetChildAt(4), nullptr);
  EXPECT_EQ(parent->IndexOf(d.Get()), 3);
  EXPECT_EQ(parent->IndexOf(parent.Get()), -1);
  EXPECT_EQ(Impl(c)->PreviousSibling(), Impl(b));
  EXPECT_EQ(Impl(c)->NextSibling(), Impl(d));
  EXPECT_EQ(Impl(parent)->LastChild(), Impl(d));
  // Not in a document: the children link to their parent only.
  EXPECT_EQ(Impl(a)->LinkWord(), reinterpret_cast<uintptr_t>(parent.Get()) | 2);

  ComPtr<scIContent> e = Create(Prototype(L"label"));
  EXPECT_EQ(parent->InsertChildAt(e.Get(), 5, FALSE), E_FAIL);
  EXPECT_EQ(parent->InsertChildAt(a.Get(), 0, FALSE), E_FAIL) << "already a child";
  EXPECT_EQ(parent->InsertChildAt(parent.Get(), 0, FALSE), E_FAIL);
  EXPECT_EQ(parent->RemoveChildAt(0, TRUE), E_NOTIMPL) << "elements leave only with the tree";
  // An element of another document is refused.
  TestDocument* other = nullptr;
  ASSERT_EQ(TestDocument::CreateObject(&other), S_OK);
  scPrototypeElement* foreign = Prototype(L"label");
  foreign->m_ownerDocument = other;
  ComPtr<scIContent> stranger = Create(foreign);
  EXPECT_EQ(parent->AppendChildTo(stranger.Get(), FALSE), E_FAIL);
  EXPECT_EQ(Impl(stranger)->LinkWord(), 0u);
  EXPECT_EQ(parent->GetChildCount(), 4u);
  for (auto* element : {parent.Get(), e.Get(), stranger.Get()}) element->Destroy();
  other->Release();
}

// A label whose binding fails, to exercise the roll-back of InsertChildAt.
class UnbindableContent : public scContentClass<UnbindableContent> {
 public:
  const wchar_t* NodeName() const override { return L"unbindable"; }
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* d, scIContent* p) override {
    scITextBaseContent::BindToTree(d, p);
    return E_ACCESSDENIED;
  }
};

TEST_F(ContentTest, FailedBindingRollsTheInsertBack) {
  ComPtr<scIContent> parent = Create(Prototype(L"image"));
  ComPtr<scIContent> first = Create(Prototype(L"label", {{L"id", L"first"}}));
  ASSERT_EQ(parent->AppendChildTo(first.Get(), FALSE), S_OK);
  for (bool append : {false, true}) {
    UnbindableContent* raw = nullptr;
    ASSERT_EQ(UnbindableContent::CreateObject(&raw), S_OK);
    ComPtr<scIContent> child = AdoptRef<scIContent>(raw);
    ASSERT_EQ(child->InitFromPrototype(Prototype(L"label")), S_OK);
    const HRESULT hr = append ? parent->AppendChildTo(child.Get(), FALSE)
                              : parent->InsertChildAt(child.Get(), 0, FALSE);
    child->AddRef();
    EXPECT_EQ(child->Release(), 1u) << "only the test's reference is left";
    EXPECT_EQ(hr, append ? S_OK : E_ACCESSDENIED);
    EXPECT_EQ(Outline(Impl(parent)), L"image(label#first)");
    EXPECT_EQ(raw->LinkWord(), 0u) << "unbound with a null parent";
    EXPECT_EQ(raw->NextSibling(), nullptr);
    child->Destroy();
  }
  parent->Destroy();
}

TEST_F(ContentTest, BindingReachesExistingChildrenAndDestroyClearsTheWholeTree) {
  ASSERT_EQ(Load("<window id=\"w\"><image id=\"i\"><label id=\"l\"/></image></window>"), S_OK);
  ComPtr<scIContent> branch = Create(Prototype(L"image", {{L"id", L"branch"}}));
  ComPtr<scIContent> leaf = Create(Prototype(L"label"));
  ASSERT_EQ(branch->AppendChildTo(leaf.Get(), FALSE), S_OK);
  EXPECT_FALSE(Impl(leaf)->IsInDocument());
  ASSERT_EQ(Root()->AppendChildTo(branch.Get(), FALSE), S_OK);
  EXPECT_TRUE(Impl(leaf)->IsInDocument()) << "binding walks the existing subtree";
  EXPECT_EQ(Impl(leaf)->ParentElement(), Impl(branch));
  branch->UnbindFromTree(TRUE, FALSE);
  EXPECT_FALSE(Impl(branch)->IsInDocument());
  EXPECT_EQ(Impl(branch)->ParentElement(), Root()) << "only the document bit is cleared";
  EXPECT_FALSE(Impl(leaf)->IsInDocument());
  branch->UnbindFromTree(FALSE, TRUE);
  EXPECT_EQ(Impl(branch)->LinkWord(), 0u);
  EXPECT_EQ(Impl(leaf)->ParentElement(), Impl(branch)) << "not deep: the leaf keeps its link";

  scITextBaseContent* image = ById(L"i");
  scITextBaseContent* label = ById(L"l");
  scPrototypeElement* rootPrototype = Content().RootPrototype();
  EXPECT_EQ(rootPrototype->m_refCount, 2) << "the document and the root element";
  Root()->Destroy();
  for (scITextBaseContent* e : {Root(), image, label}) {
    EXPECT_EQ(e->LinkWord(), 0u);
    EXPECT_EQ(e->Prototype(), nullptr);
  }
  // The root element's release was the prototype's first: it emptied the child list.
  EXPECT_EQ(rootPrototype->m_refCount, 1);
  EXPECT_EQ(rootPrototype->m_childCount, 0u);
}

}  // namespace
}  // namespace velmor
