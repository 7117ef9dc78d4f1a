// An in-process process debug manager for the debug support's tests: registered with
// CoRegisterClassObject under the platform manager's class ID, it records every call it gets
// (in one log shared by the manager, its application and its document helper) and can be told
// to fail one of them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/com_object.h"
#include "script/script_ids.h"

namespace velmor::test {

struct DebugManagerLog {
  std::vector<std::wstring> calls;
  std::wstring failAt;  // the call (by name) that answers 'failure'
  HRESULT failure = E_FAIL;
  long instancesCreated = 0;            // managers made by the class factory
  IUnknown* lastHost = nullptr;         // the document host the helper holds (not owned)
  bool Has(const std::wstring& call) const;
};

DebugManagerLog& FakeDebugLog();
// Live fake objects (manager, application, helper, factory excluded).
long LiveFakeDebugObjects();

// Registers the fake for the lifetime of the object; a fresh log each time.
class ScopedFakeDebugManager {
 public:
  ScopedFakeDebugManager();
  ~ScopedFakeDebugManager();
  ScopedFakeDebugManager(const ScopedFakeDebugManager&) = delete;
  ScopedFakeDebugManager& operator=(const ScopedFakeDebugManager&) = delete;
  HRESULT registered() const { return m_registered; }

 private:
  DWORD m_cookie = 0;
  HRESULT m_registered = E_FAIL;
};

}  // namespace velmor::test
