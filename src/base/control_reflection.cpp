#include "base/control_reflection.h"

#include <unordered_set>

namespace velmor {
namespace {

// The controls taking reflected messages. Kept in the process rather than as a window property:
// a property costs a call to the window server under Wine for every mark, withdrawal and every
// colour request of every paint. The lock only guards against a second thread's controls.
class ReflectingControls {
 public:
  // False when the set could not grow.
  bool Add(HWND control) {
    AcquireSRWLockExclusive(&m_lock);
    bool added = true;
    try {
      m_controls.insert(control);
    } catch (...) {
      added = false;
    }
    ReleaseSRWLockExclusive(&m_lock);
    return added;
  }
  void Remove(HWND control) {
    AcquireSRWLockExclusive(&m_lock);
    m_controls.erase(control);
    ReleaseSRWLockExclusive(&m_lock);
  }
  bool Contains(HWND control) {
    AcquireSRWLockShared(&m_lock);
    const bool found = m_controls.count(control) != 0;
    ReleaseSRWLockShared(&m_lock);
    return found;
  }

 private:
  SRWLOCK m_lock = SRWLOCK_INIT;
  std::unordered_set<HWND> m_controls;
};

ReflectingControls& Reflecting() {
  static ReflectingControls s_controls;
  return s_controls;
}

HWND ItemOf(HWND parent, UINT id) { return ::GetDlgItem(parent, static_cast<int>(id)); }

}  // namespace

bool IsReflectableMessage(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_PARENTNOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return true;
    default:
      return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
  }
}

HWND ReflectionTarget(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Menus and accelerators send no window.
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return lParam != 0 ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)
        return reinterpret_cast<HWND>(lParam);
      return ItemOf(parent, HIWORD(wParam));
    // Owner-draw messages with a control id of 0 come from menus.
    case WM_DRAWITEM:
      return wParam != 0 ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
      return wParam != 0 ? ItemOf(parent, reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID)
                         : nullptr;
    case WM_COMPAREITEM:
      return wParam != 0 ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_DELETEITEM:
      return wParam != 0 ? reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    default:
      return IsReflectableMessage(message) ? reinterpret_cast<HWND>(lParam) : nullptr;
  }
}

HRESULT AcceptReflectedMessages(HWND control) {
  if (control == nullptr) return E_INVALIDARG;
  return Reflecting().Add(control) ? S_OK : E_OUTOFMEMORY;
}

void RefuseReflectedMessages(HWND control) {
  if (control != nullptr) Reflecting().Remove(control);
}

bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) {
  if (!IsReflectableMessage(message)) return false;
  HWND control = ReflectionTarget(parent, message, wParam, lParam);
  if (control == nullptr || control == parent || ::GetParent(control) != parent ||
      !Reflecting().Contains(control))
    return false;
  result = ::SendMessageW(control, message + kReflectedBase, wParam, lParam);
  return true;
}

bool DefaultReflectionHandler(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
  if (message < kReflectedBase || !IsReflectableMessage(message - kReflectedBase)) return false;
  result = ::DefWindowProcW(control, message - kReflectedBase, wParam, lParam);
  return true;
}

}  // namespace velmor
