// Test doubles of the objects the start-up sequence builds on. Every call they receive is
// appended to one shared log so tests can compare the exact order of the steps.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "support/no_dispatch.h"
#include "host/app_parts.h"
#include "vmrt.h"

namespace velmor::test {

using CallLog = std::vector<std::string>;

std::string Narrow(const wchar_t* text);
// The UTF-16 code units of a text as hexadecimal digits (how message texts are logged).
std::string Units(const wchar_t* text);

// A message loop that does not wait for messages: records its run and answers 'result'.
class RecordingLoop : public CMessageLoop {
 public:
  explicit RecordingLoop(CallLog& log) : m_log(log) {}
  // Logged as "loop.run:handed" once the command-line service has processed a line.
  int Run() override;
  int result = 0;

 private:
  CallLog& m_log;
};

class FakeMessageManager final : public ComObject<FakeMessageManager, IAppMessageManager> {
 public:
  explicit FakeMessageManager(CallLog& log) : m_loop(log) {}
  CMessageLoop* STDMETHODCALLTYPE GetMessageLoop() override { return &m_loop; }
  RecordingLoop& Loop() { return m_loop; }

 private:
  RecordingLoop m_loop;
};

struct ScriptHostBehaviour {
  HRESULT loadMainScript = S_OK;
  HRESULT startupCall = S_OK;
  VARTYPE startupType = VT_EMPTY;  // what "MainStartup" returns
  LONG startupValue = 0;           // VT_BOOL: VARIANT_TRUE/FALSE; VT_I4: the number
};

class FakeScriptHost final
    : public ComObject<FakeScriptHost, IScriptControl, NoDispatch<IJSSubScriptLoader>,
                       Also<IDispatch, NoDispatch<IJSSubScriptLoader>>, IAppScriptHost> {
 public:
  FakeScriptHost(CallLog& log, const ScriptHostBehaviour& behaviour)
      : m_log(log), m_behaviour(behaviour) {}
  HRESULT QueryInterfaceExtra(REFIID, void**) noexcept { return E_NOINTERFACE; }

  // IScriptControl
  STDMETHODIMP AddObject(LPCOLESTR name, IUnknown* object) override;
  // Start-up never adds code or evaluates through the host.
  STDMETHODIMP AddCode(LPCOLESTR, LPCOLESTR) override { return E_NOTIMPL; }
  STDMETHODIMP Evaluate(LPCOLESTR, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Run(LPCOLESTR name, VARIANT* params, int count, VARIANT* result) override;
  // IJSSubScriptLoader
  STDMETHODIMP LoadSubScript(BSTR name, BSTR item) override;
  STDMETHODIMP LoadSubScriptFromFile(BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP LoadSubScriptFromResource(BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP LoadSubScriptFromStream(IUnknown*, BSTR) override { return E_NOTIMPL; }
  // IAppScriptHost
  HRESULT STDMETHODCALLTYPE CloseEngine() override;

 private:
  CallLog& m_log;
  ScriptHostBehaviour m_behaviour;
};

class FakeMainWindow final : public ComObject<FakeMainWindow, IAppMainWindow> {
 public:
  FakeMainWindow(CallLog& log, HRESULT load) : m_log(log), m_load(load) {}
  HRESULT STDMETHODCALLTYPE Load(const wchar_t* folder, const wchar_t* path) override;
  HRESULT STDMETHODCALLTYPE Destroy() override;
  std::wstring m_folder, m_path;

 private:
  CallLog& m_log;
  HRESULT m_load;
};

// Start-up parts made of the doubles above; each creation can be made to fail.
class FakeParts final : public AppParts {
 public:
  explicit FakeParts(CallLog& log) : m_log(log) {}
  HRESULT CreateMessageManager(IAppMessageManager** manager) override;
  HRESULT CreateScriptHost(IScriptControl** host) override;
  HRESULT CreateMainWindow(IAppMainWindow** window) override;
  void EmptyImageCache() override { m_log.push_back("images.empty"); }
  void ShowMessage(const wchar_t* text, UINT icon) override;

  HRESULT messageManagerResult = S_OK;
  HRESULT scriptHostResult = S_OK;
  HRESULT mainWindowResult = S_OK;
  HRESULT mainWindowLoad = S_OK;
  int loopResult = 0;
  ScriptHostBehaviour script;
  ComPtr<FakeMainWindow> window;  // the last window created

 private:
  CallLog& m_log;
};

}  // namespace velmor::test
