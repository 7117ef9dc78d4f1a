// Elements that opaque fills drawn after them cover are left out of buffer paints: the window's
// pixels must be those of a paint that draws everything, for every kind of cover and of covered
// element, and what a cover does not wholly hide must still be drawn.
#include <gtest/gtest.h>

#include <string>

#include "render/paint.h"
#include "support/document_fixture.h"

namespace velmor::covered_paint_test {
namespace {

using test::Picture;

constexpr DWORD kRed = 0xFF0000, kBlue = 0x0000FF;
constexpr DWORD kHalfRedOnGrey = 0xBF3F3F;

std::string Box(const char* tag, int x, int y, int w, int h, const std::string& more,
                const std::string& children = "") {
  const std::string open = "<" + std::string(tag) + " left=\"" + std::to_string(x) + "\" top=\"" +
                           std::to_string(y) + "\" width=\"" + std::to_string(w) +
                           "\" height=\"" + std::to_string(h) + "\" " + more;
  return children.empty() ? open + "/>" : open + ">" + children + "</" + tag + ">";
}

// The probes at (36, 22) and (10, 25) lie in the label's fill, clear of its text.
const std::string kLabel = Box("label", 10, 10, 40, 16,
                               "backgroundColor=\"#ff0000\" foregroundColor=\"#ffffff\" "
                               "fontFace=\"Tahoma\" fontSize=\"12\" wordWrap=\"true\"",
                               "Hi");
const std::string kBlueFill = "backgroundColor=\"#0000ff\"";

// A nine-grid image of 6-pixel margins in a 'size' square at (20, 10), and a fill of that square.
std::string NineGridUnderFill(const std::string& png, int size) {
  return Box("image", 20, 10, size, size,
             "src=\"" + png + "\" stretchMode=\"ninegrid\" nineGridMargins=\"6,6,6,6\"") +
         Box("subwindow", 20, 10, size, size, kBlueFill);
}

class CoveredPaintTest : public test::DocumentTest {
 protected:
  void TearDown() override {
    SetCoveredElementsSkipped(true);
    test::DocumentTest::TearDown();
  }
};

TEST_F(CoveredPaintTest, LeavingCoveredElementsOutChangesNoPixel) {
  static const struct {
    const char* name;
    std::string (*body)(const std::string& png);
    POINT probe;  // a pixel that shows what the row is about
    DWORD colour;
  } kRows[] = {
      {"an opaque fill wholly over a label",
       [](const std::string&) { return kLabel + Box("subwindow", 8, 8, 46, 22, kBlueFill); },
       {36, 22}, kBlue},
      {"a fill one pixel short of the label's edge",
       [](const std::string&) { return kLabel + Box("subwindow", 11, 10, 46, 20, kBlueFill); },
       {10, 25}, kRed},
      {"a fill drawn before the label",
       [](const std::string&) { return Box("subwindow", 8, 8, 46, 22, kBlueFill) + kLabel; },
       {36, 22}, kRed},
      {"a transparent fill",
       [](const std::string&) {
         return kLabel + Box("subwindow", 8, 8, 46, 22, "backgroundColor=\"transparent\"");
       },
       {36, 22}, kRed},
      {"a translucent background image without a fill",
       [](const std::string& png) {
         return kLabel + Box("subwindow", 8, 8, 46, 22,
                             "backgroundImage=\"" + png + "\" backgroundImageStretchMode=\"stretch\"");
       },
       {36, 22}, kRed},
      {"a hidden fill",
       [](const std::string&) {
         return kLabel + Box("subwindow", 8, 8, 46, 22, kBlueFill + " visible=\"false\"");
       },
       {36, 22}, kRed},
      {"a label in a pane covered by a later sibling of the pane",
       [](const std::string&) {
         return Box("subwindow", 4, 4, 50, 30, "backgroundColor=\"#00ff00\"", kLabel) +
                Box("subwindow", 0, 0, 60, 40, kBlueFill);
       },
       {20, 20}, kBlue},
      {"a shaped window's fill",
       [](const std::string&) {
         return kLabel + Box("subwindow", 8, 8, 46, 22, kBlueFill + " clippingColor=\"#ff00ff\"");
       },
       {36, 22}, kBlue},
      {"a nine-grid whose corners pass its box, under a fill of the box",
       [](const std::string& png) { return NineGridUnderFill(png, 4); }, {25, 15}, kHalfRedOnGrey},
      {"a nine-grid that fits its box, under a fill of the box",
       [](const std::string& png) { return NineGridUnderFill(png, 16); }, {28, 18}, kBlue},
  };
  // Half-transparent red over the grey background.
  const std::string png = WritePng("half-red", 12, 12, [](int, int) { return 0x80FF0000u; });
  for (const auto& row : kRows) {
    ASSERT_EQ(LoadBody(Box("subwindow", 0, 0, 60, 40, "backgroundColor=\"#808080\"") +
                           row.body(png),
                       60, 40),
              S_OK)
        << row.name;
    SetCoveredElementsSkipped(true);
    const Picture skipping = PrintClient();
    SetCoveredElementsSkipped(false);
    const Picture drawingAll = PrintClient();
    EXPECT_EQ(skipping.At(row.probe.x, row.probe.y), row.colour) << row.name;
    int differing = 0;
    for (size_t i = 0; i < skipping.pixels.size(); ++i)
      differing += skipping.pixels[i] != drawingAll.pixels[i] ? 1 : 0;
    EXPECT_EQ(differing, 0) << row.name;
  }
}

}  // namespace
}  // namespace velmor::covered_paint_test
