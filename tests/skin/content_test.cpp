// The shared content implementation without a window: the element factory, the document's load
// steps, key sets and ids, inserting, binding and destroying children, the two-layer attribute
// store and its typed readers, and skin files read into prototype trees. Scripts, listeners and
// node links are tested through the real window.
#include <gtest/gtest.h>

#include "content_fixture.h"
#include "skin/prototype.h"
#include "skin/skin_xml.h"
#include "support/script_runner.h"
#include "support/test_env.h"

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
  scPrototypeArena* arena = scPrototypeArena::Create();
  scPrototypeScript* script = arena->NewScript();
  arena->Release();
  scIContent* element = reinterpret_cast<scIContent*>(1);
  EXPECT_EQ(CreateElement(script, &element), S_OK);
  EXPECT_EQ(element, nullptr) << "a script node makes no element";
  script->Release();
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
  // Script sources resolve against that folder (document_script_test); too long a path is refused.
  std::wstring path;
  EXPECT_FALSE(Content().ResolveScriptPath(std::wstring(300, L'a'), path));
  EXPECT_EQ(ById(L"l")->ParentElement(), ById(L"i"));
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

// A label whose binding fails, to exercise the roll-back of InsertChildAt.
class UnbindableContent : public scContentClass<UnbindableContent> {
 public:
  const wchar_t* NodeName() const override { return L"unbindable"; }
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* d, scIContent* p) override {
    scITextBaseContent::BindToTree(d, p);
    return E_ACCESSDENIED;
  }
};

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
  // A child whose binding fails is taken out again (an append does not report it).
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
    EXPECT_EQ(raw->LinkWord(), 0u) << "unbound with a null parent";
    EXPECT_EQ(raw->NextSibling(), nullptr);
    child->Destroy();
  }
  EXPECT_EQ(Outline(Impl(parent)), L"image(label#a,label#b,label#c,label#d)");
  EXPECT_EQ(parent->GetChildCount(), 4u);
  for (auto* element : {parent.Get(), e.Get(), stranger.Get()}) element->Destroy();
  other->Release();
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

namespace attribute_store {
using test::ContentTest;
using test::Var;

Var Text(const wchar_t* text) {
  Var v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = ::SysAllocString(text);
  return v;
}
// A number converted to another variant type (VT_BOOL, VT_I2, ...).
Var Typed(VARTYPE type, double value) {
  Var v;
  V_VT(&v) = VT_R8;
  V_R8(&v) = value;
  EXPECT_EQ(::VariantChangeType(&v, &v, 0, type), S_OK);
  return v;
}
Var Int(LONG value) { return Typed(VT_I4, value); }

TEST_F(ContentTest, LiveValuesLayerOverPrototypeTextAndUnsettingReachesItsSharers) {
  ComPtr<scIContent> e = Create(Prototype(L"label", {{L"width", L"40"}, {L"title", L"Hello"}}));
  Var v;
  ASSERT_TRUE(e->GetAttr(L"width", &v));
  EXPECT_EQ(V_VT(&v), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&v), L"40");
  EXPECT_FALSE(e->GetAttr(L"height", &v));
  EXPECT_FALSE(e->GetAttr(L"Width", &v)) << "names are case-sensitive";

  ASSERT_EQ(e->SetAttr(L"width", Int(77), TRUE), S_OK);
  ASSERT_TRUE(e->GetAttr(L"width", &v));
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 77);
  EXPECT_EQ(*Impl(e)->Prototype()->FindAttr(L"width"), L"40") << "the prototype is unchanged";

  ASSERT_EQ(e->SetAttr(L"fresh", Text(L"x"), FALSE), S_OK);
  EXPECT_TRUE(e->HasAttr(L"fresh"));
  EXPECT_TRUE(e->HasAttr(L"title"));
  EXPECT_FALSE(e->HasAttr(L"nothing"));
  e->Destroy();

  // Unsetting reaches the elements that share the prototype.
  scPrototypeElement* shared = Prototype(L"button", {{L"tooltip", L"tip"}, {L"left", L"3"}});
  ComPtr<scIContent> one = Create(shared);
  ComPtr<scIContent> two = Create(shared);
  ASSERT_EQ(one->SetAttr(L"tooltip", Text(L"live"), TRUE), S_OK);
  ASSERT_EQ(one->UnsetAttr(L"tooltip", TRUE), S_OK);
  EXPECT_FALSE(one->GetAttr(L"tooltip", &v));
  EXPECT_FALSE(two->GetAttr(L"tooltip", &v)) << "removed from the shared prototype";
  EXPECT_FALSE(two->HasAttr(L"tooltip"));
  EXPECT_TRUE(two->HasAttr(L"left"));
  EXPECT_EQ(one->UnsetAttr(L"never-there", TRUE), S_OK);
  one->Destroy();
  two->Destroy();
}

TEST_F(ContentTest, AttrValueIsCaseRulesDependOnTheLayer) {
  ComPtr<scIContent> e =
      Create(Prototype(L"label", {{L"proto", L"Value"}, {L"shadowed", L"Proto"}}));
  ASSERT_EQ(e->SetAttr(L"live", Text(L"Value"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"number", Int(5), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"shadowed", Text(L"Live"), TRUE), S_OK);
  // Live text compares without case, prototype text exactly, other values by type and value.
  const Var five = Typed(VT_R8, 5);  // equal as a number, but of another type
  EXPECT_TRUE(e->AttrValueIs(L"live", Text(L"Value")) && e->AttrValueIs(L"live", Text(L"VALUE")));
  EXPECT_FALSE(e->AttrValueIs(L"live", Text(L"other")));
  EXPECT_TRUE(e->AttrValueIs(L"proto", Text(L"Value")));
  EXPECT_FALSE(e->AttrValueIs(L"proto", Text(L"value")) || e->AttrValueIs(L"proto", Int(0)));
  EXPECT_TRUE(e->AttrValueIs(L"number", Int(5)));
  EXPECT_FALSE(e->AttrValueIs(L"number", Int(6)) || e->AttrValueIs(L"number", Text(L"5")) ||
               e->AttrValueIs(L"number", five));
  EXPECT_TRUE(e->AttrValueIs(L"shadowed", Text(L"live")));
  EXPECT_FALSE(e->AttrValueIs(L"shadowed", Text(L"Proto")) || e->AttrValueIs(L"missing", Text(L"")));
  e->Destroy();
}

// A JScript object made by evaluating 'expression' in 'runner'.
Var Object(test::ScriptRunner& runner, const wchar_t* expression) {
  Var v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = runner.Object(expression).Detach();
  return v;
}

// An object stored by a script is asked for the property of the attribute's own name, again
// and again while the answer is an object; a cycle is not found and does not hang.
TEST_F(ContentTest, TypedReadersFollowTheValueType) {
  ComPtr<scIContent> e = Create(Prototype(
      L"label", {{L"pInt", L"010"}, {L"pColor", L"#123456"}, {L"pBool", L"true"},
                 {L"pBadBool", L"True"}, {L"pBadColor", L"Red"}, {L"pText", L"abc"}}));
  test::ScriptRunner runner;
  ASSERT_EQ(runner.Execute(L"var loop = {}; loop.oLoop = loop;"), S_OK);
  const std::pair<const wchar_t*, Var> kLive[] = {
      {L"lInt", Int(-4)},
      {L"lHex", Text(L"0x10")},
      {L"lColor", Int(static_cast<LONG>(0x80112233))},
      {L"lBool", Typed(VT_BOOL, 1)},
      {L"lShort", Typed(VT_I2, 0)},
      {L"lDouble", Typed(VT_R8, 1.5)},
      {L"oInt", Object(runner, L"({oInt: 250})")},
      {L"oColor", Object(runner, L"({oColor: {oColor: 'red'}})")},
      {L"oOther", Object(runner, L"({other: 3})")},
      {L"oLoop", Object(runner, L"loop")},
  };
  for (const auto& [name, value] : kLive) ASSERT_EQ(e->SetAttr(name, value, TRUE), S_OK) << name;

  // Not found leaves the value as it was: 99 for numbers and colours, false for booleans.
  enum Reader { kInt, kColor, kBool };
  static const struct {
    Reader reader;
    const wchar_t* name;
    bool found;
    int64_t value;
  } kReads[] = {
      {kInt, L"pInt", true, 8},          {kInt, L"lInt", true, -4},
      {kInt, L"lHex", true, 16},         {kInt, L"pText", true, 0},
      {kInt, L"lDouble", false, 99},     {kInt, L"missing", false, 99},
      {kInt, L"lBool", false, 99},       {kColor, L"pColor", true, 0xFF123456},
      {kColor, L"lColor", true, 0x80112233}, {kColor, L"pBadColor", false, 99},
      {kColor, L"lBool", false, 99},     {kBool, L"pBool", true, 1},
      {kBool, L"lBool", true, 1},        {kBool, L"lShort", true, 0},
      {kBool, L"lInt", true, 1},         {kBool, L"pBadBool", false, 0},
      {kBool, L"lDouble", false, 0},     {kInt, L"oInt", true, 250},
      {kColor, L"oColor", true, 0xFFFF0000}, {kInt, L"oOther", false, 99},
      {kInt, L"oLoop", false, 99},
  };
  for (const auto& r : kReads) {
    int32_t number = 99;
    uint32_t colour = 99;
    bool flag = false;
    const bool found = r.reader == kInt     ? GetIntAttr(e.Get(), r.name, number)
                       : r.reader == kColor ? GetColorAttr(e.Get(), r.name, colour)
                                            : GetBoolAttr(e.Get(), r.name, flag);
    EXPECT_EQ(found, r.found) << r.reader << r.name;
    EXPECT_EQ(r.reader == kInt ? number : r.reader == kColor ? int64_t{colour} : flag, r.value)
        << r.reader << r.name;
  }

  std::wstring text = L"unchanged";
  EXPECT_TRUE(GetStringAttr(e.Get(), L"pText", text));
  EXPECT_EQ(text, L"abc");
  EXPECT_FALSE(GetStringAttr(e.Get(), L"lInt", text));
  EXPECT_EQ(text, L"abc");
  e->Destroy();
}

}  // namespace attribute_store

namespace prototypes {
class PrototypeTest : public test::ContentTest {
 protected:
  // Writes 'xml' and reads it; the tree (or null) is kept for the test and released after it.
  HRESULT Read(const std::string& xml) {
    Reset();
    return ReadSkinFile(m_document, WriteSkin(xml).c_str(), &m_root);
  }
  void TearDown() override {
    Reset();
    ContentTest::TearDown();
  }
  void Reset() {
    if (m_root != nullptr) m_root->Release();
    m_root = nullptr;
  }
  scPrototypeElement* Child(scPrototypeElement* parent, uint32_t index) {
    EXPECT_LT(index, parent->m_childCount);
    return static_cast<scPrototypeElement*>(parent->m_children[index]);
  }

  scPrototypeElement* m_root = nullptr;
};

// What each file reads into (null: refused). Files that do not parse at all are in
// robustness_test; the document's answer to them in document_behaviour_test.
TEST_F(PrototypeTest, FilesReadIntoPrototypeTrees) {
  static const struct {
    std::string xml;
    const wchar_t* tree;
  } kCases[] = {
      // The root is exactly "window"; a declaration, a comment or a byte-order mark may lead.
      {"<window/>", L"window"},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window></window>", L"window"},
      {"<!-- skin --><window/>", L"window"},
      {"\xEF\xBB\xBF<window/>", L"window"},
      {"<Window/>", nullptr},
      {"<windows/>", nullptr},
      {"<image/><window/>", nullptr},
      // Attributes by code unit order of the names; unknown tags keep their subtrees.
      {"<window zeta=\"z\" id=\"main\" alpha=\"a\" title=\"\xE8\xBD\xBD\xE5\x85\xA5\">"
       "<button Beta=\"2\" beta=\"1\"/><image/><unknowntag><label/></unknowntag></window>",
       L"window[alpha=a id=main title=\u8f7d\u5165 zeta=z](button[Beta=2 beta=1],image,"
       L"unknowntag(label))"},
      // Two names that differ only in invalid UTF-8 bytes become one wide name: the first stays.
      {"<window a\xFF=\"first\" a\xFE=\"second\"/>", L"window[a\uFFFD=first]"},
      // The text is the leading text with line feeds expanded.
      {"<window>plain text</window>", L"window'plain text'"},
      {"<window>one\ntwo</window>", L"window'one\r\ntwo'"},
      {"<window>one\r\ntwo</window>", L"window'one\r\ntwo'"},
      {"<window>a\n\nb\n</window>", L"window'a\r\n\r\nb\r\n'"},
      // The file's text ends at its first NUL; CR LF and a lone CR are one line feed.
      {"<window>a\rb\r\r\nc</window>", L"window'a\r\nb\r\n\r\nc'"},
      {std::string("<window>x</window>\0<", 20), L"window'x'"},
      {"<window>before<image/>after</window>", L"window'before'(image)"},
      {"<window><image/>after</window>", L"window(image)"},
      {"<window>  spaced  words </window>", L"window'  spaced  words '"},
      {"<window>a &amp; b</window>", L"window'a & b'"},
      {"<window>\xE4\xB8\xAD\xE6\x96\x87</window>", L"window'\u4e2d\u6587'"},
      // Script nodes keep the source and the inline text as written, also inside elements.
      {"<window><script src=\"lib\\a.js\" type=\"x\">var a;\nvar b;<image/></script>"
       "<script>inline only</script><script src=\"only.js\"/>"
       "<image><script>nested</script></image></window>",
       L"window(script{lib\\a.js|var a;\nvar b;},script{|inline only},script{only.js|},"
       L"image(script{|nested}))"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Read(c.xml), c.tree != nullptr ? S_OK : E_FAIL) << c.xml;
    EXPECT_EQ(m_root != nullptr ? Describe(m_root) : L"(refused)",
              c.tree != nullptr ? c.tree : L"(refused)")
        << c.xml;
  }
  scPrototypeElement* root = reinterpret_cast<scPrototypeElement*>(1);
  EXPECT_EQ(ReadSkinFile(m_document, (m_dir + L"\\missing.xml").c_str(), &root), E_FAIL);
  EXPECT_EQ(root, nullptr);
}

TEST_F(PrototypeTest, ReleaseEmptiesTheChildListEvenWhenKeptAlive) {
  ASSERT_EQ(Read("<window><image><label/><button/></image><button/></window>"), S_OK);
  scPrototypeElement* image = Child(m_root, 0);
  scPrototypeElement* label = Child(image, 0);
  ++image->m_refCount;  // another holder
  ++label->m_refCount;
  m_root->Release();
  m_root = nullptr;
  // The image survives with its list emptied; the label survives too.
  EXPECT_EQ(image->m_refCount, 1);
  EXPECT_EQ(image->m_childCount, 0u);
  EXPECT_EQ(image->m_children, nullptr);
  EXPECT_EQ(label->m_refCount, 1);
  EXPECT_EQ(label->m_tag, L"label");
  image->Release();
  label->Release();
}

}  // namespace prototypes

}  // namespace
}  // namespace velmor
