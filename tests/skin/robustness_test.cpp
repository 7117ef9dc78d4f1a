// Hostile and oversized skin files: every one ends in a clean failure or a loaded tree. Large
// inputs are generated here at run time.
#include <gtest/gtest.h>

#include "skin/element_factory.h"
#include "skin/prototype.h"
#include "skin/skin_xml.h"
#include "skin/text_base_content.h"
#include "skin_doubles.h"
#include "support/test_env.h"

namespace velmor {
namespace {

class RobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_baseline = LiveObjects<scITextBaseContent>::Count();
    m_dir = test::MakeTempDir(L"robust");
    ASSERT_EQ(test::TestDocument::CreateObject(&m_document), S_OK);
  }
  void TearDown() override {
    if (m_document != nullptr) m_document->Release();
    for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(m_dir.c_str());
    EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline);
  }

  HRESULT Load(const std::string& bytes) {
    m_files.push_back(m_dir + L"\\skin" + std::to_wstring(m_files.size()) + L".xml");
    EXPECT_TRUE(test::WriteFileBytes(m_files.back(), bytes));
    Content().Clear();
    return Content().Load(m_dir.c_str(), m_files.back().c_str());
  }
  scDocumentContent& Content() { return m_document->DocumentContent(); }
  scITextBaseContent* Root() { return scITextBaseContent::FromContent(Content().RootElement()); }

  static std::string Nested(int depth, bool closed) {
    std::string xml = "<window>";
    for (int i = 1; i < depth; ++i) xml += "<image>";
    if (closed) {
      for (int i = 1; i < depth; ++i) xml += "</image>";
      xml += "</window>";
    }
    return xml;
  }
  static int LiveDepth(scITextBaseContent* element) {
    int depth = 0;
    for (; element != nullptr; element = element->FirstChild()) ++depth;
    return depth;
  }

  long m_baseline = 0;
  std::wstring m_dir;
  std::vector<std::wstring> m_files;
  test::TestDocument* m_document = nullptr;
};

TEST_F(RobustnessTest, MalformedFilesFailCleanly) {
  static const char* const kCases[] = {
      "",
      "   \r\n\t",
      "\xEF\xBB\xBF",
      "<",
      "<<<<>>>>",
      "<window",
      "<window>",
      "<window><image></window>",
      "<window></image></window>",
      "<window a=\"1\" a=\"2\"/>",
      "<window a=\"unterminated/>",
      "<window a=b\"c/>",
      "<!-- never closed <window/>",
      "<![CDATA[<window/>",
      "<?xml version=\"1.0\"?>",
      "</window>",
      "<window>\0</window>",
  };
  for (const char* xml : kCases) {
    EXPECT_EQ(Load(xml), E_FAIL) << xml;
    EXPECT_EQ(Content().RootElement(), nullptr) << xml;
  }
  // Binary noise, with and without something that looks like a root.
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_EQ(Load(noise), E_FAIL);
  EXPECT_EQ(Load("<window>" + noise), E_FAIL);
}

TEST_F(RobustnessTest, OddButWellFormedFilesLoad) {
  static const char* const kCases[] = {
      "<window>\xFF\xFE invalid UTF-8 text</window>",
      "<window title=\"a>b<c\" other='\"'/>",
      "<!DOCTYPE window><window/>",
      "<window><![CDATA[<image><image>]]></window>",
      "<window><?pi <image> ?></window>",
      "<window>&#x4E2D;&lt;&gt;</window>",
      "<window a=1/>",  // the parser tolerates unquoted values
      "<window/><",
  };
  for (const char* xml : kCases) {
    EXPECT_EQ(Load(xml), S_OK) << xml;
    ASSERT_NE(Root(), nullptr) << xml;
    EXPECT_EQ(Root()->GetChildCount(), 0u) << xml;
  }
}

TEST_F(RobustnessTest, NestingUpToTheLimitLoads) {
  ASSERT_EQ(Load(Nested(kMaxSkinNesting, true)), S_OK);
  EXPECT_EQ(LiveDepth(Root()), kMaxSkinNesting);
  EXPECT_EQ(Load(Nested(kMaxSkinNesting + 1, true)), E_FAIL);
  EXPECT_EQ(Content().RootElement(), nullptr);
}

TEST_F(RobustnessTest, HundredThousandDeepFailsCleanly) {
  EXPECT_EQ(Load(Nested(100000, true)), E_FAIL);
  EXPECT_EQ(Load(Nested(100000, false)), E_FAIL);
  // Deep nesting of self-closed or closed siblings is no nesting at all.
  std::string flat = "<window>";
  for (int i = 0; i < 100000; ++i) flat += "<image/>";
  EXPECT_EQ(Load(flat + "</window>"), S_OK);
}

TEST_F(RobustnessTest, MarkupThatOnlyLooksDeepLoads) {
  std::string opens;
  for (int i = 0; i < 100000; ++i) opens += "<image>";
  for (const std::string& xml :
       {"<window><!--" + opens + "--></window>", "<window><![CDATA[" + opens + "]]></window>",
        "<window title=\"" + std::string(100000, '<') + "\"/>"}) {
    EXPECT_EQ(Load(xml), S_OK) << xml.substr(0, 30);
    ASSERT_NE(Root(), nullptr);
    EXPECT_EQ(Root()->GetChildCount(), 0u);
  }
  // A processing instruction ends at its first '>': what follows is nested elements again.
  EXPECT_EQ(Load("<window><?pi " + opens + "?></window>"), E_FAIL);
}

TEST_F(RobustnessTest, HundredThousandSiblingsLoad) {
  std::string xml = "<window>";
  for (int i = 0; i < 100000; ++i) xml += "<label id=\"e" + std::to_string(i) + "\"/>";
  ASSERT_EQ(Load(xml + "</window>"), S_OK);
  EXPECT_EQ(Root()->GetChildCount(), 100000u);
  EXPECT_EQ(m_document->FindElementById(L"e99999"), Root()->LastChild());
  EXPECT_EQ(Content().RootPrototype()->m_childCount, 100000u);
  Content().Clear();  // releases the long sibling chain
  EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline);
}

TEST_F(RobustnessTest, MegabyteValuesLoad) {
  const std::string big(1 << 20, 'v');
  std::string lines;
  const size_t lineCount = (1 << 20) / 16;
  for (size_t i = 0; i < lineCount; ++i) lines += "fifteen chars.\n";
  ASSERT_EQ(Load("<window title=\"" + big + "\"><label id=\"l\">" + lines + "</label></window>"),
            S_OK);
  const std::wstring* stored = Content().RootPrototype()->FindAttr(L"title");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->size(), big.size());
  auto* label = static_cast<scPrototypeElement*>(Content().RootPrototype()->m_children[0]);
  EXPECT_EQ(label->m_text.size(), lines.size() + lineCount) << "CR before every LF";
}

TEST_F(RobustnessTest, FiftyMegabyteFileLoads) {
  std::string text;
  for (int i = 0; i < 10 * 1024 / 32; ++i) text += "thirty-one characters of text.\n";
  std::string xml;
  xml.reserve(52u << 20);
  xml += "<window>";
  int count = 0;
  while (xml.size() < (50u << 20)) {
    xml += "<label id=\"l" + std::to_string(count++) + "\">" + text + "</label>";
  }
  xml += "</window>";
  ASSERT_GE(xml.size(), 50u << 20);
  ASSERT_EQ(Load(xml), S_OK);
  EXPECT_EQ(Root()->GetChildCount(), static_cast<UINT>(count));
  EXPECT_NE(m_document->FindElementById((L"l" + std::to_wstring(count - 1)).c_str()), nullptr);
}

TEST_F(RobustnessTest, DeepLiveTreesAreReleasedWithoutRecursion) {
  // Built through the content interface, far deeper than a file may nest.
  auto* prototype = new scPrototypeElement();
  prototype->m_tag = L"image";
  prototype->m_ownerDocument = m_document;
  ComPtr<scIContent> top;
  ASSERT_EQ(CreateElement(prototype, &top), S_OK);
  scIContent* parent = top.Get();
  for (int i = 0; i < 100000; ++i) {
    ComPtr<scIContent> child;
    ASSERT_EQ(CreateElement(prototype, &child), S_OK);
    ASSERT_EQ(parent->AppendChildTo(child.Get(), FALSE), S_OK);
    parent = child.Get();
  }
  EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline + 100001);
  top.Reset();
  EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_baseline);
  EXPECT_EQ(prototype->m_refCount, 1);
  prototype->Release();
}

TEST_F(RobustnessTest, NestingScanSkipsQuotedAndCommentedMarkup) {
  struct Case {
    const char* xml;
    int depth;
  };
  static const Case kCases[] = {
      {"<a><b><c/></b></a>", 2},
      {"<a><b></b><b><c></c></b></a>", 3},
      {"<a t='<b><c>'><!-- <x><y> --></a>", 1},
      {"<a><![CDATA[ <x><y><z> ]]><b/></a>", 1},
      {"<?xml version=\"1.0\"?><!DOCTYPE a><a/>", 0},
      {"<a\n/>", 0},
      {"<a x=\"/\">", 1},
      {"<a><?pi <b> ?><c/></a>", 1},
      {"<a><?pi <b><c> ?></a>", 2},
  };
  for (const Case& c : kCases) {
    const std::wstring path = m_dir + L"\\scan.xml";
    m_files.push_back(path);
    ASSERT_TRUE(test::WriteFileBytes(path, c.xml));
    FILE* file = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MeasureXmlNesting(file, 100), c.depth) << c.xml;
    EXPECT_EQ(ftell(file), 0) << "left at the start";
    fclose(file);
  }
}

}  // namespace
}  // namespace velmor
