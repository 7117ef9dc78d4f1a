#include "script/script_engine_owner.h"

#include <cwchar>
#include <initializer_list>

#include "base/bstr.h"
#include "script/script_debug_support.h"
#include "script/script_engine.h"
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

HRESULT ScriptEngineOwner::CreateLoader(IUnknown* outer) {
  return CJSSubScriptLoader::Create(outer, m_loader.ReleaseAndGetAddressOf());
}

HRESULT ScriptEngineOwner::CreateDebugSupport(IUnknown* outer) {
  if (m_debugSupport) return S_OK;
  return CJScriptDebugSupport::CreateFor(outer, m_debugSupport.ReleaseAndGetAddressOf(), &m_debug);
}

HRESULT ScriptEngineOwner::QueryAggregated(REFIID riid, void** ppv) noexcept {
  // The owner's IDispatch is the loader's.
  if (m_loader && IsOneOf(riid, {&__uuidof(IJSSubScriptLoader), &IID_IDispatch}))
    return m_loader->QueryInterface(riid, ppv);
  if (m_debugSupport &&
      IsOneOf(riid, {&__uuidof(ActiveScriptSiteDebug), &__uuidof(IDebugDocumentHost),
                     &__uuidof(IScriptControlDebug)}))
    return m_debugSupport->QueryInterface(riid, ppv);
  return E_NOINTERFACE;
}

HRESULT ScriptEngineOwner::CreateEngine(IActiveScriptSite* site, const EngineCreation& how) {
  if (site == nullptr) return E_POINTER;
  if (m_engine || !m_loader) return E_UNEXPECTED;
  RETURN_IF_FAILED(CreateJScriptEngine(&m_engine));
  HRESULT hr = how.siteBeforeParser ? m_engine->SetScriptSite(site) : S_OK;
  if (SUCCEEDED(hr)) {
    hr = m_engine->QueryInterface(__uuidof(IActiveScriptParseT),
                                  reinterpret_cast<void**>(m_parser.GetAddressOf()));
  }
  if (FAILED(hr)) {
    // An engine that already holds the site lets go of it only when closed.
    if (how.siteBeforeParser) m_engine->Close();
    m_engine.Reset();
    return hr;
  }
  if (!how.siteBeforeParser) hr = m_engine->SetScriptSite(site);
  if (SUCCEEDED(hr) && how.procedureParser) {
    // Not checked: without it only compiling function objects fails.
    (void)m_engine->QueryInterface(__uuidof(IActiveScriptParseProcedureT),
                                   reinterpret_cast<void**>(m_procedure.GetAddressOf()));
  }
  if (SUCCEEDED(hr)) hr = m_parser->InitNew();
  if (SUCCEEDED(hr)) hr = m_engine->GetScriptDispatch(nullptr, &m_global);
  if (SUCCEEDED(hr)) hr = m_engine->AddNamedItem(kScriptLoaderName, kLoaderItemFlags);
  if (SUCCEEDED(hr) && how.startBeforePrelude) hr = m_engine->SetScriptState(SCRIPTSTATE_STARTED);
  if (FAILED(hr)) {
    // The engine may hold the site already: closing it lets go of the site.
    ComPtr<IActiveScript> engine = m_engine;
    ReleaseEngineParts();
    engine->Close();
    return hr;
  }
  // The prelude runs in every new engine before anything else; its result does not matter.
  return RunPrelude();
}

HRESULT ScriptEngineOwner::RunPrelude() {
  ComPtr<IJSSubScriptLoader> loader;
  RETURN_IF_FAILED(m_loader->QueryInterface(IID_PPV_ARGS(&loader)));
  UniqueBstr module(L"ui.dll"), name(L"default.js"), item(L"");
  RETURN_HR_IF(E_OUTOFMEMORY, !module.Get() || !name.Get() || !item.Get());
  (void)loader->LoadSubScriptFromResource(module.Get(), name.Get(), item.Get());
  return S_OK;
}

HRESULT ScriptEngineOwner::SetScriptState(SCRIPTSTATE state) {
  if (!m_engine) return E_UNEXPECTED;
  return m_engine->SetScriptState(state);
}

HRESULT ScriptEngineOwner::GetScriptState(SCRIPTSTATE* state) {
  if (state == nullptr) return E_POINTER;
  if (!m_engine) return E_UNEXPECTED;
  return m_engine->GetScriptState(state);
}

HRESULT ScriptEngineOwner::AddObject(LPCOLESTR name, IUnknown* object) {
  if (name == nullptr || object == nullptr) return E_POINTER;
  if (!m_engine) return E_UNEXPECTED;
  try {
    // Names are exact: "Foo" and "foo" are two items.
    if (!m_namedItems.emplace(name, object).second) return E_FAIL;
    ComPtr<IActiveScript> engine = m_engine;
    return engine->AddNamedItem(name, kObjectItemFlags);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT ScriptEngineOwner::Parse(LPCOLESTR code, LPCOLESTR itemName, DWORD flags,
                                 VARIANT* result) {
  if (code == nullptr) return E_POINTER;
  if (!m_engine || !m_parser) return E_UNEXPECTED;
  // The engine may call back into the owner and close it (a script closing its window): keep
  // both alive for the call.
  ComPtr<IActiveScript> engine = m_engine;
  ComPtr<IActiveScriptParseT> parser = m_parser;
  return ParseScriptTextInto(parser.Get(), engine.Get(), m_debug, code, itemName, flags, result);
}

HRESULT ScriptEngineOwner::Evaluate(LPCOLESTR code, LPCOLESTR itemName, VARIANT* result) {
  if (result != nullptr) return Parse(code, itemName, SCRIPTTEXT_ISEXPRESSION, result);
  UniqueVariant ignored;
  return Parse(code, itemName, SCRIPTTEXT_ISEXPRESSION, &ignored);
}

HRESULT ScriptEngineOwner::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                       ITypeInfo** typeInfo, IUnknown* scriptLoader) {
  if (item != nullptr) *item = nullptr;
  if (typeInfo != nullptr) *typeInfo = nullptr;
  try {
    if (mask & SCRIPTINFO_IUNKNOWN) {
      if (item == nullptr) return E_POINTER;
      if (name == nullptr) return E_INVALIDARG;
      IUnknown* found = nullptr;
      if (scriptLoader != nullptr && _wcsicmp(name, kScriptLoaderName) == 0) {
        found = scriptLoader;
      } else {
        const auto entry = m_namedItems.find(name);
        if (entry != m_namedItems.end()) found = entry->second.Get();
      }
      if (found == nullptr) return TYPE_E_ELEMENTNOTFOUND;
      found->AddRef();
      *item = found;
    }
    if (mask & SCRIPTINFO_ITYPEINFO) {
      HRESULT hr = TYPE_E_ELEMENTNOTFOUND;
      if (typeInfo == nullptr) {
        hr = E_POINTER;
      } else if (name != nullptr) {
        // "ScriptLoader" is not special here.
        const auto entry = m_namedItems.find(name);
        ComPtr<IProvideClassInfo> classInfo;
        if (entry != m_namedItems.end() && entry->second &&
            SUCCEEDED(entry->second->QueryInterface(IID_PPV_ARGS(&classInfo))) && classInfo)
          hr = classInfo->GetClassInfo(typeInfo);
      }
      if (FAILED(hr) && item != nullptr && *item != nullptr) {
        (*item)->Release();
        *item = nullptr;
      }
      return hr;
    }
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

void ScriptEngineOwner::ReleaseEngineParts() {
  m_procedure.Reset();
  m_global.Reset();
  m_parser.Reset();
  m_engine.Reset();
}

void ScriptEngineOwner::CloseEngine() {
  if (m_engine) {
    ComPtr<IActiveScript> engine = m_engine;
    ForgetLastCallResult();
    engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    engine->SetScriptState(SCRIPTSTATE_CLOSED);
    engine->Close();
  }
  ReleaseEngineParts();
  // The debug document holds the owner through its document host: let go of it now.
  if (m_debug != nullptr) m_debug->DetachDocumentHost();
}

void ScriptEngineOwner::ForgetLastCallResult() {
  // Wine's engine keeps the result of the last call a script made until its next call, past the
  // engine's close: a handler "find('logo');" whose function returns an element, or one that
  // returns early after such a call, would keep that element (and through its handlers the
  // engine) alive for good. One more call, to a function literal no skin can replace, takes its
  // place. Its result does not matter.
  if (!m_parser) return;
  ComPtr<IActiveScriptParseT> parser = m_parser;
  (void)parser->ParseScriptText(L"(function () {})();", nullptr, nullptr, nullptr, 0, 0, 0,
                                nullptr, nullptr);
}

void ScriptEngineOwner::ReleaseAll() {
  CloseEngine();
  m_namedItems.clear();
  m_debug = nullptr;
  m_debugSupport.Reset();
  m_loader.Reset();
}

[[nodiscard]] HRESULT BreakIntoDebugger(IUnknown* owner) {
  if (owner == nullptr) return E_POINTER;
  ComPtr<IScriptControlDebug> debug;
  ComPtr<IRemoteDebugApplication> application;
  RETURN_IF_FAILED(owner->QueryInterface(IID_PPV_ARGS(&debug)));
  RETURN_IF_FAILED(debug->GetDebugApplication(
      __uuidof(IRemoteDebugApplication), reinterpret_cast<void**>(application.GetAddressOf())));
  RETURN_HR_IF_NULL(E_FAIL, application);
  return application->CauseBreak();
}

}  // namespace velmor
