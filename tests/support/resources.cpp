#include "support/resources.h"

namespace velmor::test {
namespace {

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM counter) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == ::GetCurrentProcessId()) ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int CountWindows() {
  int count = 0;
  ::EnumWindows(&CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  for (HWND h = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h != nullptr;
       h = ::FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
    CountOwnWindow(h, reinterpret_cast<LPARAM>(&count));
  return count;
}

// GDI objects alive in the process, found by asking the type of every handle slot. Wine accepts
// a slot number without its generation bits; elsewhere this counts nothing and
// GetGuiResources answers instead.
DWORD CountGdiObjects() {
  DWORD count = 0;
  for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot)
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
  return count;
}

}  // namespace

ResourceSnapshot ResourceSnapshot::Take() {
  ResourceSnapshot s;
  s.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  s.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (s.gdiObjects == 0) s.gdiObjects = CountGdiObjects();
  ::GetProcessHandleCount(::GetCurrentProcess(), &s.handleCount);
  HANDLE probe = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  s.nextHandle = reinterpret_cast<ULONG_PTR>(probe);
  ::CloseHandle(probe);
  s.windows = CountWindows();
  return s;
}

std::ostream& operator<<(std::ostream& out, const ResourceSnapshot& s) {
  return out << "{user " << s.userObjects << ", gdi " << s.gdiObjects << ", handles "
             << s.handleCount << ", next handle " << s.nextHandle << ", windows " << s.windows
             << "}";
}

}  // namespace velmor::test
