// CDispEvent: the sink a widget connects to its component's default event interface. The
// component calls it through IDispatch; each call whose dispatch identifier names a method of
// that interface is re-fired at the widget element's listener table as a script event of that
// name ("select" runs the element's "onselect" handler with the component's arguments).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <string>

#include "base/com_object.h"
#include "skin/content.h"

namespace velmor {

class CDispEvent final : public ComObject<CDispEvent, IDispatch> {
 public:
  // Connects a new sink to the component's default source interface (found through
  // IProvideClassInfo, or IPersist and the class's type information); 'target' hears its events.
  static HRESULT Connect(IUnknown* component, scIEventListenerManager* target,
                         ComPtr<CDispEvent>& sink);
  // Leaves the component and forgets the target.
  void Disconnect();

  // IDispatch: the component's calls. Always S_OK: a sink does not fail its source.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override;

  // The sink answers the source interface's identifier as IDispatch.
  HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;

  // The method names by dispatch identifier, as read from the type information.
  const std::map<DISPID, std::wstring>& Names() const { return m_names; }

 private:
  HRESULT ReadNames(ITypeInfo* source);

  IID m_iid = IID_NULL;
  std::map<DISPID, std::wstring> m_names;
  ComPtr<scIEventListenerManager> m_target;
  ComPtr<IConnectionPoint> m_point;
  DWORD m_cookie = 0;
};

}  // namespace velmor
