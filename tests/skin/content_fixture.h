// The skin layer's own tests build prototypes and elements without a window: a minimal document
// (the id registry and the key sets it is handed; no script context, no listener tables) and a
// fixture that loads skins into its content tree or creates elements from hand-made prototypes,
// checking that no element outlives a test. What needs scripts, events or a window is tested
// through the real document window (support/document_fixture.h).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "skin/attribute_readers.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/element_factory.h"
#include "skin/prototype.h"
#include "skin/text_base_content.h"
#include "support/test_env.h"
#include "ui_h.h"

namespace velmor::test {

class TestDocument final : public ComObject<TestDocument, scIContentDocument> {
 public:
  ~TestDocument() override { m_content.Clear(); }
  HRESULT STDMETHODCALLTYPE GetScriptContext(IUnknown** context) override {
    if (context == nullptr) return E_POINTER;
    *context = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE CreateListenerManager(scIEventListenerManager**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddKeySet(scIContent* keySet) override {
    keySets.push_back(keySet);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterElementId(const wchar_t* id, scIContent* element) override {
    return m_content.RegisterId(id, element);
  }
  scIContent* STDMETHODCALLTYPE FindElementById(const wchar_t* id) override {
    return m_content.FindById(id);
  }
  scDocumentContent& DocumentContent() { return m_content; }
  std::vector<scIContent*> keySets;

 private:
  scDocumentContent m_content{this};
};

// A VARIANT that owns its value and can be returned from helpers.
class Var : public VARIANT {
 public:
  Var() { ::VariantInit(this); }
  Var(Var&& other) noexcept : VARIANT(other) { ::VariantInit(&other); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { ::VariantClear(this); }
};

// "tag#id(children...)" for a live subtree.
inline std::wstring Outline(scITextBaseContent* element) {
  std::wstring out = element->NodeName();
  std::wstring id;
  if (GetStringAttr(element, L"id", id)) out += L"#" + id;
  if (element->FirstChild() != nullptr) {
    out += L"(";
    for (scITextBaseContent* c = element->FirstChild(); c != nullptr; c = c->NextSibling())
      out += (c != element->FirstChild() ? L"," : L"") + Outline(c);
    out += L")";
  }
  return out;
}

class ContentTest : public ::testing::Test {
 protected:
  // A prototype subtree as "tag[name=value ...]'text'(children)", a script node as
  // "script{source|inline text}". Every element must belong to the test document.
  std::wstring Describe(const scPrototypeNode* node) {
    if (node->m_kind == kPrototypeScript) {
      const auto* script = static_cast<const scPrototypeScript*>(node);
      return L"script{" + std::wstring(script->m_sourcePath) + L"|" +
             std::wstring(script->m_inlineText) + L"}";
    }
    const auto* e = static_cast<const scPrototypeElement*>(node);
    EXPECT_EQ(e->m_ownerDocument, static_cast<scIContentDocument*>(m_document));
    EXPECT_EQ(e->m_children == nullptr, e->m_childCount == 0);
    std::wstring out(e->m_tag);
    for (const auto& [name, value] : e->m_attributes)
      out += (&name == &e->m_attributes.begin()->first ? L"[" : L" ") + std::wstring(name) + L"=" +
             std::wstring(value);
    if (!e->m_attributes.empty()) out += L"]";
    if (!e->m_text.empty()) out += L"'" + std::wstring(e->m_text) + L"'";
    for (uint32_t i = 0; i < e->m_childCount; ++i)
      out += (i == 0 ? L"(" : L",") + Describe(e->m_children[i]);
    return out + (e->m_childCount != 0 ? L")" : L"");
  }

  void SetUp() override {
    m_baseline = LiveObjects<scITextBaseContent>::Count();
    m_arenas = LiveObjects<scPrototypeArena>::Count();
    m_dir = MakeTempDir(L"content");
    ASSERT_EQ(TestDocument::CreateObject(&m_document), S_OK);
  }
  void TearDown() override {
    for (scPrototypeElement* p : m_prototypes) p->Release();
    if (m_document != nullptr) m_document->Release();
    EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline) << "elements leaked";
    EXPECT_EQ(LiveObjects<scPrototypeArena>::Count(), m_arenas) << "prototype trees leaked";
  }
  // Writes the skin text to a new file of the test folder; answers its path.
  std::wstring WriteSkin(const std::string& xml) {
    const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
    EXPECT_TRUE(WriteFileBytes(path, xml));
    return path;
  }
  HRESULT Load(const std::string& xml) {
    const std::wstring path = WriteSkin(xml);
    Content().Clear();
    return Content().Load(m_dir.c_str(), path.c_str());
  }
  scDocumentContent& Content() { return m_document->DocumentContent(); }
  scITextBaseContent* Root() { return scITextBaseContent::FromContent(Content().RootElement()); }
  scITextBaseContent* ById(const wchar_t* id) {
    return scITextBaseContent::FromContent(m_document->FindElementById(id));
  }
  // A prototype owned by the fixture, attributes given as name/value pairs.
  scPrototypeElement* Prototype(const wchar_t* tag,
                                std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>
                                    attributes = {}) {
    // The texts are literals, which outlive the prototype.
    scPrototypeArena* arena = scPrototypeArena::Create();
    scPrototypeElement* p = arena->NewElement(m_document);
    arena->Release();  // the node keeps it
    p->m_tag = tag;
    auto* items = arena->AllocateArray<scPrototypeAttributes::value_type>(attributes.size());
    std::copy(attributes.begin(), attributes.end(), items);
    p->m_attributes.Assign(items, attributes.size());
    m_prototypes.push_back(p);
    return p;
  }
  ComPtr<scIContent> Create(scPrototypeElement* prototype) {
    ComPtr<scIContent> element;
    EXPECT_EQ(CreateElement(prototype, &element), S_OK) << std::wstring(prototype->m_tag);
    return element;
  }
  static scITextBaseContent* Impl(const ComPtr<scIContent>& e) {
    return scITextBaseContent::FromContent(e.Get());
  }

  long m_baseline = 0;
  long m_arenas = 0;
  std::wstring m_dir;
  int m_files = 0;
  TestDocument* m_document = nullptr;
  std::vector<scPrototypeElement*> m_prototypes;
};

}  // namespace velmor::test
