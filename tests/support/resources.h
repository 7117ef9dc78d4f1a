// A snapshot of the process's countable resources, for leak tests. GetGuiResources and
// GetProcessHandleCount answer 0 under Wine, so the snapshot also counts this process's windows
// (top-level and message-only), counts GDI objects slot by slot and probes the kernel handle
// table: Wine hands out the lowest free slot, so a leaked handle moves the next handle value up.
#pragma once
#include <windows.h>

#include <ostream>

namespace velmor::test {

struct ResourceSnapshot {
  DWORD userObjects = 0;
  DWORD gdiObjects = 0;
  DWORD handleCount = 0;
  ULONG_PTR nextHandle = 0;
  int windows = 0;

  static ResourceSnapshot Take();
  bool operator==(const ResourceSnapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ResourceSnapshot& s);

}  // namespace velmor::test
