#include "events/event_record.h"

#include "skin/content.h"

namespace velmor {

POINT MessagePointInClient(HWND window) {
  const DWORD pos = GetMessagePos();
  POINT point{static_cast<int16_t>(LOWORD(pos)), static_cast<int16_t>(HIWORD(pos))};
  if (window) ScreenToClient(window, &point);
  return point;
}

}  // namespace velmor
