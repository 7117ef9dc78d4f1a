#include "events/mouse_event_record.h"

#include "base/platform.h"
#include "events/event_state_manager.h"
#include "skin/content.h"

void scMouseEventRecord::Fill(scIEventStateManager* stateManager, UINT windowMessage,
                              const POINT* given, const BYTE* keys) {
  window = stateManager;
  message = windowMessage;
  time = ::GetMessageTime();
  // The snapshot's high bits are what GetKeyState answers while the same message is handled.
  auto down = [keys](int key) {
    return keys != nullptr ? (keys[key] & 0x80) != 0 : ::GetKeyState(key) < 0;
  };
  shift = down(VK_SHIFT);
  ctrl = down(VK_CONTROL);
  alt = down(VK_MENU);
  point = given != nullptr ? *given : velmor::MessagePointInClient(WindowHandle());
}

HWND scMouseEventRecord::WindowHandle() const {
  if (!window) return nullptr;
  Microsoft::WRL::ComPtr<scIWidget> widget;
  HWND handle = nullptr;
  if (SUCCEEDED(window.As(&widget)) && SUCCEEDED(widget->GetWindow(&handle))) return handle;
  return nullptr;
}
