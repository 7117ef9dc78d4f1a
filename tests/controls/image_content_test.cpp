// The image element: drawing modes read from its attributes, IDOMImage.src, silent failures and
// its registration with animated image containers.
#include <gtest/gtest.h>

#include <functional>

#include "controls/image_content.h"
#include "images/image_manager.h"
#include "support/document_fixture.h"

namespace velmor::paint_test {
namespace {

// The drawing-mode cases of the image element and the subwindow's background image: a 10 x 10
// picture whose every pixel tells where it came from, drawn into boxes of several sizes.
// Opaque colour that tells the position it was taken from (no two pixels of the 10 x 10 picture
// share one, none is grey).
Gdiplus::ARGB PositionColour(int x, int y) {
  return 0xFF000040u | static_cast<Gdiplus::ARGB>(10 + 20 * x) << 16 |
         static_cast<Gdiplus::ARGB>(10 + 20 * y) << 8;
}

struct ImageBoxCase {
  const char* name;
  const char* mode;     // the mode attribute's text, null for none
  const char* margins;  // "nineGridMargins", null for none
  int width, height;
  // Where box pixel (x, y) comes from in the picture; false: not drawn.
  std::function<bool(int x, int y, int& sx, int& sy)> source;
};

bool Natural(int x, int y, int& sx, int& sy) {
  sx = x;
  sy = y;
  return x < 10 && y < 10;
}

const ImageBoxCase kImageBoxCases[] = {
    {"natural_cut_to_the_box", nullptr, nullptr, 4, 4, Natural},
    {"natural_in_a_larger_box", nullptr, nullptr, 13, 12, Natural},
    {"keywords_are_case_sensitive", "Stretch", nullptr, 13, 12, Natural},
    {"unknown_keyword_is_natural", "center", nullptr, 13, 12, Natural},
    {"margins_without_ninegrid_are_ignored", nullptr, "5,5,5,5", 13, 12, Natural},
    {"stretch_of_equal_size_copies", "stretch", nullptr, 10, 10, Natural},
    // Squeezed, the last column is taken from the picture's last column, not an inner one.
    {"stretch_squeezed_keeps_the_last_column", "stretch", nullptr, 3, 10,
     [](int x, int y, int& sx, int& sy) {
       sx = x == 2 ? 9 : x * 10 / 3;
       sy = y;
       return true;
     }},
    {"stretch_doubles", "stretch", nullptr, 20, 20,
     [](int x, int y, int& sx, int& sy) {
       sx = x / 2;
       sy = y / 2;
       return true;
     }},
    {"tiles_from_the_box_corner", "tile", nullptr, 23, 14,
     [](int x, int y, int& sx, int& sy) {
       sx = x % 10;
       sy = y % 10;
       return true;
     }},
    // Corners at natural size, edges and centre stretched between them (here to twice their
    // size); with no room down, the bottom row of parts is drawn over the top one.
    {"ninegrid_stretches_edges_and_centre", "ninegrid", "3,3,3,3", 14, 14,
     [](int x, int y, int& sx, int& sy) {
       sx = x < 3 ? x : x >= 11 ? x - 4 : 3 + (x - 3) / 2;
       sy = y < 3 ? y : y >= 11 ? y - 4 : 3 + (y - 3) / 2;
       return true;
     }},
    {"ninegrid_without_room_down", "ninegrid", "3,3,3,3", 14, 5,
     [](int x, int y, int& sx, int& sy) {
       sx = x < 3 ? x : x >= 11 ? x - 4 : 3 + (x - 3) / 2;
       sy = y < 2 ? y : y + 5;
       return true;
     }},
    {"an_empty_box_draws_nothing", nullptr, nullptr, 0, 6, Natural},
    {"an_empty_box_stretched_draws_nothing", "stretch", nullptr, 6, 0, Natural},
    {"an_empty_box_tiled_draws_nothing", "tile", nullptr, 0, 6, Natural},
    {"an_empty_box_in_ninegrid_draws_nothing", "ninegrid", "5,5,5,5", 6, 0, Natural},
    // Smaller than the margins: only the four corners, overlapping, the later over the earlier
    // (top-left, top-right, bottom-left, bottom-right).
    {"ninegrid_draws_only_overlapping_corners", "ninegrid", "5,5,5,5", 8, 8,
     [](int x, int y, int& sx, int& sy) {
       sx = x < 3 ? x : x + 2;
       sy = y < 3 ? y : y + 2;
       return true;
     }},
};


using test::Picture;
using PaintTest = test::DocumentTest;

constexpr DWORD kGrey = 0x808080;

std::string Attr(const char* name, const char* value) {
  return value == nullptr ? std::string() : std::string(" ") + name + "=\"" + value + "\"";
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string FixtureImage(const wchar_t* name) {
  const std::wstring path = test::FixturePath((std::wstring(L"images\\") + name).c_str());
  return std::string(path.begin(), path.end());
}

const char kGreyPanel[] =
    "<subwindow left=\"0\" top=\"0\" width=\"40\" height=\"30\" backgroundColor=\"#808080\"/>";

// One mode case for one element kind: the element stands at (3, 2) over a grey panel; a
// subwindow fills its box with its red background colour under the picture.
struct ModeCase {
  const ImageBoxCase* box;
  bool subwindow;
};

class ImageBoxModeTest : public PaintTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ImageBoxModeTest, DrawsTheBoxAsTheModeSays) {
  const ImageBoxCase& c = *GetParam().box;
  const std::string picture = WritePng("picture.png", 10, 10, PositionColour);
  const std::string geometry = " left=\"3\" top=\"2\" width=\"" + std::to_string(c.width) +
                               "\" height=\"" + std::to_string(c.height) + "\"";
  const std::string element = GetParam().subwindow
                                  ? "<subwindow" + geometry + " backgroundColor=\"#FF0000\""
                                        " backgroundImage=\"" + picture +
                                        "\"" + Attr("backgroundImageStretchMode", c.mode) +
                                        Attr("nineGridMargins", c.margins) + "/>"
                                  : "<image" + geometry + " src=\"" + picture + "\"" +
                                        Attr("stretchMode", c.mode) +
                                        Attr("nineGridMargins", c.margins) + "/>";
  ASSERT_EQ(LoadBody(kGreyPanel + element, 40, 30), S_OK);
  const Picture p = PrintClient();
  const DWORD under = GetParam().subwindow ? 0xFF0000 : kGrey;
  int wrong = 0;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      int sx = 0, sy = 0;
      const DWORD expected = c.source(x, y, sx, sy) ? (PositionColour(sx, sy) & 0x00FFFFFFu) : under;
      if (p.At(3 + x, 2 + y) != expected && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << p.At(3 + x, 2 + y)
                      << " instead of " << expected;
    }
  }
  EXPECT_EQ(wrong, 0);
  // Nothing is drawn outside the box.
  EXPECT_EQ(p.At(2, 2), kGrey);
  EXPECT_EQ(p.At(3 + c.width, 2), kGrey);
  EXPECT_EQ(p.At(3, 2 + c.height), kGrey);
}

std::vector<ModeCase> AllModeCases() {
  std::vector<ModeCase> cases;
  for (bool subwindow : {false, true})
    for (const ImageBoxCase& c : kImageBoxCases) cases.push_back({&c, subwindow});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Modes, ImageBoxModeTest, ::testing::ValuesIn(AllModeCases()),
                         [](const auto& info) {
                           return std::string(info.param.subwindow ? "subwindow_" : "image_") +
                                  info.param.box->name;
                         });

class ImageElementTest : public PaintTest {
 protected:
  scImageContent* Image(const wchar_t* id = L"img") {
    return static_cast<scImageContent*>(scITextBaseContent::FromContent(Element(id)));
  }
  ComPtr<IDOMImage> Script(const wchar_t* id = L"img") {
    ComPtr<IDOMImage> image;
    EXPECT_EQ(Element(id)->QueryInterface(IID_PPV_ARGS(&image)), S_OK);
    return image;
  }
  // The container's observer count for a path (the container is shared per path).
  size_t Observers(const std::string& path) {
    ComPtr<imgIContainer> container = GetImageManager()->GetImageContainer(Wide(path).c_str());
    return container ? static_cast<imgContainer*>(container.Get())->ObserverCount() : 0;
  }
  void PutSrc(const std::string& path) {
    UniqueBstr b(Wide(path).c_str());
    EXPECT_EQ(Script()->put_src(b.Get()), S_OK);
  }
};

// The window's scripts read and set src and a new source shows its picture; a null string (which
// only native callers can pass) empties the element. The element's name and dispatch identity
// are checked with every class in element_script_test.
TEST_F(ImageElementTest, ScriptsReadAndSetTheSource) {
  const std::string a = WritePng("a.png", 2, 2, [](int, int) { return 0xFF00FF00u; });
  const std::string b = WritePng("b.png", 2, 2, [](int, int) { return 0xFF0000FFu; });
  ASSERT_EQ(LoadBody(std::string(kGreyPanel) + "<image id=\"img\" width=\"4\" height=\"4\" src=\"" + a +
                         "\"/><image id=\"empty\" left=\"10\" width=\"4\" height=\"4\"/>",
                     40, 30),
            S_OK);
  ASSERT_EQ(Run(L"var img = document.getElementById('img');"), S_OK);
  EXPECT_EQ(Eval(L"img.src"), Wide(a));
  EXPECT_EQ(Eval(L"document.getElementById('empty').src"), L"");
  EXPECT_EQ(PrintClient().At(1, 1), 0x00FF00u);
  ASSERT_EQ(Run(L"img.src = '" + test::Escaped(Wide(b)) + L"';"), S_OK);
  EXPECT_EQ(PrintClient().At(1, 1), 0x0000FFu);
  EXPECT_EQ(Script()->put_src(nullptr), S_OK);
  EXPECT_EQ(Eval(L"img.src"), L"");
  EXPECT_EQ(PrintClient().At(1, 1), kGrey);
}

TEST_F(ImageElementTest, MissingOrUndecodableFilesDrawNothing) {
  const std::string broken = WritePng("broken.png", 1, 1, [](int, int) { return 0xFF000000u; });
  // Overwrite the picture with text: the file exists but is no image.
  ASSERT_TRUE(test::WriteFileBytes(Wide(broken), "not an image"));
  ASSERT_EQ(
      LoadBody(std::string(kGreyPanel) +
               "<image left=\"0\" top=\"0\" width=\"10\" height=\"10\" stretchMode=\"stretch\" "
               "src=\"Z:\\nowhere\\missing.png\"/>"
               "<image left=\"10\" top=\"0\" width=\"10\" height=\"10\" "
               "stretchMode=\"ninegrid\" nineGridMargins=\"2,2,2,2\" src=\"" +
               broken + "\"/>",
           40, 30),
      S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{0, 0, 20, 10}, kGrey), 200);
}

TEST_F(ImageElementTest, AnimatedSourcesAreWatchedOncePerSourceWhileShown) {
  const std::string gif = FixtureImage(L"loop2.gif");
  const std::string still = WritePng("still.png", 2, 2, [](int, int) { return 0xFF00FF00u; });
  ASSERT_EQ(LoadBody(std::string(kGreyPanel) + "<subwindow left=\"10\" top=\"4\" width=\"20\" "
                     "height=\"20\"><image id=\"img\" left=\"5\" top=\"6\" width=\"4\" "
                     "height=\"3\" src=\"" + gif + "\"/></subwindow>",
                     40, 30),
            S_OK);
  EXPECT_FALSE(Image()->IsPrepared());
  EXPECT_EQ(Observers(gif), 0u) << "the container is looked at by the first paint";
  ::SetWindowPos(Window(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::UpdateWindow(Window());
  EXPECT_TRUE(Image()->IsPrepared());
  EXPECT_EQ(Observers(gif), 1u);
  // A new frame repaints the element's box, in window coordinates.
  ComPtr<imgIContainerObserver> observer;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&observer)), S_OK);
  EXPECT_EQ(observer->FrameChanged(nullptr), S_OK);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  EXPECT_EQ(update, (RECT{15, 10, 19, 13}));

  // The same path again: unprepared until painted, and registered once, not twice.
  PutSrc(gif);
  EXPECT_FALSE(Image()->IsPrepared());
  PrintClient();
  PrintClient();
  EXPECT_EQ(Observers(gif), 1u);

  // Another source ends the watch; a still picture is not watched.
  PutSrc(still);
  PrintClient();
  EXPECT_TRUE(Image()->IsPrepared());
  EXPECT_EQ(Observers(gif), 0u);
  EXPECT_EQ(Observers(still), 0u);

  // Going away with the window ends the watch too.
  PutSrc(gif);
  PrintClient();
  EXPECT_EQ(Observers(gif), 1u);
  EXPECT_HRESULT_SUCCEEDED(m_document->Destroy());
  EXPECT_EQ(Observers(gif), 0u);
}

}  // namespace
}  // namespace velmor::paint_test
