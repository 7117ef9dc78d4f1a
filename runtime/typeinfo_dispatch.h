// IDispatch for the runtime's dual interfaces, driven by the runtime's own type library.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "base/com_object.h"
#include "base/typeinfo_dispatch.h"

namespace vmrt {

// Copies a value to an out pointer: E_POINTER for a null pointer.
template <class T>
[[nodiscard]] HRESULT GiveValue(T value, T* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

// Type information of one interface from the type library resource of this module (cached).
[[nodiscard]] HRESULT GetRuntimeTypeInfo(REFIID iid, ITypeInfo** info);

// Mix-in implementing the IDispatch part of dual interface I from the runtime's library.
// Scripts cannot call through a bare IUnknown, so objects it hands out travel as IDispatch
// when they answer it.
template <class I>
class TypeInfoDispatch : public velmor::TypeInfoDispatch<I, &GetRuntimeTypeInfo> {
 public:
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    const HRESULT hr = velmor::TypeInfoDispatch<I, &GetRuntimeTypeInfo>::Invoke(
        id, riid, lcid, flags, params, result, excep, argErr);
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
