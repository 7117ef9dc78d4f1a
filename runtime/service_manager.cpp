#include "service_manager.h"

#include <vector>

namespace vmrt {
namespace {

std::wstring ToKey(BSTR text) { return std::wstring(text, ::SysStringLen(text)); }

}  // namespace

HRESULT CServiceManager::Construct(const std::wstring& contract, IUnknown** object) {
  velmor::ComPtr<IClassFactory> factory;
  FactoryConstructor constructor = nullptr;
  {
    velmor::CriticalSection::Scope scope(m_lock);
    auto it = m_factories.find(contract);
    if (it == m_factories.end()) return REGDB_E_CLASSNOTREG;
    factory = it->second.factory;
    constructor = it->second.constructor;
  }
  // Constructors run outside the lock: they may ask the manager for other services.
  if (factory) return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
  return constructor(IID_IUnknown, reinterpret_cast<void**>(object));
}

STDMETHODIMP CServiceManager::CreateInstance(BSTR contract, IUnknown** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (contract == nullptr) return E_INVALIDARG;
  try {
    return Construct(ToKey(contract), object);
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CServiceManager::RegisterObject(BSTR name, IUnknown* object) {
  if (name == nullptr || object == nullptr) return E_POINTER;
  try {
    velmor::CriticalSection::Scope scope(m_lock);
    m_registered[ToKey(name)] = object;
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CServiceManager::UnregisterObject(BSTR name) {
  if (name == nullptr) return E_POINTER;
  velmor::ComPtr<IUnknown> released;  // released after the lock is left
  try {
    velmor::CriticalSection::Scope scope(m_lock);
    auto it = m_registered.find(ToKey(name));
    if (it == m_registered.end()) return S_FALSE;
    released = std::move(it->second);
    m_registered.erase(it);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CServiceManager::GetService(BSTR contract, IUnknown** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (contract == nullptr) return E_INVALIDARG;
  try {
    const std::wstring key = ToKey(contract);
    {
      velmor::CriticalSection::Scope scope(m_lock);
      for (auto* table : {&m_registered, &m_services}) {
        auto it = table->find(key);
        if (it != table->end()) return it->second.CopyTo(object);
      }
    }
    velmor::ComPtr<IUnknown> created;
    RETURN_IF_FAILED(Construct(key, &created));
    velmor::CriticalSection::Scope scope(m_lock);
    // A constructor that asked for its own contract may have filled the slot already.
    auto [it, inserted] = m_services.emplace(key, created);
    return it->second.CopyTo(object);
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CServiceManager::QueryService(REFGUID service, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(service, SID_VmrtComponentRegistrar)) return E_NOINTERFACE;
  return QueryInterface(iid, object);
}

STDMETHODIMP CServiceManager::registerFactory(REFCLSID cid, LPCWSTR className, LPCWSTR contract,
                                              IClassFactory* factory) {
  if (contract == nullptr || factory == nullptr) return E_POINTER;
  try {
    velmor::CriticalSection::Scope scope(m_lock);
    Factory& entry = m_factories[contract];
    entry.cid = cid;
    entry.className = className ? className : L"";
    entry.factory = factory;
    entry.constructor = nullptr;
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CServiceManager::unregisterFactory(REFCLSID cid, IClassFactory* factory) {
  velmor::ComPtr<IClassFactory> released;
  velmor::CriticalSection::Scope scope(m_lock);
  for (auto it = m_factories.begin(); it != m_factories.end(); ++it) {
    if (IsEqualCLSID(it->second.cid, cid) && it->second.factory.Get() == factory) {
      released = std::move(it->second.factory);
      m_factories.erase(it);
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT CServiceManager::AddBuiltIn(const wchar_t* contract, FactoryConstructor constructor) {
  try {
    velmor::CriticalSection::Scope scope(m_lock);
    Factory& entry = m_factories[contract];
    entry.constructor = constructor;
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

void CServiceManager::ReleaseAll() {
  // Move everything out first: releasing an object may call back into the manager.
  std::map<std::wstring, velmor::ComPtr<IUnknown>> services, registered;
  std::map<std::wstring, Factory> factories;
  {
    velmor::CriticalSection::Scope scope(m_lock);
    services.swap(m_services);
    registered.swap(m_registered);
    factories.swap(m_factories);
  }
}

}  // namespace vmrt
