// The fixture shared by the content tests: a recording test document, prototypes made by hand,
// skins written to a temporary folder and loaded, and a leak check over all elements.
#pragma once
#include <gtest/gtest.h>

#include "base/module_instance.h"
#include "skin/attribute_readers.h"
#include "skin/element_classes.h"
#include "skin/element_factory.h"
#include "skin/prototype.h"
#include "skin_doubles.h"
#include "support/test_env.h"
#include "typelib/type_library.h"

namespace velmor::skin_test {

using test::Log;

// A VARIANT that owns its value and can be returned from helpers.
class Var : public VARIANT {
 public:
  Var() { ::VariantInit(this); }
  Var(Var&& other) noexcept : VARIANT(other) { ::VariantInit(&other); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { ::VariantClear(this); }
};
using test::TestDocument;

// "tag#id(children...)" for a live subtree.
inline std::wstring Outline(scITextBaseContent* element) {
  std::wstring out = element->NodeName();
  std::wstring id;
  if (GetStringAttr(element, L"id", id)) out += L"#" + id;
  if (element->FirstChild() != nullptr) {
    out += L"(";
    for (scITextBaseContent* c = element->FirstChild(); c != nullptr; c = c->NextSibling()) {
      if (c != element->FirstChild()) out += L",";
      out += Outline(c);
    }
    out += L")";
  }
  return out;
}

class ContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_baseline = LiveObjects<scITextBaseContent>::Count();
    m_dir = test::MakeTempDir(L"content");
    ASSERT_EQ(TestDocument::CreateObject(&m_document), S_OK);
  }
  void TearDown() override {
    for (scPrototypeElement* p : m_prototypes) p->Release();
    if (m_document != nullptr) m_document->Release();
    EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline) << "elements leaked";
  }

  HRESULT Load(const std::string& xml) {
    const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
    EXPECT_TRUE(test::WriteFileBytes(path, xml));
    Content().SetElementClasses(*m_classes);
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
    auto* p = new scPrototypeElement();
    p->m_tag = tag;
    p->m_ownerDocument = m_document;
    for (const auto& [name, value] : attributes) p->m_attributes.emplace(name, value);
    p->m_hasId = p->FindAttr(L"id") != nullptr;
    m_prototypes.push_back(p);
    return p;
  }
  ComPtr<scIContent> Create(scPrototypeElement* prototype) {
    ComPtr<scIContent> element;
    EXPECT_EQ(CreateElement(*m_classes, prototype, &element), S_OK) << prototype->m_tag;
    return element;
  }
  static scITextBaseContent* Impl(const ComPtr<scIContent>& e) {
    return scITextBaseContent::FromContent(e.Get());
  }

  // The classes elements are built from: the content tree's own unless a test sets the engine's.
  const ElementClassTable* m_classes = &PlainElementClasses();
  long m_baseline = 0;
  std::wstring m_dir;
  int m_files = 0;
  TestDocument* m_document = nullptr;
  std::vector<scPrototypeElement*> m_prototypes;
};


}  // namespace velmor::skin_test
