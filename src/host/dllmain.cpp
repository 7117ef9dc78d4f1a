// ui.dll's entry points: DllMain records the module handle; RD_XXXX is called by the
// application's executable the way a WinMain is.
#include <windows.h>

#include "base/module_instance.h"
#include "host/entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    velmor::SetModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" void WINAPI RD_XXXX(HINSTANCE /*hInstance*/,
                                 HINSTANCE /*hPrevInstance*/,
                                 LPSTR lpCmdLine, int nShowCmd) {
  try {
    velmor::EntryMain(lpCmdLine, nShowCmd, velmor::EngineParts());
  } catch (...) {
    // Nothing may escape into the executable.
  }
}
