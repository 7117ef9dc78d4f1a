// Hostile and oversized skin files: every one ends in a clean failure or a loaded tree. Large
// inputs are generated here at run time.
#include <gtest/gtest.h>

#include "skin/attribute_chunks.h"
#include "skin/element_factory.h"
#include "skin/prototype.h"
#include "skin/skin_xml.h"
#include "skin/text_base_content.h"
#include "content_fixture.h"
#include "support/test_env.h"
#include "tinyxml.h"

namespace velmor {
namespace {

class RobustnessTest : public test::ContentTest {
 protected:
  // Writes 'bytes' to a file of the test folder and opens it for reading (null on failure).
  FILE* OpenWritten(const std::string& bytes) {
    const std::wstring path = m_dir + L"\\raw.xml";
    if (!test::WriteFileBytes(path, bytes)) return nullptr;
    return _wfopen(path.c_str(), L"rb");
  }
  static std::string Nested(int depth, bool closed) {
    std::string xml = "<window>";
    for (int i = 1; i < depth; ++i) xml += "<image>";
    if (closed) {
      for (int i = 1; i < depth; ++i) xml += "</image>";
      xml += "</window>";
    }
    return xml;
  }
};

// Every file ends in a clean failure or a loaded tree: malformed files and binary noise fail;
// odd but well-formed ones load; nesting past the limit fails (up to it loads), markup that
// only looks deep (quoted, commented, flat) does not. A processing instruction ends at its
// first '>'.
TEST_F(RobustnessTest, FilesLoadOrFailCleanly) {
  std::string noise, opens, flat = "<window>";
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
  for (int i = 0; i < 100000; ++i) opens += "<image>", flat += "<image/>";
  const struct {
    std::string xml;
    int children;  // of the loaded root; -1: the load fails
  } kCases[] = {
      {"", -1}, {"   \r\n\t", -1}, {"\xEF\xBB\xBF", -1}, {"<", -1}, {"<<<<>>>>", -1},
      {"<window", -1}, {"<window>", -1}, {"<window><image></window>", -1},
      {"<window></image></window>", -1}, {"<window a=\"1\" a=\"2\"/>", -1},
      {"<window a=\"unterminated/>", -1}, {"<window a=b\"c/>", -1},
      {"<!-- never closed <window/>", -1}, {"<![CDATA[<window/>", -1},
      {"<?xml version=\"1.0\"?>", -1}, {"</window>", -1},
      {std::string("<window>\0</window>", 18), -1}, {noise, -1}, {"<window>" + noise, -1},
      {Nested(kMaxSkinNesting + 1, true), -1}, {Nested(kMaxSkinNesting, true), 1},
      {Nested(100000, true), -1},
      {Nested(100000, false), -1}, {"<window><?pi " + opens + "?></window>", -1},
      {"<window>\xFF\xFE invalid UTF-8 text</window>", 0},
      {"<window title=\"a>b<c\" other='\"'/>", 0},
      {"<!DOCTYPE window><window/>", 0},
      {"<window><![CDATA[<image><image>]]></window>", 0},
      {"<window><?pi <image> ?></window>", 0},
      {"<window>&#x4E2D;&lt;&gt;</window>", 0},
      {"<window a=1/>", 0},  // the parser tolerates unquoted values
      {"<window/><", 0},
      {"<window><!--" + opens + "--></window>", 0},
      {"<window><![CDATA[" + opens + "]]></window>", 0},
      {"<window title=\"" + std::string(100000, '<') + "\"/>", 0},
      {flat + "</window>", 100000},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Load(c.xml), c.children < 0 ? E_FAIL : S_OK) << c.xml.substr(0, 40);
    EXPECT_EQ(Content().RootElement() == nullptr ? -1 : static_cast<int>(Root()->GetChildCount()),
              c.children)
        << c.xml.substr(0, 40);
  }
}

// A hundred thousand siblings load and paint in region_test (SiblingShapeTest).
TEST_F(RobustnessTest, MegabyteValuesLoad) {
  const std::string big(1 << 20, 'v');
  std::string lines;
  const size_t lineCount = (1 << 20) / 16;
  for (size_t i = 0; i < lineCount; ++i) lines += "fifteen chars.\n";
  ASSERT_EQ(Load("<window title=\"" + big + "\"><label id=\"l\">" + lines + "</label></window>"),
            S_OK);
  const scPrototypeText* stored = Content().RootPrototype()->FindAttr(L"title");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->size(), big.size());
  auto* label = static_cast<scPrototypeElement*>(Content().RootPrototype()->m_children[0]);
  EXPECT_EQ(label->m_text.size(), lines.size() + lineCount) << "CR before every LF";
}

TEST_F(RobustnessTest, DeepTreesAreReleasedWithoutRecursion) {
  // Built by hand, far deeper than a file may nest: a prototype chain, then live elements.
  scPrototypeArena* arena = scPrototypeArena::Create();
  scPrototypeElement* chain = arena->NewElement(m_document);
  scPrototypeElement* last = chain;
  for (int i = 0; i < 200000; ++i) {
    scPrototypeElement* child = arena->NewElement(m_document);
    last->m_children = arena->AllocateArray<scPrototypeNode*>(1);
    last->m_children[0] = child;
    last->m_childCount = 1;
    last = child;
  }
  arena->Release();
  chain->Release();
  scPrototypeElement* prototype = Prototype(L"image");
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
}

TEST_F(RobustnessTest, NestingScanSkipsQuotedAndCommentedMarkup) {
  struct Case {
    const char* xml;
    int depth;
    bool ordinary = true;  // the attribute-list scan measures it in the same pass
  };
  static const Case kCases[] = {
      {"<a><1 x='<b>'><c>", 3, false},
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
    FILE* file = OpenWritten(c.xml);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MeasureXmlNesting(file, 100), c.depth) << c.xml;
    EXPECT_EQ(ftell(file), 0) << "left at the start";
    fclose(file);
    std::string rewritten;
    int depth = -2;
    (void)SplitLongAttributeLists(c.xml, rewritten, &depth);
    EXPECT_EQ(depth, c.ordinary ? c.depth : -1) << c.xml;
  }
}

// Long attribute lists are split before parsing and joined again: the tree is the one the parser
// builds from the file as written.
class LongAttributeListTest : public RobustnessTest {
 protected:
  // The tree the parser alone builds from 'xml'.
  scPrototypeElement* Reference(const std::string& xml) {
    TiXmlBase::SetCondenseWhiteSpace(false);
    TiXmlDocument parsed;
    parsed.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (parsed.Error() || parsed.FirstChildElement() == nullptr) return nullptr;
    scPrototypeNode* node = nullptr;
    if (FAILED(BuildPrototype(m_document, parsed.FirstChildElement(), &node))) return nullptr;
    return static_cast<scPrototypeElement*>(node);
  }
  static std::string Attributes(int count, const char* prefix) {
    std::string list;
    for (int i = 0; i < count; ++i)
      list += std::string(" ") + prefix + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    return list;
  }
};

TEST_F(LongAttributeListTest, TreesMatchTheParsersOwn) {
  static const struct {
    const char* name;
    const char* before;  // "$" stands for 200 attributes
  } kCases[] = {
      {"root", "<window$ title=\"t\"><label id=\"x\"/></window>"},
      {"empty element", "<window><label$ id=\"l\"/><image/></window>"},
      {"text and children", "<window><label$>\n text\n<image$/>tail</label></window>"},
      {"unquoted and single quotes", "<window><label$ u=1 s='q'/></window>"},
      {"script", "<window><script$ src=\"s.js\">var a = 1;<image$/></script><label/></window>"},
      {"inside an unknown tag", "<window><mystery><label$/></mystery></window>"},
      {"comment and cdata", "<window><!-- <label$/> --><![CDATA[<image$/>]]><label$/></window>"},
      {"entity hiding a quote", "<window><label$ e=\"&#x\" f=\"x41;\"$/></window>"},
      {"bytes over 127", "<window><label$ \xC3\xA9=\"\xE4\xB8\xAD\"/></window>"},
  };
  for (const auto& c : kCases) {
    std::string xml = c.before;
    for (size_t at = xml.find('$'); at != std::string::npos; at = xml.find('$', at)) {
      // Each list gets its own names so the entity case does not repeat them.
      xml.replace(at, 1, Attributes(200, ("p" + std::to_string(at) + "_").c_str()));
    }
    scPrototypeElement* expected = Reference(xml);
    ASSERT_NE(expected, nullptr) << c.name;
    ASSERT_EQ(Load(xml), S_OK) << c.name;
    EXPECT_EQ(Describe(Content().RootPrototype()), Describe(expected)) << c.name;
    expected->Release();
  }
}

TEST_F(LongAttributeListTest, ANameRepeatedAcrossChunksFailsLikeTheParser) {
  const std::string xml = "<window><label" + Attributes(300, "a") + " a5=\"again\"/></window>";
  EXPECT_EQ(Reference(xml), nullptr);
  EXPECT_EQ(Load(xml), E_FAIL);
  EXPECT_EQ(Content().RootElement(), nullptr);
}

TEST_F(LongAttributeListTest, HundredThousandAttributesOnOneElementLoad) {
  ASSERT_EQ(Load("<window><label id=\"big\"" + Attributes(100000, "a") + ">text</label></window>"),
            S_OK);
  auto* label = static_cast<scPrototypeElement*>(Content().RootPrototype()->m_children[0]);
  EXPECT_EQ(label->m_attributes.size(), 100001u);
  EXPECT_EQ(*label->FindAttr(L"a99999"), L"v99999");
  EXPECT_EQ(label->m_text, L"text");
  EXPECT_EQ(label->m_childCount, 0u);
  EXPECT_EQ(m_document->FindElementById(L"big"), Root()->FirstChild());
}

}  // namespace
}  // namespace velmor
