// The main thread's message loop as the message manager runs it: native filters and idle
// handlers (engine objects), script filters and idle handlers (COM objects, possibly connected
// script objects) and a quit flag that ends the loop after the message being handled.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <vector>

#include "base/com_object.h"
#include "host/message_loop.h"
#include "ui_h.h"

namespace velmor {

class CMessageLoopEx : public CMessageLoop {
 public:
  CMessageLoopEx() = default;
  ~CMessageLoopEx() override = default;

  // Native entries: the loop keeps the pointers only. Removing takes the last matching entry.
  bool AddMessageFilter(CMessageFilter* filter);
  bool RemoveMessageFilter(CMessageFilter* filter);
  bool AddIdleHandler(CIdleHandler* handler);
  bool RemoveIdleHandler(CIdleHandler* handler);

  // Script entries: the lists keep a reference. The same object may be added more than once.
  [[nodiscard]] HRESULT AddScriptFilter(IMsgFilter* filter);
  [[nodiscard]] HRESULT AddScriptIdleHandler(IIdleHandler* handler);
  // S_OK when the last entry matching 'object' (same identity, or IObjectIdentity either way)
  // was removed, S_FALSE when none matched.
  [[nodiscard]] HRESULT RemoveScriptFilter(IUnknown* object);
  [[nodiscard]] HRESULT RemoveScriptIdleHandler(IUnknown* object);

  // Native filters last to first, then script filters last to first.
  BOOL PreTranslateMessage(MSG* msg) override;
  // Native idle handlers first to last, then script idle handlers last to first; FALSE, so
  // idle processing runs once per idle period.
  BOOL OnIdle(int idleCount) override;

  // Posts WM_QUIT, makes the loop end after the message being handled and destroys the
  // single-instance listener so later starts run as full instances.
  void Quit();
  bool IsQuitting() const { return m_quit; }

  // The message being handled (the last one retrieved).
  const MSG& CurrentMessage() const { return m_msg; }

 protected:
  bool QuitRequested() const override { return m_quit; }

 private:
  std::vector<CMessageFilter*> m_nativeFilters;
  std::vector<CIdleHandler*> m_nativeIdleHandlers;
  std::vector<ComPtr<IMsgFilter>> m_scriptFilters;
  std::vector<ComPtr<IIdleHandler>> m_scriptIdleHandlers;
  bool m_quit = false;  // set once, never reset
};

// True when a list entry stands for 'object': the same COM identity, or either side's
// IObjectIdentity says so (how a connector made for a script object is found again).
bool IsSameEntry(IUnknown* entry, IUnknown* object);

}  // namespace velmor
