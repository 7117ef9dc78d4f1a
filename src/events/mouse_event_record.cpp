#include "events/mouse_event_record.h"

#include "base/platform.h"
#include "events/event_state_manager.h"
#include "skin/content.h"

void scMouseEventRecord::Fill(scIEventStateManager* stateManager, UINT windowMessage,
                              const POINT* given, const WPARAM* mouseKeys) {
  window = stateManager;
  message = windowMessage;
  time = ::GetMessageTime();
  // A mouse message's MK_ flags are what GetKeyState answers while it is handled.
  shift = mouseKeys != nullptr ? (*mouseKeys & MK_SHIFT) != 0 : ::GetKeyState(VK_SHIFT) < 0;
  ctrl = mouseKeys != nullptr ? (*mouseKeys & MK_CONTROL) != 0 : ::GetKeyState(VK_CONTROL) < 0;
  m_alt = -1;
  point = given != nullptr ? *given : velmor::MessagePointInClient(WindowHandle());
}

bool scMouseEventRecord::Alt() const {
  if (m_alt < 0) m_alt = ::GetKeyState(VK_MENU) < 0 ? 1 : 0;
  return m_alt != 0;
}

HWND scMouseEventRecord::WindowHandle() const {
  if (!window) return nullptr;
  Microsoft::WRL::ComPtr<scIWidget> widget;
  HWND handle = nullptr;
  if (SUCCEEDED(window.As(&widget)) && SUCCEEDED(widget->GetWindow(&handle))) return handle;
  return nullptr;
}
