// The element factory, the shared content implementation's tree links and binding, the
// document's load steps and the script node interfaces, driven through a recording document.
#include "content_fixture.h"

namespace velmor {
namespace skin_test {
namespace {

// ---------------------------------------------------------------------------------------------
// Factory

TEST_F(ContentTest, FactoryRejectsUnknownAndMiscasedTags) {
  for (const wchar_t* tag : {L"Window", L"BUTTON", L"foo", L"", L"menu ", L"script"}) {
    scIContent* element = reinterpret_cast<scIContent*>(1);
    EXPECT_EQ(CreateElement(Prototype(tag), &element), E_FAIL) << tag;
    EXPECT_EQ(element, nullptr);
  }
  scPrototypeScript script;
  scIContent* element = reinterpret_cast<scIContent*>(1);
  EXPECT_EQ(CreateElement(&script, &element), S_OK);
  EXPECT_EQ(element, nullptr) << "a script node makes no element";
}

TEST_F(ContentTest, InitialisationFailureDestroysTheElement) {
  EXPECT_EQ(InitElement(nullptr, Prototype(L"image")), E_INVALIDARG);
  ComPtr<scIContent> element = Create(Prototype(L"image"));
  EXPECT_EQ(InitElement(element.Get(), nullptr), E_FAIL);
}

TEST_F(ContentTest, InitialisationTakesThePrototypeAndItsDocument) {
  scPrototypeElement* prototype = Prototype(L"label");
  ComPtr<scIContent> element = Create(prototype);
  EXPECT_EQ(prototype->m_refCount, 2);
  EXPECT_EQ(Impl(element)->Prototype(), prototype);
  EXPECT_EQ(Impl(element)->OwnerDocument(), m_document);
  element->Destroy();
  EXPECT_EQ(prototype->m_refCount, 1) << "Destroy releases the prototype";
  EXPECT_EQ(Impl(element)->Prototype(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Handlers from "on" attributes

TEST_F(ContentTest, HandlerAttributesAreRegisteredAlphabetically) {
  m_document->EnableListeners();
  ASSERT_EQ(Load("<window id=\"w\">"
                 "<button id=\"b\" onmouseup=\"up()\" title=\"t\" onclick=\"click()\" "
                 "Onfoo=\"no\" onX=\"x()\" on=\"bare\" o=\"short\"/>"
                 "</window>"),
            S_OK);
  EXPECT_EQ(m_document->log, (Log{L"b:on=bare/1", L"b:onX=x()/1", L"b:onclick=click()/1",
                                  L"b:onmouseup=up()/1"}));
  ComPtr<scIEventListenerManager> manager;
  ASSERT_EQ(ById(L"b")->GetListenerManager(FALSE, &manager), S_OK);
  EXPECT_EQ(static_cast<test::RecordingListenerManager*>(manager.Get())->Owner(),
            static_cast<scIContent*>(ById(L"b")));
  ComPtr<scIEventListenerManager> none;
  EXPECT_EQ(Root()->GetListenerManager(FALSE, &none), E_FAIL) << "no handlers, no table";
  EXPECT_EQ(none, nullptr);
}

TEST_F(ContentTest, WithoutListenerTablesHandlersAreSkipped) {
  ASSERT_EQ(Load("<window><button id=\"b\" onclick=\"click()\"/></window>"), S_OK);
  EXPECT_TRUE(m_document->log.empty());
  ComPtr<scIEventListenerManager> manager;
  EXPECT_EQ(ById(L"b")->GetListenerManager(TRUE, &manager), E_NOTIMPL);
  EXPECT_EQ(ById(L"b")->DispatchToListeners(nullptr, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(ById(L"b")->GetListenerManager(TRUE, nullptr), E_POINTER);
  EXPECT_TRUE(ById(L"b")->HasAttr(L"onclick")) << "the attribute itself stays";
}

TEST_F(ContentTest, ListenerTableIsCreatedOnceAndReceivesDispatches) {
  m_document->EnableListeners();
  ComPtr<scIContent> element = Create(Prototype(L"image"));
  ComPtr<scIEventListenerManager> first, second;
  ASSERT_EQ(element->GetListenerManager(TRUE, &first), S_OK);
  ASSERT_EQ(element->GetListenerManager(FALSE, &second), S_OK);
  EXPECT_EQ(first, second);
  LONG status = 0;
  EXPECT_EQ(element->DispatchToListeners(nullptr, nullptr, &status), S_OK);
  EXPECT_EQ(m_document->log, (Log{L"handle"}));
  element->Destroy();
}

// ---------------------------------------------------------------------------------------------
// The document's load steps

TEST_F(ContentTest, LoadBuildsTheTreeAndSkipsUnknownSubtrees) {
  ASSERT_EQ(Load("<window id=\"w\">"
                 "<image id=\"i\"><label id=\"l\"/></image>"
                 "<foo id=\"f\"><button id=\"inside\"/></foo>"
                 "<button id=\"b\"/>"
                 "<menubar><menu><menupopup><menuitem/><menuseparator/></menupopup></menu>"
                 "</menubar>"
                 "</window>"),
            S_OK);
  EXPECT_EQ(Outline(Root()), L"window#w(image#i(label#l),button#b,"
                             L"menubar(menu(menupopup(menuitem,menuitem))))");
  EXPECT_EQ(ById(L"f"), nullptr);
  EXPECT_EQ(ById(L"inside"), nullptr);
  EXPECT_EQ(ById(L"w"), Root());
  EXPECT_EQ(Content().BaseFolder(), m_dir);
  EXPECT_NE(Content().DocumentPath().find(L"skin1.xml"), std::wstring::npos);
  // The root is bound to the document without a parent; the others under their parents.
  EXPECT_EQ(Root()->LinkWord(), reinterpret_cast<uintptr_t>(
                                    static_cast<scIContentDocument*>(m_document)) | 1);
  EXPECT_EQ(ById(L"l")->LinkWord(), reinterpret_cast<uintptr_t>(
                                        static_cast<scIContent*>(ById(L"i"))) | 3);
  EXPECT_EQ(ById(L"l")->ParentElement(), ById(L"i"));
}

TEST_F(ContentTest, LoadFailuresLeaveNoTree) {
  EXPECT_EQ(Load("<Window/>"), E_FAIL);
  EXPECT_EQ(Content().RootElement(), nullptr);
  EXPECT_EQ(Content().Load(m_dir.c_str(), (m_dir + L"\\none.xml").c_str()), E_FAIL);
  EXPECT_EQ(Content().BuildContent(), E_UNEXPECTED) << "nothing read yet";
}

TEST_F(ContentTest, ScriptElementsRunWhereTheyStand) {
  m_document->EnableScripts();
  ASSERT_EQ(Load("<window id=\"w\">"
                 "<script>b</script>"
                 "<button id=\"b\"/>"
                 "<script>b</script>"
                 "<image id=\"i\"><script>i</script><script>later</script></image>"
                 "<label id=\"later\"/>"
                 "<script src=\"sub\\file.js\">w</script>"
                 "<script src=\"only.js\"/>"
                 "<foo><script>never</script></foo>"
                 "<script></script>"
                 "</window>"),
            S_OK);
  EXPECT_EQ(m_document->log, (Log{L"text:b-", L"text:b+", L"text:i+", L"text:later-",
                                  L"text:w+", L"file:" + m_dir + L"\\sub\\file.js",
                                  L"file:" + m_dir + L"\\only.js"}));
}

TEST_F(ContentTest, WithoutScriptContextScriptElementsAreSkipped) {
  ASSERT_EQ(Load("<window><script>x</script><button id=\"b\"/><script src=\"a.js\"/></window>"),
            S_OK);
  EXPECT_TRUE(m_document->log.empty());
  EXPECT_EQ(Outline(Root()), L"window(button#b)");
}

TEST_F(ContentTest, ScriptSourcePathsResolveWithPathAppend) {
  Content().SetPaths(L"C:\\skins\\default", L"C:\\skins\\default\\main.xml");
  struct Case {
    const wchar_t* source;
    const wchar_t* path;
  };
  static const Case kCases[] = {
      {L"a.js", L"C:\\skins\\default\\a.js"},
      {L"\\lib\\a.js", L"C:\\skins\\default\\lib\\a.js"},
      {L"..\\chrome\\a.js", L"C:\\skins\\chrome\\a.js"},
  };
  for (const Case& c : kCases) {
    std::wstring path;
    ASSERT_TRUE(Content().ResolveScriptPath(c.source, path)) << c.source;
    EXPECT_EQ(path, c.path);
  }
  std::wstring path;
  EXPECT_FALSE(Content().ResolveScriptPath(std::wstring(300, L'a'), path));
}

TEST_F(ContentTest, KeySetsAreHandedOverAndFirstIdWins) {
  ASSERT_EQ(Load("<window>"
                 "<keyset id=\"k1\"><key id=\"dup\"/></keyset>"
                 "<button id=\"dup\"/>"
                 "<keyset id=\"k2\"/>"
                 "</window>"),
            S_OK);
  ASSERT_EQ(m_document->keySets.size(), 2u);
  EXPECT_EQ(m_document->keySets[0], static_cast<scIContent*>(ById(L"k1")));
  EXPECT_EQ(m_document->keySets[1], static_cast<scIContent*>(ById(L"k2")));
  EXPECT_STREQ(ById(L"dup")->NodeName(), L"key");
}

TEST_F(ContentTest, ChangingTheIdAttributeKeepsTheRegisteredId) {
  ASSERT_EQ(Load("<window><button id=\"old\"/></window>"), S_OK);
  scITextBaseContent* button = ById(L"old");
  Var value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = ::SysAllocString(L"new");
  ASSERT_EQ(button->SetAttr(L"id", value, TRUE), S_OK);
  EXPECT_EQ(ById(L"old"), button);
  EXPECT_EQ(ById(L"new"), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Tree links

TEST_F(ContentTest, InsertChildAtLinksInOrder) {
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
  EXPECT_EQ(Impl(parent)->LastChild(), Impl(d));
  EXPECT_EQ(Impl(c)->PreviousSibling(), Impl(b));
  EXPECT_EQ(Impl(c)->NextSibling(), Impl(d));
  // Not in a document: the children link to their parent only.
  EXPECT_EQ(Impl(a)->LinkWord(), reinterpret_cast<uintptr_t>(parent.Get()) | 2);

  ComPtr<scIContent> e = Create(Prototype(L"label"));
  EXPECT_EQ(parent->InsertChildAt(e.Get(), 5, FALSE), E_FAIL);
  EXPECT_EQ(parent->InsertChildAt(a.Get(), 0, FALSE), E_FAIL) << "already a child";
  EXPECT_EQ(parent->InsertChildAt(parent.Get(), 0, FALSE), E_FAIL);
  EXPECT_EQ(parent->GetChildCount(), 4u);
  for (UINT i = 0; i < 5; ++i) EXPECT_EQ(parent->RemoveChildAt(i, TRUE), E_NOTIMPL);
  EXPECT_EQ(parent->GetChildCount(), 4u);
  parent->Destroy();
}

TEST_F(ContentTest, ChildrenFromAnotherDocumentAreRefused) {
  TestDocument* other = nullptr;
  ASSERT_EQ(TestDocument::CreateObject(&other), S_OK);
  scPrototypeElement* foreign = Prototype(L"label");
  foreign->m_ownerDocument = other;
  ComPtr<scIContent> parent = Create(Prototype(L"image"));
  ComPtr<scIContent> child = Create(foreign);
  EXPECT_EQ(parent->AppendChildTo(child.Get(), FALSE), E_FAIL);
  EXPECT_EQ(parent->GetChildCount(), 0u);
  EXPECT_EQ(Impl(child)->LinkWord(), 0u);
  parent->Destroy();
  child->Destroy();
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
    // (mingw's ComPtr::Attach adds a reference, unlike the Windows SDK's.)
    ComPtr<scIContent> child(static_cast<scIContent*>(raw));
    raw->Release();
    ASSERT_EQ(child->InitFromPrototype(Prototype(L"label")), S_OK);

    const HRESULT hr = append ? parent->AppendChildTo(child.Get(), FALSE)
                              : parent->InsertChildAt(child.Get(), 0, FALSE);
    child->AddRef();
    EXPECT_EQ(child->Release(), 1u) << "only the test's reference is left";
    EXPECT_EQ(hr, append ? S_OK : E_ACCESSDENIED);
    EXPECT_EQ(parent->GetChildCount(), 1u);
    EXPECT_EQ(Outline(Impl(parent)), L"image(label#first)");
    EXPECT_EQ(raw->LinkWord(), 0u) << "unbound with a null parent";
    EXPECT_EQ(raw->NextSibling(), nullptr);
    child->Destroy();
  }
  parent->Destroy();
}

TEST_F(ContentTest, BindingReachesExistingChildrenAndUnbindingIsDeep) {
  ASSERT_EQ(Load("<window id=\"w\"/>"), S_OK);
  ComPtr<scIContent> branch = Create(Prototype(L"image", {{L"id", L"branch"}}));
  ComPtr<scIContent> leaf = Create(Prototype(L"label"));
  ASSERT_EQ(branch->AppendChildTo(leaf.Get(), FALSE), S_OK);
  EXPECT_FALSE(Impl(leaf)->IsInDocument());
  ASSERT_EQ(Root()->AppendChildTo(branch.Get(), FALSE), S_OK);
  EXPECT_TRUE(Impl(branch)->IsInDocument());
  EXPECT_TRUE(Impl(leaf)->IsInDocument()) << "binding walks the existing subtree";
  EXPECT_EQ(Impl(leaf)->ParentElement(), Impl(branch));

  branch->UnbindFromTree(TRUE, FALSE);
  EXPECT_FALSE(Impl(branch)->IsInDocument());
  EXPECT_EQ(Impl(branch)->ParentElement(), Root()) << "only the document bit is cleared";
  EXPECT_FALSE(Impl(leaf)->IsInDocument());
  EXPECT_EQ(Impl(leaf)->ParentElement(), Impl(branch));
  branch->UnbindFromTree(FALSE, TRUE);
  EXPECT_EQ(Impl(branch)->LinkWord(), 0u);
  EXPECT_EQ(Impl(leaf)->ParentElement(), Impl(branch)) << "not deep: the leaf keeps its link";
}

TEST_F(ContentTest, DestroyClearsLinksAndPrototypesOfTheWholeTree) {
  ASSERT_EQ(Load("<window><image id=\"i\"><label id=\"l\"/></image></window>"), S_OK);
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

// ---------------------------------------------------------------------------------------------
// Script node interfaces

ComPtr<IDOMNode> NodeOf(scITextBaseContent* e) {
  ComPtr<IDOMNode> node;
  if (e != nullptr) e->QueryInterface(IID_PPV_ARGS(&node));
  return node;
}

TEST_F(ContentTest, NodeLinksFollowTheTree) {
  ASSERT_EQ(Load("<window id=\"w\"><image id=\"a\"/><menubar/><label id=\"c\"/></window>"), S_OK);
  ComPtr<IDOMNode> root = NodeOf(Root()), a = NodeOf(ById(L"a")), c = NodeOf(ById(L"c"));
  ComPtr<IDOMNode> out;
  EXPECT_EQ(root->get_parentNode(&out), S_FALSE) << "the root has no parent element";
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(a->get_parentNode(&out), S_OK);
  EXPECT_TRUE(IsSameObject(out.Get(), root.Get()));
  EXPECT_EQ(root->get_firstChild(&out), S_OK);
  EXPECT_TRUE(IsSameObject(out.Get(), a.Get()));
  EXPECT_EQ(root->get_lastChild(&out), S_OK);
  EXPECT_TRUE(IsSameObject(out.Get(), c.Get()));
  EXPECT_EQ(a->get_previousSibling(&out), S_FALSE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(c->get_nextSibling(&out), S_FALSE);
  // The menu bar between them is no script node.
  EXPECT_EQ(a->get_nextSibling(&out), S_FALSE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(a->get_firstChild(&out), S_FALSE);
  EXPECT_EQ(a->get_lastChild(nullptr), E_POINTER);

  ComPtr<IDispatch> document;
  EXPECT_EQ(a->get_ownerDocument(&document), S_OK);
  EXPECT_TRUE(IsSameObject(document.Get(), static_cast<scIContentDocument*>(m_document)));
  EXPECT_EQ(a->get_ownerDocument(nullptr), E_POINTER);
  ComPtr<scIContent> detached = Create(Prototype(L"label"));
  EXPECT_EQ(NodeOf(Impl(detached))->get_ownerDocument(&document), S_FALSE);
  EXPECT_EQ(document, nullptr);
  detached->Destroy();
}

TEST_F(ContentTest, GetElementByIdAnswersRegisteredNodes) {
  ASSERT_EQ(Load("<window><button id=\"b\"/><menubar id=\"m\"/></window>"), S_OK);
  ComPtr<IDOMDocument> document;
  ASSERT_EQ(m_document->QueryInterface(IID_PPV_ARGS(&document)), S_OK);
  UniqueBstr id(L"b"), missing(L"nope"), menubar(L"m");
  IDOMElement* found = nullptr;
  ASSERT_EQ(document->getElementById(id.Get(), &found), S_OK);
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(IsSameObject(found, static_cast<scIContent*>(ById(L"b"))));
  IDOMElement* again = found;
  EXPECT_EQ(document->getElementById(id.Get(), &again), S_FALSE) << "out must hold null";
  EXPECT_EQ(again, found);
  found->Release();
  IDOMElement* none = nullptr;
  EXPECT_EQ(document->getElementById(missing.Get(), &none), S_FALSE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(document->getElementById(nullptr, &none), S_FALSE);
  EXPECT_EQ(document->getElementById(menubar.Get(), &none), S_FALSE) << "no node interface";
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(document->getElementById(id.Get(), nullptr), S_FALSE);
}

}  // namespace
}  // namespace skin_test
}  // namespace velmor
