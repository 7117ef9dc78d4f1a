// IDispatch for the runtime's dual interfaces, driven by the runtime's own type library.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "base/com_object.h"

namespace vmrt {

// Copies a value to an out pointer: E_POINTER for a null pointer.
template <class T>
HRESULT GiveValue(T value, T* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

// Type information of one interface from the type library resource of this module (cached).
HRESULT GetRuntimeTypeInfo(REFIID iid, ITypeInfo** info);

// Mix-in implementing the IDispatch part of dual interface I.
template <class I>
class TypeInfoDispatch : public I {
 public:
  using ComInterface = I;

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetRuntimeTypeInfo(__uuidof(I), info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    velmor::ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetRuntimeTypeInfo(__uuidof(I), &info));
    return ::DispGetIDsOfNames(info.Get(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override {
    velmor::ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetRuntimeTypeInfo(__uuidof(I), &info));
    const HRESULT hr = ::DispInvoke(static_cast<I*>(this), info.Get(), id, flags, params, result,
                                    excep, argErr);
    // Scripts cannot call through a bare IUnknown: hand out objects as IDispatch when they can.
    if (SUCCEEDED(hr) && result != nullptr && result->vt == VT_UNKNOWN && result->punkVal) {
      IDispatch* disp = nullptr;
      if (SUCCEEDED(result->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp)))) {
        result->punkVal->Release();
        result->vt = VT_DISPATCH;
        result->pdispVal = disp;
      }
    }
    return hr;
  }
};

}  // namespace vmrt
