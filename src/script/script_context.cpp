#include "script/script_context_object.h"

#include <new>
#include <string>

#include "base/bstr.h"
#include "script/script_engine.h"
#include "script/script_settings.h"

namespace velmor {
namespace {

// The script language number of JavaScript.
constexpr LONG kJavaScriptTypeId = 2;
constexpr const wchar_t* kEventParameter = L"event";

}  // namespace

[[nodiscard]] HRESULT BuildParameterList(ULONG argCount, const wchar_t* const* argNames, std::wstring& list) {
  list.clear();
  if (argCount == 0) return S_OK;
  try {
    if (argNames == nullptr) {
      list = kEventParameter;
      return S_OK;
    }
    for (ULONG i = 0; i < argCount; ++i) {
      const wchar_t* name = argNames[i];
      if (name == nullptr) {
        if (i != 0) return E_INVALIDARG;
        name = kEventParameter;
      }
      if (i != 0) list += L',';
      list += name;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT scScriptContext::FinalConstruct() { return m_owner.CreateLoader(GetUnknown()); }

void scScriptContext::FinalRelease() { m_owner.ReleaseAll(); }

HRESULT scScriptContext::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (IsEqualIID(riid, __uuidof(scScriptContext))) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  return m_owner.QueryAggregated(riid, ppv);
}

ComPtr<scScriptContext> scScriptContext::FromUnknown(IUnknown* object) {
  ComPtr<scScriptContext> context;
  if (object == nullptr ||
      FAILED(object->QueryInterface(__uuidof(scScriptContext),
                                    reinterpret_cast<void**>(context.GetAddressOf()))))
    return nullptr;
  return context;
}

HRESULT scScriptContext::CreateEngine(const wchar_t* /*language: always JScript*/) {
  EngineCreation how;
  how.procedureParser = true;
  how.siteBeforeParser = true;
  how.startBeforePrelude = true;
  return m_owner.CreateEngine(static_cast<IActiveScriptSite*>(this), how);
}

void scScriptContext::Close() {
  if (!HasEngine()) return;
  m_owner.CloseEngine();
  m_owner.ClearNamedItems();
}

// IActiveScriptSite

STDMETHODIMP scScriptContext::GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask,
                                          IUnknown** ppiunkItem, ITypeInfo** ppti) {
  // "ScriptLoader" is the context asked for IDispatch, which is the loader's.
  ComPtr<IUnknown> loader;
  if (m_owner.Loader() != nullptr) {
    ComPtr<IDispatch> dispatch;
    if (SUCCEEDED(QueryInterface(IID_PPV_ARGS(&dispatch)))) loader = dispatch;
  }
  return m_owner.GetItemInfo(pstrName, dwReturnMask, ppiunkItem, ppti, loader.Get());
}

// scIScriptContext

LONG scScriptContext::GetScriptTypeId() { return kJavaScriptTypeId; }

HRESULT scScriptContext::AddObject(const wchar_t* name, IUnknown* object) {
  return m_owner.AddObject(name, object);
}

HRESULT scScriptContext::GetScriptDispatch(const wchar_t* itemName, IDispatch** dispatch) {
  if (dispatch == nullptr) return E_POINTER;
  *dispatch = nullptr;
  IActiveScript* engine = m_owner.Engine();
  if (engine == nullptr) return E_UNEXPECTED;
  return engine->GetScriptDispatch(itemName, dispatch);
}

HRESULT scScriptContext::Reserved(IUnknown*) { return E_NOTIMPL; }

HRESULT scScriptContext::ExecuteScript(const wchar_t* code, const wchar_t* itemName) {
  if (code == nullptr) return E_POINTER;
  return m_owner.Parse(code, NoneIfEmpty(itemName), SCRIPTTEXT_ISVISIBLE, nullptr);
}

HRESULT scScriptContext::CompileEventHandler(const wchar_t* itemName, IDispatch** handler,
                                             ULONG argCount, const wchar_t* const* argNames,
                                             const wchar_t* code) {
  if (itemName == nullptr || handler == nullptr) return E_POINTER;
  *handler = nullptr;
  if (code == nullptr) return E_POINTER;
  IActiveScriptParseT* parser = m_owner.Parser();
  if (parser == nullptr) return E_UNEXPECTED;
  std::wstring parameters;
  RETURN_IF_FAILED(BuildParameterList(argCount, argNames, parameters));
  // The text reaches the engine as a scriptlet, but no function object comes back this way:
  // handlers are compiled with CompileFunction.
  ComPtr<IActiveScriptParseT> keep = parser;
  UniqueBstr name;
  EXCEPINFO exception{};
  (void)keep->AddScriptlet(nullptr, code, itemName, nullptr, parameters.c_str(), nullptr, 0, 0, 0,
                           name.Put(), &exception);
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  return E_NOTIMPL;
}

HRESULT scScriptContext::Connect() {
  SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
  const HRESULT hr = m_owner.GetScriptState(&state);
  if (FAILED(hr)) return hr;
  if (state != SCRIPTSTATE_STARTED && state != SCRIPTSTATE_DISCONNECTED) return hr;
  return m_owner.SetScriptState(SCRIPTSTATE_CONNECTED);
}

HRESULT scScriptContext::EvaluateString(const wchar_t* code, const wchar_t* itemName,
                                        VARIANT* result) {
  // Unlike ExecuteScript, the item name goes to the engine as it is.
  return m_owner.Evaluate(code, itemName, result);
}

HRESULT scScriptContext::CompileFunction(const wchar_t* name, ULONG argCount,
                                         const wchar_t* const* argNames, const wchar_t* body,
                                         IDispatch** function) {
  if (body == nullptr || function == nullptr) return E_POINTER;
  *function = nullptr;
  IActiveScriptParseProcedureT* procedure = m_owner.ProcedureParser();
  if (procedure == nullptr) return E_UNEXPECTED;
  std::wstring parameters;
  RETURN_IF_FAILED(BuildParameterList(argCount, argNames, parameters));
  ComPtr<IActiveScriptParseProcedureT> keep = procedure;
  return keep->ParseProcedureText(body, parameters.c_str(), name, nullptr, nullptr, nullptr, 0, 0,
                                  0, function);
}

HRESULT scScriptContext::CreateDebugSupport() { return m_owner.CreateDebugSupport(GetUnknown()); }

// Creating and closing a window's context

[[nodiscard]] HRESULT CreateDocumentScriptContext(scIScriptContext** context) {
  if (context == nullptr) return E_POINTER;
  *context = nullptr;
  ComPtr<scIScriptContext> created;
  RETURN_IF_FAILED(scScriptContext::Create(created));
  scScriptContext* impl = static_cast<scScriptContext*>(created.Get());
  const bool debugging = IsScriptDebuggingEnabled();
  // Without a process debug manager the context runs without debug support.
  if (debugging) (void)created->CreateDebugSupport();
  RETURN_IF_FAILED(impl->CreateEngine(L"JavaScript"));
  *context = created.Detach();
  // With debugging on every new window's scripts stop in the debugger, whatever the
  // application's autobreak preference says.
  if (debugging && impl->HasDebugSupport()) (void)BreakIntoDebugger(*context);
  return S_OK;
}

void CloseScriptContext(IUnknown* context) {
  if (ComPtr<scScriptContext> impl = scScriptContext::FromUnknown(context)) impl->Close();
}

}  // namespace velmor
