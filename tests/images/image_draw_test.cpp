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
// sticks out of the destination; an equal-sized destination is a copy in every mode.
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
    // 10 x 10 into 4 x 4: top-left is shown by default, the middle when centred.
    {"cut_top_left", {0, 0, 4, 4}, {0, 0, 10, 10}, 0, {0, 0}, {0, 0}, {4, 4}},
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
    {"equal_stretch", {2, 3, 8, 9}, {4, 1, 10, 7}, kDrawStretch, {2, 3}, {4, 1}, {6, 6}},
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

TEST_F(ImageDrawTest, EmptyRectanglesDrawNothing) {
  const struct {
    RECT destination, source;
  } cases[] = {
      {{0, 0, 0, 5}, {0, 0, 10, 10}}, {{0, 0, 5, 0}, {0, 0, 10, 10}},
      {{0, 0, 5, 5}, {3, 0, 3, 10}},  {{0, 0, 5, 5}, {0, 4, 10, 2}},
      {{6, 6, 2, 2}, {0, 0, 10, 10}},
  };
  for (UINT flags : {0u, UINT{kDrawStretch}, UINT{kDrawTile}}) {
    for (const auto& c : cases) {
      Canvas canvas(12, 12);
      DrawImage(canvas.Graphics(), m_tenByTen.get(), c.destination, c.source, flags);
      EXPECT_EQ(canvas.PaintedCount(), 0) << "flags " << flags;
    }
  }
}

TEST_F(ImageDrawTest, StretchRedrawsTheLastColumnFromTheSourcesLastColumn) {
  // Squeezing 10 columns into 3 would otherwise sample an inner column for the last one.
  Canvas canvas(6, 12);
  DrawImage(canvas.Graphics(), m_tenByTen.get(), RECT{0, 0, 3, 10}, RECT{0, 0, 10, 10},
            kDrawStretch);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(canvas.At(2, y), PositionColour(9, y)) << y;
  EXPECT_EQ(canvas.At(3, 0), Canvas::kBackground);
}

TEST_F(ImageDrawTest, TilesAreAnchoredAtTheWorldOrigin) {
  // The element sits at (5, 4); the tiled area starts inside it at (2, 3), yet the pattern
  // starts at the element's corner.
  Canvas canvas(20, 16);
  canvas.Graphics()->TranslateTransform(5, 4);
  const RECT source{2, 1, 5, 3};  // 3 x 2 tile
  DrawImage(canvas.Graphics(), m_tenByTen.get(), RECT{2, 3, 13, 11}, source, kDrawTile);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      const int ex = x - 5, ey = y - 4;  // element coordinates
      const bool inside = ex >= 2 && ex < 13 && ey >= 3 && ey < 11;
      const Gdiplus::ARGB expected =
          inside ? PositionColour(source.left + ex % 3, source.top + ey % 2) : Canvas::kBackground;
      ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
    }
}

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

// Every pixel of the destination shows the part its row and column fall in: corners keep their
// natural 5 x 5 size (the later drawn overlapping the earlier where there is no room), edges and
// the centre stretch over the rest.
TEST_F(NineGridTest, CornersKeepTheirSizeAndTheRestStretchesWhereThereIsRoom) {
  // Room both ways, none down, none across, one pixel each way.
  for (const SIZE size : {SIZE{20, 16}, SIZE{20, 9}, SIZE{10, 16}, SIZE{11, 11}}) {
    SCOPED_TRACE(testing::Message() << "destination " << size.cx << "x" << size.cy);
    Canvas canvas(22, 18);
    DrawNineGrid(canvas.Graphics(), RECT{0, 0, size.cx, size.cy}, m_image.get(), m_margins);
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 22; ++x) {
        const Gdiplus::ARGB p = canvas.At(x, y);
        if (x >= size.cx || y >= size.cy) {
          ASSERT_EQ(p, Canvas::kBackground) << x << "," << y;
          continue;
        }
        const int column = x >= size.cx - 5 ? 2 : x < 5 ? 0 : 1;
        const int row = y >= size.cy - 5 ? 2 : y < 5 ? 0 : 1;
        // Wine's GDI+ leaves the first row or column of a stretched part unpainted for some
        // scale factors.
        if (((column == 1 && x == 5) || (row == 1 && y == 5)) && p == Canvas::kBackground) continue;
        ASSERT_EQ(p, kParts[row][column]) << x << "," << y;
      }
  }
}

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

TEST_F(NineGridTest, NothingWithoutFramesOrRoom) {
  for (const auto& [destination, frames] :
       {std::pair{RECT{0, 0, 0, 8}, 1}, std::pair{RECT{0, 0, 8, 8}, 0}}) {
    Canvas canvas(10, 10);
    DrawNineGrid(canvas.Graphics(), destination, m_image.get(), m_margins, 0, frames);
    EXPECT_EQ(canvas.PaintedCount(), 0);
  }
}

TEST_F(ImageDrawTest, ByPathUsesTheWholeImageForAnEmptySource) {
  Canvas canvas(12, 12);
  const std::wstring path = test::ImageFixture(L"grad10.png");
  ASSERT_TRUE(DrawImageByPath(canvas.Graphics(), path.c_str(), RECT{1, 1, 11, 11}, RECT{}, 0));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(canvas.At(x + 1, y + 1), PositionColour(x, y));
  EXPECT_EQ(canvas.At(0, 0), Canvas::kBackground);
  EXPECT_EQ(canvas.At(11, 11), Canvas::kBackground);
  // An explicit source is used as given.
  Canvas part(4, 4);
  ASSERT_TRUE(DrawImageByPath(part.Graphics(), path.c_str(), RECT{0, 0, 2, 2}, RECT{7, 8, 9, 10}, 0));
  EXPECT_EQ(part.At(0, 0), PositionColour(7, 8));
  EXPECT_EQ(part.At(1, 1), PositionColour(8, 9));
}

}  // namespace
}  // namespace velmor
