#include "skin/engine_type_info.h"

#include "base/com_object.h"
#include "base/module_instance.h"

namespace velmor {

HRESULT GetEngineTypeInfo(REFGUID iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(GetModuleInstance(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return HResultFromLastError();
  ComPtr<ITypeLib> library;
  RETURN_IF_FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &library));
  return library->GetTypeInfoOfGuid(iid, info);
}

}  // namespace velmor
