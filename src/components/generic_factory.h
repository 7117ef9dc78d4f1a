// A generic class factory over a component-info record, and the registration of the engine's
// own factories with the component runtime.
#pragma once
#include <windows.h>

#include "base/com_object.h"

namespace velmor {

struct nsModuleComponentInfo {
  const wchar_t* className;
  CLSID cid;
  const wchar_t* contractId;
  // Creates the component; null while the component is not part of this build.
  HRESULT (*constructor)(IUnknown* outer, REFIID iid, void** object);
};

class nsGenericFactory final : public ComObject<nsGenericFactory, IClassFactory> {
 public:
  explicit nsGenericFactory(const nsModuleComponentInfo& info) : m_info(info) {}
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  const nsModuleComponentInfo& Info() const { return m_info; }

 private:
  nsModuleComponentInfo m_info;
};

// Registers a factory for every entry of a component table (the module's, kept by the layer that
// knows every component) with the component runtime; answers the first failure.
[[nodiscard]] HRESULT RegisterModuleFactories(const nsModuleComponentInfo* table, size_t count);

}  // namespace velmor
