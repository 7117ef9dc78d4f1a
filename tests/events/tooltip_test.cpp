// Element tooltips on a visible window with the real pointer: the tooltip control shows
// (TTN_SHOW reaches the document window) over an element with a "tooltip" attribute once the
// initial delay has passed, and never over an element without one.
#include <windows.h>
// windows.h first: the common controls header needs its types.
#include <commctrl.h>

#include "events/dom_event.h"
#include "support/document_fixture.h"

namespace velmor::events_test {
namespace {

using EventsTest = test::DocumentTest;

// The background panel gives the shown window its shape (a window without one has an empty
// shape and gets no mouse input).
const char kSkin[] =
    "<window id='W'>"
    "<subwindow left='0' top='0' width='320' height='240' backgroundColor='#808080'>"
    "<button id='T' left='20' top='20' width='80' height='60' tooltip='Tip text'/>"
    "<button id='N' left='140' top='20' width='80' height='60'/>"
    "</subwindow></window>";

class TooltipTest : public EventsTest {
 protected:
  // Puts the pointer over a client point, sends the move, then pumps messages for 'ms'.
  void HoverAt(int x, int y, DWORD ms) {
    POINT screen{x, y};
    ::ClientToScreen(Window(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    Send(WM_MOUSEMOVE, x, y);
    test::PumpFor(ms);
  }
};

TEST_F(TooltipTest, ShowsOverAnElementWithATooltipOnly) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  ::SetWindowPos(Window(), HWND_TOP, 100, 100, 320, 240, SWP_SHOWWINDOW);
  ::SetForegroundWindow(Window());
  test::MessageCounter watcher(Window(), WM_NOTIFY, [](WPARAM, LPARAM lParam) {
    return reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TTN_SHOW);
  });
  const UINT delay = 2 * ::GetDoubleClickTime();  // well past the initial delay

  // Over the element without a tooltip: nothing shows.
  HoverAt(170, 40, delay);
  EXPECT_EQ(watcher.Count(), 0);
  HWND tooltip = m_document->MouseInput().TooltipWindow();
  ASSERT_NE(tooltip, nullptr);
  wchar_t className[64] = L"";
  ::GetClassNameW(tooltip, className, 64);
  EXPECT_STREQ(className, L"tooltips_class32");
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), Window());

  // Over the element with one: the tool is registered with its text and shown.
  HoverAt(60, 50, delay);
  EXPECT_GE(watcher.Count(), 1);
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = Window();
  info.uId = reinterpret_cast<UINT_PTR>(Element(L"T"));
  wchar_t text[80] = L"";
  info.lpszText = text;
  ASSERT_TRUE(::SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_STREQ(text, L"Tip text");
  EXPECT_EQ(info.rect.left, 20);
  EXPECT_EQ(info.rect.top, 20);
  EXPECT_EQ(info.rect.right, 100);
  EXPECT_EQ(info.rect.bottom, 80);

  // Back over the element without one: the tooltip is deactivated but its tool stays
  // registered, and returning to the same element only relays to the inactive tooltip.
  watcher.Reset();
  HoverAt(170, 40, delay);
  EXPECT_EQ(watcher.Count(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  HoverAt(60, 50, delay);
  EXPECT_EQ(watcher.Count(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

}  // namespace
}  // namespace velmor::events_test
