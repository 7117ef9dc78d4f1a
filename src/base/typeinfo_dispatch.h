// IDispatch for a dual interface, driven by its type description: name lookup ignores letter
// case and invocation goes through the interface's vtable, so an object only writes the vtable
// methods. 'GetInfo' answers the type information of an interface (from whichever library
// describes it). Calls whose arguments already have the declared types go straight to the
// vtable (DirectInvokeTable, read from the same description); the rest go through DispInvoke.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "base/com_object.h"
#include "base/direct_invoke.h"

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
    HRESULT direct = S_OK;
    if (DirectTable().TryInvoke(static_cast<I*>(this), id, flags, params, result, excep, &direct))
      return direct;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetInfo(__uuidof(I), &info));
    return ::DispInvoke(static_cast<I*>(this), info.Get(), id, flags, params, result, excep,
                        argErr);
  }

  // The members of I that can be called directly, read once per interface.
  static const DirectInvokeTable& DirectTable() {
    static const DirectInvokeTable* s_table = [] {
      ComPtr<ITypeInfo> info;
      if (FAILED(GetInfo(__uuidof(I), &info))) info = nullptr;
      return new DirectInvokeTable(info.Get());  // kept for the process, like the library
    }();
    return *s_table;
  }
};

}  // namespace velmor
