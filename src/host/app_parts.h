// How the start-up sequence reaches the three objects it builds on: the message manager (its
// loop), the application script host (closing its engine, declared with the host) and the main
// window (loading a description, destroying the window, declared with the window).
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "host/message_loop.h"
#include "script/app_script_host.h"
#include "ui_h.h"
#include "window/app_main_window.h"

struct IAppMessageManager : public IUnknown {
  // The manager's message loop (owned by the manager).
  virtual velmor::CMessageLoop* STDMETHODCALLTYPE GetMessageLoop() = 0;
};
__CRT_UUID_DECL(IAppMessageManager, 0x41e62082, 0x507e, 0x4f26, 0x9e, 0xd5, 0xbf, 0x86, 0xdb, 0x1c,
                0xcf, 0xdd)

namespace velmor {

// How Run obtains what it builds on. The engine's own parts create the real objects; tests
// substitute doubles to check the order of every step and every failure path.
class AppParts {
 public:
  virtual ~AppParts() = default;
  [[nodiscard]] virtual HRESULT CreateMessageManager(IAppMessageManager** manager) = 0;
  [[nodiscard]] virtual HRESULT CreateScriptHost(IScriptControl** host) = 0;
  [[nodiscard]] virtual HRESULT CreateMainWindow(IAppMainWindow** window) = 0;
  // Frees every cached image and region (the end of a run).
  virtual void EmptyImageCache() = 0;
  // A start-up failure the user must see: MessageBoxW without owner, caption "Velmor".
  virtual void ShowMessage(const wchar_t* text, UINT icon) = 0;
};

// The engine's real parts.
AppParts& EngineParts();

}  // namespace velmor
