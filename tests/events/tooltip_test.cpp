// Element tooltips on a visible window with the real pointer: the tooltip control shows
// (TTN_SHOW reaches the document window) over an element with a "tooltip" attribute once the
// initial delay has passed, and never over an element without one.
#include <windows.h>
// windows.h first: the common controls header needs its types.
#include <commctrl.h>

#include "events_fixture.h"

namespace velmor::events_test {
namespace {

// The background panel gives the shown window its shape (a window without one has an empty
// shape and gets no mouse input).
const char kSkin[] =
    "<window id='W'>"
    "<subwindow left='0' top='0' width='320' height='240' backgroundColor='#808080'>"
    "<button id='T' left='20' top='20' width='80' height='60' tooltip='Tip text'/>"
    "<button id='N' left='140' top='20' width='80' height='60'/>"
    "</subwindow></window>";

// Counts TTN_SHOW notifications sent to one window by any tooltip control of this thread.
class ShowWatcher {
 public:
  explicit ShowWatcher(HWND window) : m_window(window) {
    s_current = this;
    m_hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~ShowWatcher() {
    if (m_hook != nullptr) ::UnhookWindowsHookEx(m_hook);
    s_current = nullptr;
  }
  int Shows() const { return m_shows; }
  void Reset() { m_shows = 0; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && s_current != nullptr) {
      const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
      if (m->hwnd == s_current->m_window && m->message == WM_NOTIFY &&
          reinterpret_cast<const NMHDR*>(m->lParam)->code == TTN_SHOW)
        ++s_current->m_shows;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline ShowWatcher* s_current = nullptr;
  HWND m_window;
  HHOOK m_hook = nullptr;
  int m_shows = 0;
};

class TooltipTest : public EventsTest {
 protected:
  // Puts the pointer over a client point, sends the move, then pumps messages for 'ms'.
  void HoverAt(int x, int y, DWORD ms) {
    POINT screen{x, y};
    ::ClientToScreen(Window(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    Send(WM_MOUSEMOVE, x, y);
    Pump(ms);
  }
};

TEST_F(TooltipTest, ShowsOverAnElementWithATooltipOnly) {
  ASSERT_EQ(LoadSkin(kSkin), S_OK);
  ::SetWindowPos(Window(), HWND_TOP, 100, 100, 320, 240, SWP_SHOWWINDOW);
  ::SetForegroundWindow(Window());
  ShowWatcher watcher(Window());
  const UINT delay = 2 * ::GetDoubleClickTime();  // well past the initial delay

  // Over the element without a tooltip: nothing shows.
  HoverAt(170, 40, delay);
  EXPECT_EQ(watcher.Shows(), 0);
  HWND tooltip = m_document->MouseInput().TooltipWindow();
  ASSERT_NE(tooltip, nullptr);
  wchar_t className[64] = L"";
  ::GetClassNameW(tooltip, className, 64);
  EXPECT_STREQ(className, L"tooltips_class32");
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), Window());

  // Over the element with one: the tool is registered with its text and shown.
  HoverAt(60, 50, delay);
  EXPECT_GE(watcher.Shows(), 1);
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
  EXPECT_EQ(watcher.Shows(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  HoverAt(60, 50, delay);
  EXPECT_EQ(watcher.Shows(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

}  // namespace
}  // namespace velmor::events_test
