// The message manager ("msgManager"): the COM object through which scripts and components
// install message filters and idle handlers on the main thread's loop and end the application.
// Script objects that do not implement IMsgFilter / IIdleHandler themselves are adapted by the
// dispatch connector service with the type description of the wanted interface.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "base/com_object.h"
#include "host/app_parts.h"
#include "host/message_loop_ex.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

namespace velmor {

class CMessageManager final
    : public ComObject<CMessageManager, DualDispatchImpl<IMessageManager>,
                       Also<IDispatch, IMessageManager>, ProvideClassInfo2Impl<CLSID_MessageManager>,
                       Also<IProvideClassInfo, IProvideClassInfo2>, IAppMessageManager> {
 public:
  // IMessageManager
  STDMETHODIMP AddMsgFilter(IUnknown* spFilter) override;
  STDMETHODIMP RemoveMsgFilter(IUnknown* spFilter) override;
  STDMETHODIMP AddIdleHandler(IUnknown* spIdleHandler) override;
  STDMETHODIMP RemoveIdleHandler(IUnknown* spIdleHandler) override;
  // bAttempt has no effect: every quit is final.
  STDMETHODIMP Quit(BOOL bAttempt) override;

  // IAppMessageManager
  CMessageLoop* STDMETHODCALLTYPE GetMessageLoop() override { return &m_loop; }

  CMessageLoopEx& Loop() { return m_loop; }

 private:
  CMessageLoopEx m_loop;
};

// Asks 'object' for interface 'iid', else has the dispatch connector service adapt it with the
// type description of 'iid' from the engine's type library. Null when neither works.
[[nodiscard]] HRESULT QueryOrConnect(IUnknown* object, REFIID iid, void** out);

// Creates a message manager (the object map's creator for CLSID_MessageManager).
[[nodiscard]] HRESULT CreateMessageManager(REFIID iid, void** object);

}  // namespace velmor
