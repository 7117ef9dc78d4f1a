// The main window as the start-up sequence sees it.
#pragma once
#include <windows.h>
#include <unknwn.h>

struct IAppMainWindow : public IUnknown {
  // Creates the window from a description file in 'skinFolder'.
  virtual HRESULT STDMETHODCALLTYPE Load(const wchar_t* skinFolder, const wchar_t* path) = 0;
  // Destroys the native window if it still exists.
  virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
};
__CRT_UUID_DECL(IAppMainWindow, 0x429790eb, 0x0b55, 0x4b1e, 0xae, 0xc7, 0xe5, 0x37, 0xc8, 0x90,
                0x42, 0x91)
