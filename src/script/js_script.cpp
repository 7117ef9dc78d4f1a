#include "script/js_script.h"

#include "base/bstr.h"
#include "components/component_manager.h"
#include "components/preferences.h"
#include "script/script_settings.h"

namespace velmor {

HRESULT CJScript::FinalConstruct() { return m_owner.CreateLoader(GetUnknown()); }

void CJScript::FinalRelease() { m_owner.ReleaseAll(); }

HRESULT CJScript::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  return m_owner.QueryAggregated(riid, ppv);
}

HRESULT CJScript::CreateDebugSupport() { return m_owner.CreateDebugSupport(GetUnknown()); }

HRESULT CJScript::CreateEngine(const wchar_t* /*language: always JScript*/) {
  // The host moves to STARTED itself, after the prelude.
  return m_owner.CreateEngine(static_cast<IActiveScriptSite*>(this), EngineCreation{});
}

HRESULT CJScript::SetScriptState(SCRIPTSTATE state) { return m_owner.SetScriptState(state); }

HRESULT CJScript::LoadMainScript() {
  ComPtr<IJSSubScriptLoader> loader;
  if (FAILED(QueryInterface(IID_PPV_ARGS(&loader))) || !loader) return E_NOINTERFACE;
  UniqueBstr name(L"main.js"), item(L"");
  RETURN_HR_IF(E_OUTOFMEMORY, !name.Get() || !item.Get());
  return loader->LoadSubScript(name.Get(), item.Get());
}

// IActiveScriptSite

STDMETHODIMP CJScript::GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask, IUnknown** ppiunkItem,
                                   ITypeInfo** ppti) {
  // "ScriptLoader" is the host itself, whose IDispatch is the loader's.
  return m_owner.GetItemInfo(pstrName, dwReturnMask, ppiunkItem, ppti, GetUnknown());
}

// IScriptControl

STDMETHODIMP CJScript::AddObject(LPCOLESTR pszName, IUnknown* pObject) {
  return m_owner.AddObject(pszName, pObject);
}

STDMETHODIMP CJScript::AddCode(LPCOLESTR pszCode, LPCOLESTR pszItemName) {
  return m_owner.Parse(pszCode, NoneIfEmpty(pszItemName), SCRIPTTEXT_ISVISIBLE, nullptr);
}

STDMETHODIMP CJScript::Evaluate(LPCOLESTR pszExpresstion, LPCOLESTR pszItemName,
                                VARIANT* pVarResult) {
  return m_owner.Evaluate(pszExpresstion, NoneIfEmpty(pszItemName), pVarResult);
}

STDMETHODIMP CJScript::Run(LPCOLESTR pszProcedureName, VARIANT* pvarParams, int nParams,
                           VARIANT* pVarResult) {
  return RunWith(FunctionLookup::kAuto, pszProcedureName, pvarParams, nParams, pVarResult);
}

HRESULT CJScript::RunWith(FunctionLookup lookup, LPCOLESTR pszProcedureName, VARIANT* pvarParams,
                          int nParams, VARIANT* pVarResult) {
  if (pszProcedureName == nullptr) return E_POINTER;
  if (nParams < 0) return E_INVALIDARG;
  if (nParams > 0 && pvarParams == nullptr) return E_POINTER;
  if (m_owner.Global() == nullptr) return E_UNEXPECTED;
  try {
    ComPtr<IDispatch> global = m_owner.Global();
    DISPID id = DISPID_UNKNOWN;
    RETURN_IF_FAILED(FindGlobalFunction(global.Get(), pszProcedureName, &id, lookup));
    // Dispatch order: the caller's array is passed as it is, last argument first.
    DISPPARAMS params = {pvarParams, nullptr, static_cast<UINT>(nParams), 0};
    return global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, pVarResult,
                          nullptr, nullptr);
  }
  VELMOR_CATCH_RETURN()
}

// IAppScriptHost

STDMETHODIMP CJScript::CloseEngine() {
  m_owner.CloseEngine();
  return S_OK;
}

// Creating the application script host

[[nodiscard]] HRESULT CreateApplicationScriptHost(IScriptControl** host) {
  if (host == nullptr) return E_POINTER;
  *host = nullptr;
  const bool debugging = GetPrefBool(kPrefScriptDebugEnable, 0) != 0;
  SetScriptDebuggingEnabled(debugging);

  CJScript* script = nullptr;
  RETURN_IF_FAILED(CJScript::CreateObject(&script));
  // mingw's ComPtr::Attach adds a reference of its own: take over the creation's by hand.
  ComPtr<IScriptControl> control(static_cast<IScriptControl*>(script));
  script->Release();
  // Without a process debug manager the host runs without debug support.
  if (debugging) (void)script->CreateDebugSupport();

  HRESULT hr = script->CreateEngine(L"JScript");
  if (SUCCEEDED(hr)) hr = script->SetScriptState(SCRIPTSTATE_STARTED);
  if (SUCCEEDED(hr)) {
    ComPtr<IServiceManager> components;
    if (SUCCEEDED(components::GetServiceManager(&components)) && components)
      (void)script->AddObject(L"Components", components.Get());
    hr = script->SetScriptState(SCRIPTSTATE_CONNECTED);
  }
  if (FAILED(hr)) {
    script->CloseEngine();
    return hr;
  }
  *host = control.Detach();

  if (debugging && script->HasDebugSupport() &&
      GetPrefBool(kPrefScriptDebugAutoBreak, 0) != 0)
    (void)BreakIntoDebugger(*host);
  return S_OK;
}

}  // namespace velmor
