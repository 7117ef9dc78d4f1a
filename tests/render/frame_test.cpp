// The window's kept frame: after a script changes the tree, a repaint the platform asks for on
// its own must show the same pixels as painting the whole tree afresh, whichever way the change
// reached the frame (a shown window, a hidden one whose requests the platform drops, changes
// made under the paint lock).
#include <gtest/gtest.h>

#include <string>

#include "support/document_fixture.h"

namespace velmor::frame_test {
namespace {

using test::Picture;

class KeptFrameTest : public test::DocumentTest {
 protected:
  // Wine hands a window's pixels to the X server a little after the paint.
  static void Settle() { test::PumpFor(150); }
  Picture Repainted() {
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle();
    return Screen();
  }
};

int Differing(const Picture& a, const Picture& b) {
  if (a.pixels.size() != b.pixels.size()) return -1;
  int count = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
  return count;
}

const char kSkin[] =
    "<subwindow id='bg' left='0' top='0' width='120' height='60' backgroundColor='#808080'/>"
    "<subwindow id='a' left='6' top='6' width='20' height='20' backgroundColor='#FF0000'/>"
    "<subwindow id='h' left='40' top='30' width='14' height='14' backgroundColor='#0000FF' "
    "visible='false'/>"
    "<label id='t' left='30' top='4' width='86' height='20' foregroundColor='#000000'>Words</label>";

TEST_F(KeptFrameTest, PlatformRepaintAfterAScriptChangeShowsWhatAFreshPaintShows) {
  struct Change {
    const char* name;
    const wchar_t* script;
    bool whileHidden;
  };
  static const Change kChanges[] = {
      {"text", L"document.getElementById('t').value = 'Other text here'", false},
      {"text colour", L"document.getElementById('t').foregroundColor = '#FFFF00'", false},
      {"hide", L"document.getElementById('a').visible = false", false},
      {"show", L"document.getElementById('h').visible = true", false},
      {"move", L"document.getElementById('a').moveTo(70, 34)", false},
      {"size", L"document.getElementById('a').sizeTo(8, 40)", false},
      {"move while hidden", L"document.getElementById('a').moveTo(70, 34)", true},
      {"text while hidden", L"document.getElementById('t').value = 'Hidden change'", true},
      {"under the paint lock",
       L"window.lock(1); document.getElementById('a').moveTo(90, 10); window.unlock(1)", false},
  };
  for (const Change& c : kChanges) {
    ASSERT_EQ(LoadBody(kSkin, 120, 60), S_OK) << c.name;
    ShowAt(40, 40);
    const Picture before = Screen();
    if (c.whileHidden) ::ShowWindow(Window(), SW_HIDE);
    ASSERT_EQ(Run(c.script), S_OK) << c.name;
    if (c.whileHidden) ShowAt(40, 40);
    const Picture platform = Repainted();
    // Everything stale: the whole tree is painted again.
    ASSERT_EQ(Document()->lock(1), S_OK);
    ASSERT_EQ(Document()->unlock(1), S_OK);
    ::UpdateWindow(Window());
    Settle();
    const Picture fresh = Screen();
    EXPECT_GT(Differing(before, fresh), 0) << c.name << ": the change shows at all";
    EXPECT_EQ(Differing(platform, fresh), 0) << c.name << ": the platform's repaint";
    EXPECT_EQ(Differing(PrintClient(), fresh), 0) << c.name << ": a printed copy";
    EXPECT_EQ(Differing(Repainted(), fresh), 0) << c.name << ": a second repaint";
  }
}

// A repaint with nothing changed paints no element; one small change paints its box only.
TEST_F(KeptFrameTest, OnlyWhatTheEngineChangedIsPaintedAgain) {
  ASSERT_EQ(LoadBody(kSkin, 120, 60), S_OK);
  ShowAt(40, 40);
  EXPECT_EQ(Document()->Frame().Stale().Count(), 0) << "the first paint leaves nothing stale";
  ASSERT_EQ(Run(L"document.getElementById('a').visible = false"), S_OK);
  ASSERT_EQ(Document()->Frame().Stale().Count(), 1);
  EXPECT_EQ(Document()->Frame().Stale().Rects()[0], (RECT{6, 6, 26, 26}));
  ::UpdateWindow(Window());
  EXPECT_EQ(Document()->Frame().Stale().Count(), 0);
  ::ShowWindow(Window(), SW_MINIMIZE);
  EXPECT_FALSE(Document()->Frame().Ready()) << "a minimised window keeps no frame";
}

}  // namespace
}  // namespace velmor::frame_test
