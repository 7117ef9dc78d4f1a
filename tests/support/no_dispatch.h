// The IDispatch part of a dual interface, for test doubles that are only called through their
// vtable: every dispatch member answers E_NOTIMPL.
#pragma once
#include <oaidl.h>
#include <windows.h>

namespace velmor::test {

template <class I>
class NoDispatch : public I {
 public:
  using ComInterface = I;
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
};

}  // namespace velmor::test
