// Window-shape regions made from images: one colour means "outside", compared with alpha; the
// region of a path is built once and the first colour used with it wins.
#include <gtest/gtest.h>

#include <string>

#include "image_test_support.h"
#include "images/image_manager.h"
#include "render/image_draw.h"

namespace velmor {
namespace {

constexpr Gdiplus::ARGB kMagenta = 0xFFFF00FF;

class ImageRegionTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyImageCache(); }

  // The region's pixels of a width x height area as rows of '#' (inside) and '.' (outside).
  static std::string Mask(Gdiplus::Region* region, int width, int height) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) rows += test::RegionHas(region, x, y) ? '#' : '.';
      rows += '\n';
    }
    return rows;
  }
};

struct RegionCase {
  const wchar_t* file;
  Gdiplus::ARGB clipping;
  int width, height;  // probed area: one pixel wider and taller than the image
  const char* mask;
};

// The shape fixture (see make_fixtures.sh): row 0 all opaque magenta; row 1 magenta, white,
// white, magenta, white, magenta; row 2 half-transparent magenta, magenta, magenta, white x 3.
const RegionCase kRegionCases[] = {
    {L"magenta5.png", kMagenta, 6, 6,
     "......\n......\n......\n......\n......\n......\n"},
    {L"opaque7x3.bmp", kMagenta, 8, 4, "#######.\n#######.\n#######.\n........\n"},
    {L"shape.png", kMagenta, 7, 4, ".......\n.##.#..\n#..###.\n.......\n"},
    // The same colour without alpha matches nothing: every pixel of the image is inside.
    {L"shape.png", 0x00FF00FF, 7, 4, "######.\n######.\n######.\n.......\n"},
    {L"shape.png", 0x80FF00FF, 7, 4, "######.\n######.\n.#####.\n.......\n"},
    {L"shape.png", 0xFFFFFFFF, 7, 4, "######.\n#..#.#.\n###....\n.......\n"},
};

class RegionFromImageTest : public ImageRegionTest,
                            public ::testing::WithParamInterface<RegionCase> {};

TEST_P(RegionFromImageTest, KeepsThePixelsThatDifferFromTheClippingColour) {
  const RegionCase& c = GetParam();
  const std::wstring path = test::ImageFixture(c.file);
  Gdiplus::Region* region = CreateRegionFromImage(path.c_str(), c.clipping);
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(Mask(region, c.width, c.height), c.mask);
  EXPECT_EQ(test::RegionIsEmpty(region), std::string(c.mask).find('#') == std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Images, RegionFromImageTest, ::testing::ValuesIn(kRegionCases));

TEST_F(ImageRegionTest, TheFirstColourUsedWithAPathWins) {
  const std::wstring path = test::ImageFixture(L"shape.png");
  Gdiplus::Region* first = CreateRegionFromImage(path.c_str(), kMagenta);
  ASSERT_NE(first, nullptr);
  Gdiplus::Region* second = CreateRegionFromImage(path.c_str(), 0xFFFFFFFF);
  EXPECT_EQ(second, first);
  EXPECT_EQ(Mask(second, 7, 4), ".......\n.##.#..\n#..###.\n.......\n");
  EXPECT_EQ(GetImageManager()->RegionCount(), 1u);
  // The region was built from the one decoded image that drawing uses.
  EXPECT_EQ(GetImageManager()->ImageCount(), 1u);
  EXPECT_NE(GetImageManager()->GetImage(path.c_str()), nullptr);
  EXPECT_EQ(GetImageManager()->ImageCount(), 1u);
  // Another spelling of the same file is another cache entry with its own colour.
  const std::wstring other = test::ImageFixture(L".\\shape.png");
  Gdiplus::Region* third = CreateRegionFromImage(other.c_str(), 0xFFFFFFFF);
  ASSERT_NE(third, nullptr);
  EXPECT_NE(third, first);
  EXPECT_EQ(Mask(third, 7, 4), "######.\n#..#.#.\n###....\n.......\n");
  EXPECT_EQ(GetImageManager()->RegionCount(), 2u);
}

}  // namespace
}  // namespace velmor
