// The subwindow's own painting: its background colour under its background image and its
// children, and the attributes it reads.
#include <gtest/gtest.h>

#include "controls/subwindow_content.h"
#include "support/document_fixture.h"

namespace velmor::paint_test {
namespace {

using test::Picture;
using PaintTest = test::DocumentTest;

class SubwindowTest : public PaintTest {
 protected:
  scSubWindowContent* Panel(const wchar_t* id) {
    return static_cast<scSubWindowContent*>(scITextBaseContent::FromContent(Element(id)));
  }
};

TEST_F(SubwindowTest, FillsItsBoxUnderItsImageAndItsChildren) {
  const std::string corner = WritePng("corner.png", 3, 2, [](int, int) { return 0xFF0000FFu; });
  ASSERT_EQ(
      LoadBody("<subwindow id=\"p\" left=\"2\" top=\"3\" width=\"10\" height=\"8\" "
           "backgroundColor=\"#FF0000\" backgroundImage=\"" +
               corner +
               "\">"
               "<subwindow left=\"6\" top=\"5\" width=\"2\" height=\"2\" backgroundColor=\"lime\"/>"
               "</subwindow>",
           20, 20),
      S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{2, 3, 5, 5}, 0x0000FF), 6) << "the image at natural size";
  EXPECT_EQ(p.Count(RECT{2, 3, 12, 11}, 0xFF0000), 80 - 6 - 4);
  EXPECT_EQ(p.Count(RECT{8, 8, 10, 10}, 0x00FF00), 4) << "children are drawn over it";
}

TEST_F(SubwindowTest, ReadsItsAttributes) {
  struct Case {
    const char* attributes;
    bool background;
    uint32_t backgroundArgb;
    bool clipping;
    uint32_t clippingArgb;
    const wchar_t* clippingImage;
    const wchar_t* backgroundImage;
    int mode;
  } const cases[] = {
      {"", false, 0, false, 0, L"", L"", 0},
      {"backgroundColor=\"#102030\" clippingColor=\"#FF00FF\" clippingImage=\"c.png\" "
       "backgroundImage=\"b.png\" backgroundImageStretchMode=\"tile\"",
       true, 0xFF102030, true, 0xFFFF00FF, L"c.png", L"b.png", 2},
      {"backgroundColor=\"nonsense\" backgroundImageStretchMode=\"ninegrid\" "
       "nineGridMargins=\"1,2,3,4\"",
       false, 0, false, 0, L"", L"", 4},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(LoadBody(std::string("<subwindow id=\"p\" ") + c.attributes + "/>", 10, 10), S_OK);
    scSubWindowContent* p = Panel(L"p");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->HasBackgroundColor(), c.background) << c.attributes;
    if (c.background) {
      EXPECT_EQ(p->BackgroundColor(), c.backgroundArgb);
    }
    EXPECT_EQ(p->HasClippingColor(), c.clipping) << c.attributes;
    if (c.clipping) {
      EXPECT_EQ(p->ClippingColor(), c.clippingArgb);
    }
    EXPECT_EQ(p->ClippingImage(), c.clippingImage);
    EXPECT_EQ(p->BackgroundImage(), c.backgroundImage);
    EXPECT_EQ(p->BackgroundDrawing().mode, c.mode);
  }
  EXPECT_EQ(Panel(L"p")->BackgroundDrawing().margins[3], 4);
}

}  // namespace
}  // namespace velmor::paint_test
