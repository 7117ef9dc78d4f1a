#include "host/module.h"

#include <algorithm>

#include "typelib/type_library.h"

namespace velmor {
namespace {

// A factory over one object-map entry.
class CModuleClassFactory final : public ComObject<CModuleClassFactory, IClassFactory> {
 public:
  explicit CModuleClassFactory(const ObjectMapEntry& entry) : m_entry(entry) {}
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return m_entry.create(iid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ObjectMapEntry m_entry;
};

}  // namespace

CAppModule& Module() {
  static CAppModule s_module;
  return s_module;
}

HRESULT CAppModule::Init(const ObjectMapEntry* map, HINSTANCE instance, const GUID* libid) {
  SetModuleLibId(libid ? *libid : GUID_NULL);
  CriticalSection::Scope scope(Lock());
  m_map = map;
  m_instance = instance;
  m_mainThreadId = ::GetCurrentThreadId();
  m_loops.clear();
  m_initialized = true;
  return S_OK;
}

void CAppModule::Term() {
  std::vector<HWND> windows;
  std::map<const CLSID*, ComPtr<IClassFactory>> factories;
  {
    CriticalSection::Scope scope(Lock());
    if (!m_initialized) return;
    windows = TakeTermWindows();
    factories.swap(m_factories);
    m_loops.clear();
    m_map = nullptr;
    m_initialized = false;
  }
  for (HWND hwnd : windows)
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  ReleaseEngineTypeLib();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
  if (loop == nullptr) return FALSE;
  CriticalSection::Scope scope(Lock());
  try {
    return m_loops.emplace(::GetCurrentThreadId(), loop).second ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

BOOL CAppModule::RemoveMessageLoop() {
  CriticalSection::Scope scope(Lock());
  return m_loops.erase(::GetCurrentThreadId()) ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) {
  CriticalSection::Scope scope(Lock());
  auto it = m_loops.find(threadId);
  return it == m_loops.end() ? nullptr : it->second;
}

HRESULT CAppModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CriticalSection::Scope scope(Lock());
  for (const ObjectMapEntry* e = m_map; e != nullptr && e->clsid != nullptr; ++e) {
    if (!IsEqualCLSID(*e->clsid, clsid)) continue;
    try {
      ComPtr<IClassFactory>& factory = m_factories[e->clsid];
      if (!factory) RETURN_IF_FAILED(CModuleClassFactory::Create(factory, *e));
      return factory->QueryInterface(iid, object);
    }
    VELMOR_CATCH_RETURN()
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CAppModule::CreateInstance(REFCLSID clsid, REFIID iid, void** object) {
  ComPtr<IClassFactory> factory;
  RETURN_IF_FAILED(GetClassObject(clsid, IID_PPV_ARGS(&factory)));
  return factory->CreateInstance(nullptr, iid, object);
}

}  // namespace velmor
