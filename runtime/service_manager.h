// The service manager: contracts served by factories (built in or registered), shared service
// instances, and objects registered by name.
#pragma once
#include <map>
#include <string>

#include "base/handles.h"
#include "typeinfo_dispatch.h"
#include "vmrt.h"

namespace vmrt {

using FactoryConstructor = HRESULT (*)(REFIID iid, void** object);

class CServiceManager final
    : public velmor::ComObject<CServiceManager, TypeInfoDispatch<IServiceManager>,
                               velmor::Also<IDispatch, IServiceManager>, IServiceProvider,
                               IComponentRegistrar> {
 public:
  // IServiceManager
  STDMETHODIMP CreateInstance(BSTR contract, IUnknown** object) override;
  STDMETHODIMP RegisterObject(BSTR name, IUnknown* object) override;
  STDMETHODIMP UnregisterObject(BSTR name) override;
  STDMETHODIMP GetService(BSTR contract, IUnknown** object) override;
  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;
  // IComponentRegistrar
  STDMETHODIMP registerFactory(REFCLSID cid, LPCWSTR className, LPCWSTR contract,
                               IClassFactory* factory) override;
  STDMETHODIMP unregisterFactory(REFCLSID cid, IClassFactory* factory) override;

  // Adds a contract served by a constructor of this runtime.
  [[nodiscard]] HRESULT AddBuiltIn(const wchar_t* contract, FactoryConstructor constructor);
  // Drops every service, registered object and factory (the runtime is shutting down).
  void ReleaseAll();

 private:
  struct Factory {
    CLSID cid{};
    std::wstring className;
    velmor::ComPtr<IClassFactory> factory;
    FactoryConstructor constructor = nullptr;
  };
  [[nodiscard]] HRESULT Construct(const std::wstring& contract, IUnknown** object);

  velmor::CriticalSection m_lock;
  std::map<std::wstring, Factory> m_factories;
  std::map<std::wstring, velmor::ComPtr<IUnknown>> m_services;
  std::map<std::wstring, velmor::ComPtr<IUnknown>> m_registered;
};

}  // namespace vmrt
