// The four ways a skin bitmap is drawn into an element rectangle, probed pixel by pixel on a
// canvas set up as a paint sets it up.
#include <gtest/gtest.h>

#include "image_test_support.h"
#include "images/image_manager.h"
#include "render/image_draw.h"

namespace velmor {
namespace {

using test::Canvas;
using test::PositionColour;

class ImageDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyImageCache(); }
  std::unique_ptr<Gdiplus::Bitmap> m_tenByTen = test::MakeBitmap(10, 10, PositionColour);
};

// Natural size: the image keeps its size, sits where the placement bits say and is cut where it
// sticks out of the destination; an equal-sized destination is a copy in every mode. What the
// elements draw (the whole image in their box, natural, stretched, tiled or nine-grid, or
// nothing in an empty box) is checked on their windows' pixels in tests/controls.
struct PlacementCase {
  const char* name;
  RECT destination;
  RECT source;
  UINT flags;
  POINT at;      // canvas position of the first drawn pixel
  POINT from;    // image position drawn there
  SIZE shown;    // size of the visible part
};

const PlacementCase kPlacements[] = {
    // 10 x 10 into 4 x 4: the middle when centred (top-left by default: image elements).
    {"cut_centred", {0, 0, 4, 4}, {0, 0, 10, 10}, kDrawCenterH | kDrawCenterV, {0, 0}, {3, 3}, {4, 4}},
    {"cut_bottom_right", {0, 0, 4, 4}, {0, 0, 10, 10}, kDrawRight | kDrawBottom, {0, 0}, {6, 6}, {4, 4}},
    {"cut_centre_h_only", {2, 1, 6, 5}, {0, 0, 10, 10}, kDrawCenterH, {2, 1}, {3, 0}, {4, 4}},
    // A 4 x 4 part inside a 10 x 8 destination at (2, 2).
    {"top_left", {2, 2, 12, 10}, {1, 1, 5, 5}, 0, {2, 2}, {1, 1}, {4, 4}},
    {"right", {2, 2, 12, 10}, {1, 1, 5, 5}, kDrawRight, {8, 2}, {1, 1}, {4, 4}},
    {"bottom", {2, 2, 12, 10}, {1, 1, 5, 5}, kDrawBottom, {2, 6}, {1, 1}, {4, 4}},
    {"centred", {2, 2, 12, 10}, {1, 1, 5, 5}, kDrawCenterH | kDrawCenterV, {5, 4}, {1, 1}, {4, 4}},
    {"centre_wins_over_right", {2, 2, 12, 10}, {1, 1, 5, 5}, kDrawCenterH | kDrawRight | kDrawBottom,
     {5, 6}, {1, 1}, {4, 4}},
    // Wider than the destination but shorter: cut across only.
    {"cut_across", {0, 0, 3, 8}, {0, 0, 10, 2}, kDrawCenterH | kDrawBottom, {0, 6}, {3, 0}, {3, 2}},
    // Equal sizes are a copy whatever the flags say.
    {"equal_tile", {2, 3, 8, 9}, {4, 1, 10, 7}, kDrawTile, {2, 3}, {4, 1}, {6, 6}},
    {"equal_placed", {2, 3, 8, 9}, {4, 1, 10, 7}, kDrawCenterH | kDrawBottom, {2, 3}, {4, 1}, {6, 6}},
};

class NaturalSizeTest : public ImageDrawTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(NaturalSizeTest, PlacesAndCuts) {
  const PlacementCase& c = GetParam();
  Canvas canvas(16, 12);
  DrawImage(canvas.Graphics(), m_tenByTen.get(), c.destination, c.source, c.flags);
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const int ix = x - c.at.x, iy = y - c.at.y;
      const bool drawn = ix >= 0 && iy >= 0 && ix < c.shown.cx && iy < c.shown.cy;
      const Gdiplus::ARGB expected = drawn ? PositionColour(c.from.x + ix, c.from.y + iy)
                                           : Canvas::kBackground;
      ASSERT_EQ(canvas.At(x, y), expected) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Placements, NaturalSizeTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

// A 12 x 12 nine-grid image with margins 5 on every side: every part is one colour, so the
// probes tell which part was drawn where.
enum Part : Gdiplus::ARGB {
  kTopLeft = 0xFF800000, kTop = 0xFF008000, kTopRight = 0xFF000080,
  kLeft = 0xFF808000, kCentre = 0xFF008080, kRight = 0xFF800080,
  kBottomLeft = 0xFFFF8000, kBottom = 0xFF00FF80, kBottomRight = 0xFF8000FF,
};

constexpr Gdiplus::ARGB kParts[3][3] = {{kTopLeft, kTop, kTopRight},
                                        {kLeft, kCentre, kRight},
                                        {kBottomLeft, kBottom, kBottomRight}};

Gdiplus::ARGB NineGridPixel(int x, int y) {
  return kParts[y < 5 ? 0 : y < 7 ? 1 : 2][x < 5 ? 0 : x < 7 ? 1 : 2];
}

class NineGridTest : public ImageDrawTest {
 protected:
  std::unique_ptr<Gdiplus::Bitmap> m_image = test::MakeBitmap(12, 12, NineGridPixel);
  const NineGridMargins m_margins{5, 5, 5, 5};
};

// Nine-grid parts at their places and sizes: tests/controls (image elements' pixels).
TEST_F(NineGridTest, DrawsTheChosenFrameOfAVerticalStrip) {
  // Two frames stacked: the second is the first with every colour's red channel cleared.
  auto strip = test::MakeBitmap(12, 24, [](int x, int y) {
    return y < 12 ? NineGridPixel(x, y) : NineGridPixel(x, y - 12) & 0xFF00FFFFu;
  });
  Canvas canvas(20, 16);
  DrawNineGrid(canvas.Graphics(), RECT{0, 0, 20, 16}, strip.get(), m_margins, 1, 2);
  EXPECT_EQ(canvas.At(0, 0), kTopLeft & 0xFF00FFFFu);
  EXPECT_EQ(canvas.At(19, 15), kBottomRight & 0xFF00FFFFu);
  EXPECT_EQ(canvas.At(10, 8), kCentre & 0xFF00FFFFu);
  EXPECT_EQ(canvas.At(10, 0), kTop & 0xFF00FFFFu);
}

// Reversed or empty rectangles, and strips without frames (empty element boxes: tests/controls).
TEST_F(NineGridTest, NothingWithoutRoomOrFrames) {
  for (UINT flags : {0u, UINT{kDrawStretch}, UINT{kDrawTile}}) {
    Canvas canvas(10, 10);
    DrawImage(canvas.Graphics(), m_image.get(), RECT{6, 6, 2, 2}, RECT{0, 0, 10, 10}, flags);
    DrawImage(canvas.Graphics(), m_image.get(), RECT{0, 0, 5, 5}, RECT{3, 0, 3, 10}, flags);
    EXPECT_EQ(canvas.PaintedCount(), 0) << "flags " << flags;
  }
  for (const auto& [destination, frames] :
       {std::pair{RECT{0, 0, 0, 8}, 1}, std::pair{RECT{0, 0, 8, 8}, 0}}) {
    Canvas canvas(10, 10);
    DrawNineGrid(canvas.Graphics(), destination, m_image.get(), m_margins, 0, frames);
    EXPECT_EQ(canvas.PaintedCount(), 0);
  }
}

}  // namespace
}  // namespace velmor
