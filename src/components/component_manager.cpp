#include "components/component_manager.h"

#include "base/bstr.h"

namespace velmor::components {

[[nodiscard]] HRESULT Initialize() { return ::VmrtInitialize(); }
[[nodiscard]] HRESULT Shutdown() { return ::VmrtShutdown(); }
[[nodiscard]] HRESULT GetServiceManager(IServiceManager** manager) { return ::VmrtGetServiceManager(manager); }

namespace {

enum class Lookup { kService, kInstance };

[[nodiscard]] HRESULT Find(Lookup kind, const wchar_t* contract, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (contract == nullptr) return E_INVALIDARG;
  ComPtr<IServiceManager> manager;
  if (FAILED(GetServiceManager(&manager))) return E_FAIL;
  UniqueBstr name(contract);
  RETURN_IF_NULL_ALLOC(name.Get());
  ComPtr<IUnknown> found;
  RETURN_IF_FAILED(kind == Lookup::kService ? manager->GetService(name.Get(), &found)
                                            : manager->CreateInstance(name.Get(), &found));
  RETURN_HR_IF_NULL(E_FAIL, found);
  return found->QueryInterface(iid, object);
}

}  // namespace

[[nodiscard]] HRESULT GetService(const wchar_t* contract, REFIID iid, void** object) {
  return Find(Lookup::kService, contract, iid, object);
}

[[nodiscard]] HRESULT CreateInstance(const wchar_t* contract, REFIID iid, void** object) {
  return Find(Lookup::kInstance, contract, iid, object);
}

[[nodiscard]] HRESULT RegisterObject(const wchar_t* name, IUnknown* object) {
  ComPtr<IServiceManager> manager;
  if (FAILED(GetServiceManager(&manager))) return E_FAIL;
  UniqueBstr bname(name ? name : L"");
  RETURN_IF_NULL_ALLOC(bname.Get());
  return manager->RegisterObject(bname.Get(), object);
}

[[nodiscard]] HRESULT UnregisterObject(const wchar_t* name) {
  ComPtr<IServiceManager> manager;
  if (FAILED(GetServiceManager(&manager))) return E_FAIL;
  UniqueBstr bname(name ? name : L"");
  RETURN_IF_NULL_ALLOC(bname.Get());
  return manager->UnregisterObject(bname.Get());
}

}  // namespace velmor::components
