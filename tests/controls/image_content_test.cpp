// The image element: drawing modes read from its attributes, IDOMImage.src, silent failures and
// its registration with animated image containers.
#include <gtest/gtest.h>

#include "controls/image_content.h"
#include "image_box_cases.h"
#include "images/image_manager.h"
#include "support/document_fixture.h"

namespace velmor::paint_test {
namespace {

using test::Picture;
using PaintTest = test::DocumentTest;

constexpr DWORD kGrey = 0x808080;

std::string Attr(const char* name, const char* value) {
  return value == nullptr ? std::string() : std::string(" ") + name + "=\"" + value + "\"";
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string FixtureImage(const char* name) {
  // The fixtures folder is a Unix path; Wine maps the Unix root to drive Z:.
  std::string path = "Z:";
  for (const char* c = VELMOR_FIXTURES; *c; ++c) path += *c == '/' ? '\\' : *c;
  return path + "\\images\\" + name;
}

const char kGreyPanel[] =
    "<subwindow left=\"0\" top=\"0\" width=\"40\" height=\"30\" backgroundColor=\"#808080\"/>";

// One mode case for one element kind: the element stands at (3, 2) over a grey panel.
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
                                  ? "<subwindow" + geometry + " backgroundImage=\"" + picture +
                                        "\"" + Attr("backgroundImageStretchMode", c.mode) +
                                        Attr("nineGridMargins", c.margins) + "/>"
                                  : "<image" + geometry + " src=\"" + picture + "\"" +
                                        Attr("stretchMode", c.mode) +
                                        Attr("nineGridMargins", c.margins) + "/>";
  ASSERT_EQ(LoadBody(kGreyPanel + element, 40, 30), S_OK);
  const Picture p = PrintClient();
  int wrong = 0;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      int sx = 0, sy = 0;
      const DWORD expected = c.source(x, y, sx, sy) ? (PositionColour(sx, sy) & 0x00FFFFFFu) : kGrey;
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

TEST_F(ImageElementTest, SrcIsTheScriptsViewOfTheSource) {
  const std::string a = WritePng("a.png", 2, 2, [](int, int) { return 0xFF00FF00u; });
  ASSERT_EQ(LoadBody(std::string(kGreyPanel) + "<image id=\"img\" width=\"4\" height=\"4\" src=\"" + a +
                     "\"/><image id=\"empty\" left=\"10\" width=\"4\" height=\"4\"/>",
                 40, 30),
            S_OK);
  UniqueBstr value;
  ASSERT_EQ(Script()->get_src(value.Put()), S_OK);
  EXPECT_EQ(std::wstring(value.Get()), Wide(a));
  EXPECT_EQ(Script()->get_src(nullptr), E_POINTER);

  UniqueBstr none;
  EXPECT_EQ(Script(L"empty")->get_src(none.Put()), S_OK);
  EXPECT_EQ(none.Get(), nullptr) << "an empty source reads as a null string";

  UniqueBstr name;
  ASSERT_EQ(Script()->get_nodeName(name.Put()), S_OK);
  EXPECT_EQ(std::wstring(name.Get()), L"image");

  // Script reaches src by name through the element's dispatch: IDOMImage is first in the image's
  // interface table.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
  UniqueBstr member(L"src");
  BSTR names[] = {member.Get()};
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 0x10000180);

  // Changing the source shows the new picture; a null string empties the element.
  const std::string b = WritePng("b.png", 2, 2, [](int, int) { return 0xFF0000FFu; });
  PutSrc(b);
  EXPECT_EQ(PrintClient().At(1, 1), 0x0000FFu);
  EXPECT_EQ(Script()->put_src(nullptr), S_OK);
  EXPECT_EQ(Image()->Source(), L"");
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
               "<image left=\"10\" top=\"0\" width=\"10\" height=\"10\" src=\"" +
               broken + "\"/>",
           40, 30),
      S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{0, 0, 20, 10}, kGrey), 200);
}

TEST_F(ImageElementTest, AnimatedSourcesAreWatchedOncePerSourceWhileShown) {
  const std::string gif = FixtureImage("loop2.gif");
  const std::string still = WritePng("still.png", 2, 2, [](int, int) { return 0xFF00FF00u; });
  ASSERT_EQ(LoadBody(std::string(kGreyPanel) +
                     "<image id=\"img\" left=\"5\" top=\"6\" width=\"4\" "
                     "height=\"4\" src=\"" +
                     gif + "\"/>",
                 40, 30),
            S_OK);
  EXPECT_FALSE(Image()->IsPrepared());
  EXPECT_EQ(Observers(gif), 0u) << "the container is looked at by the first paint";
  PrintClient();
  EXPECT_TRUE(Image()->IsPrepared());
  EXPECT_EQ(Observers(gif), 1u);

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
  m_document->Destroy();
  EXPECT_EQ(Observers(gif), 0u);
}

TEST_F(ImageElementTest, AFrameChangeRepaintsTheElementsBox) {
  ASSERT_EQ(LoadBody(std::string(kGreyPanel) +
                     "<subwindow left=\"10\" top=\"4\" width=\"20\" "
                     "height=\"20\"><image id=\"img\" left=\"5\" top=\"6\" width=\"4\" "
                     "height=\"3\" src=\"" +
                     FixtureImage("loop2.gif") + "\"/></subwindow>",
                 40, 30),
            S_OK);
  ::SetWindowPos(Window(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::UpdateWindow(Window());
  ComPtr<imgIContainerObserver> observer;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&observer)), S_OK);
  EXPECT_EQ(observer->FrameChanged(nullptr), S_OK);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  const RECT expected{15, 10, 19, 13};
  EXPECT_TRUE(::EqualRect(&update, &expected))
      << update.left << "," << update.top << "," << update.right << "," << update.bottom;
}

}  // namespace
}  // namespace velmor::paint_test
