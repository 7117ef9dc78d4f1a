#include "script/js_script.h"

#include <cwchar>

#include "base/bstr.h"
#include "components/component_manager.h"
#include "host/preferences.h"
#include "script/script_debug_support.h"
#include "script/script_settings.h"
#include "script/sub_script_loader.h"

namespace velmor {
namespace {

constexpr const wchar_t* kScriptLoaderName = L"ScriptLoader";
constexpr DWORD kLoaderItemFlags = SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS;  // 10
constexpr DWORD kObjectItemFlags = SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE;       // 6

bool IsOneOf(REFIID riid, std::initializer_list<const IID*> iids) {
  for (const IID* iid : iids)
    if (IsEqualIID(riid, *iid)) return true;
  return false;
}

}  // namespace

HRESULT CJScript::FinalConstruct() {
  return CJSSubScriptLoader::Create(GetUnknown(), m_loader.ReleaseAndGetAddressOf());
}

void CJScript::FinalRelease() {
  ReleaseEngine();
  m_namedItems.clear();
  m_debug = nullptr;
  m_debugSupport.Reset();
  m_loader.Reset();
}

HRESULT CJScript::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  // The host's IDispatch is the loader's.
  if (m_loader && IsOneOf(riid, {&__uuidof(IJSSubScriptLoader), &IID_IDispatch}))
    return m_loader->QueryInterface(riid, ppv);
  if (m_debugSupport && IsOneOf(riid, {&__uuidof(ActiveScriptSiteDebug), &__uuidof(IDebugDocumentHost),
                                       &__uuidof(IScriptControlDebug)}))
    return m_debugSupport->QueryInterface(riid, ppv);
  return E_NOINTERFACE;
}

HRESULT CJScript::CreateDebugSupport() {
  if (m_debugSupport) return S_OK;
  return CJScriptDebugSupport::CreateFor(GetUnknown(), m_debugSupport.ReleaseAndGetAddressOf(),
                                         &m_debug);
}

HRESULT CJScript::CreateEngine(const wchar_t* /*language: always JScript*/) {
  if (m_engine) return E_UNEXPECTED;
  RETURN_IF_FAILED(CreateJScriptEngine(&m_engine));
  HRESULT hr = m_engine->QueryInterface(__uuidof(IActiveScriptParseT),
                                        reinterpret_cast<void**>(m_parser.GetAddressOf()));
  if (FAILED(hr)) {
    m_engine.Reset();
    return hr;
  }
  hr = m_engine->SetScriptSite(static_cast<IActiveScriptSite*>(this));
  if (SUCCEEDED(hr)) hr = m_parser->InitNew();
  if (SUCCEEDED(hr)) hr = m_engine->GetScriptDispatch(nullptr, &m_global);
  if (FAILED(hr)) {
    // The engine may hold the site already: closing it lets go of the site.
    m_global.Reset();
    m_parser.Reset();
    m_engine->Close();
    m_engine.Reset();
    return hr;
  }
  RETURN_IF_FAILED(m_engine->AddNamedItem(kScriptLoaderName, kLoaderItemFlags));

  // The prelude runs in every new engine before anything else; its result does not matter.
  ComPtr<IJSSubScriptLoader> loader;
  RETURN_IF_FAILED(m_loader->QueryInterface(IID_PPV_ARGS(&loader)));
  UniqueBstr module(L"ui.dll"), name(L"default.js"), item(L"");
  RETURN_HR_IF(E_OUTOFMEMORY, !module.Get() || !name.Get() || !item.Get());
  (void)loader->LoadSubScriptFromResource(module.Get(), name.Get(), item.Get());
  return S_OK;
}

HRESULT CJScript::SetScriptState(SCRIPTSTATE state) {
  if (!m_engine) return E_UNEXPECTED;
  return m_engine->SetScriptState(state);
}

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
  if (ppiunkItem != nullptr) *ppiunkItem = nullptr;
  if (ppti != nullptr) *ppti = nullptr;
  try {
    if (dwReturnMask & SCRIPTINFO_IUNKNOWN) {
      if (ppiunkItem == nullptr) return E_POINTER;
      if (pstrName == nullptr) return E_INVALIDARG;
      IUnknown* item = nullptr;
      if (_wcsicmp(pstrName, kScriptLoaderName) == 0) {
        item = GetUnknown();  // whose IDispatch is the loader's
      } else {
        const auto found = m_namedItems.find(pstrName);
        if (found == m_namedItems.end()) return TYPE_E_ELEMENTNOTFOUND;
        item = found->second.Get();
      }
      item->AddRef();
      *ppiunkItem = item;
    }
    if (dwReturnMask & SCRIPTINFO_ITYPEINFO) {
      HRESULT hr = TYPE_E_ELEMENTNOTFOUND;
      if (ppti == nullptr) {
        hr = E_POINTER;
      } else if (pstrName != nullptr) {
        const auto found = m_namedItems.find(pstrName);
        ComPtr<IProvideClassInfo> classInfo;
        if (found != m_namedItems.end() &&
            SUCCEEDED(found->second->QueryInterface(IID_PPV_ARGS(&classInfo))) && classInfo)
          hr = classInfo->GetClassInfo(ppti);
      }
      if (FAILED(hr) && ppiunkItem != nullptr && *ppiunkItem != nullptr) {
        (*ppiunkItem)->Release();
        *ppiunkItem = nullptr;
      }
      return hr;
    }
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

// IScriptControl

STDMETHODIMP CJScript::AddObject(LPCOLESTR pszName, IUnknown* pObject) {
  if (pszName == nullptr || pObject == nullptr) return E_POINTER;
  if (!m_engine) return E_UNEXPECTED;
  try {
    // Names are exact: "Foo" and "foo" are two items.
    if (!m_namedItems.emplace(pszName, pObject).second) return E_FAIL;
    return m_engine->AddNamedItem(pszName, kObjectItemFlags);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT CJScript::Parse(LPCOLESTR code, LPCOLESTR itemName, DWORD flags, VARIANT* result) {
  if (code == nullptr) return E_POINTER;
  if (!m_engine || !m_parser) return E_UNEXPECTED;
  // The engine may call back into this host and release it (a script closing the engine):
  // keep both alive for the call.
  ComPtr<IActiveScript> engine = m_engine;
  ComPtr<IActiveScriptParseT> parser = m_parser;
  return ParseScriptTextInto(parser.Get(), engine.Get(), m_debug, code, itemName, flags, result);
}

STDMETHODIMP CJScript::AddCode(LPCOLESTR pszCode, LPCOLESTR pszItemName) {
  return Parse(pszCode, pszItemName, SCRIPTTEXT_ISVISIBLE, nullptr);
}

STDMETHODIMP CJScript::Evaluate(LPCOLESTR pszExpresstion, LPCOLESTR pszItemName,
                                VARIANT* pVarResult) {
  if (pVarResult != nullptr)
    return Parse(pszExpresstion, pszItemName, SCRIPTTEXT_ISEXPRESSION, pVarResult);
  UniqueVariant ignored;
  return Parse(pszExpresstion, pszItemName, SCRIPTTEXT_ISEXPRESSION, &ignored);
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
  if (!m_global) return E_UNEXPECTED;
  try {
    ComPtr<IDispatch> global = m_global;
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
  ReleaseEngine();
  // The debug document holds this host through its document host: let go of it now.
  if (m_debug != nullptr) m_debug->DetachDocumentHost();
  return S_OK;
}

void CJScript::ReleaseEngine() {
  m_global.Reset();
  if (m_engine) {
    ComPtr<IActiveScript> engine = std::move(m_engine);
    engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    engine->SetScriptState(SCRIPTSTATE_CLOSED);
    engine->Close();
  }
  m_parser.Reset();
}

// Creating the application script host

HRESULT CreateApplicationScriptHost(IScriptControl** host) {
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
      GetPrefBool(kPrefScriptDebugAutoBreak, 0) != 0) {
    ComPtr<IScriptControlDebug> debug;
    ComPtr<IRemoteDebugApplication> application;
    if (SUCCEEDED((*host)->QueryInterface(IID_PPV_ARGS(&debug))) &&
        SUCCEEDED(debug->GetDebugApplication(__uuidof(IRemoteDebugApplication),
                                             reinterpret_cast<void**>(application.GetAddressOf()))))
      application->CauseBreak();
  }
  return S_OK;
}

}  // namespace velmor
