// The instance handle of the module that carries the engine: recorded by ui.dll's DllMain; in
// test executables that link the engine directly, the module that contains this code.
#pragma once
#include <windows.h>

#include <vector>

#include "base/handles.h"

namespace velmor {

HINSTANCE GetModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Full path of a file beside the module (in the module's own folder).
bool GetPathBesideModule(const wchar_t* name, wchar_t* buffer, DWORD capacity);

// The module's lock: the one lock of the engine, around its process-wide tables (message
// loops, the loaded type library, the windows to destroy at termination).
CriticalSection& ModuleLock();

// The identifier of the type library the module carries (GUID_NULL until the module object
// records it).
const GUID& ModuleLibId();
void SetModuleLibId(const GUID& libid);

// Windows the module destroys at termination if they still exist.
void AddTermWindow(HWND hwnd);
void RemoveTermWindow(HWND hwnd);
// Hands the registered windows over and empties the list.
std::vector<HWND> TakeTermWindows();

}  // namespace velmor
