#include "typeinfo_dispatch.h"

#include <map>

#include "base/handles.h"
#include "base/module_instance.h"

namespace vmrt {
namespace {

velmor::CriticalSection g_lock;
ITypeLib* g_library = nullptr;  // kept for the life of the process

[[nodiscard]] HRESULT LoadRuntimeTypeLib(ITypeLib** lib) {
  velmor::CriticalSection::Scope scope(g_lock);
  if (g_library == nullptr) {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(velmor::GetModuleInstance(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return E_FAIL;
    RETURN_IF_FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &g_library));
  }
  *lib = g_library;
  (*lib)->AddRef();
  return S_OK;
}

}  // namespace

[[nodiscard]] HRESULT GetRuntimeTypeInfo(REFIID iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  velmor::ComPtr<ITypeLib> lib;
  RETURN_IF_FAILED(LoadRuntimeTypeLib(&lib));
  return lib->GetTypeInfoOfGuid(iid, info);
}

}  // namespace vmrt
