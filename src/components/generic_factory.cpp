#include "components/generic_factory.h"

#include "components/component_manager.h"

namespace velmor {
namespace {

// {c401eb80-f9ea-11d3-bb6f-e732b73ebe7c}
constexpr CLSID kScreenManagerCid = {
    0xc401eb80, 0xf9ea, 0x11d3, {0xbb, 0x6f, 0xe7, 0x32, 0xb7, 0x3e, 0xbe, 0x7c}};

const nsModuleComponentInfo kComponents[] = {
    // The screen manager's constructor joins this table with the screens subsystem.
    {L"nsScreenManagerWin", kScreenManagerCid, contracts::kScreenManager, nullptr},
};

}  // namespace

STDMETHODIMP nsGenericFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (m_info.constructor == nullptr) return REGDB_E_CLASSNOTREG;  // 0x80040154
  return m_info.constructor(outer, iid, object);
}

const nsModuleComponentInfo* ModuleComponents(size_t* count) {
  *count = sizeof(kComponents) / sizeof(kComponents[0]);
  return kComponents;
}

[[nodiscard]] HRESULT RegisterModuleFactories() {
  ComPtr<IServiceManager> manager;
  RETURN_IF_FAILED(components::GetServiceManager(&manager));
  ComPtr<IServiceProvider> provider;
  RETURN_IF_FAILED(manager.As(&provider));
  ComPtr<IComponentRegistrar> registrar;
  RETURN_IF_FAILED(provider->QueryService(SID_VmrtComponentRegistrar, IID_PPV_ARGS(&registrar)));
  size_t count = 0;
  const nsModuleComponentInfo* table = ModuleComponents(&count);
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
