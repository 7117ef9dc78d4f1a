// The fixture of the menu and shortcut tests: a document window with the application's message
// manager registered ("msgManager"), so every window's shortcut manager sits in its filter
// chain; a pump that offers each message to that chain first, as the application's loop does;
// real key and mouse input; and steps run from a thread timer, which the native menu's own loop
// keeps dispatching while a menu is open.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "components/component_manager.h"
#include "host/message_manager.h"
#include "support/document_fixture.h"

namespace velmor::test {

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

  // Real key strokes: the modifiers go down, the key goes down and up, the modifiers go up.
  static void Press(std::initializer_list<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(input);
    };
    for (WORD m : modifiers) add(m, false);
    add(key, false);
    add(key, true);
    for (WORD m : modifiers) add(m, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }
  // Real mouse input: the pointer moves to the screen point and, with 'click', presses and
  // releases the left button there.
  static void Mouse(POINT at, bool click) {
    // The platform takes the pointer's new place asynchronously: the pauses keep the button
    // from arriving before it.
    ::SetCursorPos(at.x, at.y);
    ::Sleep(100);
    auto send = [](DWORD flags) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flags;
      ::SendInput(1, &input, sizeof(INPUT));
      ::Sleep(40);
    };
    send(MOUSEEVENTF_MOVE);  // a real move message at the new place
    if (!click) return;
    send(MOUSEEVENTF_LEFTDOWN);
    send(MOUSEEVENTF_LEFTUP);
  }

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

}  // namespace velmor::test
