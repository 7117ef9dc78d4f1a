#include "host/message_loop.h"

namespace velmor {

bool CMessageLoop::CountsAsActivity(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // the system caret-blink timer
      return false;
    default:
      return true;
  }
}

int CMessageLoop::Run() {
  bool doIdle = true;
  int idleCount = 0;
  for (;;) {
    while (doIdle && !::PeekMessageW(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) doIdle = false;
    }
    const BOOL got = ::GetMessageW(&m_msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (got == 0) break;
    if (!PreTranslateMessage(&m_msg)) {
      ::TranslateMessage(&m_msg);
      ::DispatchMessageW(&m_msg);
    }
    if (CountsAsActivity(m_msg)) {
      doIdle = true;
      idleCount = 0;
    }
    if (QuitRequested()) break;
  }
  return static_cast<int>(m_msg.wParam);
}

}  // namespace velmor
