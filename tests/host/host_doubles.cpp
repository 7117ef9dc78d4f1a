#include "host_doubles.h"

#include <cstdio>

#include "components/component_manager.h"

namespace velmor::test {

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) out.push_back(*text < 128 ? static_cast<char>(*text) : '?');
  return out;
}

std::string Units(const wchar_t* text) {
  std::string units;
  for (; *text; ++text) {
    char u[8];
    std::snprintf(u, sizeof(u), "%04x", static_cast<unsigned>(*text));
    units += u;
  }
  return units;
}

STDMETHODIMP FakeScriptHost::AddObject(LPCOLESTR name, IUnknown* object) {
  m_log.push_back("script.add:" + Narrow(name) + (object ? "" : ":null"));
  return S_OK;
}

STDMETHODIMP FakeScriptHost::Run(LPCOLESTR name, VARIANT*, int count, VARIANT* result) {
  m_log.push_back("script.run:" + Narrow(name) + (result ? "" : ":noresult"));
  if (result != nullptr) ::VariantInit(result);
  if (wcscmp(name, L"MainStartup") != 0) return S_OK;
  if (FAILED(m_behaviour.startupCall)) return m_behaviour.startupCall;
  if (result != nullptr) {
    result->vt = m_behaviour.startupType;
    if (result->vt == VT_BOOL) result->boolVal = static_cast<VARIANT_BOOL>(m_behaviour.startupValue);
    if (result->vt == VT_I4) result->lVal = m_behaviour.startupValue;
    if (result->vt == VT_BSTR) result->bstrVal = ::SysAllocString(L"no");
  }
  return S_OK;
}

STDMETHODIMP FakeScriptHost::LoadSubScript(BSTR name, BSTR item) {
  m_log.push_back("script.load:" + Narrow(name) + ":[" + Narrow(item) + "]");
  return m_behaviour.loadMainScript;
}

HRESULT FakeScriptHost::CloseEngine() {
  m_log.push_back("script.close");
  return S_OK;
}

HRESULT FakeMainWindow::Load(const wchar_t* folder, const wchar_t* path) {
  m_folder = folder;
  m_path = path;
  // What the component manager serves while the window loads.
  std::string served;
  for (const wchar_t* name : {contracts::kMainWindow, contracts::kMsgManagerName,
                              contracts::kScriptHostName}) {
    ComPtr<IUnknown> found;
    served += SUCCEEDED(components::GetService(name, IID_PPV_ARGS(&found))) ? "+" : "-";
  }
  m_log.push_back("window.load" + served);
  return m_load;
}

HRESULT FakeMainWindow::Destroy() {
  m_log.push_back("window.destroy");
  return S_OK;
}

int RecordingLoop::Run() {
  ComPtr<ICommandLineService> cmdline;
  LONG processed = 0;
  if (SUCCEEDED(components::GetService(contracts::kCommandLine, cmdline)))
    (void)cmdline->get_processedCount(&processed);
  m_log.push_back(processed > 0 ? "loop.run:handed" : "loop.run");
  return result;
}

HRESULT FakeParts::CreateMessageManager(IAppMessageManager** manager) {
  m_log.push_back("create.msgmgr");
  *manager = nullptr;
  if (FAILED(messageManagerResult)) return messageManagerResult;
  FakeMessageManager* impl = nullptr;
  RETURN_IF_FAILED(FakeMessageManager::CreateObject(&impl, m_log));
  impl->Loop().result = loopResult;
  *manager = impl;
  return S_OK;
}

HRESULT FakeParts::CreateScriptHost(IScriptControl** host) {
  m_log.push_back("create.script");
  *host = nullptr;
  if (FAILED(scriptHostResult)) return scriptHostResult;
  return FakeScriptHost::Create(host, m_log, script);
}

HRESULT FakeParts::CreateMainWindow(IAppMainWindow** out) {
  m_log.push_back("create.window");
  *out = nullptr;
  if (FAILED(mainWindowResult)) return mainWindowResult;
  FakeMainWindow* impl = nullptr;
  RETURN_IF_FAILED(FakeMainWindow::CreateObject(&impl, m_log, mainWindowLoad));
  window = impl;
  *out = impl;
  return S_OK;
}

void FakeParts::ShowMessage(const wchar_t* text, UINT icon) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%u", icon);
  m_log.push_back("box:" + Units(text) + ":" + buf);
}

}  // namespace velmor::test
