// scWidgetWrapper: the "widget" element hosts a component that lives outside the engine. The
// component is found by "contractId" through the component manager, a new instance or, with
// "useService", the shared service object. A component answering IWidgetWindow shows a window of
// its own: the widget makes it a child of the document window and keeps it over the element's
// box through moves, resizes and visibility changes. Events the component raises on its default
// source interface are re-fired at the element ("select" runs "onselect"), and scripts reach the
// component's own members through the element after IDOMWidgetWrapper's.
#pragma once
#include <windows.h>

#include "components/component_manager.h"
#include "controls/disp_event.h"
#include "controls/native_content.h"
#include "skin/element_classes.h"

namespace velmor {

class scWidgetWrapper
    : public scScriptContentClass<scWidgetWrapper, element_interfaces::kWidgetWrapper,
                                  IDOMNodeImpl<scWidgetWrapper, IDOMWidgetWrapper>>,
      public scIWrappedComponentSource {
 public:
  const wchar_t* NodeName() const override { return L"widget"; }
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document, scIContent* parent) override;
  void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) override;
  void STDMETHODCALLTYPE Destroy() override;
  void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) override;
  void STDMETHODCALLTYPE SetVisible(bool visible) override;
  void TreeVisibilityChanged() override;

  // scIWrappedComponentSource
  HRESULT GetWrappedDispatch(IDispatch** out) override;

  // IDOMWidgetWrapper
  STDMETHODIMP get_contractId(BSTR* value) override;
  STDMETHODIMP setContractId(BSTR contractId, BOOL useService) override;
  STDMETHODIMP get_wrappedObject(IUnknown** value) override;

  // Obtains the component and hosts its window; the current component goes first. Fails with
  // E_UNEXPECTED outside a document window, with the component manager's error when the
  // component cannot be had (the current one stays), with E_FAIL when its window cannot.
  HRESULT Attach(const wchar_t* contractId, bool useService);
  // Lets the component go: its window is hidden, and destroyed when 'destroy' is set and the
  // window still lies in the document window. A service's window is handed back as a hidden
  // popup, so it outlives this window and can be hosted again.
  void Detach(bool destroy);

  HWND ComponentWindow() const { return m_window; }
  HWND HostWindow() const { return m_host; }
  bool HasEventSink() const { return m_sink != nullptr; }

 private:
  bool UsesService();
  void Place() { native::PlaceOverElement(this, m_window, m_host); }

  HWND m_host = nullptr;
  HWND m_window = nullptr;
  ComPtr<IUnknown> m_wrapped;
  ComPtr<IDispatch> m_dispatch;
  ComPtr<IWidgetWindow> m_widgetWindow;
  ComPtr<CDispEvent> m_sink;
};

}  // namespace velmor
