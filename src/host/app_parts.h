// Internal interfaces through which the start-up sequence reaches the three objects it builds
// on: the message manager (its loop), the application script host (closing its engine) and the
// main window (loading a description, destroying the window).
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "host/message_loop.h"
#include "ui_h.h"

struct IAppMessageManager : public IUnknown {
  // The manager's message loop (owned by the manager).
  virtual velmor::CMessageLoop* STDMETHODCALLTYPE GetMessageLoop() = 0;
};
__CRT_UUID_DECL(IAppMessageManager, 0x41e62082, 0x507e, 0x4f26, 0x9e, 0xd5, 0xbf, 0x86, 0xdb, 0x1c,
                0xcf, 0xdd)

struct IAppScriptHost : public IUnknown {
  // Closes the script engine at shutdown.
  virtual HRESULT STDMETHODCALLTYPE CloseEngine() = 0;
};
__CRT_UUID_DECL(IAppScriptHost, 0xa7a920bb, 0x9e4f, 0x422c, 0xb5, 0x9d, 0x99, 0x51, 0x29, 0xa7,
                0x81, 0x61)

struct IAppMainWindow : public IUnknown {
  // Creates the window from a description file in 'skinFolder'.
  virtual HRESULT STDMETHODCALLTYPE Load(const wchar_t* skinFolder, const wchar_t* path) = 0;
  // Destroys the native window if it still exists.
  virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
};
__CRT_UUID_DECL(IAppMainWindow, 0x429790eb, 0x0b55, 0x4b1e, 0xae, 0xc7, 0xe5, 0x37, 0xc8, 0x90,
                0x42, 0x91)

namespace velmor {

// How Run obtains what it builds on. The engine's own parts create the real objects; tests
// substitute doubles to check the order of every step and every failure path.
class AppParts {
 public:
  virtual ~AppParts() = default;
  virtual HRESULT CreateMessageManager(IAppMessageManager** manager) = 0;
  virtual HRESULT CreateScriptHost(IScriptControl** host) = 0;
  virtual HRESULT CreateMainWindow(IAppMainWindow** window) = 0;
  // Frees every cached image and region (the end of a run).
  virtual void EmptyImageCache() = 0;
  // A start-up failure the user must see: MessageBoxW without owner, caption "Velmor".
  virtual void ShowMessage(const wchar_t* text, UINT icon) = 0;
};

// The engine's real parts.
AppParts& EngineParts();

}  // namespace velmor
