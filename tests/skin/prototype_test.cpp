// Reading skin files into prototype trees: root check, data model, text handling, script nodes
// and the release rule.
#include <gtest/gtest.h>

#include "skin/prototype.h"
#include "skin/skin_xml.h"
#include "content_fixture.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::WriteFileBytes;

class PrototypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = test::MakeTempDir(L"proto");
    ASSERT_EQ(test::TestDocument::CreateObject(&m_document), S_OK);
  }

  // Writes 'xml' and reads it; the tree (or null) is kept for the test and released after it.
  HRESULT Read(const std::string& xml) {
    const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
    EXPECT_TRUE(WriteFileBytes(path, xml));
    Reset();
    return ReadSkinFile(static_cast<scIContentDocument*>(m_document), path.c_str(), &m_root);
  }
  void TearDown() override {
    Reset();
    if (m_document != nullptr) m_document->Release();
  }
  void Reset() {
    if (m_root != nullptr) m_root->Release();
    m_root = nullptr;
  }

  scPrototypeElement* Child(scPrototypeElement* parent, uint32_t index) {
    EXPECT_LT(index, parent->m_childCount);
    return static_cast<scPrototypeElement*>(parent->m_children[index]);
  }

  std::wstring m_dir;
  int m_files = 0;
  scPrototypeElement* m_root = nullptr;
  test::TestDocument* m_document = nullptr;
};

TEST_F(PrototypeTest, RootMustBeExactlyWindow) {
  struct Case {
    const char* xml;
    bool loads;
  };
  static const Case kCases[] = {
      {"<window/>", true},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window></window>", true},
      {"<!-- skin --><window/>", true},
      {"\xEF\xBB\xBF<window/>", true},
      {"<Window/>", false},
      {"<WINDOW/>", false},
      {"<windows/>", false},
      {"<image/><window/>", false},
      {"<window></Window>", false},
      {"<window>", false},
      {"", false},
      {"just text", false},
  };
  for (const Case& c : kCases) {
    const HRESULT hr = Read(c.xml);
    EXPECT_EQ(hr, c.loads ? S_OK : E_FAIL) << c.xml;
    EXPECT_EQ(m_root != nullptr, c.loads) << c.xml;
    if (m_root != nullptr) {
      EXPECT_EQ(m_root->m_tag, L"window");
    }
  }
  scPrototypeElement* root = reinterpret_cast<scPrototypeElement*>(1);
  EXPECT_EQ(ReadSkinFile(static_cast<scIContentDocument*>(m_document), (m_dir + L"\\missing.xml").c_str(), &root), E_FAIL);
  EXPECT_EQ(root, nullptr);
}

TEST_F(PrototypeTest, ElementsKeepTagsAttributesAndOwner) {
  ASSERT_EQ(Read("<window zeta=\"z\" id=\"main\" alpha=\"a\" title=\"\xE8\xBD\xBD\xE5\x85\xA5\">"
                 "<button Beta=\"2\" beta=\"1\"/><image/><unknowntag><label/></unknowntag>"
                 "</window>"),
            S_OK);
  EXPECT_EQ(m_root->m_kind, kPrototypeElement);
  EXPECT_EQ(m_root->m_refCount, 1);
  EXPECT_TRUE(m_root->m_hasId);
  EXPECT_EQ(m_root->m_ownerDocument, static_cast<scIContentDocument*>(m_document));
  // Iteration is by code unit order of the names, not document order.
  std::vector<std::wstring> names;
  for (const auto& [name, value] : m_root->m_attributes) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"alpha", L"id", L"title", L"zeta"}));
  EXPECT_EQ(*m_root->FindAttr(L"title"), L"\u8f7d\u5165");

  ASSERT_EQ(m_root->m_childCount, 3u);
  scPrototypeElement* button = Child(m_root, 0);
  EXPECT_EQ(button->m_tag, L"button");
  EXPECT_FALSE(button->m_hasId);
  EXPECT_EQ(button->m_refCount, 1);
  EXPECT_EQ(button->m_ownerDocument, static_cast<scIContentDocument*>(m_document));
  EXPECT_EQ(button->m_childCount, 0u);
  EXPECT_EQ(button->m_children, nullptr);
  ASSERT_EQ(button->m_attributes.size(), 2u);
  EXPECT_EQ(button->m_attributes.begin()->first, L"Beta") << "upper case sorts first";
  // Unknown tags stay in the prototype tree with their subtree.
  scPrototypeElement* unknown = Child(m_root, 2);
  EXPECT_EQ(unknown->m_tag, L"unknowntag");
  ASSERT_EQ(unknown->m_childCount, 1u);
  EXPECT_EQ(Child(unknown, 0)->m_tag, L"label");
}

TEST_F(PrototypeTest, NamesThatConvertAlikeKeepTheFirstValue) {
  // Two names that differ only in invalid UTF-8 bytes convert to the same wide name.
  ASSERT_EQ(Read("<window a\xFF=\"first\" a\xFE=\"second\"/>"), S_OK);
  ASSERT_EQ(m_root->m_attributes.size(), 1u);
  EXPECT_EQ(m_root->m_attributes.begin()->second, L"first");
}

TEST_F(PrototypeTest, TextIsTheLeadingTextWithLineFeedsExpanded) {
  struct Case {
    const char* xml;
    const wchar_t* text;
  };
  static const Case kCases[] = {
      {"<window>plain text</window>", L"plain text"},
      {"<window>one\ntwo</window>", L"one\r\ntwo"},
      {"<window>one\r\ntwo</window>", L"one\r\ntwo"},
      {"<window>a\n\nb\n</window>", L"a\r\n\r\nb\r\n"},
      {"<window>before<image/>after</window>", L"before"},
      {"<window><image/>after</window>", L""},
      {"<window>  spaced  words </window>", L"  spaced  words "},
      {"<window>a &amp; b</window>", L"a & b"},
      {"<window>\xE4\xB8\xAD\xE6\x96\x87</window>", L"\u4e2d\u6587"},
      {"<window/>", L""},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(Read(c.xml), S_OK) << c.xml;
    EXPECT_EQ(m_root->m_text, c.text) << c.xml;
  }
}

TEST_F(PrototypeTest, ExpandLineFeedsContinuesBehindEachPair) {
  EXPECT_EQ(ExpandLineFeeds(L"a\nb"), L"a\r\nb");
  EXPECT_EQ(ExpandLineFeeds(L"\r\n"), L"\r\r\n");
  EXPECT_EQ(ExpandLineFeeds(L"\n\n"), L"\r\n\r\n");
  EXPECT_EQ(ExpandLineFeeds(L"none"), L"none");
}

TEST_F(PrototypeTest, ScriptNodesKeepSourceAndInlineText) {
  ASSERT_EQ(Read("<window>"
                 "<script src=\"lib\\a.js\" type=\"x\">var a;\nvar b;<image/></script>"
                 "<script>inline only</script>"
                 "<script src=\"only.js\"/>"
                 "<image><script>nested</script></image>"
                 "</window>"),
            S_OK);
  ASSERT_EQ(m_root->m_childCount, 4u);
  auto* both = static_cast<scPrototypeScript*>(m_root->m_children[0]);
  ASSERT_EQ(both->m_kind, kPrototypeScript);
  EXPECT_EQ(both->m_refCount, 1);
  EXPECT_EQ(both->m_sourcePath, L"lib\\a.js");
  EXPECT_EQ(both->m_inlineText, L"var a;\nvar b;") << "no line-feed expansion for scripts";
  auto* inlineOnly = static_cast<scPrototypeScript*>(m_root->m_children[1]);
  EXPECT_EQ(inlineOnly->m_sourcePath, L"");
  EXPECT_EQ(inlineOnly->m_inlineText, L"inline only");
  auto* sourceOnly = static_cast<scPrototypeScript*>(m_root->m_children[2]);
  EXPECT_EQ(sourceOnly->m_sourcePath, L"only.js");
  EXPECT_EQ(sourceOnly->m_inlineText, L"");
  scPrototypeElement* image = Child(m_root, 3);
  ASSERT_EQ(image->m_childCount, 1u);
  EXPECT_EQ(image->m_children[0]->m_kind, kPrototypeScript);
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

}  // namespace
}  // namespace velmor
