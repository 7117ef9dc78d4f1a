#include "script/engine_typeinfo.h"

#include <oleauto.h>

#include "base/com_object.h"
#include "base/module_instance.h"

namespace velmor {

HRESULT GetEngineTypeInfo(REFGUID guid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(GetModuleInstance(), path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return HResultFromLastError();
  ComPtr<ITypeLib> library;
  RETURN_IF_FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &library));
  return library->GetTypeInfoOfGuid(guid, info);
}

}  // namespace velmor
