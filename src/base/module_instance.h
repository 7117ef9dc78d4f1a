// The instance handle of the module that carries the engine: recorded by ui.dll's DllMain; in
// test executables that link the engine directly, the module that contains this code.
#pragma once
#include <windows.h>

namespace velmor {

HINSTANCE GetModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Full path of a file beside the module (in the module's own folder).
bool GetPathBesideModule(const wchar_t* name, wchar_t* buffer, DWORD capacity);

}  // namespace velmor
