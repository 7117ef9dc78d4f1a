#include "base/module_instance.h"

#include <shlwapi.h>

#include <algorithm>

namespace velmor {
namespace {
HINSTANCE g_instance = nullptr;
GUID g_libid = GUID_NULL;

std::vector<HWND>& TermWindows() {
  static std::vector<HWND> s_windows;
  return s_windows;
}
}  // namespace

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

CriticalSection& ModuleLock() {
  static CriticalSection s_lock;
  return s_lock;
}

const GUID& ModuleLibId() { return g_libid; }

void SetModuleLibId(const GUID& libid) {
  CriticalSection::Scope scope(ModuleLock());
  g_libid = libid;
}

void AddTermWindow(HWND hwnd) {
  CriticalSection::Scope scope(ModuleLock());
  try {
    TermWindows().push_back(hwnd);
  } catch (...) {
    // Without room the window is only missed at termination; its owner still destroys it.
  }
}

void RemoveTermWindow(HWND hwnd) {
  CriticalSection::Scope scope(ModuleLock());
  auto& windows = TermWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), hwnd), windows.end());
}

std::vector<HWND> TakeTermWindows() {
  CriticalSection::Scope scope(ModuleLock());
  std::vector<HWND> taken;
  taken.swap(TermWindows());
  return taken;
}

}  // namespace velmor
