// The engine's side of the component runtime: its three entry points, the contract IDs the
// engine uses, and local wrappers that look a contract up and ask for an interface.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "vmrt.h"

namespace velmor {

namespace contracts {
inline constexpr const wchar_t* kCommandLine = VMRT_VENDOR_PREFIX L"/command-line;1";
inline constexpr const wchar_t* kPreferences = VMRT_VENDOR_PREFIX L"/preferences;1";
inline constexpr const wchar_t* kDispatchConnector = VMRT_VENDOR_PREFIX L"/dispconnect;1";
inline constexpr const wchar_t* kMainWindow = VMRT_VENDOR_PREFIX L"/ui/mainwindow;1";
inline constexpr const wchar_t* kFrame = VMRT_VENDOR_PREFIX L"/QxFrame;1";
inline constexpr const wchar_t* kTimer = VMRT_PLATFORM_PREFIX L"/timer;1";
inline constexpr const wchar_t* kScreenManager = VMRT_PLATFORM_PREFIX L"/gfx/screenmanager;1";
inline constexpr const wchar_t* kMsgManagerName = L"msgManager";
inline constexpr const wchar_t* kScriptHostName = L"jscript";
}  // namespace contracts

namespace components {

[[nodiscard]] HRESULT Initialize();
[[nodiscard]] HRESULT Shutdown();
[[nodiscard]] HRESULT GetServiceManager(IServiceManager** manager);

// Look up a contract (or registered name), then QueryInterface; E_FAIL without a manager.
[[nodiscard]] HRESULT GetService(const wchar_t* contract, REFIID iid, void** object);
[[nodiscard]] HRESULT CreateInstance(const wchar_t* contract, REFIID iid, void** object);
[[nodiscard]] HRESULT RegisterObject(const wchar_t* name, IUnknown* object);
[[nodiscard]] HRESULT UnregisterObject(const wchar_t* name);

template <class I>
[[nodiscard]] HRESULT GetService(const wchar_t* contract, ComPtr<I>& out) {
  return GetService(contract, __uuidof(I), reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}
template <class I>
[[nodiscard]] HRESULT CreateInstance(const wchar_t* contract, ComPtr<I>& out) {
  return CreateInstance(contract, __uuidof(I),
                        reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

}  // namespace components
}  // namespace velmor
