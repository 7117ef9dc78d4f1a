#include "events/mouse_event_record.h"

#include "events/event_state_manager.h"
#include "skin/content.h"

void scMouseEventRecord::Fill(scIEventStateManager* stateManager, UINT windowMessage,
                              const POINT* given) {
  window = stateManager;
  message = windowMessage;
  time = ::GetMessageTime();
  shift = ::GetKeyState(VK_SHIFT) < 0;
  ctrl = ::GetKeyState(VK_CONTROL) < 0;
  alt = ::GetKeyState(VK_MENU) < 0;
  point = given != nullptr ? *given : velmor::MessagePointInClient(WindowHandle());
}

HWND scMouseEventRecord::WindowHandle() const {
  if (!window) return nullptr;
  Microsoft::WRL::ComPtr<scIWidget> widget;
  HWND handle = nullptr;
  if (SUCCEEDED(window.As(&widget)) && SUCCEEDED(widget->GetWindow(&handle))) return handle;
  return nullptr;
}
