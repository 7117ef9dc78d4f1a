#include "host/entry.h"

#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cwchar>

#include "base/handles.h"
#include "base/module_instance.h"
#include "components/component_manager.h"
#include "components/generic_factory.h"
#include "host/message_window.h"
#include "host/module.h"
#include "host/profile.h"
#include "host/run.h"

namespace velmor {
namespace {

// {289EE312-2244-45C3-8713-CBE470787DB2}: the library of all script interfaces.
constexpr GUID kTypeLibId = {
    0x289ee312, 0x2244, 0x45c3, {0x87, 0x13, 0xcb, 0xe4, 0x70, 0x78, 0x7d, 0xb2}};

constexpr const wchar_t* kInstanceMutex = L"_UI_MUTEX_KVA_{03AD4A4B-9CC2-44c1-BA3F-C149045EB72F}";

// Runs the single-instance protocol; true when this process is a later start whose command
// line has been handed to the running instance.
bool ForwardToRunningInstance() {
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
  if (!mutex) return false;  // run as a full instance without a listener
  ::WaitForSingleObject(mutex.Get(), INFINITE);
  bool forwarded = false;
  {
    CMessageWindow sender;
    if (sender.OtherInstance() != nullptr) {
      LOG_IF_FAILED(sender.SendCommandLine());
      forwarded = true;
    } else {
      ListenerWindow().CreateListener();
    }
  }
  ::ReleaseMutex(mutex.Get());
  return forwarded;
}

UniqueModule StartNetworkTools() {
  UniqueModule library(::LoadLibraryW(kNetToolsLibrary));
  if (library) {
    using Startup = int(WINAPI*)(int);
    auto startup = reinterpret_cast<Startup>(::GetProcAddress(library.Get(), kNetToolsStartup));
    if (startup != nullptr) startup(0);
  }
  return library;
}

}  // namespace

void FormatRunResultLine(HRESULT result, wchar_t* buffer, size_t capacity) {
  swprintf(buffer, capacity, L"Velmor Code = 0x%0x", static_cast<unsigned>(result));
}

EntryOutcome EntryMain(const char* lpCmdLine, int nShowCmd, AppParts& parts) {
  EntryOutcome outcome;
  CProfile profile;
  profile.SetRegistryKey(L"Velmor\\Config\\");
  if (profile.GetProfileInt(L"Other", L"OneProcess", 1) == 1 && ForwardToRunningInstance()) {
    outcome.path = EntryPath::kForwarded;
    return outcome;
  }

  UniqueModule netTools = StartNetworkTools();
  LOG_IF_FAILED(::CoInitialize(nullptr));
  if (FAILED(components::Initialize())) {
    // Nothing else is started and nothing is reported.
    outcome.path = EntryPath::kNoComponents;
    ::CoUninitialize();
    return outcome;
  }
  size_t componentCount = 0;
  const nsModuleComponentInfo* components = EngineComponents(&componentCount);
  LOG_IF_FAILED(RegisterModuleFactories(components, componentCount));

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  ::InitCommonControlsEx(&icc);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  ULONG_PTR gdiplusToken = 0;
  if (Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok)
    VELMOR_TRACE_HR(E_FAIL);  // images will not load; everything else still runs
  LOG_IF_FAILED(Module().Init(EngineObjectMap(), GetModuleInstance(), &kTypeLibId));

  outcome.result = Run(lpCmdLine, nShowCmd, parts);

  DestroyListenerWindow();
  Module().Term();
  Gdiplus::GdiplusShutdown(gdiplusToken);
  LOG_IF_FAILED(components::Shutdown());
  ::CoUninitialize();
  netTools.Reset();

  wchar_t line[64];
  FormatRunResultLine(outcome.result, line, sizeof(line) / sizeof(line[0]));
  ::OutputDebugStringW(line);
  return outcome;
}

}  // namespace velmor
