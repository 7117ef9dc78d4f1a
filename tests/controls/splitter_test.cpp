// Splitters end to end: the pane rules read back through IDOMSplitter and the elements' script
// geometry in a real window, and the bar dragged with real mouse input, live and with the ghost
// bar.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "controls/splitter.h"
#include "support/document_fixture.h"

namespace velmor {
namespace {

using test::DocumentTest;

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;

// A 500 x 300 window split at x 100 by a 5-pixel bar (or at y 60 by a 4-pixel bar when
// horizontal); the splitter stretches with the window over a panel that gives the window its
// shape. g() gives the panes as "start+length" along the split ('!' before a hidden one), then
// the position.
std::string SplitterSkin(const std::string& splitterAttributes, bool horizontal = false) {
  const std::string bar = horizontal ? "<splitterbar id='bar' left='0' top='60' width='500' height='4'/>"
                                     : "<splitterbar id='bar' left='100' top='0' width='5' height='300'/>";
  return "<script>"
         "var trace = '';"
         "function $(id) { return document.getElementById(id); }"
         "function p(e, h) { return (e.visible ? '' : '!') +"
         "  (h ? e.top + '+' + e.height : e.left + '+' + e.width); }"
         "function g() { var s = $('s'), h = s.horizontal;"
         "  return [p($('a'), h), p($('b'), h), s.splitterPos].join(' '); }"
         "</script>"
         "<subwindow left='0' top='0' width='500' height='300' backgroundColor='#808080' passThrough='true'"
         " horizontalAlignment='stretch' verticalAlignment='stretch'/>"
         "<splitter id='s' left='0' top='0' width='500' height='300' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' " +
         splitterAttributes +
         ">"
         "<subwindow id='a' backgroundColor='#FFFFFF'/>" +
         bar +
         "<subwindow id='b' backgroundColor='#FFFFFF'/>"
         "</splitter>";
}

struct PaneCase {
  const char* attributes;
  bool horizontal;
  const wchar_t* script;  // run before the window is resized
  int width;              // the client width afterwards (0: not resized)
  const wchar_t* expected;
};

const PaneCase kPaneCases[] = {
    {"", false, L"", 0, L"0+100 100+5 105+395 100"},
    {"", false, L"$('s').splitterPos = -1", 0, L"0+247 247+5 252+248 247"},
    {"leftPaneMinSize='50' rightPaneMinSize='80'", false, L"$('s').splitterPos = 10", 0,
     L"0+50 50+5 55+445 50"},
    {"leftPaneMinSize='50' rightPaneMinSize='80'", false, L"$('s').splitterPos = 480", 0,
     L"0+415 415+5 420+80 415"},
    // The first pane keeps its size, or the second, or both their proportion.
    {"", false, L"", 1000, L"0+100 100+5 105+895 100"},
    {"rightAligned='true'", false, L"", 1000, L"0+600 600+5 605+395 600"},
    {"proportional='true'", false, L"", 1000, L"0+201 201+5 206+794 201"},
    {"rightAligned='true' proportional='true'", false, L"", 1000, L"0+201 201+5 206+794 201"},
    // Minimums given from script re-clamp at once when asked to.
    {"", false, L"$('s').setPaneMinSize(1, 450, true)", 0, L"0+45 45+5 50+450 45"},
    {"", false, L"$('s').setPaneMinSize(1, 450, false)", 0, L"0+100 100+5 105+395 100"},
    // One pane fills the box; the bar and the other pane are hidden, and come back.
    {"", false, L"$('s').singlePaneMode = 1", 0, L"!0+100 !100+5 0+500 100"},
    {"", false, L"$('s').singlePaneMode = 0; $('s').singlePaneMode = -1", 0,
     L"0+100 100+5 105+395 100"},
    {"", false, L"$('s').singlePaneMode = 7", 0, L"0+100 100+5 105+395 100"},
    // Swapped panes: the second pane comes first and the bar mirrors; pane indexes follow.
    {"", false, L"$('s').panePlace = false", 0, L"405+95 400+5 0+400 400"},
    {"", false, L"$('s').panePlace = false; $('s').singlePaneMode = 0", 0,
     L"0+500 !400+5 !0+400 400"},
    {"", false, L"$('s').panePlace = false; $('s').panePlace = true", 0,
     L"0+100 100+5 105+395 100"},
    // Horizontal: the bar's height and top give the thickness and the position.
    {"horizontal='true'", true, L"", 0, L"0+60 60+4 64+236 60"},
    {"horizontal='true' topPaneMinSize='80'", true, L"$('s').splitterPos = 0", 0,
     L"0+80 80+4 84+216 80"},
};

// Both panes and the bar (which is no script object), as g() writes them.
class SplitterGeometryTest : public DocumentTest {
 protected:
  std::wstring Geometry() {
    const std::wstring panes = Eval(L"g()");
    const size_t gap = panes.find(L' ');
    if (gap == std::wstring::npos) return panes;
    scITextBaseContent* bar = Impl(L"bar");
    const bool horizontal = Eval(L"$('s').horizontal ? 1 : 0") == L"1";
    const scRect& r = bar->Rect();
    const std::wstring text = std::wstring(bar->IsVisible() ? L"" : L"!") +
                              std::to_wstring(horizontal ? r.y : r.x) + L"+" +
                              std::to_wstring(horizontal ? r.height : r.width);
    return panes.substr(0, gap + 1) + text + panes.substr(gap);
  }
};

class SplitterPaneTest : public SplitterGeometryTest,
                         public ::testing::WithParamInterface<PaneCase> {};

TEST_P(SplitterPaneTest, PlacesThePanesByTheRuleInForce) {
  const PaneCase& c = GetParam();
  ASSERT_EQ(LoadBody(SplitterSkin(c.attributes, c.horizontal), 500, 300), S_OK);
  ASSERT_EQ(Run(c.script), S_OK);
  if (c.width != 0) SetClientSize(c.width, 300);
  EXPECT_EQ(Geometry(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, SplitterPaneTest, ::testing::ValuesIn(kPaneCases));

class SplitterTest : public SplitterGeometryTest {
 protected:
  void TearDown() override {
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_fullDrag, nullptr, 0);
    SplitterGeometryTest::TearDown();
  }
  // Loads the splitter skin with drag-full-windows set as asked (read when the splitter is made).
  void LoadWithFullDrag(bool fullDrag) {
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &m_fullDrag, 0);
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullDrag, nullptr, 0);
    // The first pane logs its width whenever it is resized.
    std::string skin = SplitterSkin("");
    const std::string pane = "<subwindow id='a'";
    skin.replace(skin.find(pane), pane.size(),
                 pane + " onsize=\"trace += ' ' + this.width\"");
    ASSERT_EQ(LoadBody(skin, 500, 300), S_OK);
    ASSERT_EQ(Run(L"var trace = '';"), S_OK);
    ShowAt(40, 40);
    ::SetForegroundWindow(Window());
    test::PumpFor(100);
  }
  POINT ScreenPoint(int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(Window(), &p);
    return p;
  }
  BOOL m_fullDrag = TRUE;
};

TEST_F(SplitterTest, ScriptSideMembersAnswerAsDocumented) {
  ASSERT_EQ(LoadBody(SplitterSkin("") + "<splitter id='lone'/>", 500, 300), S_OK);
  EXPECT_EQ(Eval(L"var s = $('s'); [s.horizontal, s.bar === null, s.panePlace, "
                 L"s.getPaneMinSize(1), $('lone').splitterPos].join()"),
            L"false,true,true,0,-1");
  // Invalid pane indexes are refused as invalid arguments.
  EXPECT_EQ(Eval(L"try { s.getPaneMinSize(2); 'no error' } catch (e) { (e.number >>> 0)"
                 L".toString(16) }"),
            L"80070057");
}

TEST_F(SplitterTest, LiveDragMovesThePanesWithTheMouse) {
  LoadWithFullDrag(true);
  // The bar shows the sizing cursor.
  Send(WM_MOUSEMOVE, 102, 150);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
  test::RealMouse(ScreenPoint(102, 150), ScreenPoint(262, 150));
  EXPECT_EQ(Geometry(), L"0+260 260+5 265+235 260");
  // The first pane was resized on the way, not only at the end.
  const std::wstring widths = Eval(L"trace");
  EXPECT_GT(std::count(widths.begin(), widths.end(), L' '), 2) << widths;
}

TEST_F(SplitterTest, GhostBarDragMovesThePanesOnRelease) {
  LoadWithFullDrag(false);
  const POINT from = ScreenPoint(102, 150);
  ::SetCursorPos(from.x, from.y);
  test::PumpFor(100);
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  ::SendInput(1, &press, sizeof(press));
  test::PumpFor(100);
  const POINT to = ScreenPoint(302, 150);
  ::SetCursorPos(to.x, to.y);
  test::PumpFor(250);

  // Meanwhile the panes stay and an inverted halftone bar lies over the second pane.
  EXPECT_EQ(Geometry(), L"0+100 100+5 105+395 300");
  RECT ghost{300, 40, 305, 260};
  ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&ghost), 2);
  const test::Picture during = test::ReadScreen(ghost);
  EXPECT_EQ(during.Count({0, 0, 5, 220}, kBlack), 550);
  EXPECT_EQ(during.Count({0, 0, 5, 220}, kWhite), 550);

  INPUT release = press;
  release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &release, sizeof(release));
  test::PumpFor(250);
  EXPECT_EQ(Geometry(), L"0+300 300+5 305+195 300");
  EXPECT_EQ(Eval(L"trace"), L" 300") << "one resize, on release";
  // The ghost is gone: the first pane is white where it was drawn.
  ghost = RECT{296, 40, 300, 260};
  ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&ghost), 2);
  const test::Picture after = test::ReadScreen(ghost);
  EXPECT_EQ(after.Count({0, 0, 4, 220}, kWhite), 880);
}

}  // namespace
}  // namespace velmor
