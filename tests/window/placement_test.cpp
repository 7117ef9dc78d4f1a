// Placement and the geometry members of document windows, through JScript where scripts reach
// them: the window element's initial geometry (relative to an owning opener), moving and sizing,
// the minimum size, centring over an opener, keeping a window on its screen, and window.screen
// with the screen manager behind it. (Drags started by size(handle) are among the real drags.)
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "components/component_manager.h"
#include "screens/dom_screen.h"
#include "support/document_fixture.h"

namespace velmor::window_test {

using test::DocumentTest;
using test::RealMouse;
using test::ScreenPixel;
namespace {

// A window element with a grey background filling it.
std::string Skin(const char* attributes) {
  return std::string("<window ") + attributes +
         "><subwindow left='0' top='0' width='100' height='100' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' backgroundColor='#808080'/></window>";
}

// Window tests with the component manager running and the engine's screen manager registered.
class PlacementTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(RegisterModuleFactories(&kScreenManagerComponent, 1), S_OK);
  }
  void TearDown() override {
    if (m_opener != nullptr) {
      EXPECT_HRESULT_SUCCEEDED(m_opener->Destroy());
      m_opener->Release();
    }
    DocumentTest::TearDown();
    (void)components::Shutdown();
  }
  // A second document window, the opener of the test's own, at (x, y, width, height).
  scDocument* Opener(RECT box) {
    if (m_opener == nullptr) {
      EXPECT_EQ(scDocument::CreateObject(&m_opener), S_OK);
      EXPECT_EQ(m_opener->Load(m_dir.c_str(), WriteFile(L"opener.xml", Skin("")).c_str()), S_OK);
    }
    (void)m_opener->moveSizeTo(box.left, box.top, box.right, box.bottom, 0);
    return m_opener;
  }
  RECT Work() const {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
  }

  scDocument* m_opener = nullptr;
};

TEST_F(PlacementTest, InitialGeometryComesFromTheWindowElementRelativeToAnOwner) {
  struct Case {
    const char* attributes;
    bool owned;  // by an opener at (200, 150)
    RECT expected;
  };
  static const Case kCases[] = {
      {"width='300' height='200'", false, {0, 0, 300, 200}},  // keeps its position
      {"screenLeft='40' screenTop='30' width='300' height='200'", false, {40, 30, 340, 230}},
      {"screenLeft='0x10' height='50'", false, {16, 0, 116, 50}},
      {"", true, {0, 0, 100, 100}},
      {"screenLeft='10' width='300' height='200'", true, {210, 150, 510, 350}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << (c.owned ? " owned" : ""));
    HWND owner = c.owned ? Opener({200, 150, 600, 400})->WindowHandle() : nullptr;
    ASSERT_EQ(LoadOwned(Skin(c.attributes), owner), S_OK);
    EXPECT_EQ(::GetWindow(Window(), GW_OWNER), owner);
    EXPECT_EQ(WindowRect(), c.expected);
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

TEST_F(PlacementTest, GeometryMembersMoveAndSizeAtOnce) {
  ASSERT_EQ(Load(Skin("minWidth='220' minHeight='0x40'")), S_OK);
  Show(100, 100, 300, 200);
  struct Step {
    const wchar_t* script;
    // left, top, outer and inner width and height, minWidth, minHeight afterwards
    const wchar_t* geometry;
  };
  static const Step kSteps[] = {
      {L"window.moveTo(150, 120, 500)", L"150,120,300,200,300,200,220,64"},
      {L"window.moveBy(-10, 5)", L"140,125,300,200,300,200,220,64"},
      {L"window.sizeTo(320, 240)", L"140,125,320,240,320,240,220,64"},
      {L"window.sizeBy(10, 0, 0)", L"140,125,330,240,330,240,220,64"},
      {L"window.moveSizeTo(100, 100, 400, 300, 0)", L"100,100,400,300,400,300,220,64"},
      {L"window.setMinWidthAndHeight(450, 320, false)", L"100,100,400,300,400,300,450,320"},
      {L"window.setMinWidthAndHeight(450, 320, true)", L"100,100,450,320,450,320,450,320"},
  };
  for (const Step& s : kSteps) {
    ASSERT_EQ(Run(s.script), S_OK);
    // Nothing pumped: the window is there already.
    EXPECT_EQ(Eval(L"[window.screenLeft, window.screenTop, window.outerWidth, window.outerHeight,"
                   L" window.innerWidth, window.innerHeight, window.minWidth, window.minHeight]"
                   L".join()"),
              s.geometry) << s.script;
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

TEST_F(PlacementTest, CentringOverAnOpenerAndKeepingWindowsOnTheScreen) {
  const RECT work = Work();
  const POINT onScreen{work.left + (work.right - work.left - 300) / 2,
                       work.top + (work.bottom - work.top - 200) / 2};
  struct Centre {
    RECT opener;  // x, y, width, height; width 0: none
    bool useScreen;
    HRESULT result;
    POINT expected;
  };
  const Centre centres[] = {
      // Over an opener in the middle of the screen: child_window_test (open's "center").
      // Over an opener hanging off the right edge the dialog stays on the screen.
      {{900, 0, 1000, 600}, false, S_OK, {work.right - 300, 200}},
      {{0, 100, 1000, 600}, true, S_OK, onScreen},
      {{0, 0, 0, 0}, true, S_OK, onScreen},
      {{0, 0, 0, 0}, false, E_INVALIDARG, {40, 30}},
  };
  for (const Centre& c : centres) {
    SCOPED_TRACE(testing::Message() << "opener at " << c.opener.left << " screen " << c.useScreen);
    scDocument* opener = Opener(c.opener);
    ASSERT_EQ(Load(Skin("screenLeft='40' screenTop='30' width='300' height='200'")), S_OK);
    EXPECT_EQ(m_document->CenterOnOpener(c.opener.right != 0 ? opener : nullptr, c.useScreen),
              c.result);
    EXPECT_EQ(WindowRect(), (RECT{c.expected.x, c.expected.y, c.expected.x + 300,
                                  c.expected.y + 200}));
  }

  struct Keep {
    bool loose;
    POINT from, to;
  };
  const Keep keeps[] = {
      {false, {-50, -20}, {work.left, work.top}},
      {false, {1100, 700}, {work.right - 300, work.bottom - 200}},
      {false, {100, 100}, {100, 100}},
      // Loosely, 20 pixels of the window stay on the screen.
      {true, {-400, -300}, {work.left - 280, work.top - 180}},
      {true, {work.right - 10, work.bottom}, {work.right - 20, work.bottom - 20}},
      {true, {-200, 100}, {-200, 100}},
  };
  for (const Keep& k : keeps) {
    SCOPED_TRACE(testing::Message() << (k.loose ? "loose " : "strict ") << k.from.x << ","
                                    << k.from.y);
    ASSERT_EQ(m_document->moveTo(k.from.x, k.from.y, 0), S_OK);
    LONG x = 0, y = 0;
    ASSERT_EQ(m_document->get_screenLeft(&x), S_OK);
    ASSERT_EQ(m_document->get_screenTop(&y), S_OK);
    EXPECT_EQ(m_document->ConstrainPosition(k.loose, x, y), S_OK);
    ASSERT_EQ(m_document->moveTo(x, y, 0), S_OK);
    EXPECT_EQ(WindowRect(), (RECT{k.to.x, k.to.y, k.to.x + 300, k.to.y + 200}));
  }
}

TEST_F(PlacementTest, WindowScreenDescribesTheMonitor) {
  ASSERT_EQ(Load(Skin("width='300' height='200'")), S_OK);
  const RECT work = Work();
  HDC screen = ::GetDC(nullptr);
  wchar_t expected[96];
  swprintf(expected, 96, L"0,0,1280,800,%ld,%ld,%ld,%ld,%d,%d", work.left, work.top,
           work.right - work.left, work.bottom - work.top, ::GetDeviceCaps(screen, BITSPIXEL),
           ::GetDeviceCaps(screen, BITSPIXEL));
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(Eval(L"var s = window.screen; [s.left, s.top, s.width, s.height, s.availLeft,"
                 L" s.availTop, s.availWidth, s.availHeight, s.pixelDepth, s.colorDepth].join()"),
            expected);
  EXPECT_EQ(Eval(L"String(window.screen == window.screen)"), L"false") << "a new object each time";

  // The manager keeps one screen per monitor, and the primary screen apart from them.
  ComPtr<nsIScreenManager> manager;
  ComPtr<nsIScreen> primary, empty0, monitor, offScreen;
  ULONG count = 0;
  ASSERT_EQ(GetScreenManager(&manager), S_OK);
  ASSERT_EQ(manager->GetPrimaryScreen(&primary), S_OK);
  ASSERT_EQ(manager->ScreenForRect(0, 0, 0, 0, &empty0), S_OK);
  ASSERT_EQ(manager->ScreenForRect(5000, 5000, 10, 10, &offScreen), S_OK);
  ASSERT_EQ(manager->ScreenForNativeWidget(Window(), &monitor), S_OK);
  ASSERT_EQ(manager->GetNumberOfScreens(&count), S_OK);
  EXPECT_TRUE(primary.Get() == empty0.Get() && primary.Get() != monitor.Get() &&
              monitor.Get() == offScreen.Get() && count == 1);
}

}  // namespace
}  // namespace velmor::window_test
