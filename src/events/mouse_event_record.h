// The mouse event record (class 10): the plain record plus where the pointer was, when, which
// message produced it, the modifier keys, the button and the related element of "mouseover" and
// "mouseout". Filled by the document window's mouse input and read by the mouse event object.
#pragma once
#include <windows.h>
#include <wrl/client.h>

#include "skin/event_record.h"
#include "events/event_state_manager.h"
#include "skin/content.h"

struct scMouseEventRecord : public scEventRecord {
  scMouseEventRecord(bool createdTrue, uint32_t eventType)
      : scEventRecord(createdTrue, velmor::kEventClassMouse, eventType) {}

  // Fills the time, the modifier keys and the message, and the point unless one is given
  // (then from GetMessagePos, converted to the window's client coordinates). Shift and Ctrl
  // come from 'mouseKeys' (the MK_ flags a mouse message carries) when given, else from
  // GetKeyState; Alt, which mouse messages do not carry, is asked of GetKeyState only when
  // someone reads it (a round trip to the window server under Wine, on every mouse move).
  void Fill(scIEventStateManager* stateManager, UINT message, const POINT* given,
            const WPARAM* mouseKeys = nullptr);
  // Alt as GetKeyState answers it for the message being handled, asked once.
  bool Alt() const;
  void SetAlt(bool down) { m_alt = down ? 1 : 0; }
  // The document window behind the record's state manager, or null.
  HWND WindowHandle() const;

  POINT point{0, 0};  // client coordinates of the document window
  LONG time = 0;
  Microsoft::WRL::ComPtr<scIEventStateManager> window;  // reaches the window handle
  UINT message = 0;
  bool shift = false;
  bool ctrl = false;
  LONG button = 0;  // 0 left, 2 right
  Microsoft::WRL::ComPtr<scIContent> relatedTarget;

 private:
  mutable int8_t m_alt = -1;  // -1 until asked
};
