// The preferences service: boolean and integer preferences stored as REG_DWORD values under
// HKEY_CURRENT_USER. A preference that was never set is a failure, so callers use their default.
#include <cwchar>

#include "base/bstr.h"
#include "base/handles.h"
#include "services.h"

namespace vmrt {
namespace {

// Script-visible methods of the service (its interface is not an automation interface, so the
// dispatch part is written out here).
enum PrefDispId : DISPID { kGetBool = 1, kSetBool, kGetInt, kSetInt, kClear, kSave };
struct PrefMethod {
  const wchar_t* name;
  DISPID id;
};
constexpr PrefMethod kMethods[] = {{L"getBoolPref", kGetBool}, {L"setBoolPref", kSetBool},
                                   {L"getIntPref", kGetInt},   {L"setIntPref", kSetInt},
                                   {L"clearPref", kClear},     {L"savePrefs", kSave}};

class CPreferencesService final
    : public velmor::ComObject<CPreferencesService, IPreferencesService,
                               velmor::Also<IDispatch, IPreferencesService>> {
 public:
  STDMETHODIMP SetBoolPref(LPCWSTR name, VARIANT_BOOL value) override {
    return Write(name, value == VARIANT_FALSE ? 0 : 1);
  }
  STDMETHODIMP SavePrefs(IUnknown*) override {
    velmor::UniqueHKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPreferencesKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          key.Put(), nullptr) != ERROR_SUCCESS)
      return S_OK;  // nothing was ever written, so nothing is lost
    const LSTATUS st = ::RegFlushKey(key.Get());
    return st == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(st);
  }
  STDMETHODIMP GetIntPref(LPCWSTR name, LONG* value) override {
    if (value == nullptr) return E_POINTER;
    DWORD data = 0;
    RETURN_IF_FAILED(Read(name, &data));
    *value = static_cast<LONG>(data);
    return S_OK;
  }
  STDMETHODIMP GetBoolPref(LPCWSTR name, VARIANT_BOOL* value) override {
    if (value == nullptr) return E_POINTER;
    DWORD data = 0;
    RETURN_IF_FAILED(Read(name, &data));
    *value = data != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  STDMETHODIMP SetIntPref(LPCWSTR name, LONG value) override {
    return Write(name, static_cast<DWORD>(value));
  }
  STDMETHODIMP ClearPref(LPCWSTR name) override {
    if (name == nullptr) return E_POINTER;
    const LSTATUS st = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPreferencesKey, name);
    return st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(st);
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    for (const PrefMethod& m : kMethods)
      if (names[0] && _wcsicmp(names[0], m.name) == 0) ids[0] = m.id;
    if (ids[0] == DISPID_UNKNOWN || count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr) return E_INVALIDARG;
    const UINT argc = params->cArgs;
    // Arguments arrive in reverse order: the name is the last one.
    auto arg = [&](UINT i, VARTYPE vt, VARIANT* out) {
      ::VariantInit(out);
      return ::VariantChangeType(out, &params->rgvarg[argc - 1 - i], 0, vt);
    };
    velmor::UniqueVariant name;
    if (id != kSave) {
      if (argc < 1) return DISP_E_BADPARAMCOUNT;
      RETURN_IF_FAILED(arg(0, VT_BSTR, name.Put()));
    }
    const wchar_t* n = name.vt == VT_BSTR && name.bstrVal ? name.bstrVal : L"";
    velmor::UniqueVariant value;
    switch (id) {
      case kGetBool: {
        VARIANT_BOOL b = VARIANT_FALSE;
        RETURN_IF_FAILED(GetBoolPref(n, &b));
        if (result) { ::VariantInit(result); result->vt = VT_BOOL; result->boolVal = b; }
        return S_OK;
      }
      case kGetInt: {
        LONG v = 0;
        RETURN_IF_FAILED(GetIntPref(n, &v));
        if (result) { ::VariantInit(result); result->vt = VT_I4; result->lVal = v; }
        return S_OK;
      }
      case kSetBool:
      case kSetInt:
        if (argc < 2) return DISP_E_BADPARAMCOUNT;
        RETURN_IF_FAILED(arg(1, id == kSetBool ? VT_BOOL : VT_I4, value.Put()));
        return id == kSetBool ? SetBoolPref(n, value.boolVal) : SetIntPref(n, value.lVal);
      case kClear:
        return ClearPref(n);
      case kSave:
        return SavePrefs(nullptr);
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  [[nodiscard]] static HRESULT Read(LPCWSTR name, DWORD* data) {
    if (name == nullptr) return E_POINTER;
    DWORD type = 0, size = sizeof(*data);
    const LSTATUS st = ::RegGetValueW(HKEY_CURRENT_USER, kPreferencesKey, name, RRF_RT_REG_DWORD,
                                      &type, data, &size);
    return st == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(st);
  }
  [[nodiscard]] static HRESULT Write(LPCWSTR name, DWORD data) {
    if (name == nullptr) return E_POINTER;
    velmor::UniqueHKey key;
    LSTATUS st = ::RegCreateKeyExW(HKEY_CURRENT_USER, kPreferencesKey, 0, nullptr, 0, KEY_WRITE,
                                   nullptr, key.Put(), nullptr);
    if (st == ERROR_SUCCESS)
      st = ::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof(data));
    return st == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(st);
  }
};

}  // namespace

[[nodiscard]] HRESULT CreatePreferencesService(REFIID iid, void** object) {
  velmor::ComPtr<IPreferencesService> service;
  RETURN_IF_FAILED(CPreferencesService::Create(service));
  return service->QueryInterface(iid, object);
}

}  // namespace vmrt
