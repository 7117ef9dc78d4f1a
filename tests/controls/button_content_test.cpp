// Drawn buttons in real windows: the picture of each state under the real pointer and under
// mouse messages, with every fallback between the state pictures, the caption over the picture,
// clicks, and the tooltip of the checked state.
#include <windows.h>
// windows.h first: the common controls header needs its types.
#include <commctrl.h>
#include <cstring>
#include <gtest/gtest.h>

#include "support/document_fixture.h"

namespace velmor::controls_test {
namespace {

using test::Picture;

constexpr DWORD kGrey = 0x808080;

// Every state picture in a colour of its own.
struct Colour {
  const char* attribute;
  DWORD rgb;
};
const Colour kPictures[] = {{"image", 0xC00000},          {"hoverImage", 0x00C000},
                            {"downImage", 0x0000C0},      {"disabledImage", 0xC0C000},
                            {"checkImage", 0xC000C0},     {"checkHoverImage", 0x00C0C0},
                            {"checkDownImage", 0x604020}, {"checkDisabledImage", 0x206040}};

DWORD ColourOf(const char* attribute) {
  for (const Colour& c : kPictures)
    if (attribute != nullptr && strcmp(c.attribute, attribute) == 0) return c.rgb;
  return kGrey;  // no picture: the panel shows through
}

class ButtonTest : public test::DocumentTest {
 protected:
  // The pointer starts away from every test window: one shown under it would be hovered at once.
  void SetUp() override {
    DocumentTest::SetUp();
    ::SetCursorPos(1, 1);
  }
  // A button 'b' at (20, 20), 80 x 40, over a grey 200 x 120 panel, with the pictures named in
  // 'present' (attribute names separated by blanks) and more attributes.
  HRESULT LoadButton(const std::string& present, const std::string& more) {
    std::string attributes;
    for (const Colour& c : kPictures) {
      if ((" " + present + " ").find(std::string(" ") + c.attribute + " ") == std::string::npos)
        continue;
      const DWORD rgb = c.rgb;
      attributes += std::string(" ") + c.attribute + "='" +
                    WritePng((std::string(c.attribute) + ".png").c_str(), 80, 40,
                             [rgb](int, int) { return 0xFF000000u | rgb; }) +
                    "'";
    }
    return LoadBody("<subwindow width='200' height='120' backgroundColor='#808080'>"
                    "<button id='b' left='20' top='20' width='80' height='40'" +
                        attributes + " " + more + "/></subwindow>",
                    200, 120);
  }
  DWORD Shown() { return PrintClient().At(22, 22) & 0xFFFFFFu; }
};

enum class Press { kNone, kHover, kDown, kDraggedOff };

struct PictureCase {
  const char* name;
  const char* present;
  bool checked;
  bool disabled;
  Press press;
  const char* shown;  // the attribute whose picture shows; null for none
};

class ButtonPictureTest : public ButtonTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(ButtonPictureTest, ShowsThePictureOfItsState) {
  const PictureCase& c = GetParam();
  ASSERT_EQ(LoadButton(c.present, c.disabled ? "disabled='true'" : ""), S_OK);
  Show(300, 200, 200, 120);
  if (c.checked) {
    ASSERT_EQ(Run(L"document.getElementById('b').checked = true;"), S_OK);
  }
  if (c.press != Press::kNone) {
    ::SetCursorPos(300 + 50, 200 + 40);
    Send(WM_MOUSEMOVE, 50, 40);
  }
  if (c.press == Press::kDown || c.press == Press::kDraggedOff)
    Send(WM_LBUTTONDOWN, 50, 40, MK_LBUTTON);
  // Pressed, with the hover gone elsewhere (as when the pointer leaves while the button is held).
  if (c.press == Press::kDraggedOff) {
    ASSERT_EQ(m_document->MouseInput().SetContentState(nullptr, 0x04), S_OK);
  }
  EXPECT_EQ(Shown(), ColourOf(c.shown)) << std::hex << Shown();
  if (c.press == Press::kDown || c.press == Press::kDraggedOff) Send(WM_LBUTTONUP, 150, 100);
}

const char kAll[] =
    "image hoverImage downImage disabledImage checkImage checkHoverImage checkDownImage "
    "checkDisabledImage";
const PictureCase kPictureCases[] = {
    {"OnlyImageWhenNormal", "image", false, false, Press::kNone, "image"},
    {"OnlyImageWhenPressed", "image", true, false, Press::kDown, "image"},
    {"OnlyImageWhenDisabled", "image", true, true, Press::kNone, "image"},
    {"Hover", kAll, false, false, Press::kHover, "hoverImage"},
    {"Down", kAll, false, false, Press::kDown, "downImage"},
    {"DraggedOffLooksNormal", kAll, false, false, Press::kDraggedOff, "image"},
    {"Disabled", kAll, false, true, Press::kNone, "disabledImage"},
    {"Checked", kAll, true, false, Press::kNone, "checkImage"},
    {"CheckedHover", kAll, true, false, Press::kHover, "checkHoverImage"},
    {"CheckedDown", kAll, true, false, Press::kDown, "checkDownImage"},
    {"CheckedDraggedOff", kAll, true, false, Press::kDraggedOff, "checkImage"},
    {"CheckedDisabled", kAll, true, true, Press::kNone, "checkDisabledImage"},
    {"CheckedHoverFallsToHoverNotCheck", "image hoverImage checkImage", true, false, Press::kHover,
     "hoverImage"},
    {"CheckedDownFallsToDown", "image downImage checkImage", true, false, Press::kDown,
     "downImage"},
    {"CheckedDisabledFallsToDisabled", "image disabledImage checkImage", true, true, Press::kNone,
     "disabledImage"},
    {"NoImageShowsNothingWhenNormal", "hoverImage", false, false, Press::kNone, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonPictureTest, ::testing::ValuesIn(kPictureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Real input through the platform's queue: the pointer moves in absolute screen pixels.
void PointerTo(POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (screen.x * 65536 + 32768) / ::GetSystemMetrics(SM_CXSCREEN);
  input.mi.dy = (screen.y * 65536 + 32768) / ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof(input));
  test::PumpFor(120);
}

void LeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &input, sizeof(input));
  test::PumpFor(120);
}

TEST_F(ButtonTest, FollowsTheRealPointerAndClicksOnceUnlessDisabled) {
  ASSERT_EQ(LoadButton("image hoverImage downImage disabledImage",
                       "value='Go' fontFace='Tahoma' fontSize='20' textAlignment='center vcenter' "
                       "foregroundColor='#000000' hoverForegroundColor='#FFFFFF' "
                       "onclick='clicks++;'"),
            S_OK);
  ASSERT_EQ(Run(L"var clicks = 0;"), S_OK);
  Show(300, 200, 200, 120);
  const POINT over{300 + 60, 200 + 40}, off{300 + 160, 200 + 100}, outside{300 + 260, 200 + 60};
  const RECT caption{40, 25, 80, 55};

  PointerTo(off);
  EXPECT_EQ(Shown(), ColourOf("image"));
  EXPECT_GT(PrintClient().Count(caption, 0x000000), 0) << "the caption over the picture";
  PointerTo(over);
  EXPECT_EQ(Shown(), ColourOf("hoverImage"));
  EXPECT_GT(PrintClient().Count(caption, 0xFFFFFF), 0) << "the caption follows the hover";
  LeftButton(true);
  EXPECT_EQ(Shown(), ColourOf("downImage"));
  PointerTo(outside);
  EXPECT_EQ(Shown(), ColourOf("image")) << "pressed and dragged out of the window";
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"0") << "released elsewhere: no click";

  PointerTo(over);
  // Past the double-click time, so the press is a press and not the second half of a double click.
  test::PumpFor(::GetDoubleClickTime() + 50);
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"1");
  EXPECT_EQ(Shown(), ColourOf("hoverImage"));

  ASSERT_EQ(Run(L"document.getElementById('b').disabled = true;"), S_OK);
  EXPECT_EQ(Shown(), ColourOf("disabledImage"));
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"1") << "a disabled button is not clicked";
  EXPECT_EQ(Shown(), ColourOf("disabledImage"));
  PointerTo(off);
}

TEST_F(ButtonTest, ACheckedButtonShowsItsCheckTooltipOrNone) {
  ASSERT_EQ(LoadBody("<subwindow width='200' height='120' backgroundColor='#808080'>"
                     "<button id='a' left='0' top='0' width='80' height='40' tooltip='Pin' "
                     "checkTooltip='Unpin'/>"
                     "<button id='n' left='100' top='0' width='80' height='40' tooltip='Only'/>"
                     "</subwindow>",
                     200, 120),
            S_OK);
  Show(300, 200, 200, 120);
  // The tool registered for an element, with its text; empty when there is none.
  auto tool = [this](const wchar_t* id) {
    HWND tooltip = m_document->MouseInput().TooltipWindow();
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = Window();
    info.uId = reinterpret_cast<UINT_PTR>(Element(id));
    wchar_t text[80] = L"";
    info.lpszText = text;
    const bool found =
        ::SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    return std::wstring(found ? text : L"");
  };
  auto hover = [this](int x) {
    ::SetCursorPos(300 + x, 200 + 20);
    Send(WM_MOUSEMOVE, x, 20);
  };
  ASSERT_EQ(Run(L"document.getElementById('a').checked = true;"
                L"document.getElementById('n').checked = true;"),
            S_OK);
  hover(40);
  EXPECT_EQ(tool(L"a"), L"Unpin");
  hover(150);
  EXPECT_EQ(tool(L"n"), L"") << "checked without checkTooltip: no tooltip";
}

}  // namespace
}  // namespace velmor::controls_test
