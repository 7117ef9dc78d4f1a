// IDispatch for a dual interface, driven by its type description: name lookup ignores letter
// case and invocation goes through the interface's vtable, so an object only writes the vtable
// methods. 'GetInfo' answers the type information of an interface (from whichever library
// describes it).
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "base/com_object.h"

namespace velmor {

template <class I, HRESULT (*GetInfo)(REFIID, ITypeInfo**)>
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
    return GetInfo(__uuidof(I), info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetInfo(__uuidof(I), &info));
    return ::DispGetIDsOfNames(info.Get(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetInfo(__uuidof(I), &info));
    return ::DispInvoke(static_cast<I*>(this), info.Get(), id, flags, params, result, excep,
                        argErr);
  }
};

}  // namespace velmor
