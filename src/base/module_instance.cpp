#include "base/module_instance.h"

#include <shlwapi.h>

namespace velmor {
namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE GetModuleInstance() {
  if (g_instance == nullptr) {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&g_instance), &self);
    g_instance = self;
  }
  return g_instance;
}

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

bool GetPathBesideModule(const wchar_t* name, wchar_t* buffer, DWORD capacity) {
  if (buffer == nullptr || capacity < MAX_PATH) return false;
  const DWORD n = ::GetModuleFileNameW(GetModuleInstance(), buffer, capacity);
  if (n == 0 || n >= capacity) return false;
  ::PathRemoveFileSpecW(buffer);
  return name == nullptr || ::PathAppendW(buffer, name) != FALSE;
}

}  // namespace velmor
