#include "host/run.h"

#include <shlwapi.h>

#include <string>

#include "base/bstr.h"
#include "base/handles.h"
#include "base/module_instance.h"
#include "components/component_manager.h"
#include "host/command_line.h"
#include "host/module.h"
#include "base/text_convert.h"

namespace velmor {
namespace {

void CALLBACK KeepAliveTick(nsITimer*, void*) {}

// A repeating timer that does nothing; it keeps the platform timer alive for the whole run.
void StartKeepAliveTimer() {
  ComPtr<nsITimer> timer;
  if (FAILED(components::CreateInstance(contracts::kTimer, timer))) return;
  if (SUCCEEDED(timer->InitWithFuncCallback(&KeepAliveTick, nullptr, 3000, 1))) {
    // An armed timer keeps itself alive until the runtime shuts down.
  }
}

bool IsStartAllowed(const VARIANT& result) {
  return result.vt == VT_EMPTY || (result.vt == VT_BOOL && result.boolVal == VARIANT_TRUE);
}

// The main script, "MainStartup" and what follows it; answers the code (steps 8 to 17 of Run
// leave through here).
class RunScope {
 public:
  RunScope(AppParts& parts, const char* lpCmdLine) : m_parts(parts), m_cmdLine(lpCmdLine) {}

  [[nodiscard]] HRESULT WithScriptHost(IScriptControl* host) {
    HRESULT code = LoadMainScript(host);
    if (SUCCEEDED(code)) code = StartApplication(host);
    LOG_IF_FAILED(components::UnregisterObject(contracts::kScriptHostName));
    ComPtr<IAppScriptHost> control;
    if (SUCCEEDED(host->QueryInterface(IID_PPV_ARGS(&control)))) LOG_IF_FAILED(control->CloseEngine());
    return code;
  }

 private:
  [[nodiscard]] static HRESULT LoadMainScript(IScriptControl* host) {
    ComPtr<IJSSubScriptLoader> loader;
    RETURN_IF_FAILED(host->QueryInterface(IID_PPV_ARGS(&loader)));
    UniqueBstr name(L"main.js");
    UniqueBstr item(L"");
    RETURN_HR_IF(E_OUTOFMEMORY, !name.Get() || !item.Get());
    return loader->LoadSubScript(name.Get(), item.Get());
  }

  // Steps 9 to 16: "MainStartup", the main window, the loop, "MainShutdown".
  [[nodiscard]] HRESULT StartApplication(IScriptControl* host) {
    UniqueVariant startup;
    RETURN_IF_FAILED(host->Run(L"MainStartup", nullptr, 0, startup.Put()));
    if (!IsStartAllowed(startup)) return S_OK;
    ComPtr<IAppMainWindow> window;  // released after "MainShutdown"
    const HRESULT code = RunMainWindow(window);
    LOG_IF_FAILED(host->Run(L"MainShutdown", nullptr, 0, nullptr));
    return code;
  }

  [[nodiscard]] HRESULT RunMainWindow(ComPtr<IAppMainWindow>& window) {
    HRESULT code = S_OK;
    if (FAILED(m_parts.CreateMainWindow(&window)) || !window) {
      m_parts.ShowMessage(L"载入皮肤失败！", MB_ICONEXCLAMATION);
      return S_OK;
    }
    wchar_t folder[MAX_PATH] = L"";
    GetSkinFolder(folder);
    wchar_t path[MAX_PATH] = L"";
    ::PathAppendW(path, folder);
    ::PathAppendW(path, L"mainframe.xml");
    LOG_IF_FAILED(components::RegisterObject(contracts::kMainWindow, window.Get()));
    if (FAILED(window->Load(folder, path))) {
      m_parts.ShowMessage(L"载入皮肤失败！", MB_ICONEXCLAMATION);
    } else {
      std::wstring wide;
      MultiByteToWide(CP_THREAD_ACP, m_cmdLine ? m_cmdLine : "", -1, wide);
      HandCommandLine(wide.c_str(), 0);
      CMessageLoop* loop = Module().GetMessageLoop();
      if (loop != nullptr) code = loop->Run();
      LOG_IF_FAILED(window->Destroy());
    }
    LOG_IF_FAILED(components::UnregisterObject(contracts::kMainWindow));
    return code;
  }

  AppParts& m_parts;
  const char* m_cmdLine;
};

}  // namespace

[[nodiscard]] HRESULT Run(const char* lpCmdLine, int /*nShowCmd: the skin decides how windows show*/,
            AppParts& parts) {
  ComPtr<IAppMessageManager> manager;
  HRESULT hr = parts.CreateMessageManager(&manager);
  if (FAILED(hr) || !manager) {
    parts.ShowMessage(L"创建消息循环失败！", MB_ICONHAND);
    return FAILED(hr) ? hr : E_FAIL;
  }
  if (!Module().AddMessageLoop(manager->GetMessageLoop())) {
    parts.ShowMessage(L"创建消息循环失败！", MB_ICONHAND);
    return E_FAIL;
  }
  ComPtr<ICommandLineService> cmdline;
  if (FAILED(components::GetService(contracts::kCommandLine, cmdline))) {
    parts.ShowMessage(L"命令行解析失败！", MB_ICONHAND);
    Module().RemoveMessageLoop();  // the manager goes away with this scope
    return E_FAIL;
  }
  StartKeepAliveTimer();

  HRESULT code = S_OK;
  ComPtr<IScriptControl> host;
  code = parts.CreateScriptHost(&host);
  if (SUCCEEDED(code) && !host) code = E_FAIL;
  if (SUCCEEDED(code)) {
    LOG_IF_FAILED(host->AddObject(L"msgManager", manager.Get()));
    LOG_IF_FAILED(host->AddObject(L"cmdlineMgr", cmdline.Get()));
    LOG_IF_FAILED(components::RegisterObject(contracts::kMsgManagerName, manager.Get()));
    LOG_IF_FAILED(components::RegisterObject(contracts::kScriptHostName, host.Get()));
    code = RunScope(parts, lpCmdLine).WithScriptHost(host.Get());
    LOG_IF_FAILED(components::UnregisterObject(contracts::kMsgManagerName));
  }
  Module().RemoveMessageLoop();

  ComPtr<IPreferencesService> prefs;
  if (SUCCEEDED(code) && SUCCEEDED(components::GetService(contracts::kPreferences, prefs)))
    code = prefs->SavePrefs(nullptr);
  parts.EmptyImageCache();
  return code;
}

BOOL GetSkinFolder(wchar_t* folder) {
  folder[0] = L'\0';
  ::GetModuleFileNameW(GetModuleInstance(), folder, MAX_PATH);
  ::PathRemoveFileSpecW(folder);
  ::PathAppendW(folder, L"skins");

  UniqueHKey key;
  bool appended = false;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Velmor\\Skin", 0, KEY_READ, key.Put()) ==
      ERROR_SUCCESS) {
    wchar_t name[MAX_PATH];
    DWORD type = 0;
    DWORD bytes = sizeof(name);
    const LSTATUS st = ::RegQueryValueExW(key.Get(), L"Skin", nullptr, &type,
                                          reinterpret_cast<BYTE*>(name), &bytes);
    // Only a NUL-terminated string (stored as is, even when expandable) counts.
    if (st == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && bytes % 2 == 0 &&
        bytes >= sizeof(wchar_t) && name[bytes / sizeof(wchar_t) - 1] == L'\0') {
      ::PathAppendW(folder, name);
      appended = true;
    }
  }
  if (!appended) ::PathAppendW(folder, L"default");
  return TRUE;
}

}  // namespace velmor
