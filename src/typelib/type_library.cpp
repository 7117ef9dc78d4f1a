#include "typelib/type_library.h"

#include <cstring>
#include <map>

#include "base/com_object.h"
#include "base/module_instance.h"
#include "base/module_instance.h"
#include "ui_h.h"

namespace velmor {
namespace {

// The locale the library is built and registered for.
constexpr LCID kLibraryLocale = 0x409;

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

// Guarded by the module's lock.
struct TypeLibState {
  ComPtr<ITypeLib> library;
  std::map<GUID, ComPtr<ITypeInfo>, GuidLess> infos;
};

TypeLibState& State() {
  static TypeLibState* s_state = new TypeLibState();  // outlives every static destructor
  return *s_state;
}

[[nodiscard]] HRESULT LoadLibraryLocked(ComPtr<ITypeLib>& out) {
  TypeLibState& state = State();
  if (!state.library) {
    const GUID& moduleLibId = ModuleLibId();
    const GUID& libid = IsEqualGUID(moduleLibId, GUID_NULL) ? LIBID_UILib : moduleLibId;
    ComPtr<ITypeLib> lib;
    if (FAILED(::LoadRegTypeLib(libid, 1, 0, kLibraryLocale, &lib))) {
      wchar_t path[MAX_PATH];
      const DWORD n = ::GetModuleFileNameW(GetModuleInstance(), path, MAX_PATH);
      if (n == 0 || n >= MAX_PATH) return HResultFromLastError();
      RETURN_IF_FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &lib));
    }
    state.library = lib;
  }
  out = state.library;
  return S_OK;
}

}  // namespace

[[nodiscard]] HRESULT GetEngineTypeLib(ITypeLib** lib) {
  if (lib == nullptr) return E_POINTER;
  *lib = nullptr;
  CriticalSection::Scope scope(ModuleLock());
  ComPtr<ITypeLib> loaded;
  RETURN_IF_FAILED(LoadLibraryLocked(loaded));
  *lib = loaded.Detach();
  return S_OK;
}

[[nodiscard]] HRESULT GetEngineTypeInfo(REFIID iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (IsEqualGUID(iid, GUID_NULL)) return E_INVALIDARG;  // records have no identifier
  CriticalSection::Scope scope(ModuleLock());
  try {
    TypeLibState& state = State();
    auto it = state.infos.find(iid);
    if (it == state.infos.end()) {
      ComPtr<ITypeLib> lib;
      RETURN_IF_FAILED(LoadLibraryLocked(lib));
      ComPtr<ITypeInfo> found;
      RETURN_IF_FAILED(lib->GetTypeInfoOfGuid(iid, &found));
      it = state.infos.emplace(iid, found).first;
    }
    return it->second.CopyTo(info);
  }
  VELMOR_CATCH_RETURN()
}

void ReleaseEngineTypeLib() {
  TypeLibState released;
  {
    CriticalSection::Scope scope(ModuleLock());
    std::swap(released.library, State().library);
    released.infos.swap(State().infos);
  }
  // The references go outside the lock.
}

}  // namespace velmor
