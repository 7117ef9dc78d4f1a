// The module object: the engine's instance handle, its type-library identifier, the main
// thread, the table of message loops by thread and the class factories of the engine's creatable
// classes. The lock, the library identifier and the windows destroyed at termination are kept
// by the base layer (base/module_instance.h), which the lower layers use directly.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <map>
#include <vector>

#include "base/com_object.h"
#include "base/handles.h"
#include "base/module_instance.h"
#include "components/generic_factory.h"
#include "host/message_loop.h"

namespace velmor {

// One creatable class of the engine: its class ID and a function creating an instance.
struct ObjectMapEntry {
  const CLSID* clsid;
  HRESULT (*create)(REFIID iid, void** object);
};

class CAppModule {
 public:
  CAppModule() = default;
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  // 'map' ends with an entry whose clsid is null.
  [[nodiscard]] HRESULT Init(const ObjectMapEntry* map, HINSTANCE instance, const GUID* libid);
  // Destroys windows still registered, frees the loop table and releases class factories.
  void Term();
  bool IsInitialized() const { return m_initialized; }

  HINSTANCE GetInstance() const { return m_instance; }
  const GUID& GetLibId() const { return ModuleLibId(); }
  DWORD GetMainThreadId() const { return m_mainThreadId; }
  CriticalSection& Lock() { return ModuleLock(); }

  // Loop table (under the module's lock). Adding fails when the thread already has a loop.
  BOOL AddMessageLoop(CMessageLoop* loop);
  BOOL RemoveMessageLoop();
  CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId());

  // A class factory for one of the classes of the object map (cached until Term).
  [[nodiscard]] HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  [[nodiscard]] HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object);

 private:
  bool m_initialized = false;
  HINSTANCE m_instance = nullptr;
  DWORD m_mainThreadId = 0;
  const ObjectMapEntry* m_map = nullptr;
  std::map<DWORD, CMessageLoop*> m_loops;
  std::map<const CLSID*, ComPtr<IClassFactory>> m_factories;
};

// The engine's one module object.
CAppModule& Module();

// The engine's creatable classes.
const ObjectMapEntry* EngineObjectMap();

// The components whose factories the engine registers with the component runtime at start-up.
const nsModuleComponentInfo* EngineComponents(size_t* count);

}  // namespace velmor
