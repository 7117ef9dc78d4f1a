// The window element on real windows: no system frame, which parts of the skin move or resize
// the window (real drags through the system's move and size loops), size limits, refusing to
// maximize, and the "close", "activate", "ok" and "cancel" events heard by skin handlers.
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "support/document_fixture.h"

namespace velmor::window_test {

using test::DocumentTest;
using test::RealMouse;
using test::ScreenPixel;
namespace {

// A 300 x 200 skin: a stretching pass-through background (empty skin: it claims the window's
// shape but takes no mouse input) with a white panel at (100, 50, 60 x 40). 'attributes' go on
// the window, 'panel' on the panel, 'more' after the background.
std::string SkinWith(const std::string& attributes, const std::string& panel = "",
                     const std::string& more = "") {
  return "<window width='300' height='200' " + attributes +
         "><subwindow left='0' top='0' width='300' height='200' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' passThrough='true' backgroundColor='#204060'>"
         "<subwindow id='panel' left='100' top='50' width='60' height='40'"
         " backgroundColor='#FFFFFF' " + panel + "/></subwindow>" + more + "</window>";
}

POINT ScreenPoint(HWND window, int x, int y) {
  POINT p{x, y};
  ::ClientToScreen(window, &p);
  return p;
}

TEST_F(DocumentTest, WithoutTitleBarTheSkinFillsTheWindowToThePixel) {
  constexpr COLORREF kBackground = RGB(0x20, 0x40, 0x60), kOrange = RGB(0xF0, 0xA0, 0x00);
  for (bool titleBar : {false, true}) {
    // An orange box anchored to the right edge; the window is widened by 60 pixels.
    ASSERT_EQ(Load(SkinWith(titleBar ? "titleBar='true'" : "", "",
                               "<subwindow left='250' top='20' width='50' height='30'"
                               " horizontalAlignment='right' backgroundColor='#F0A000'/>")),
              S_OK);
    Show(100, 100, 300, 200);
    ASSERT_EQ(Run(L"window.sizeTo(360, 200);"), S_OK);
    test::PumpFor(150);
    EXPECT_EQ(Eval(L"String(window.innerWidth == window.outerWidth)"),
              titleBar ? L"false" : L"true");
    EXPECT_EQ(ScreenPixel(100, 100) == kBackground, !titleBar) << "top-left pixel, " << titleBar;
    if (titleBar) continue;
    EXPECT_EQ(ScreenPixel(459, 135), kOrange) << "the box ends at the window's right edge";
    EXPECT_EQ(ScreenPixel(410, 135), kOrange);
    EXPECT_EQ(ScreenPixel(409, 135), kBackground);
  }

  // Shapes from clipping colours, and the screen through them, are in region_test.
}

// One real drag per row: the window at (200, 150), 300 x 200, dragged from a point of its
// client area by an offset.
struct DragCase {
  const char* name;
  const char* attributes;
  const char* panel;
  POINT from;  // client coordinates
  POINT by;
  RECT expected;  // the window rectangle afterwards
  // Wine keeps the pointer one pixel inside the largest size while it drags.
  LONG mayStopShortBy = 0;
};

void PrintTo(const DragCase& c, std::ostream* out) { *out << c.name; }

class RealDragTest : public DocumentTest, public testing::WithParamInterface<DragCase> {};

TEST_P(RealDragTest, MovesOrSizesTheWindow) {
  const DragCase& c = GetParam();
  ASSERT_EQ(Load(SkinWith(c.attributes, c.panel)), S_OK);
  Show(200, 150, 300, 200);
  const POINT from = ScreenPoint(Window(), c.from.x, c.from.y);
  RealMouse(from, {from.x + c.by.x, from.y + c.by.y});
  RECT expected = c.expected;
  const RECT actual = WindowRect();
  if (actual.right < expected.right && actual.right >= expected.right - c.mayStopShortBy)
    expected.right = actual.right;
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(RootRect(), ClientRect()) << "the skin follows the window";
}

const char kWide[] = "resizeMargins='4,6,8,10' bottomRightCorner='20,16'";
const DragCase kDrags[] = {
    {"EmptySkinMoves", "", "", {20, 20}, {60, 40}, {260, 190, 560, 390}},
    {"RightMarginSizes", "", "", {299, 100}, {80, 0}, {200, 150, 580, 350}},
    {"BottomLeftCornerSizes", "", "", {0, 199}, {-50, 30}, {150, 150, 500, 380}},
    {"WideTopMarginSizes", kWide, "", {150, 5}, {0, -30}, {200, 120, 500, 350}},
    {"BesideTheWideMarginMoves", kWide, "", {150, 6}, {0, -30}, {200, 120, 500, 320}},
    {"GripSizes", kWide, "", {282, 186}, {40, 30}, {200, 150, 540, 380}},
    {"ThreeMarginsAreNoList", "resizeMargins='9,9,9'", "", {3, 100}, {30, 0}, {230, 150, 530, 350}},
    {"MinWidthStopsTheDrag", "minWidth='220'", "", {299, 100}, {-200, 0}, {200, 150, 420, 350}},
    {"MaxWidthCapsTheDrag", "maxWidth='800'", "", {299, 100}, {700, 0}, {200, 150, 1000, 350}, 1},
    // size(handle) from a mousedown handler: resizes (sent), moves (posted), any letter case;
    // an unknown handle leaves the panel its mouse.
    {"SizeBottomRight", "", "onmousedown=\"window.size('BottomRight')\"", {120, 60}, {50, 25},
     {200, 150, 550, 375}},
    {"SizeTopLeft", "", "onmousedown=\"window.size('topLeft')\"", {120, 60}, {30, 20},
     {230, 170, 500, 350}},
    {"SizeMove", "", "onmousedown=\"window.size('MOVE')\"", {120, 60}, {30, 20},
     {230, 170, 530, 370}},
    {"SizeUnknownHandle", "", "onmousedown=\"window.size('middle')\"", {120, 60}, {30, 20},
     {200, 150, 500, 350}},
};

INSTANTIATE_TEST_SUITE_P(Drags, RealDragTest, testing::ValuesIn(kDrags),
                         [](const testing::TestParamInfo<DragCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(DocumentTest, MaximizableFalseRefusesEveryWayOfMaximizing) {
  enum How { kSystemMenu, kDoubleClick, kSizemode };
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  for (How how : {kSystemMenu, kDoubleClick, kSizemode}) {
    ASSERT_EQ(Load(SkinWith("maximizable='false'")), S_OK);
    Show(200, 150, 300, 200);
    const POINT empty = ScreenPoint(Window(), 20, 20);
    if (how == kSystemMenu) ::PostMessageW(Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    if (how == kDoubleClick) RealMouse(empty, empty, true);
    if (how == kSizemode) (void)Run(L"window.sizemode = 2;");
    test::PumpFor(150);
    EXPECT_FALSE(::IsZoomed(Window())) << "way " << how;
    EXPECT_EQ(WindowRect(), (RECT{200, 150, 500, 350})) << "way " << how;
  }
  // Maximizable, and with size limits: the skin fills the work area, its margins outside it.
  ASSERT_EQ(Load(SkinWith("minWidth='200' resizeMargins='3,4,5,6'")), S_OK);
  Show(200, 150, 300, 200);
  const POINT empty = ScreenPoint(Window(), 20, 20);
  RealMouse(empty, empty, true);
  EXPECT_EQ(Eval(L"window.sizemode"), L"2");
  EXPECT_EQ(WindowRect(), (RECT{work.left - 3, work.top - 4, work.right + 5, work.bottom + 6}));
}

TEST_F(DocumentTest, CloseActivateOkAndCancelReachTheSkin) {
  const std::string log = "<script>var log = '';</script>";
  // A "close" listener that prevents the default keeps the window, and no "unload" follows.
  for (bool prevent : {true, false}) {
    ASSERT_EQ(Load(SkinWith(std::string("onclose=\"log += 'close;';") +
                                   (prevent ? " event.preventDefault();" : "") +
                                   "\" onunload=\"log += 'unload;';\"",
                               "", log)),
              S_OK);
    HWND window = Window();
    if (prevent) (void)Run(L"window.close();");
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's close
    test::PumpFor(100);
    EXPECT_EQ(::IsWindow(window) != FALSE, prevent);
    if (prevent) {
      EXPECT_EQ(Eval(L"log"), L"close;close;");
    }
  }

  ASSERT_EQ(Load(SkinWith("onactivate=\"log += event.type + ':' + event.activated + ';';\""
                             " onok=\"log += 'ok;';\" oncancel=\"log += 'cancel;';\"",
                             "", log)),
            S_OK);
  Show(200, 150, 300, 200);
  ASSERT_EQ(Run(L"log = '';"), S_OK);
  // Another window shown takes the activation; then this one takes it back through its script
  // member, which only ever brings the window forward.
  UniqueHWnd other(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 700, 300, 50,
                                     50, nullptr, nullptr, nullptr, nullptr));
  test::PumpFor(100);
  ASSERT_EQ(::GetForegroundWindow(), other.Get());
  EXPECT_EQ(Eval(L"String(window.activated)"), L"false");
  for (const wchar_t* activated : {L"true", L"false"}) {
    ASSERT_EQ(Run(std::wstring(L"window.activated = ") + activated + L";"), S_OK);
    test::PumpFor(100);
    EXPECT_EQ(::GetForegroundWindow(), Window()) << "activated = " << activated;
    EXPECT_EQ(Eval(L"String(window.activated)"), L"true");
  }
  EXPECT_EQ(::SendMessageW(Window(), WM_COMMAND, IDOK, 0), 0);
  EXPECT_EQ(::SendMessageW(Window(), WM_COMMAND, IDCANCEL, 0), 0);
  ::SendMessageW(Window(), WM_COMMAND, 7, 0);  // any other command is not the window's
  EXPECT_EQ(Eval(L"log"), L"activate:false;activate:true;ok;cancel;");
}

}  // namespace
}  // namespace velmor::window_test
