#include "base/platform.h"

#include <cstdint>

namespace velmor {

bool RunningOnWine() {
  static const bool s_wine = [] {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return s_wine;
}

POINT MessagePointInClient(HWND window) {
  const DWORD pos = ::GetMessagePos();
  POINT point{static_cast<int16_t>(LOWORD(pos)), static_cast<int16_t>(HIWORD(pos))};
  if (window) ::ScreenToClient(window, &point);
  return point;
}

}  // namespace velmor
