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
#include "base/typeinfo_dispatch.h"
#include "typelib/type_library.h"

namespace velmor {

// Implements the IDispatch part of dual interface I from the engine's type library.
template <class I>
using DualDispatchImpl = TypeInfoDispatch<I, &GetEngineTypeInfo>;

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
