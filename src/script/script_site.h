// The engine call-back site shared by every engine owner: the locale, the stubs the engine may
// call, and the script error report. Owners list these mix-ins in their ComObject and supply
// GetItemInfo themselves.
#pragma once
#include <activscp.h>
#include <windows.h>

#include "script/script_error_report.h"

namespace velmor {

class ScriptSiteImpl : public IActiveScriptSite {
 public:
  using ComInterface = IActiveScriptSite;

  STDMETHODIMP GetLCID(LCID* plcid) override {
    if (plcid == nullptr) return E_POINTER;
    *plcid = ::GetUserDefaultLCID();
    return S_OK;
  }
  STDMETHODIMP GetDocVersionString(BSTR* pbstrVersion) override {
    if (pbstrVersion == nullptr) return E_POINTER;
    *pbstrVersion = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    return ReportScriptError(error);
  }
  STDMETHODIMP OnEnterScript() override { return E_NOTIMPL; }
  STDMETHODIMP OnLeaveScript() override { return E_NOTIMPL; }
};

// The engine gets no owner window for its own user interface.
class ScriptSiteWindowImpl : public IActiveScriptSiteWindow {
 public:
  using ComInterface = IActiveScriptSiteWindow;

  STDMETHODIMP GetWindow(HWND* phwnd) override {
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
};

}  // namespace velmor
