// The application script host as the start-up sequence sees it.
#pragma once
#include <windows.h>
#include <unknwn.h>

struct IAppScriptHost : public IUnknown {
  // Closes the script engine at shutdown.
  virtual HRESULT STDMETHODCALLTYPE CloseEngine() = 0;
};
__CRT_UUID_DECL(IAppScriptHost, 0xa7a920bb, 0x9e4f, 0x422c, 0xb5, 0x9d, 0x99, 0x51, 0x29, 0xa7,
                0x81, 0x61)
