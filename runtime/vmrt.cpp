// Entry points of the component runtime.
#include "base/module_instance.h"
#include "service_manager.h"
#include "services.h"

namespace vmrt {
namespace {

velmor::CriticalSection g_lock;
CServiceManager* g_manager = nullptr;
long g_initCount = 0;

[[nodiscard]] HRESULT AddBuiltIns(CServiceManager* manager) {
  struct BuiltIn {
    const wchar_t* contract;
    FactoryConstructor constructor;
  };
  static const BuiltIn kBuiltIns[] = {
      {VMRT_VENDOR_PREFIX L"/command-line;1", &CreateCommandLineService},
      {VMRT_VENDOR_PREFIX L"/preferences;1", &CreatePreferencesService},
      {VMRT_VENDOR_PREFIX L"/dispconnect;1", &CreateDispatchConnector},
      {VMRT_VENDOR_PREFIX L"/QxFrame;1", &CreateFrameService},
      {VMRT_PLATFORM_PREFIX L"/timer;1", &CreateTimer},
      {VMRT_VENDOR_PREFIX L"/widgets/list;1", &CreateListWidget},
  };
  for (const BuiltIn& b : kBuiltIns) RETURN_IF_FAILED(manager->AddBuiltIn(b.contract, b.constructor));
  return S_OK;
}

}  // namespace
}  // namespace vmrt

using namespace vmrt;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    velmor::SetModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

VMRT_API HRESULT WINAPI VmrtInitialize() {
  velmor::CriticalSection::Scope scope(g_lock);
  if (g_initCount > 0) {
    ++g_initCount;
    return S_OK;
  }
  CServiceManager* manager = nullptr;
  RETURN_IF_FAILED(CServiceManager::CreateObject(&manager));
  const HRESULT hr = AddBuiltIns(manager);
  if (FAILED(hr)) {
    manager->Release();
    return hr;
  }
  g_manager = manager;
  g_initCount = 1;
  return S_OK;
}

VMRT_API HRESULT WINAPI VmrtShutdown() {
  CServiceManager* manager = nullptr;
  {
    velmor::CriticalSection::Scope scope(g_lock);
    if (g_initCount == 0) return E_UNEXPECTED;
    if (--g_initCount > 0) return S_OK;
    manager = g_manager;
    g_manager = nullptr;
  }
  CancelAllTimers();
  manager->ReleaseAll();
  manager->Release();
  return S_OK;
}

VMRT_API HRESULT WINAPI VmrtGetServiceManager(IServiceManager** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  velmor::CriticalSection::Scope scope(g_lock);
  if (g_manager == nullptr) return E_UNEXPECTED;
  return g_manager->QueryInterface(IID_IServiceManager, reinterpret_cast<void**>(out));
}
