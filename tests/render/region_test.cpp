// Window shapes: which elements add what to the window region, the region lock, the cache's
// first colour, and what the screen shows through a shaped window.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/document_fixture.h"
#include "render/window_region.h"

namespace velmor::paint_test {
namespace {

using test::Picture;
using PaintTest = test::DocumentTest;

constexpr Gdiplus::ARGB kMagenta = 0xFFFF00FF;
constexpr Gdiplus::ARGB kBlueArgb = 0xFF0000FF;

// The window's region, or null when it has none.
HRGN WindowRegion(HWND window) {
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  if (::GetWindowRgn(window, region) == ERROR) {
    ::DeleteObject(region);
    return nullptr;
  }
  return region;
}

struct RegionCase {
  const char* name;
  std::string body;  // "$SHAPE" is replaced by the shape image's path, "$IMAGES\\" by the
                     // fixture images' folder (see tests/fixtures/images/make_fixtures.sh)
  std::vector<POINT> inside;
  std::vector<POINT> outside;
};

class RegionTest : public PaintTest {
 protected:
  // 8 × 6 blue with a magenta 3 × 2 notch at the top-left corner and one half-transparent
  // magenta pixel at (7, 5).
  std::string Shape() {
    return WritePng("shape.png", 8, 6, [](int x, int y) -> Gdiplus::ARGB {
      if (x < 3 && y < 2) return kMagenta;
      if (x == 7 && y == 5) return 0x80FF00FF;
      return kBlueArgb;
    });
  }
  // Whether the window's region holds the client point (false without a region).
  bool Shaped(int x, int y) {
    HRGN region = WindowRegion(Window());
    const bool inside = region != nullptr && ::PtInRegion(region, x, y);
    if (region != nullptr) ::DeleteObject(region);
    return inside;
  }
};

class RegionCaseTest : public RegionTest, public ::testing::WithParamInterface<RegionCase> {};

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

TEST_P(RegionCaseTest, ShapesTheWindow) {
  const RegionCase& c = GetParam();
  const std::wstring images = test::FixturePath(L"images");
  ASSERT_EQ(LoadBody(Replace(Replace(c.body, "$SHAPE", Shape()), "$IMAGES",
                             std::string(images.begin(), images.end())),
                     60, 40),
            S_OK);
  HRGN region = WindowRegion(Window());
  ASSERT_NE(region, nullptr) << "the window always gets a region";
  for (const POINT& p : c.inside) EXPECT_TRUE(::PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
  for (const POINT& p : c.outside)
    EXPECT_FALSE(::PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
  ::DeleteObject(region);
}

const RegionCase kRegionCases[] = {
    {"nothing_gives_an_empty_shape",
     "<subwindow left=\"0\" top=\"0\" width=\"60\" height=\"40\"/><image width=\"60\" "
     "height=\"40\"/>",
     {},
     {{0, 0}, {30, 20}, {59, 39}}},
    {"background_colour_adds_the_box",
     "<subwindow left=\"10\" top=\"5\" width=\"20\" height=\"10\" backgroundColor=\"#000000\"/>",
     {{10, 5}, {29, 14}},
     {{9, 5}, {30, 5}, {10, 15}}},
    {"background_colour_hides_the_children",
     "<subwindow left=\"0\" top=\"0\" width=\"10\" height=\"10\" backgroundColor=\"red\">"
     "<subwindow left=\"20\" top=\"20\" width=\"5\" height=\"5\" backgroundColor=\"red\"/>"
     "</subwindow>",
     {{0, 0}, {9, 9}},
     {{21, 21}, {10, 10}}},
    {"subwindow_chains_are_followed_with_offsets",
     "<subwindow left=\"10\" top=\"10\" width=\"30\" height=\"20\">"
     "<subwindow left=\"5\" top=\"5\" width=\"4\" height=\"4\" backgroundColor=\"red\"/>"
     "</subwindow>",
     {{15, 15}, {18, 18}},
     {{14, 15}, {19, 19}, {10, 10}}},
    {"other_elements_hide_their_subtrees",
     "<image left=\"0\" top=\"0\" width=\"30\" height=\"30\">"
     "<subwindow left=\"0\" top=\"0\" width=\"5\" height=\"5\" backgroundColor=\"red\"/></image>",
     {},
     {{0, 0}, {4, 4}}},
    {"invisible_subwindows_add_nothing",
     "<subwindow left=\"0\" top=\"0\" width=\"10\" height=\"10\" backgroundColor=\"red\" "
     "visible=\"false\"/>",
     {},
     {{0, 0}, {5, 5}}},
    {"clipping_image_at_natural_size_from_the_corner",
     "<subwindow left=\"20\" top=\"10\" width=\"40\" height=\"30\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$SHAPE\" backgroundImage=\"$SHAPE\" backgroundImageStretchMode=\"stretch\"/>",
     {{23, 10}, {20, 12}, {27, 15}, {26, 15}},
     {{20, 10}, {22, 11}, {28, 10}, {20, 16}, {40, 30}}},
    {"clipping_colour_uses_the_background_image_without_a_clipping_image",
     "<subwindow left=\"0\" top=\"0\" width=\"8\" height=\"6\" clippingColor=\"#FF00FF\" "
     "backgroundImage=\"$SHAPE\"/>",
     {{3, 0}, {0, 2}},
     {{0, 0}, {2, 1}}},
    {"alpha_takes_part_in_the_comparison",
     "<subwindow left=\"0\" top=\"0\" width=\"8\" height=\"6\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$SHAPE\"/>",
     {{7, 5}},
     {{1, 1}}},
    // The image cache keeps the first clipping colour asked for a path: the second subwindow
    // asks for blue with the same image and gets the magenta shape too.
    {"two_clipping_colours_on_one_path_keep_the_first",
     "<subwindow left=\"0\" top=\"0\" width=\"8\" height=\"6\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$SHAPE\"/><subwindow left=\"20\" top=\"0\" width=\"8\" height=\"6\" "
     "clippingColor=\"#0000FF\" clippingImage=\"$SHAPE\"/>",
     {{24, 3}},
     {{21, 1}}},
    // The fixture shape's rows: all magenta; magenta, white, white, magenta, white, magenta;
    // half-transparent magenta, magenta, magenta, white, white, white.
    {"each_row_is_split_at_every_clipped_pixel",
     "<subwindow left=\"10\" top=\"10\" width=\"7\" height=\"4\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$IMAGES\\shape.png\"/>",
     {{11, 11}, {12, 11}, {14, 11}, {10, 12}, {13, 12}, {15, 12}},
     {{10, 10}, {15, 10}, {10, 11}, {13, 11}, {15, 11}, {11, 12}, {12, 12}, {16, 12}}},
    {"a_wholly_clipped_image_adds_nothing",
     "<subwindow left=\"0\" top=\"0\" width=\"5\" height=\"5\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$IMAGES\\magenta5.png\"/>",
     {},
     {{0, 0}, {2, 2}, {4, 4}}},
    {"a_bitmap_without_the_colour_is_all_inside",
     "<subwindow left=\"0\" top=\"0\" width=\"9\" height=\"9\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"$IMAGES\\opaque7x3.bmp\"/>",
     {{0, 0}, {6, 2}},
     {{7, 0}, {0, 3}}},
    {"a_missing_clipping_image_adds_nothing",
     "<subwindow left=\"0\" top=\"0\" width=\"8\" height=\"6\" clippingColor=\"#FF00FF\" "
     "clippingImage=\"Z:\\nowhere\\missing.png\"/>",
     {},
     {{4, 4}}},
};

INSTANTIATE_TEST_SUITE_P(Trees, RegionCaseTest, ::testing::ValuesIn(kRegionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegionTest, TheRegionLockDefersTheShapeToItsRelease) {
  ASSERT_EQ(
      LoadBody("<subwindow left=\"0\" top=\"0\" width=\"20\" height=\"20\" backgroundColor=\"red\" "
           "horizontalAlignment=\"stretch\" verticalAlignment=\"stretch\"/>",
           20, 20),
      S_OK);
  ASSERT_EQ(Document()->lock(4), S_OK);
  SetClientSize(50, 30);
  EXPECT_FALSE(Shaped(40, 25)) << "the shape waits for the lock";
  ASSERT_EQ(Document()->unlock(4), S_OK);
  EXPECT_TRUE(Shaped(40, 25));
  EXPECT_TRUE(Shaped(49, 29));
  EXPECT_FALSE(Shaped(50, 29));
}

// Another window behind shows through the notch of a shaped one.
TEST_F(RegionTest, TheScreenShowsWhatLiesBehindTheShapesNotch) {
  scDocument* behind = nullptr;
  ASSERT_EQ(LoadBody("<subwindow left=\"0\" top=\"0\" width=\"40\" height=\"40\" "
                 "backgroundColor=\"#00FF00\"/>",
                 40, 40),
            S_OK);
  std::swap(behind, m_document);
  const std::string shape = WritePng("notch.png", 20, 20, [](int x, int y) -> Gdiplus::ARGB {
    return x >= 5 && x < 10 && y < 8 ? kMagenta : kBlueArgb;
  });
  ASSERT_EQ(LoadBody("<subwindow left=\"0\" top=\"0\" width=\"20\" height=\"20\" "
                 "clippingColor=\"#FF00FF\" backgroundImage=\"" +
                     shape + "\"/>",
                 20, 20),
            S_OK);
  ::SetWindowPos(behind->WindowHandle(), HWND_TOP, 100, 100, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::SetWindowPos(Window(), HWND_TOP, 110, 110, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  for (int i = 0; i < 3; ++i) {
    ::UpdateWindow(behind->WindowHandle());
    ::UpdateWindow(Window());
    test::PumpFor(100);
  }
  const Picture p = test::ReadScreen(RECT{110, 110, 130, 130});
  EXPECT_EQ(p.Count(RECT{5, 0, 10, 8}, 0x00FF00), 40) << "the notch shows the window behind";
  EXPECT_EQ(p.Count(RECT{0, 0, 5, 20}, 0x0000FF), 100);
  EXPECT_EQ(p.Count(RECT{5, 8, 10, 20}, 0x0000FF), 60);
  EXPECT_HRESULT_SUCCEEDED(behind->Destroy());
  behind->Release();
}

// Tens of thousands of sibling panels with a background colour, one pixel each: the window takes
// its shape without a depth that grows with their number. In columns the shape is a few
// rectangles and covers exactly the pixels a full repaint colours; on a checkerboard nothing
// merges, and beyond what the platform takes in one window shape the shape is simplified to one
// that still covers every painted pixel.
struct SiblingShape {
  int count;
  int width;  // client width; the height follows from the count
  bool checkerboard;
  bool exact;  // the shape is exactly the painted pixels (else it covers them)
};

class SiblingShapeTest : public RegionTest, public ::testing::WithParamInterface<SiblingShape> {};

TEST_P(SiblingShapeTest, ShapeCoversTheRepaint) {
  const SiblingShape c = GetParam();
  const int perRow = c.width / 2;
  const int height = (c.count + perRow - 1) / perRow;
  std::string body;
  body.reserve(static_cast<size_t>(c.count) * 96);
  for (int i = 0; i < c.count; ++i) {
    const int row = i / perRow;
    const int x = (i % perRow) * 2 + (c.checkerboard ? row % 2 : 0);
    body += "<subwindow left=\"" + std::to_string(x) + "\" top=\"" + std::to_string(row) +
            "\" width=\"1\" height=\"1\" backgroundColor=\"#FF0000\"/>";
  }
  ASSERT_EQ(LoadBody(body, c.width, height), S_OK);
  HRGN region = WindowRegion(Window());
  ASSERT_NE(region, nullptr);
  const std::vector<RECT> rects = NativeRegionRects(region);
  ::DeleteObject(region);
  EXPECT_LE(rects.size(), kMaxWindowShapeRects);
  // The shape as a mask (testing each pixel against a region walks all of its rectangles).
  std::vector<char> mask(static_cast<size_t>(c.width) * height, 0);
  for (const RECT& r : rects) {
    for (LONG y = std::max(r.top, 0L); y < std::min(r.bottom, static_cast<LONG>(height)); ++y)
      for (LONG x = std::max(r.left, 0L); x < std::min(r.right, static_cast<LONG>(c.width)); ++x)
        mask[static_cast<size_t>(y) * c.width + x] = 1;
  }
  const Picture picture = PrintClient();
  ASSERT_EQ(picture.width, c.width);
  ASSERT_EQ(picture.height, height);
  int painted = 0, uncovered = 0, extra = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const bool shaped = mask[static_cast<size_t>(y) * c.width + x] != 0;
      const bool red = picture.At(x, y) == 0xFF0000;
      painted += red ? 1 : 0;
      uncovered += red && !shaped ? 1 : 0;
      extra += shaped && !red ? 1 : 0;
    }
  }
  EXPECT_EQ(painted, c.count);
  EXPECT_EQ(uncovered, 0);
  if (c.exact) {
    EXPECT_EQ(extra, 0);
  } else {
    EXPECT_GT(extra, 0) << "a checkerboard this large cannot be one window shape";
  }
}

INSTANTIATE_TEST_SUITE_P(Many, SiblingShapeTest,
                         ::testing::Values(SiblingShape{19000, 200, true, true},
                                           SiblingShape{100000, 1000, false, true},
                                           SiblingShape{40000, 400, true, false}));

}  // namespace
}  // namespace velmor::paint_test
