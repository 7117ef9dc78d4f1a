// Popup menus and keyboard shortcuts end to end on a real window: native menus built from a
// skin's menu elements, opened by real presses, from script and at the pointer, their items chosen
// with real keys reaching script as one "command"; key strokes offered by the message manager's
// filter chain to the window's shortcut manager, firing the matching key's "oncommand".
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "components/component_manager.h"
#include "host/message_manager.h"
#include "menus/menu_content.h"
#include "support/document_fixture.h"

namespace velmor::test {
namespace {

// The fixture of the menu and shortcut tests: a document window with the application's message
// manager registered ("msgManager"), so every window's shortcut manager sits in its filter
// chain; a pump that offers each message to that chain first, as the application's loop does;
// real key and mouse input; and steps run from a thread timer, which the native menu's own loop
// keeps dispatching while a menu is open.
class MenusTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(CMessageManager::CreateObject(m_manager.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(components::RegisterObject(contracts::kMsgManagerName,
                                         static_cast<IMessageManager*>(m_manager.Get())),
              S_OK);
  }
  void TearDown() override {
    (void)components::UnregisterObject(contracts::kMsgManagerName);
    DocumentTest::TearDown();
    m_manager.Reset();
    (void)components::Shutdown();
  }

  // Handles messages as the application's loop does until 'done' answers true or 'ms' pass.
  bool Loop(const std::function<bool()>& done, DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    MSG msg;
    while (!done()) {
      if (static_cast<LONG>(::GetTickCount() - end) > 0) return false;
      if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        continue;
      }
      if (!m_manager->Loop().PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    return true;
  }
  // The recorded trace once it ends with 'last' (or what it holds after 3 s).
  std::wstring TraceUntil(const std::wstring& last) {
    std::wstring trace;
    Loop([&] {
      trace = Eval(L"trace.join(' ')");
      return trace.size() >= last.size() &&
             trace.compare(trace.size() - last.size(), last.size(), last) == 0;
    }, 3000);
    Run(L"trace = [];");
    return trace;
  }

  static void Press(std::initializer_list<WORD> modifiers, WORD key) { SendKeys(modifiers, key); }
  // An element's box on the screen.
  RECT ScreenBox(const wchar_t* id) {
    RECT box{};
    for (scITextBaseContent* e = Impl(id); e != nullptr; e = e->ParentElement())
      ::OffsetRect(&box, e->Rect().x, e->Rect().y);
    box.right = box.left + Impl(id)->Rect().width;
    box.bottom = box.top + Impl(id)->Rect().height;
    ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&box), 2);
    return box;
  }
  // The open popup's native menu window (not a submenu's), or null.
  HWND OpenMenu() const {
    const std::vector<HWND>& menus = Document()->MenuManager()->MenuWindows();
    return menus.empty() ? nullptr : menus.front();
  }

  // Steps run from a thread timer, each until it answers true; then the next one.
  class Steps {
   public:
    explicit Steps(std::vector<std::function<bool()>> steps) : m_steps(std::move(steps)) {
      s_current = this;
      m_timer = ::SetTimer(nullptr, 0, 40, &Tick);
    }
    ~Steps() {
      ::KillTimer(nullptr, m_timer);
      s_current = nullptr;
    }
    bool Done() const { return m_next == m_steps.size(); }

   private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
      Steps* self = s_current;
      if (self == nullptr || self->m_busy || self->Done()) return;
      self->m_busy = true;  // a step may run a nested loop
      if (self->m_steps[self->m_next]()) ++self->m_next;
      self->m_busy = false;
    }
    static inline Steps* s_current = nullptr;
    std::vector<std::function<bool()>> m_steps;
    size_t m_next = 0;
    bool m_busy = false;
    UINT_PTR m_timer = 0;
  };

  ComPtr<CMessageManager> m_manager;
};


const std::string kMenus =
    std::string("<window id='root' width='300' height='200'><script>") + kRecorderScript +
    "</script>"
    // The backdrop gives the window its shape (an element without one leaves a hole).
    "<subwindow width='300' height='200' backgroundColor='#203040' passThrough='true'/>"
    "<menubar id='bar' width='300' height='20'>"
    "<menu id='file' label='File' width='50' height='20'><menupopup id='filePopup'>"
    "<menuitem id='new' label='New' key='ctrlN' oncommand='rec(event)'/>"
    "<menuitem id='open' label='Open' oncommand='rec(event)'/>"
    "</menupopup></menu>"
    "<menu id='edit' label='Edit' left='50' width='50' height='20'><menupopup>"
    "<menuitem id='undo' label='Undo' oncommand='rec(event)'/></menupopup></menu>"
    "</menubar>"
    "<image id='anchor' left='100' top='80' width='80' height='20'/>"
    "<image id='chooser' left='20' top='120' width='40' height='10' popupanchor='bottomright'"
    " popupalign='bottomleft'/>"
    "<button id='mb' type='menu' left='200' top='120' width='60' height='20'><menupopup>"
    "<menuitem id='pick' label='Pick' oncommand='rec(event)'/></menupopup></button>"
    "<button id='held' type='menu' left='200' top='150' width='60' height='20'"
    " onmousedown='log(\"held\"); return false'><menupopup><menuitem label='Never'/>"
    "</menupopup></button>"
    "<menupopup id='items'>"
    "<menuitem id='save' label='Save' key='ctrlShiftS' oncommand='rec(event)'/>"
    "<menuitem id='reload' label='Reload' key='f5'/>"
    "<menuitem label=''/><menuseparator/>"
    "<menuitem id='check' label='Check' checked='true'/>"
    "<menuitem id='radio' label='Radio' type='radio' checked='true'/>"
    "<menuitem id='off' label='Off' disabled='true'/>"
    "<menuitem id='bold' label='Bold' defaultItem='true'/>"
    "<menu label='More'><menupopup><menuitem id='deep' label='Deep' oncommand='rec(event)'/>"
    "</menupopup></menu>"
    "<menu><menupopup><menuitem label='Unseen'/></menupopup></menu>"
    "</menupopup>"
    "<keyset><key id='ctrlN' key='n' modifiers='control'/>"
    "<key id='ctrlShiftS' key='s' modifiers='control,shift'/>"
    "<key id='f5' keycode='VK_F5' modifiers='Ctrl ctrl'/></keyset>"
    "</window>";

class PopupMenuTest : public MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    ASSERT_EQ(Load(kMenus), S_OK);
    Show(200, 150, 300, 200);
  }
  static RECT WindowBox(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
  }
  static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
};

TEST_F(PopupMenuTest, ItemsBecomeNativeMenuEntriesThatFollowScript) {
  HMENU menu = nullptr;
  auto* popup = dynamic_cast<scMenuPopup*>(Impl(L"items"));
  ASSERT_EQ(popup->GetNativeMenu(false, &menu), E_FAIL);  // built on first use only
  ASSERT_EQ(popup->GetNativeMenu(true, &menu), S_OK);
  struct Row {
    const wchar_t* text;
    UINT state;  // MFS_CHECKED, MF_GRAYED, MFS_DEFAULT
    UINT type;   // MFT_* bits
  };
  const Row kRows[] = {
      {L"Save\tCtrl+Shift+S", 0, 0}, {L"Reload\tCtrl++F5", 0, 0}, {L"", 0, MFT_SEPARATOR},
      {L"Check", MFS_CHECKED, 0},    {L"Radio", MFS_CHECKED, MFT_RADIOCHECK},
      {L"Off", MF_GRAYED, 0},       {L"Bold", MFS_DEFAULT, 0},  {L"More", 0, 0},
  };
  auto check = [&](const char* when) {
    ASSERT_EQ(::GetMenuItemCount(menu), 8) << when;  // the empty item and the unnamed menu are out
    for (int i = 0; i < 8; ++i) {
      wchar_t text[64] = L"";
      MENUITEMINFOW info{sizeof(info)};
      info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 64;
      ASSERT_TRUE(::GetMenuItemInfoW(menu, i, TRUE, &info));
      EXPECT_STREQ(text, kRows[i].text) << when;
      if ((info.fType & MFT_SEPARATOR) == 0) {
        EXPECT_EQ(info.fState & (MFS_CHECKED | MF_GRAYED | MFS_DEFAULT), kRows[i].state)
            << when << " " << i;
      }
      EXPECT_EQ(info.fType & (MFT_SEPARATOR | MFT_RADIOCHECK), kRows[i].type) << when << " " << i;
    }
  };
  check("built");
  EXPECT_NE(::GetSubMenu(menu, 7), nullptr);
  // Marks follow script into the built menu both ways; labels stay as built.
  Run(L"function el(id) { return document.getElementById(id); }"
      L"el('check').checked = false; el('radio').checked = 0; el('off').disabled = false;"
      L"el('bold').defaultItem = false; el('save').label = 'Changed';");
  EXPECT_EQ(Eval(L"[el('check').checked, el('radio').checked, el('bold').defaultItem].join()"),
            L"false,false,false");
  for (const wchar_t* id : {L"check", L"radio", L"off", L"bold"}) {
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, dynamic_cast<scMenuItem*>(Impl(id))->CommandId(), FALSE, &info);
    EXPECT_EQ(info.fState & (MFS_CHECKED | MF_GRAYED | MFS_DEFAULT), 0u) << id;
    EXPECT_EQ(info.fType & MFT_RADIOCHECK, 0u) << id;
  }
  Run(L"el('check').checked = true; el('radio').checked = true; el('off').disabled = true;"
      L"el('bold').defaultItem = true;");
  check("set again");
}

// Every way of opening a popup puts the menu's corner where it belongs: openPopup at each
// position, a real press on a menubar title (and sliding onto the next one while its menu is
// open) or on a menu button, or a script at the pointer. The opener shows it while the menu is
// open; an item chosen with real keys reaches script as one "command" from the message loop once
// the menu has gone, and a menu closed without a choice fires nothing.
TEST_F(PopupMenuTest, EachOpenerPlacesItsMenuAndDeliversOneCommand) {
  const RECT a = ScreenBox(L"anchor"), c = ScreenBox(L"chooser");
  const RECT file = ScreenBox(L"file"), edit = ScreenBox(L"edit"), button = ScreenBox(L"mb");
  const POINT pointer{380, 260};
  POINT origin{0, 0};
  ::ClientToScreen(Window(), &origin);
  struct Row {
    std::wstring open;  // openPopup's arguments; "file", "slide", "mb" pressed; "" at the pointer
    POINT point;         // where the menu's corner must lie
    bool right, bottom;  // which corner of the menu
    int downs = 0;       // Down presses to the item
    const wchar_t* command = nullptr;  // null: closed without a choice
  };
  const Row kRows[] = {
      {L"el('anchor'), 'before_start', 0, 0, false", {a.left, a.top}, false, true},
      {L"el('anchor'), 'before_end', 0, 0, false", {a.right, a.top}, true, true},
      {L"el('anchor'), 'after_start', 0, 0, false", {a.left, a.bottom}, false, false},
      {L"el('anchor'), 'after_end', 0, 0, false", {a.right, a.bottom}, true, false},
      {L"el('anchor'), 'start_before', 0, 0, false", {a.left, a.top}, true, false},
      {L"el('anchor'), 'start_after', 0, 0, false", {a.left, a.bottom}, true, true},
      {L"el('anchor'), 'end_before', 0, 0, false", {a.right, a.top}, false, false},
      {L"el('anchor'), 'end_after', 0, 0, false", {a.right, a.bottom}, false, true},
      {L"el('anchor'), 'overlap', 5, 6, false", {a.left + 5, a.top + 6}, false, false},
      {L"el('anchor'), 'after_pointer', 0, 0, true", {a.left, a.top}, false, false},
      // The anchor's own attributes: corner from popupanchor, menu corner from popupalign; with
      // attributes overriding, the offsets are ignored too.
      {L"el('chooser'), 'nowhere', 0, 0, false", {c.right, c.bottom}, false, true},
      {L"el('chooser'), 'after_start', 7, 7, true", {c.right, c.bottom}, false, true},
      {L"null, 'after_end', 10, 10, false", {origin.x + 10, origin.y + 10}, false, false},
      // Presses one after another on one spot would make a double click.
      {L"slide", {edit.left, edit.bottom}, false, false},
      {L"mb", {button.left, button.bottom}, false, false, 1, L"pick.command"},
      {L"file", {file.left, file.bottom}, false, false, 2, L"open.command"},
      {L"", pointer, false, false, 1, L"save.command"},
  };
  Run(L"function el(id) { return document.getElementById(id); }");
  ::SetCursorPos(5, 5);  // away from the menus: a submenu under the pointer would open
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.open);
    RECT shown{};
    bool shows = false;
    Steps steps({[&] {
      if (OpenMenu() == nullptr) return false;
      if (row.open == L"slide" && WindowBox(OpenMenu()).left != edit.left) {
        MouseAt(Centre(edit), false);
        return false;
      }
      shown = WindowBox(OpenMenu());
      shows = row.open == L"file" ? PrintClient().At(2, 2) == 0x316AC5u
              : row.open == L"mb" ? (State(L"mb") & kStateChecked) != 0
                                  : true;
      if (row.command == nullptr) ::EndMenu();
      for (int i = 0; i < row.downs; ++i) Press({}, VK_DOWN);
      if (row.command != nullptr) Press({}, VK_RETURN);
      return true;
    }});
    if (row.open == L"file" || row.open == L"slide" || row.open == L"mb") {
      MouseAt(Centre(row.open == L"mb" ? button : file), true);
    } else if (row.open.empty()) {
      ::SetCursorPos(pointer.x, pointer.y);
      ASSERT_EQ(Run(L"el('items').openPopupAtScreen(-1, -1);"), S_OK);
    } else {
      ASSERT_EQ(Run(L"el('items').openPopup(" + row.open + L");"), S_OK);
    }
    if (row.command != nullptr) {
      EXPECT_EQ(Eval(L"trace.length"), L"0");
      EXPECT_EQ(TraceUntil(row.command), row.command);
      Loop([] { return false; }, 200);
      EXPECT_EQ(Eval(L"trace.length"), L"0");  // exactly one command
    } else {
      Loop([&] { return steps.Done() && !Document()->MenuManager()->IsTracking(); }, 4000);
      EXPECT_EQ(Eval(L"trace.length"), L"0");
    }
    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(row.right ? shown.right : shown.left, row.point.x);
    EXPECT_EQ(row.bottom ? shown.bottom : shown.top, row.point.y);
    EXPECT_TRUE(shows);
  }
  MouseAt({file.left + 100, file.bottom + 100}, false);
  Loop([] { return false; }, 200);
  EXPECT_NE(PrintClient().At(2, 2), 0x316AC5u);  // neither pressed nor under the mouse
  EXPECT_EQ(Eval(L"document.getElementById('mb').checked"), L"0");
}

// The default action runs after the listeners with their verdict: a press whose handler
// prevents it leaves the menu button's menu closed (without a listener table, as on 'mb' above,
// the press opens it).
TEST_F(PopupMenuTest, APreventedPressKeepsTheMenuClosed) {
  bool opened = false;
  Steps steps({[&] {
    if (OpenMenu() == nullptr) return false;
    opened = true;
    ::EndMenu();
    return true;
  }});
  Send(WM_LBUTTONDOWN, 230, 160, MK_LBUTTON);
  Send(WM_LBUTTONUP, 230, 160);
  EXPECT_EQ(Eval(L"trace.join(' ')"), L"held");
  EXPECT_FALSE(opened);
}

namespace shortcuts {
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

}  // namespace shortcuts

}  // namespace
}  // namespace velmor::test
