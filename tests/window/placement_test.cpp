// Placement and the geometry members of a document window: the window element's initial
// geometry (relative to an owning opener), moving and sizing from scripts, system drags started
// by size(handle) from a mousedown handler, the minimum size, centring over an opener, keeping a
// window on its screen, and window.screen.
#include <gtest/gtest.h>

#include <string>

#include "screens/dom_screen.h"
#include "window_fixture.h"

namespace velmor::window_test {
namespace {

// A second document window (the opener of the test's own), destroyed with the object.
class OtherDocument {
 public:
  OtherDocument() = default;
  OtherDocument(const OtherDocument&) = delete;
  OtherDocument& operator=(const OtherDocument&) = delete;
  ~OtherDocument() {
    if (m_document != nullptr) {
      m_document->Destroy();
      m_document->Release();
    }
  }
  HRESULT Load(const std::wstring& dir, const std::wstring& path) {
    if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
    return m_document->Load(dir.c_str(), path.c_str());
  }
  scDocument* operator->() const { return m_document; }
  scDocument* Get() const { return m_document; }

 private:
  scDocument* m_document = nullptr;
};

class PlacementTest : public DocumentTest {
 protected:
  // A document created owned by 'owner' (as an opener's child window is) and then loaded.
  HRESULT LoadOwned(HWND owner, const std::string& xml) {
    const std::wstring path = WriteSkin(xml);
    if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
    const HRESULT created = m_document->CreateOwnedWindow(owner);
    if (FAILED(created)) return created;
    return m_document->Load(m_dir.c_str(), path.c_str());
  }
  std::wstring Run(const wchar_t* script) {
    return SUCCEEDED(m_document->ScriptContext()->ExecuteScript(script, nullptr)) ? L"ok"
                                                                                 : L"failed";
  }
  std::wstring Geometry() {
    return Eval(L"[window.screenLeft, window.screenTop, window.outerWidth, window.outerHeight,"
                L" window.innerWidth, window.innerHeight].join()");
  }

  ScreenManagerScope m_screens;
};

// A window element with a grey background filling it.
std::string Skin(const char* attributes) {
  return std::string("<window ") + attributes +
         "><subwindow left='0' top='0' width='100' height='100' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' backgroundColor='#808080'/></window>";
}

TEST_F(PlacementTest, InitialGeometryComesFromTheWindowElementRelativeToAnOwner) {
  OtherDocument opener;
  ASSERT_EQ(opener.Load(m_dir, WriteSkin(Skin("screenLeft='200' screenTop='150' width='600'"
                                              " height='400'"))),
            S_OK);
  struct Case {
    const char* attributes;
    bool owned;
    RECT expected;
  };
  static const Case kCases[] = {
      {"", false, {0, 0, 100, 100}},
      {"width='300' height='200'", false, {0, 0, 300, 200}},
      {"screenLeft='40' screenTop='30' width='300' height='200'", false, {40, 30, 340, 230}},
      {"screenLeft='0x10' height='50'", false, {16, 0, 116, 50}},
      {"", true, {0, 0, 100, 100}},
      {"width='300' height='200'", true, {200, 150, 500, 350}},
      {"screenLeft='10' width='300' height='200'", true, {210, 150, 510, 350}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << (c.owned ? " owned" : ""));
    if (m_document != nullptr) {
      m_document->Destroy();
      m_document->Release();
      m_document = nullptr;
    }
    ASSERT_EQ(c.owned ? LoadOwned(opener->WindowHandle(), Skin(c.attributes))
                      : LoadNew(Skin(c.attributes)),
              S_OK);
    EXPECT_EQ(WindowRect(), c.expected);
    EXPECT_EQ(::GetWindow(Window(), GW_OWNER), c.owned ? opener->WindowHandle() : nullptr);
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

TEST_F(PlacementTest, GeometryMembersMoveAndSizeAtOnce) {
  ASSERT_EQ(LoadNew(Skin("")), S_OK);
  Show(100, 100, 300, 200);
  EXPECT_EQ(Geometry(), L"100,100,300,200,300,200");
  struct Step {
    const wchar_t* script;
    const wchar_t* geometry;  // left, top, outer and inner width and height afterwards
  };
  static const Step kSteps[] = {
      {L"window.moveTo(150, 120, 500)", L"150,120,300,200,300,200"},
      {L"window.moveBy(-10, 5)", L"140,125,300,200,300,200"},
      {L"window.sizeTo(320, 240)", L"140,125,320,240,320,240"},
      {L"window.sizeBy(10, 0, 0)", L"140,125,330,240,330,240"},
      {L"window.moveSizeTo(100, 100, 400, 300, 0)", L"100,100,400,300,400,300"},
      {L"window.moveSizeTo(120, 110, 200, 150)", L"120,110,200,150,200,150"},
  };
  for (const Step& s : kSteps) {
    SCOPED_TRACE(s.script);
    ASSERT_EQ(Run(s.script), L"ok");
    EXPECT_EQ(Geometry(), s.geometry);  // no message pumped: immediate
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

// What the root element's width was when the window was first asked to move or size.
LONG g_rootWidthAtMove = -1;
scDocument* g_watched = nullptr;
LRESULT CALLBACK WatchMoves(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && g_watched != nullptr && m->message == WM_WINDOWPOSCHANGING &&
      m->hwnd == g_watched->WindowHandle() && g_rootWidthAtMove == -1) {
    const RECT root = ContentRect::Of(g_watched->RootElement());
    g_rootWidthAtMove = root.right - root.left;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(PlacementTest, GrowingLeftOrUpLaysTheSkinOutBeforeTheWindowMoves) {
  ASSERT_EQ(LoadNew(Skin("")), S_OK);
  Show(300, 300, 200, 150);
  struct Case {
    LONG x, y, width, height;
    LONG rootWidthAtMove;
  };
  static const Case kCases[] = {
      {250, 300, 260, 150, 260},  // grows to the left: laid out first
      {250, 280, 260, 170, 260},  // grows up, same width: laid out first (width unchanged)
      {250, 280, 300, 200, 260},  // grows right and down: the window's own size change lays out
      {240, 270, 200, 150, 300},  // shrinks: no early layout
  };
  g_watched = m_document;
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &WatchMoves, nullptr, ::GetCurrentThreadId());
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height);
    g_rootWidthAtMove = -1;
    EXPECT_EQ(m_document->moveSizeTo(c.x, c.y, c.width, c.height, 0), S_OK);
    EXPECT_EQ(g_rootWidthAtMove, c.rootWidthAtMove);
    EXPECT_EQ(WindowRect(), (RECT{c.x, c.y, c.x + c.width, c.y + c.height}));
    EXPECT_EQ(RootRect(), ClientRect());
  }
  ::UnhookWindowsHookEx(hook);
  g_watched = nullptr;
}

TEST_F(PlacementTest, SizeStartsTheSystemDragOfEveryHandle) {
  // The panel's mousedown handler calls size(handle); the pointer then moves by (30, 20) with
  // the button held, and the system's move or size loop follows it.
  ASSERT_EQ(LoadNew("<window><script>var handle;</script><subwindow left='0' top='0' width='300'"
                    " height='200' horizontalAlignment='stretch' verticalAlignment='stretch'"
                    " backgroundColor='#808080' onmousedown='window.size(handle)'/></window>"),
            S_OK);
  Show(300, 250, 300, 200);
  struct Case {
    const wchar_t* handle;
    RECT delta;  // added to the window rectangle
  };
  static const Case kCases[] = {
      {L"move", {30, 20, 30, 20}},      {L"Left", {30, 0, 0, 0}},
      {L"top", {0, 20, 0, 0}},          {L"RIGHT", {0, 0, 30, 0}},
      {L"bottom", {0, 0, 0, 20}},       {L"topright", {0, 20, 30, 0}},
      {L"BottomRight", {0, 0, 30, 20}}, {L"bottomleft", {30, 0, 0, 20}},
      {L"topLeft", {30, 20, 0, 0}},     {L"middle", {0, 0, 0, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.handle);
    ASSERT_EQ(m_document->moveSizeTo(300, 250, 300, 200, 0), S_OK);
    ASSERT_EQ(Run((L"handle = '" + std::wstring(c.handle) + L"';").c_str()), L"ok");
    POINT from{150, 100};
    ::ClientToScreen(Window(), &from);
    RealDrag(from, {from.x + 30, from.y + 20});
    EXPECT_EQ(WindowRect(), (RECT{300 + c.delta.left, 250 + c.delta.top, 600 + c.delta.right,
                                  450 + c.delta.bottom}));
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

TEST_F(PlacementTest, SizeWithoutAHandleDoesNothing) {
  ASSERT_EQ(LoadNew(Skin("")), S_OK);
  Show(100, 100, 300, 200);
  EXPECT_EQ(m_document->size(nullptr), S_FALSE);
  EXPECT_EQ(WindowRect(), (RECT{100, 100, 400, 300}));
}

TEST_F(PlacementTest, MinimumSizeFromTheSkinAndFromScripts) {
  struct Case {
    const char* attributes;
    const wchar_t* script;
    const wchar_t* minimum;  // minWidth, minHeight afterwards
    RECT expected;
  };
  static const Case kCases[] = {
      {"", L"0", L"-1,-1", {100, 100, 400, 300}},
      {"minWidth='220' minHeight='0x40'", L"0", L"220,64", {100, 100, 400, 300}},
      {"", L"window.setMinWidthAndHeight(400, 250, true)", L"400,250", {100, 100, 500, 350}},
      {"", L"window.setMinWidthAndHeight(400, 250, false)", L"400,250", {100, 100, 400, 300}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << " " << c.script);
    ASSERT_EQ(LoadNew(Skin(c.attributes)), S_OK);
    Show(100, 100, 300, 200);
    ASSERT_EQ(Run(c.script), L"ok");
    EXPECT_EQ(Eval(L"window.minWidth + ',' + window.minHeight"), c.minimum);
    EXPECT_EQ(WindowRect(), c.expected);
  }
}

TEST_F(PlacementTest, CenterOnOpenerKeepsTheDialogOnTheScreen) {
  ASSERT_TRUE(m_screens.Ready());
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const LONG onScreenX = work.left + (work.right - work.left - 300) / 2;
  const LONG onScreenY = work.top + (work.bottom - work.top - 200) / 2;
  struct Case {
    RECT opener;  // x, y, width, height; width 0: no opener
    bool useScreen;
    HRESULT result;
    POINT expected;
  };
  const Case cases[] = {
      {{0, 100, 1000, 600}, false, S_OK, {350, 300}},
      // Over an opener hanging off the right edge the dialog stays on the screen.
      {{900, 0, 1000, 600}, false, S_OK, {work.right - 300, 200}},
      {{0, 100, 1000, 600}, true, S_OK, {onScreenX, onScreenY}},
      {{0, 0, 0, 0}, true, S_OK, {onScreenX, onScreenY}},
      {{0, 0, 0, 0}, false, E_INVALIDARG, {40, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "opener at " << c.opener.left << " screen " << c.useScreen);
    OtherDocument opener;
    ASSERT_EQ(opener.Load(m_dir, WriteSkin(Skin(""))), S_OK);
    (void)opener->moveSizeTo(c.opener.left, c.opener.top, c.opener.right, c.opener.bottom, 0);
    ASSERT_EQ(LoadNew(Skin("screenLeft='40' screenTop='30' width='300' height='200'")), S_OK);
    IDOMWindow* openerWindow =
        c.opener.right != 0 ? static_cast<IDOMWindow*>(opener.Get()) : nullptr;
    EXPECT_EQ(m_document->CenterOnOpener(openerWindow, c.useScreen), c.result);
    EXPECT_EQ(WindowRect(), (RECT{c.expected.x, c.expected.y, c.expected.x + 300,
                                  c.expected.y + 200}));
  }
}

TEST_F(PlacementTest, WindowsOffTheScreenAreBroughtBackStrictlyOrLoosely) {
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  struct Case {
    bool loose;
    POINT from, to;
  };
  const Case cases[] = {
      {false, {-50, -20}, {work.left, work.top}},
      {false, {1100, 700}, {work.right - 300, work.bottom - 200}},
      {false, {100, 100}, {100, 100}},
      {true, {-400, -300}, {work.left - 280, work.top - 180}},
      {true, {work.right - 10, work.bottom}, {work.right - 20, work.bottom - 20}},
      {true, {-200, 100}, {-200, 100}},
  };
  ASSERT_EQ(LoadNew(Skin("width='300' height='200'")), S_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.loose ? "loose " : "strict ") << c.from.x << ","
                                    << c.from.y);
    ASSERT_EQ(m_document->moveTo(c.from.x, c.from.y, 0), S_OK);
    LONG x = 0, y = 0;
    ASSERT_EQ(m_document->get_screenLeft(&x), S_OK);
    ASSERT_EQ(m_document->get_screenTop(&y), S_OK);
    EXPECT_EQ(m_document->ConstrainPosition(c.loose, x, y), S_OK);
    ASSERT_EQ(m_document->moveTo(x, y, 0), S_OK);
    EXPECT_EQ(WindowRect(), (RECT{c.to.x, c.to.y, c.to.x + 300, c.to.y + 200}));
  }
}

TEST_F(PlacementTest, WindowScreenDescribesTheMonitor) {
  ASSERT_TRUE(m_screens.Ready());
  ASSERT_EQ(LoadNew(Skin("width='300' height='200'")), S_OK);
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  HDC screen = ::GetDC(nullptr);
  const int depth = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);
  const std::wstring expected =
      L"0,0,1280,800," + std::to_wstring(work.left) + L"," + std::to_wstring(work.top) + L"," +
      std::to_wstring(work.right - work.left) + L"," + std::to_wstring(work.bottom - work.top) +
      L"," + std::to_wstring(depth) + L"," + std::to_wstring(depth);
  EXPECT_EQ(Eval(L"var s = window.screen; [s.left, s.top, s.width, s.height, s.availLeft,"
                 L" s.availTop, s.availWidth, s.availHeight, s.pixelDepth, s.colorDepth].join()"),
            expected);
  // A new object on every read.
  EXPECT_EQ(Eval(L"String(window.screen == window.screen)"), L"false");

  // An object that wraps no screen answers E_UNEXPECTED for every property.
  ComPtr<IDOMScreen> empty;
  ASSERT_EQ(scDOMScreen::Create(empty, static_cast<nsIScreen*>(nullptr)), S_OK);
  ASSERT_EQ(m_document->ScriptContext()->AddObject(L"emptyScreen", empty.Get()), S_OK);
  EXPECT_EQ(Eval(L"var names = ['top', 'left', 'width', 'height', 'pixelDepth', 'colorDepth',"
                 L" 'availWidth', 'availHeight', 'availLeft', 'availTop'], codes = [];"
                 L"for (var i = 0; i < names.length; i++) {"
                 L"  try { codes.push(emptyScreen[names[i]]); }"
                 L"  catch (e) { codes.push((e.number + 0x100000000).toString(16)); } }"
                 L"codes.join()"),
            L"8000ffff,8000ffff,8000ffff,8000ffff,8000ffff,8000ffff,8000ffff,8000ffff,8000ffff,"
            L"8000ffff");
}

TEST_F(DocumentTest, WindowScreenFailsWithoutTheScreenManager) {
  ASSERT_EQ(LoadNew(Skin("")), S_OK);
  EXPECT_EQ(Eval(L"try { window.screen; 'no error'; } catch (e) {"
                 L" (e.number + 0x100000000).toString(16); }"),
            L"80004005");
}

}  // namespace
}  // namespace velmor::window_test
