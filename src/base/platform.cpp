#include "base/platform.h"

#include <windows.h>

namespace velmor {

bool RunningOnWine() {
  static const bool s_wine = [] {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return s_wine;
}

}  // namespace velmor
