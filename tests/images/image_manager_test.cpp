// The process-wide image cache: keyed by the path as written, relative paths under
// "skins\default" beside the program, nothing reported for files that are not images.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "image_test_support.h"
#include "images/image_manager.h"
#include "render/image_draw.h"
#include "support/test_env.h"

namespace velmor {
namespace {

class ImageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_manager = GetImageManager();
    ASSERT_NE(m_manager, nullptr);
    m_manager->EmptyCache();
  }
  void TearDown() override { m_manager->EmptyCache(); }
  CImageManager* m_manager = nullptr;
};

TEST_F(ImageManagerTest, DecodesAndSharesEachPathAsWrittenOnce) {
  const std::wstring path = test::ImageFixture(L"grad10.png");
  Gdiplus::Bitmap* image = m_manager->GetImage(path.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 10u);
  EXPECT_EQ(image->GetHeight(), 10u);
  Gdiplus::Color colour;
  ASSERT_EQ(image->GetPixel(3, 7, &colour), Gdiplus::Ok);
  EXPECT_EQ(colour.GetValue(), test::PositionColour(3, 7));
  EXPECT_EQ(m_manager->GetImage(path.c_str()), image);
  EXPECT_EQ(m_manager->ImageCount(), 1u);
  // The key is the path as written: another spelling of the file is decoded again.
  Gdiplus::Bitmap* dotted = m_manager->GetImage(test::ImageFixture(L".\\grad10.png").c_str());
  ASSERT_NE(dotted, nullptr);
  EXPECT_NE(dotted, image);
  // Shapes are cached by the same key and built from the decoded images already there.
  Gdiplus::Region* shape = CreateRegionFromImage(path.c_str(), 0xFFFF00FF);
  ASSERT_NE(shape, nullptr);
  EXPECT_NE(CreateRegionFromImage(test::ImageFixture(L".\\grad10.png").c_str(), 0), shape);
  EXPECT_EQ(m_manager->RegionCount(), 2u);
  EXPECT_EQ(m_manager->ImageCount(), 2u);
  // Containers are shared per path too, over the one decoded image the drawing uses, whether the
  // image or the container came first.
  const std::wstring gif = test::ImageFixture(L"loop2.gif");
  for (const std::wstring& p : {path, gif}) {
    ComPtr<imgIContainer> a = m_manager->GetImageContainer(p.c_str());
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), m_manager->GetImageContainer(p.c_str()).Get());
    Gdiplus::Bitmap* shown = nullptr;
    ASSERT_EQ(a->GetImage(&shown), S_OK);
    EXPECT_EQ(shown, m_manager->GetImage(p.c_str()));
  }
  EXPECT_EQ(m_manager->ContainerCount(), 2u);
  EXPECT_EQ(m_manager->ImageCount(), 3u);
}

// Nothing for files that are missing or not images, wherever they are asked for: no image, no
// container, no shape; and nothing is cached. (Elements drawing them: tests/controls.)
TEST_F(ImageManagerTest, MissingAndUndecodableFilesGiveNothingAnywhere) {
  const std::wstring cases[] = {
      test::ImageFixture(L"no-such.png"), test::ImageFixture(L"not_an_image.png"),
      test::ImageFixture(L"make_fixtures.sh"), L"test-images\\no-such.png", L"", L"C:\\",
  };
  for (const std::wstring& path : cases) {
    EXPECT_EQ(m_manager->GetImage(path.c_str()), nullptr);
    EXPECT_EQ(m_manager->GetImageContainer(path.c_str()), nullptr);
    EXPECT_EQ(CreateRegionFromImage(path.c_str(), 0xFFFF00FF), nullptr);
  }
  EXPECT_EQ(m_manager->GetImage(nullptr), nullptr);
  EXPECT_EQ(m_manager->GetImageContainer(nullptr), nullptr);
  EXPECT_EQ(CreateRegionFromImage(nullptr, 0xFFFF00FF), nullptr);
  EXPECT_FALSE(DrawImageByPath(nullptr, nullptr, RECT{0, 0, 8, 8}, RECT{}, 0));
  EXPECT_EQ(m_manager->ImageCount(), 0u);
  EXPECT_EQ(m_manager->ContainerCount(), 0u);
  EXPECT_EQ(m_manager->RegionCount(), 0u);
}

TEST_F(ImageManagerTest, RelativePathsResolveUnderTheDefaultSkinBesideTheProgram) {
  wchar_t resolved[MAX_PATH];
  ASSERT_TRUE(ResolveImagePath(L"test-images\\grad10.png", resolved));
  const std::wstring expected = test::TestBinDir() + L"\\skins\\default\\test-images\\grad10.png";
  EXPECT_EQ(std::wstring(resolved), expected);
  ASSERT_TRUE(ResolveImagePath(L"\\test-images\\grad10.png", resolved));
  EXPECT_EQ(std::wstring(resolved), expected);
  // A full path passes through; a root is used as it is.
  const std::wstring full = test::ImageFixture(L"grad10.png");
  ASSERT_TRUE(ResolveImagePath(full.c_str(), resolved));
  EXPECT_EQ(std::wstring(resolved), full);
  ASSERT_TRUE(ResolveImagePath(L"C:\\", resolved));
  EXPECT_EQ(std::wstring(resolved), L"C:\\");

  Gdiplus::Bitmap* image = m_manager->GetImage(L"test-images\\grad10.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 10u);
  // The file exists in skins\other, but images are only looked up under skins\default.
  ASSERT_TRUE(::PathFileExistsW(
      (test::TestBinDir() + L"\\skins\\other\\test-images\\only-in-other.png").c_str()));
  EXPECT_EQ(m_manager->GetImage(L"test-images\\only-in-other.png"), nullptr);
  EXPECT_EQ(m_manager->GetImage(L"..\\other\\test-images\\only-in-other.png") != nullptr, true)
      << "a path may still climb out of the default skin explicitly";
}

TEST_F(ImageManagerTest, EmptyingFreesEverythingAndDetachesContainersStillHeld) {
  const long before = LiveObjects<imgContainer>::Count();
  const std::wstring path = test::ImageFixture(L"grad10.png");
  ComPtr<imgIContainer> held = m_manager->GetImageContainer(path.c_str());
  ASSERT_TRUE(held);
  m_manager->GetImageContainer(test::ImageFixture(L"loop2.gif").c_str());
  m_manager->AddRegion(path.c_str(), std::make_unique<Gdiplus::Region>());
  EXPECT_EQ(LiveObjects<imgContainer>::Count(), before + 2);

  EmptyImageCache();
  EXPECT_EQ(m_manager->ImageCount(), 0u);
  EXPECT_EQ(m_manager->ContainerCount(), 0u);
  EXPECT_EQ(m_manager->RegionCount(), 0u);
  EXPECT_EQ(m_manager->FindRegion(path.c_str()), nullptr);
  EXPECT_EQ(LiveObjects<imgContainer>::Count(), before + 1);
  // The one still held no longer points at a freed image.
  UINT width = 0;
  EXPECT_EQ(held->GetWidth(&width), E_UNEXPECTED);
  held.Reset();
  EXPECT_EQ(LiveObjects<imgContainer>::Count(), before);
  // The cache fills again afterwards.
  EXPECT_NE(m_manager->GetImage(path.c_str()), nullptr);
}

}  // namespace
}  // namespace velmor
