#include "base/platform.h"

#include <oleauto.h>

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

HRESULT WindowTextBstr(HWND window, BSTR* text) {
  *text = nullptr;
  const int length = ::GetWindowTextLengthW(window);
  BSTR buffer = ::SysAllocStringLen(nullptr, static_cast<UINT>(length > 0 ? length : 0));
  if (buffer == nullptr) return E_OUTOFMEMORY;
  const int copied = length > 0 ? ::GetWindowTextW(window, buffer, length + 1) : 0;
  buffer[copied > 0 ? copied : 0] = L'\0';
  // The length may shrink between the two calls: the result is what was copied.
  *text = ::SysAllocStringLen(buffer, static_cast<UINT>(copied > 0 ? copied : 0));
  ::SysFreeString(buffer);
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace velmor
