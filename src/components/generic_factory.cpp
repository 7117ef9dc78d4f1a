#include "components/generic_factory.h"

#include "components/component_manager.h"

namespace velmor {

STDMETHODIMP nsGenericFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (m_info.constructor == nullptr) return REGDB_E_CLASSNOTREG;  // 0x80040154
  return m_info.constructor(outer, iid, object);
}

[[nodiscard]] HRESULT RegisterModuleFactories(const nsModuleComponentInfo* table, size_t count) {
  ComPtr<IServiceManager> manager;
  RETURN_IF_FAILED(components::GetServiceManager(&manager));
  ComPtr<IServiceProvider> provider;
  RETURN_IF_FAILED(manager.As(&provider));
  ComPtr<IComponentRegistrar> registrar;
  RETURN_IF_FAILED(provider->QueryService(SID_VmrtComponentRegistrar, IID_PPV_ARGS(&registrar)));
  for (size_t i = 0; i < count; ++i) {
    ComPtr<IClassFactory> factory;
    RETURN_IF_FAILED(nsGenericFactory::Create(factory, table[i]));
    RETURN_IF_FAILED(
        registrar->registerFactory(table[i].cid, table[i].className, table[i].contractId,
                                   factory.Get()));
  }
  return S_OK;
}

}  // namespace velmor
