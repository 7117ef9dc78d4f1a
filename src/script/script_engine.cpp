#include "script/script_engine.h"

#include <cwchar>

#include "base/bstr.h"
#include "base/platform.h"
#include "script/script_debug_support.h"

namespace velmor {
namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

[[nodiscard]] HRESULT CreateFromLibrary(IActiveScript** engine) {
  const HMODULE library = ::LoadLibraryExW(L"jscript.dll", nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) return HResultFromLastError();
  HRESULT hr = E_FAIL;
  const auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(::GetProcAddress(library, "DllGetClassObject"));
  if (getClassObject != nullptr) {
    ComPtr<IClassFactory> factory;
    hr = getClassObject(kClsidJScript, IID_IClassFactory,
                        reinterpret_cast<void**>(factory.GetAddressOf()));
    if (SUCCEEDED(hr) && factory) {
      hr = factory->CreateInstance(nullptr, IID_IActiveScript, reinterpret_cast<void**>(engine));
    } else if (SUCCEEDED(hr)) {
      hr = E_FAIL;
    }
  }
  // On success the library stays loaded: the engine's code lives there.
  if (FAILED(hr)) ::FreeLibrary(library);
  return hr;
}

[[nodiscard]] HRESULT GetProperty(IDispatchEx* object, const wchar_t* name, DWORD nameFlags, VARIANT* value) {
  UniqueBstr bname(name);
  RETURN_IF_NULL_ALLOC(bname.Get());
  DISPID id = DISPID_UNKNOWN;
  RETURN_IF_FAILED(object->GetDispID(bname.Get(), nameFlags, &id));
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return object->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                          nullptr);
}

[[nodiscard]] HRESULT GetObjectProperty(IDispatchEx* object, const wchar_t* name, ComPtr<IDispatchEx>& out) {
  UniqueVariant value;
  RETURN_IF_FAILED(GetProperty(object, name, fdexNameCaseSensitive, value.Put()));
  if (value.vt != VT_DISPATCH || value.pdispVal == nullptr) return E_FAIL;
  return value.pdispVal->QueryInterface(IID_IDispatchEx,
                                        reinterpret_cast<void**>(out.GetAddressOf()));
}

// Object.prototype.toString.call(value) == "[object Function]": the engine's own answer to
// "is this a function", which no property a script adds to the value can fake.
bool IsScriptFunction(IDispatchEx* global, IDispatch* value) {
  ComPtr<IDispatchEx> objectCtor, prototype, toString;
  if (FAILED(GetObjectProperty(global, L"Object", objectCtor)) ||
      FAILED(GetObjectProperty(objectCtor.Get(), L"prototype", prototype)) ||
      FAILED(GetObjectProperty(prototype.Get(), L"toString", toString)))
    return false;
  VARIANT self;
  self.vt = VT_DISPATCH;
  self.pdispVal = value;
  DISPID thisId = DISPID_THIS;
  DISPPARAMS params = {&self, &thisId, 1, 1};
  UniqueVariant text;
  if (FAILED(toString->InvokeEx(DISPID_VALUE, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                text.Put(), nullptr, nullptr)))
    return false;
  return text.vt == VT_BSTR && text.bstrVal != nullptr &&
         std::wcscmp(text.bstrVal, L"[object Function]") == 0;
}

[[nodiscard]] HRESULT FindByDispatch(IDispatch* global, LPCOLESTR name, DISPID* id) {
  ComPtr<IDispatchEx> scope;
  RETURN_IF_FAILED(
      global->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(scope.GetAddressOf())));
  UniqueBstr bname(name);
  RETURN_IF_NULL_ALLOC(bname.Get());
  DISPID found = DISPID_UNKNOWN;
  if (FAILED(scope->GetDispID(bname.Get(), fdexNameCaseSensitive, &found))) return E_FAIL;
  UniqueVariant value;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (FAILED(scope->InvokeEx(found, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.Put(),
                             nullptr, nullptr)))
    return E_FAIL;
  if (value.vt != VT_DISPATCH || value.pdispVal == nullptr ||
      !IsScriptFunction(scope.Get(), value.pdispVal))
    return E_FAIL;
  *id = found;
  return S_OK;
}

[[nodiscard]] HRESULT FindByTypeInfo(IDispatch* global, LPCOLESTR name, DISPID* id) {
  ComPtr<ITypeInfo> info;
  RETURN_IF_FAILED(global->GetTypeInfo(0, ::GetUserDefaultLCID(), &info));
  RETURN_HR_IF_NULL(E_FAIL, info);
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(info->GetTypeAttr(&attr));
  const UINT count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* desc = nullptr;
    RETURN_IF_FAILED(info->GetFuncDesc(i, &desc));
    const bool candidate = desc->funckind == FUNC_DISPATCH && desc->invkind == INVOKE_FUNC;
    const MEMBERID member = desc->memid;
    info->ReleaseFuncDesc(desc);
    if (!candidate) continue;
    UniqueBstr first;
    UINT names = 0;
    RETURN_IF_FAILED(info->GetNames(member, first.Put(), 1, &names));
    if (names >= 1 && first.Get() != nullptr && std::wcscmp(first.Get(), name) == 0) {
      *id = member;
      return S_OK;
    }
  }
  return E_FAIL;
}

}  // namespace

[[nodiscard]] HRESULT CreateJScriptEngine(IActiveScript** engine) {
  if (engine == nullptr) return E_POINTER;
  *engine = nullptr;
  const HRESULT hr = ::CoCreateInstance(kClsidJScript, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IActiveScript, reinterpret_cast<void**>(engine));
  if (SUCCEEDED(hr) && *engine != nullptr) return hr;
  if (*engine != nullptr) {
    (*engine)->Release();
    *engine = nullptr;
  }
  return CreateFromLibrary(engine);
}

[[nodiscard]] HRESULT ParseScriptTextInto(IActiveScriptParseT* parser, IActiveScript* engine,
                            CJScriptDebugSupport* debug, LPCOLESTR code, LPCOLESTR itemName,
                            DWORD flags, VARIANT* result) {
  if (code == nullptr) return E_POINTER;
  if (parser == nullptr) return E_UNEXPECTED;
  SourceContextCookie cookie = 0;
  if (debug != nullptr && FAILED(debug->AddScriptBlock(code, engine, &cookie))) cookie = 0;
  return parser->ParseScriptText(code, itemName, nullptr, nullptr, cookie, 0, flags, result,
                                 nullptr);
}

[[nodiscard]] HRESULT FindGlobalFunction(IDispatch* global, LPCOLESTR name, DISPID* id, FunctionLookup lookup) {
  if (id == nullptr) return E_POINTER;
  *id = DISPID_UNKNOWN;
  if (name == nullptr) return E_POINTER;
  if (global == nullptr) return E_UNEXPECTED;
  if (lookup == FunctionLookup::kAuto)
    lookup = RunningOnWine() ? FunctionLookup::kDispatch : FunctionLookup::kTypeInfo;
  return lookup == FunctionLookup::kDispatch ? FindByDispatch(global, name, id)
                                             : FindByTypeInfo(global, name, id);
}

}  // namespace velmor
