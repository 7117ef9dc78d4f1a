// The window element on a real window: no system frame, which parts of the skin move or resize
// the window (real drags through the system's own move and size loops), size limits, refusing
// to maximize, and the "close", "activate", "ok" and "cancel" events heard by skin handlers.
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "window_fixture.h"

namespace velmor::window_test {
namespace {

// A skin of one stretching, pass-through background (the empty skin: it claims the window's
// shape but takes no mouse input) with a white panel on it; 'attributes' go on the window,
// 'panel' on the panel and 'more' after the background.
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

TEST_F(DocumentTest, HitTestGivesMarginsGripElementsAndEmptySkin) {
  struct Case {
    const char* attributes;
    int x, y;
    LRESULT expected;
  };
  static const Case kCases[] = {
      // Default margins of 2 pixels on every side.
      {"", 0, 0, HTTOPLEFT},          {"", 1, 100, HTLEFT},         {"", 1, 199, HTBOTTOMLEFT},
      {"", 299, 0, HTTOPRIGHT},       {"", 298, 100, HTRIGHT},      {"", 298, 198, HTBOTTOMRIGHT},
      {"", 150, 1, HTTOP},            {"", 150, 198, HTBOTTOM},     {"", 150, 2, HTCAPTION},
      {"", 2, 100, HTCAPTION},        {"", 120, 60, HTCLIENT},      {"", 295, 195, HTCAPTION},
      // Margins left 4, top 6, right 8, bottom 10 and a 20 x 16 grip.
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 3, 100, HTLEFT},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 4, 100, HTCAPTION},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 150, 5, HTTOP},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 150, 6, HTCAPTION},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 292, 100, HTRIGHT},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 291, 100, HTCAPTION},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 150, 190, HTBOTTOM},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 280, 184, HTBOTTOMRIGHT},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 279, 185, HTCAPTION},
      {"resizeMargins='4,6,8,10' bottomRightCorner='20,16'", 285, 183, HTCAPTION},
      // Three numbers are not a margin list: the defaults stay.
      {"resizeMargins='4,6,8'", 3, 100, HTCAPTION},
      {"resizeMargins='4,6,8'", 1, 100, HTLEFT},
      // A grip needs both sizes.
      {"bottomRightCorner='20,0'", 285, 190, HTCAPTION},
      // With the system frame the system hit-tests: the client area is the client area.
      {"titleBar='true'", 150, 100, HTCLIENT},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << " at " << c.x << "," << c.y);
    ASSERT_EQ(LoadNew(SkinWith(c.attributes)), S_OK);
    (void)m_document->moveSizeTo(100, 100, 300, 200, 0);
    const POINT at = ScreenPoint(Window(), c.x, c.y);
    EXPECT_EQ(::SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), c.expected);
  }
}

TEST_F(DocumentTest, WithoutTitleBarTheSkinFillsTheWholeWindow) {
  // An orange box anchored to the right edge, and the window widened by a script.
  const std::string rightBox =
      "<subwindow left='250' top='20' width='50' height='30' horizontalAlignment='right'"
      " backgroundColor='#F0A000'/>";
  struct Case {
    const char* attributes;
    bool frameless;
  };
  static const Case kCases[] = {{"", true}, {"titleBar='false'", true}, {"titleBar='true'", false}};
  constexpr COLORREF kBackground = RGB(0x20, 0x40, 0x60), kOrange = RGB(0xF0, 0xA0, 0x00);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.attributes);
    ASSERT_EQ(LoadNew(SkinWith(c.attributes, "", rightBox)), S_OK);
    Show(100, 100, 300, 200);
    ASSERT_EQ(m_document->ScriptContext()->ExecuteScript(L"window.sizeTo(360, 200);", nullptr),
              S_OK);
    test::PumpFor(200);
    EXPECT_EQ(Eval(L"String(window.innerWidth == window.outerWidth && "
                   L"window.innerHeight == window.outerHeight)"),
              c.frameless ? L"true" : L"false");
    EXPECT_EQ(ScreenPixel(100, 100) == kBackground, c.frameless) << "top-left pixel";
    if (!c.frameless) continue;
    // The right-anchored box ends exactly at the window's right edge.
    EXPECT_EQ(ScreenPixel(459, 135), kOrange);
    EXPECT_EQ(ScreenPixel(410, 135), kOrange);
    EXPECT_EQ(ScreenPixel(409, 135), kBackground);
  }
}

TEST_F(DocumentTest, ClippingShapeLinesUpWithThePaintedSkin) {
  // shape.png, 6 x 3: opaque magenta around white pixels (rows ". W W . W ." and ". . . W W W")
  // and one half-transparent magenta pixel, which the clipping colour does not cut out.
  std::string fixture = VELMOR_FIXTURES "/images/shape.png";
  for (char& ch : fixture) ch = ch == '/' ? '\\' : ch;
  ASSERT_EQ(LoadNew("<window><subwindow left='10' top='8' width='6' height='3'"
                    " backgroundImage='Z:" + fixture + "' clippingColor='#FF00FF'/></window>"),
            S_OK);
  Show(200, 150, 40, 30);
  static const char* const kMask[] = {"......", ".##.#.", "#..###"};
  UniqueHRgn region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(Window(), region.Get()), ERROR);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) {
      SCOPED_TRACE(testing::Message() << "shape pixel " << x << "," << y);
      const bool inShape = kMask[y][x] == '#';
      EXPECT_EQ(::PtInRegion(region.Get(), 10 + x, 8 + y) != FALSE, inShape);
      // Where the shape comes from a white pixel, the screen shows that white pixel.
      if (inShape && !(x == 0 && y == 2)) {
        EXPECT_EQ(ScreenPixel(200 + 10 + x, 150 + 8 + y), RGB(255, 255, 255));
      }
    }
  }
}

// One real drag per row: the window at (200, 150), 300 x 200, dragged from a point of its
// client area by an offset.
struct DragCase {
  const char* name;
  const char* attributes;
  const char* panel;
  POINT from;  // client coordinates
  POINT by;
  RECT expected;  // window rectangle afterwards
  // How far the window may stop short of its maximum width: Wine keeps the pointer one pixel
  // inside the largest size while dragging.
  LONG shortBy = 0;
};

class RealDragTest : public DocumentTest, public testing::WithParamInterface<DragCase> {};

TEST_P(RealDragTest, MovesOrSizesTheWindow) {
  const DragCase& c = GetParam();
  ASSERT_EQ(LoadNew(SkinWith(c.attributes, c.panel)), S_OK);
  Show(200, 150, 300, 200);
  const POINT from = ScreenPoint(Window(), c.from.x, c.from.y);
  RealDrag(from, {from.x + c.by.x, from.y + c.by.y});
  RECT expected = c.expected, actual = WindowRect();
  if (actual.right < expected.right && actual.right >= expected.right - c.shortBy)
    expected.right = actual.right;
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(RootRect(), ClientRect()) << "the skin follows the window";
}

const DragCase kDrags[] = {
    {"EmptySkinMoves", "", "", {20, 20}, {60, 40}, {260, 190, 560, 390}},
    {"PanelDoesNotMove", "", "", {120, 60}, {60, 40}, {200, 150, 500, 350}},
    {"RightMarginSizes", "", "", {299, 100}, {80, 0}, {200, 150, 580, 350}},
    {"BottomLeftCornerSizes", "", "", {0, 199}, {-50, 30}, {150, 150, 500, 380}},
    {"GripSizes", "bottomRightCorner='16,16'", "", {290, 190}, {40, 30}, {200, 150, 540, 380}},
    {"MinWidthStopsTheDrag", "minWidth='220'", "", {299, 100}, {-200, 0}, {200, 150, 420, 350}},
    {"MaxWidthCapsTheDrag", "maxWidth='800'", "", {299, 100}, {700, 0}, {200, 150, 1000, 350}, 1},
    {"SizeHandleFromMousedown", "", "onmousedown=\"window.size('BottomRight')\"", {120, 60},
     {50, 25}, {200, 150, 550, 375}},
};

INSTANTIATE_TEST_SUITE_P(Drags, RealDragTest, testing::ValuesIn(kDrags),
                         [](const testing::TestParamInfo<DragCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(DocumentTest, MaximizableFalseRefusesEveryWayOfMaximizing) {
  enum How { kSystemMenu, kDoubleClick, kSizemode };
  struct Case {
    const char* attributes;
    How how;
    bool maximized;
  };
  static const Case kCases[] = {
      {"maximizable='false'", kSystemMenu, false}, {"maximizable='false'", kDoubleClick, false},
      {"maximizable='false'", kSizemode, false},   {"", kSystemMenu, true},
      {"maximizable='true'", kDoubleClick, true},  {"", kSizemode, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << " way " << c.how);
    ASSERT_EQ(LoadNew(SkinWith(c.attributes)), S_OK);
    Show(200, 150, 300, 200);
    switch (c.how) {
      case kSystemMenu:  // what the system menu's item sends
        ::PostMessageW(Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        break;
      case kDoubleClick:
        RealDoubleClick(ScreenPoint(Window(), 20, 20));
        break;
      case kSizemode:
        ASSERT_EQ(m_document->ScriptContext()->ExecuteScript(L"window.sizemode = 2;", nullptr),
                  S_OK);
        break;
    }
    test::PumpFor(200);
    EXPECT_EQ(::IsZoomed(Window()) != FALSE, c.maximized);
    EXPECT_EQ(Eval(L"window.sizemode"), c.maximized ? L"2" : L"0");
  }
}

TEST_F(DocumentTest, SizeLimitsAnswerTheMinMaxQuestion) {
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const LONG workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  const POINT minTrack{::GetSystemMetrics(SM_CXMINTRACK), ::GetSystemMetrics(SM_CYMINTRACK)};
  const POINT maxTrack{::GetSystemMetrics(SM_CXMAXTRACK), ::GetSystemMetrics(SM_CYMAXTRACK)};
  struct Case {
    const char* attributes;
    POINT maxSize, maxPosition, minTrack, maxTrack;
  };
  const Case cases[] = {
      // Maximized, the skin fills the work area and its resize margins lie outside it.
      {"minWidth='200' resizeMargins='3,4,5,6'", {workWidth + 8, workHeight + 10}, {-3, -4},
       {200, minTrack.y}, maxTrack},
      {"maxWidth='800'", {workWidth + 4, workHeight + 4}, {-2, -2}, minTrack, {800, maxTrack.y}},
      {"minHeight='150' maxHeight='0x258'", {workWidth + 4, workHeight + 4}, {-2, -2},
       {minTrack.x, 150}, {maxTrack.x, 600}},
  };
  auto ask = [&](MINMAXINFO& info) {
    info = MINMAXINFO{};
    ::SendMessageW(Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  };
  auto same = [](POINT a, POINT b) { return a.x == b.x && a.y == b.y; };
  MINMAXINFO info;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    ASSERT_EQ(LoadNew(SkinWith(c.attributes)), S_OK);
    ask(info);
    EXPECT_TRUE(same(info.ptMaxSize, c.maxSize));
    EXPECT_TRUE(same(info.ptMaxPosition, c.maxPosition));
    EXPECT_TRUE(same(info.ptMinTrackSize, c.minTrack));
    EXPECT_TRUE(same(info.ptMaxTrackSize, c.maxTrack));
  }
  // Without limits the system's own answer stands.
  ASSERT_EQ(LoadNew(SkinWith("")), S_OK);
  ask(info);
  MINMAXINFO system{};
  ::DefWindowProcW(Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&system));
  EXPECT_TRUE(same(info.ptMaxSize, system.ptMaxSize));
  EXPECT_TRUE(same(info.ptMaxPosition, system.ptMaxPosition));
}

TEST_F(DocumentTest, CloseListenerThatPreventsTheDefaultKeepsTheWindow) {
  enum Source { kScript, kSystemMenu };
  struct Case {
    const char* handler;
    Source source;
    bool stays;
  };
  static const Case kCases[] = {
      {"event.preventDefault();", kScript, true},
      {"return false;", kSystemMenu, true},
      {"", kScript, false},
      {"return 0;", kSystemMenu, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.handler << " source " << c.source);
    ASSERT_EQ(LoadNew(SkinWith(std::string("onclose=\"log += event.type + ';'; ") + c.handler +
                               "\" onunload=\"log += 'unload;';\"",
                               "", "<script>var log = '';</script>")),
              S_OK);
    HWND window = Window();
    if (c.source == kScript) {
      ASSERT_EQ(m_document->ScriptContext()->ExecuteScript(L"window.close();", nullptr), S_OK);
    } else {
      ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    test::PumpFor(150);
    EXPECT_EQ(::IsWindow(window) != FALSE, c.stays);
    if (c.stays) {
      EXPECT_EQ(Eval(L"log"), L"close;");
    }
  }
}

TEST_F(DocumentTest, ActivateOkAndCancelReachTheSkin) {
  ASSERT_EQ(LoadNew(SkinWith("onactivate=\"log += event.type + ':' + event.activated + ';';\""
                             " onok=\"log += event.type + ';';\""
                             " oncancel=\"log += event.type + ';';\"",
                             "", "<script>var log = '';</script>")),
            S_OK);
  Show(200, 150, 300, 200);
  ASSERT_EQ(m_document->ScriptContext()->ExecuteScript(L"log = '';", nullptr), S_OK);
  // A new window shown takes the activation.
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 700, 300, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  test::PumpFor(100);
  ::SetForegroundWindow(Window());
  test::PumpFor(100);
  EXPECT_EQ(Eval(L"log"), L"activate:false;activate:true;");
  ::DestroyWindow(other);

  ASSERT_EQ(m_document->ScriptContext()->ExecuteScript(L"log = '';", nullptr), S_OK);
  EXPECT_EQ(::SendMessageW(Window(), WM_COMMAND, IDOK, 0), 0);
  EXPECT_EQ(::SendMessageW(Window(), WM_COMMAND, IDCANCEL, 0), 0);
  ::SendMessageW(Window(), WM_COMMAND, 7, 0);  // any other command is not the window's
  EXPECT_EQ(Eval(L"log"), L"ok;cancel;");
}

}  // namespace
}  // namespace velmor::window_test
