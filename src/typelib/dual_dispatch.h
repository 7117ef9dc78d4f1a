// IDispatch for a dual interface of the engine's type library, and IProvideClassInfo2 for one of
// its classes. Name lookup ignores letter case and invocation goes through the interface's type
// description, so the vtable methods are all an object writes:
//   class CFoo : public ComObject<CFoo, DualDispatchImpl<IFoo>, Also<IDispatch, IFoo>,
//                                 ProvideClassInfo2Impl<CLSID_Foo>, ...>
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include "base/com_object.h"
#include "typelib/type_library.h"

namespace velmor {

// Implements the IDispatch part of dual interface I from the engine's type library.
template <class I>
class DualDispatchImpl : public I {
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
    return GetEngineTypeInfo(__uuidof(I), info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetEngineTypeInfo(__uuidof(I), &info));
    return ::DispGetIDsOfNames(info.Get(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetEngineTypeInfo(__uuidof(I), &info));
    return ::DispInvoke(static_cast<I*>(this), info.Get(), id, flags, params, result, excep,
                        argErr);
  }
};

// Implements IProvideClassInfo2 (and through it IProvideClassInfo) for the engine class 'Clsid'.
// List it in a ComObject together with Also<IProvideClassInfo, IProvideClassInfo2>.
template <const CLSID& Clsid>
class ProvideClassInfo2Impl : public IProvideClassInfo2 {
 public:
  using ComInterface = IProvideClassInfo2;

  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    RETURN_IF_FAILED(GetEngineTypeLib(&lib));
    return lib->GetTypeInfoOfGuid(Clsid, info);
  }
  // The engine's classes fire no events: there is no default source interface.
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    *guid = GUID_NULL;
    return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
  }
};

}  // namespace velmor
