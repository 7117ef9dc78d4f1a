// Keyboard shortcuts end to end: real key strokes under Xvfb reach the window, the message
// manager's filter chain offers each key-down to the window's shortcut manager, and the key's
// "oncommand" handler in the skin records which key fired.
#include <gtest/gtest.h>

#include <string>

#include "menu_fixture.h"

namespace velmor::test {
namespace {

const std::string kKeys =
    std::string("<window id='root' width='240' height='120'><script>") + kRecorderScript +
    "</script><keyset id='set'>"
    "<key id='ctrlK' key='k' modifiers='control' oncommand='rec(event)'/>"
    "<key id='plainK' key='k' oncommand='rec(event)'/>"
    "<key id='f5' keycode='VK_F5' modifiers='shift any' oncommand='rec(event)'/>"
    "<key id='off' key='d' disabled='true' oncommand='rec(event)'/>"
    "<key id='d' key='d' oncommand='rec(event)'/>"
    "<key id='wrongCase' keycode='VK_f6' oncommand='rec(event)'/>"
    "<key id='plainA' key='a' oncommand='rec(event)'/>"
    "<key id='shiftB' key='b' modifiers='shift' oncommand='rec(event)'/>"
    "<key id='end' keycode='VK_F12' modifiers='shift any' oncommand='rec(event)'/>"
    "</keyset></window>";

class ShortcutsTest : public MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    ASSERT_EQ(Load(kKeys), S_OK);
    Show(200, 200, 240, 120);
    ::SetCursorPos(320, 260);  // keys go to the window under the pointer
  }
  // What the keys fired, then the closing Shift+F12 that shows they have all been handled (held
  // Shift makes it a shortcut even in a text field).
  std::wstring Fired(std::initializer_list<WORD> modifiers, WORD key) {
    Press(modifiers, key);
    Press({VK_SHIFT}, VK_F12);
    return TraceUntil(L"end.command");
  }
};

TEST_F(ShortcutsTest, KeyStrokesFireTheMatchingEnabledKey) {
  struct Row {
    std::initializer_list<WORD> modifiers;
    WORD key;
    const wchar_t* fired;
  };
  const Row kRows[] = {
      {{VK_CONTROL}, 'K', L"ctrlK.command end.command"},  // not the plain K
      {{}, 'K', L"plainK.command end.command"},
      {{VK_SHIFT, VK_CONTROL}, 'K', L"end.command"},       // Shift is checked and must be up
      {{}, VK_F5, L"f5.command end.command"},              // Shift not checked: up ...
      {{VK_SHIFT}, VK_F5, L"f5.command end.command"},      // ... or down
      {{VK_CONTROL}, VK_F5, L"end.command"},               // Ctrl is checked
      {{}, 'D', L"d.command end.command"},                 // the disabled key is passed over
      {{}, VK_F6, L"end.command"},                         // "VK_f6" names no key
      {{VK_MENU}, 'K', L"end.command"},
  };
  for (const Row& row : kRows)
    EXPECT_EQ(Fired(row.modifiers, row.key), row.fired) << "key " << row.key;

  // Keys change through their script face; modifiers read back as words that rebuild them.
  Run(L"var k = document.getElementById('f5');");
  EXPECT_EQ(Eval(L"k.modifiers"), L"shift,any");
  EXPECT_EQ(Eval(L"k.modifiers = 'alt control', k.modifiers"), L"ctrl,alt");
  EXPECT_EQ(Fired({VK_CONTROL, VK_MENU}, VK_F5), L"f5.command end.command");
  EXPECT_EQ(Eval(L"k.keycode = 'vk_f5', k.keycode"), L"");
  EXPECT_EQ(Fired({VK_CONTROL, VK_MENU}, VK_F5), L"end.command");
  EXPECT_EQ(Eval(L"k.keycode = 'VK_ENTER', k.keycode"), L"VK_RETURN");
  Run(L"document.getElementById('d').disabled = true;");
  EXPECT_EQ(Fired({}, 'D'), L"end.command");
}

TEST_F(ShortcutsTest, EditControlsKeepPlainKeysAndLoseShortcuts) {
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, Window(),
                                nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  ::SetFocus(edit);
  EXPECT_EQ(Fired({}, 'A'), L"end.command");                      // text, not a shortcut
  EXPECT_EQ(Fired({VK_SHIFT}, 'B'), L"shiftB.command end.command");  // swallowed
  wchar_t text[16] = L"";
  ::GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(text, L"a");
}

TEST_F(ShortcutsTest, HiddenAndClosedWindowsFireNothing) {
  ComPtr<scKeyShortcutsMgr> shortcuts(Document()->KeyShortcuts());
  ASSERT_TRUE(shortcuts);
  ::PostMessageW(Window(), WM_KEYDOWN, 'K', 0);
  EXPECT_EQ(TraceUntil(L"plainK.command"), L"plainK.command");
  ::ShowWindow(Window(), SW_HIDE);
  ::PostMessageW(Window(), WM_KEYDOWN, 'K', 0);
  Loop([] { return false; }, 300);
  EXPECT_EQ(Eval(L"trace.join(' ')"), L"");
  ::DestroyWindow(Window());
  // The window took its manager out of the loop's filters when it went.
  EXPECT_EQ(m_manager->RemoveMsgFilter(static_cast<IMsgFilter*>(shortcuts.Get())), S_FALSE);
  EXPECT_EQ(shortcuts->KeySetCount(), 0u);
}

}  // namespace
}  // namespace velmor::test
