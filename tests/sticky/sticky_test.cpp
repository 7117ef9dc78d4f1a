// Magnetic windows between two real document windows: a target at (200, 150), 300 x 200, and the
// test's window owned by it (as an opener's child window is) or standing alone (sticking to the
// desktop). Snapping is driven by real drags through the system's move-size loop, following by
// real drags of the target and by script moves.
#include <gtest/gtest.h>

#include <string>

#include "support/document_fixture.h"

namespace velmor::sticky_test {

using test::DocumentTest;
using test::RealMouse;
namespace {

constexpr RECT kTarget{200, 150, 500, 350};

// A pass-through background: the whole window is empty skin, which drags it.
std::string Skin(const char* attributes) {
  return std::string("<window ") + attributes +
         "><subwindow left='0' top='0' width='100' height='100' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' passThrough='true' backgroundColor='#406080'/></window>";
}

POINT Offset(const RECT& r, LONG dx, LONG dy) { return {r.left + dx, r.top + dy}; }

class StickyTest : public DocumentTest {
 protected:
  void TearDown() override {
    if (m_target != nullptr) {
      (void)m_target->Destroy();
      m_target->Release();
    }
    DocumentTest::TearDown();
  }
  // The target window, shown at kTarget.
  scDocument* Target() {
    if (m_target == nullptr) {
      EXPECT_EQ(scDocument::CreateObject(&m_target), S_OK);
      EXPECT_EQ(m_target->Load(m_dir.c_str(), WriteFile(L"target.xml", Skin("")).c_str()), S_OK);
      (void)m_target->moveSizeTo(kTarget.left, kTarget.top, kTarget.right - kTarget.left,
                                 kTarget.bottom - kTarget.top, 0);
      (void)m_target->put_visible(VARIANT_TRUE);
    }
    return m_target;
  }
  RECT TargetRect() {
    RECT r{};
    ::GetWindowRect(Target()->WindowHandle(), &r);
    return r;
  }
  // The test's window with 'attributes', owned by the target, shown at 'box'.
  void LoadClient(const char* attributes, const RECT& box) {
    ASSERT_EQ(LoadOwned(Skin(attributes), Target()->WindowHandle()), S_OK);
    Show(box.left, box.top, box.right - box.left, box.bottom - box.top);
  }
  // A real drag from a point of the window (window coordinates) by an offset.
  static void Drag(HWND window, POINT from, POINT by) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const POINT start = Offset(r, from.x, from.y);
    RealMouse(start, {start.x + by.x, start.y + by.y});
  }

  scDocument* m_target = nullptr;
};

struct DragCase {
  const char* name;
  const char* attributes;
  RECT start;
  POINT from;  // window coordinates
  POINT by;
  RECT expected;
};
void PrintTo(const DragCase& c, std::ostream* out) { *out << c.name; }

class StickyDragTest : public StickyTest, public testing::WithParamInterface<DragCase> {};

// Moving within the snapping distance of an edge puts the window flush on it; sizing snaps the
// moving edges.
TEST_P(StickyDragTest, SnapsOntoTheTargetsEdges) {
  const DragCase& c = GetParam();
  LoadClient(c.attributes, c.start);
  ASSERT_EQ(WindowRect(), c.start) << "nothing snapped before the drag";
  Drag(Window(), c.from, c.by);
  EXPECT_EQ(WindowRect(), c.expected);
  EXPECT_EQ(TargetRect(), kTarget);
}

const char kSticky[] = "stickyBorderWidth='10'";
const DragCase kDrags[] = {
    // The left edge 7 pixels right of the target's right edge snaps. (Where the distance ends
    // and a window without one are the script moves' rows: both paths share the side test.)
    {"RightEdgeSnaps", kSticky, {530, 200, 680, 300}, {50, 50}, {-23, 0}, {500, 200, 650, 300}},
    {"BelowSnaps", kSticky, {250, 380, 400, 480}, {50, 50}, {10, -25}, {260, 350, 410, 450}},
    {"LeftSideSnaps", kSticky, {20, 200, 170, 300}, {50, 50}, {24, 30}, {50, 230, 200, 330}},
    {"AboveSnaps", kSticky, {250, 20, 400, 120}, {50, 50}, {0, 26}, {250, 50, 400, 150}},
    // Sizing from the top-right corner puts the right edge onto the target's left edge.
    {"TopRightSizeSnaps", kSticky, {40, 200, 190, 300}, {149, 0}, {4, 10}, {40, 210, 200, 300}},
    {"BottomSizeSnaps", kSticky, {250, 20, 400, 120}, {75, 99}, {0, 25}, {250, 20, 400, 150}},
};
INSTANTIATE_TEST_SUITE_P(Drags, StickyDragTest, testing::ValuesIn(kDrags),
                         [](const auto& info) { return std::string(info.param.name); });

// Script moves dock too; a window without an owner sticks to the desktop.
TEST_F(StickyTest, ScriptMovesDockAgainstTheOpenerOrTheDesktop) {
  struct Case {
    const char* attributes;
    bool owned;
    LONG gap;      // from the target's right edge to the window's left edge
    LONG snapped;  // the gap afterwards
  };
  static const Case kCases[] = {
      {kSticky, true, 6, 0}, {kSticky, true, 10, 10}, {"", true, 6, 6},
      {kSticky, false, 9, 0}, {"", false, 9, 9},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.attributes << (c.owned ? " owned" : " alone") << " gap "
                                    << c.gap);
    HWND owner = c.owned ? Target()->WindowHandle() : nullptr;
    ASSERT_EQ(LoadOwned(Skin(c.attributes), owner), S_OK);
    RECT target{};
    ::GetWindowRect(c.owned ? owner : ::GetDesktopWindow(), &target);
    const std::wstring left = std::to_wstring(target.right + c.gap);
    ASSERT_EQ(Run(L"window.moveSizeTo(" + left + L", 200, 120, 90)"), S_OK);
    EXPECT_EQ(WindowRect().left, target.right + c.snapped);
    EXPECT_EQ(WindowRect().top, 200);
    HWND expected = c.owned ? owner : ::GetDesktopWindow();
    EXPECT_EQ(Document()->Sticky().Target(), c.attributes[0] != '\0' ? expected : nullptr);
  }
}

// A window a script opens with the "owner" feature sticks to its opener: a real drag snaps it
// flush, the opener's moves and sizes take it along with its side and offset until it is dragged
// away, and closing either window ends the registration while the other keeps working.
TEST_F(StickyTest, ScriptOpenedOwnedWindowSticksToItsOpener) {
  WriteFile(L"tool.xml", Skin(kSticky));
  for (const bool toolCloses : {true, false}) {
    SCOPED_TRACE(toolCloses ? "the tool closes" : "the opener closes");
    ASSERT_EQ(Load(Skin("")), S_OK);
    Show(kTarget.left, kTarget.top, kTarget.right - kTarget.left, kTarget.bottom - kTarget.top);
    ASSERT_EQ(Run(L"var tool = window.open('tool.xml', '', 'owner');"
                  L"tool.moveSizeTo(530, 200, 150, 100);"),
              S_OK);
    HWND tool = ::WindowFromPoint({580, 250});
    ASSERT_EQ(::GetWindow(tool, GW_OWNER), Window());
    const std::wstring toolRect = L"[tool.screenLeft, tool.screenTop, tool.outerWidth].join()";
    EXPECT_EQ(Eval(toolRect), L"530,200,150") << "30 pixels away: not docked";

    Drag(tool, {50, 50}, {-23, 0});
    EXPECT_EQ(Eval(toolRect), L"500,200,150") << "snapped onto the opener's right edge";
    Drag(Window(), {20, 20}, {100, 50});
    EXPECT_EQ(Eval(toolRect), L"600,250,150") << "followed with its side and offset";
    ASSERT_EQ(Run(L"window.sizeBy(-60, 40);"), S_OK);
    EXPECT_EQ(Eval(toolRect), L"540,250,150") << "kept to the narrower opener's right edge";

    if (toolCloses) {
      ASSERT_EQ(Run(L"tool.close();"), S_OK);
      EXPECT_TRUE(test::PumpUntil([&] { return !::IsWindow(tool); }, 5000));
      EXPECT_EQ(Document()->Sticky().ClientCount(), 0u);
      Drag(Window(), {20, 20}, {-100, -50});  // the opener moves on alone
      EXPECT_EQ(WindowRect(), (RECT{200, 150, 440, 390}));
    } else {
      Drag(tool, {50, 50}, {60, 0});  // dragged away: undocked
      ASSERT_EQ(Run(L"window.moveBy(-50, 0);"), S_OK);
      EXPECT_EQ(Eval(toolRect), L"600,250,150") << "no longer follows";
      (void)Document()->Destroy();  // its owned tool goes with it, leaving the opener's server
      EXPECT_FALSE(::IsWindow(tool));
      EXPECT_EQ(Document()->Sticky().ClientCount(), 0u);
    }
  }
}

}  // namespace
}  // namespace velmor::sticky_test
