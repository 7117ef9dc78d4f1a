// A small window framework: message maps with handled flags, chaining and alternate maps, and a
// window implementation template that keeps 'this' in the window's user data from WM_NCCREATE.
#pragma once
#include <windows.h>

#include "base/deferred_invalidation.h"
#include "base/module_instance.h"

namespace velmor {

class CMessageMap {
 public:
  virtual ~CMessageMap() = default;
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& lResult, DWORD dwMsgMapID = 0) = 0;
};

// Message maps: BEGIN_MSG_MAP(CFoo) MESSAGE_HANDLER(WM_X, OnX) CHAIN_MSG_MAP(CBase)
// ALT_MSG_MAP(1) ... END_MSG_MAP(). Handlers: LRESULT OnX(UINT, WPARAM, LPARAM, BOOL& bHandled);
// a handler that clears bHandled lets the walk go on to later entries and the default procedure.
#define BEGIN_MSG_MAP(theClass)                                                              \
 public:                                                                                     \
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,             \
                            LRESULT& lResult, DWORD dwMsgMapID = 0) override {              \
    BOOL bHandled = TRUE;                                                                    \
    (void)hWnd;                                                                              \
    (void)bHandled;                                                                          \
    switch (dwMsgMapID) {                                                                    \
      case 0:

#define MESSAGE_HANDLER(msg, func)                                                           \
  if (uMsg == (msg)) {                                                                       \
    bHandled = TRUE;                                                                         \
    lResult = func(uMsg, wParam, lParam, bHandled);                                          \
    if (bHandled) return TRUE;                                                               \
  }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                       \
  if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {                                             \
    bHandled = TRUE;                                                                         \
    lResult = func(uMsg, wParam, lParam, bHandled);                                          \
    if (bHandled) return TRUE;                                                               \
  }

#define CHAIN_MSG_MAP(theBase)                                                               \
  if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define CHAIN_MSG_MAP_MEMBER(member)                                                         \
  if ((member).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define CHAIN_MSG_MAP_ALT(theBase, mapId)                                                    \
  if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId)) return TRUE;

#define ALT_MSG_MAP(mapId)                                                                   \
  break;                                                                                     \
  case mapId:

#define END_MSG_MAP()                                                                        \
  break;                                                                                     \
  default:                                                                                   \
    break;                                                                                   \
    }                                                                                        \
    return FALSE;                                                                            \
  }

// What a window class is registered with. A class that names a 'superclass' (a system or
// common-control class such as "BUTTON") is registered as a copy of it under 'name': the copy
// keeps the original's style, extra bytes, cursor and brush, its own message map sees every
// message first and what it leaves goes to the original class's procedure.
struct WindowClassInfo {
  const wchar_t* name;
  UINT style;
  HBRUSH background;     // a brush, or (HBRUSH)(COLOR_xxx + 1), or null
  const wchar_t* cursor; // a system cursor id such as IDC_ARROW, or null
  const wchar_t* superclass = nullptr;
};

// Looks up 'superclass' (in the engine's common-controls context, so control classes come in
// the version the engine's manifest names) and fills 'wc' with a copy of it registered under
// 'name' with 'procedure'. Answers the original procedure, or null when the class is unknown.
WNDPROC PrepareSuperclass(const wchar_t* superclass, const wchar_t* name, WNDPROC procedure,
                          WNDCLASSEXW& wc);

// Base of windows implemented in C++. Derived classes provide
//   static const WindowClassInfo& GetWndClassInfo();
// and a message map; they may override OnFinalMessage (called after WM_NCDESTROY).
template <class T>
class CWindowImpl : public CMessageMap {
 public:
  CWindowImpl() = default;
  CWindowImpl(const CWindowImpl&) = delete;
  CWindowImpl& operator=(const CWindowImpl&) = delete;
  ~CWindowImpl() override {
    // The window must not outlive the object that handles its messages.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
      ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
      ::DestroyWindow(m_hWnd);
    }
  }

  HWND m_hWnd = nullptr;

  HWND Create(HWND parent, const RECT* rect, const wchar_t* title, DWORD style, DWORD exStyle,
              HMENU menuOrId = nullptr) {
    if (RegisterClass() == 0) return nullptr;
    const RECT r = rect ? *rect : RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    const int w = rect ? r.right - r.left : CW_USEDEFAULT;
    const int h = rect ? r.bottom - r.top : CW_USEDEFAULT;
    return ::CreateWindowExW(exStyle, T::GetWndClassInfo().name, title, style, r.left, r.top, w, h,
                             parent, menuOrId, GetModuleInstance(), this);
  }

  BOOL DestroyWindow() { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd); }
  BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

  // Registers the class once per process; answers its atom (0 on failure).
  static ATOM RegisterClass() {
    static ATOM s_atom = 0;
    if (s_atom != 0) return s_atom;
    const WindowClassInfo& info = T::GetWndClassInfo();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (info.superclass != nullptr) {
      s_superProc = PrepareSuperclass(info.superclass, info.name, &CWindowImpl::StartWindowProc, wc);
      if (s_superProc == nullptr) return 0;
    } else {
      wc.style = info.style;
      wc.lpfnWndProc = &CWindowImpl::StartWindowProc;
      wc.hInstance = GetModuleInstance();
      wc.hbrBackground = info.background;
      wc.hCursor = info.cursor ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
      wc.lpszClassName = info.name;
    }
    s_atom = ::RegisterClassExW(&wc);
    if (s_atom == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      WNDCLASSEXW existing{sizeof(existing)};
      s_atom = static_cast<ATOM>(::GetClassInfoExW(wc.hInstance, info.name, &existing));
    }
    return s_atom;
  }

 protected:
  virtual void OnFinalMessage(HWND) {}

  // The default processing: the original class's procedure for a superclass.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallDefault(m_hWnd, msg, wParam, lParam);
  }

 private:
  static inline WNDPROC s_superProc = nullptr;

  static LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (s_superProc != nullptr) return ::CallWindowProcW(s_superProc, hwnd, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  static LRESULT CALLBACK StartWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* self = static_cast<CWindowImpl*>(cs->lpCreateParams);
      if (self != nullptr) {
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      }
    }
    // A window whose object has gone (or that was never given one) still ends as its class
    // would: a control frees its own data on its last messages.
    auto* self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return CallDefault(hwnd, msg, wParam, lParam);
    return self->WindowProc(hwnd, msg, wParam, lParam);
  }

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Repaint requests made while the message is handled reach the platform when it returns.
    scMessageScope scope;
    LRESULT result = 0;
    BOOL handled = FALSE;
    try {
      handled = ProcessWindowMessage(hwnd, msg, wParam, lParam, result, 0);
    } catch (...) {
      handled = TRUE;  // no exception may leave a window procedure
      result = 0;
    }
    if (!handled) result = CallDefault(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      m_hWnd = nullptr;
      OnFinalMessage(hwnd);
    }
    return result;
  }
};

}  // namespace velmor
