#include "controls/widget_wrapper.h"

#include <string>

#include "skin/attribute_readers.h"

namespace velmor {
namespace {

// Makes a window a child of 'parent' (or, with a null parent, a top-level popup again) and
// lets the platform recompute its frame for the new style.
void Reparent(HWND window, HWND parent) {
  LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  style = parent != nullptr ? (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD
                            : (style & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP;
  if (parent != nullptr) ::SetParent(window, parent);
  ::SetWindowLongPtrW(window, GWL_STYLE, style);
  if (parent == nullptr) ::SetParent(window, nullptr);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

VARIANT BoolVariant(bool value) {
  VARIANT v;
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

}  // namespace

HRESULT scWidgetWrapper::BindToTree(scIContentDocument* document, scIContent* parent) {
  RETURN_IF_FAILED(scITextBaseContent::BindToTree(document, parent));
  if (document == nullptr || m_host != nullptr) return S_OK;
  POINT at{};
  if (!native::FindHostWindow(this, m_host, at)) return S_OK;
  MarkNativeWindowPath();
  std::wstring contract;
  // A component that cannot be had leaves an empty widget; the document loads on.
  if (GetStringAttr(this, L"contractId", contract) && !contract.empty())
    (void)Attach(contract.c_str(), UsesService());
  return S_OK;
}

void scWidgetWrapper::UnbindFromTree(BOOL deep, BOOL nullParent) {
  scITextBaseContent::UnbindFromTree(deep, nullParent);
  Detach(!UsesService());
  m_host = nullptr;
}

void scWidgetWrapper::Destroy() {
  Detach(!UsesService());
  m_host = nullptr;
  scITextBaseContent::Destroy();
}

void scWidgetWrapper::MoveSize(int x, int y, int width, int height) {
  scITextBaseContent::MoveSize(x, y, width, height);
  Place();
}

void scWidgetWrapper::SetVisible(bool visible) {
  const bool changed = visible != IsVisible();
  scITextBaseContent::SetVisible(visible);
  if (changed) native::ShowWithElement(this, m_window, m_host);
}

void scWidgetWrapper::TreeVisibilityChanged() { native::ShowWithElement(this, m_window, m_host); }

bool scWidgetWrapper::UsesService() {
  bool service = false;
  return GetBoolAttr(this, L"useService", service) && service;
}

HRESULT scWidgetWrapper::Attach(const wchar_t* contractId, bool useService) {
  RETURN_HR_IF(E_UNEXPECTED, m_host == nullptr);
  RETURN_HR_IF_NULL(E_INVALIDARG, contractId);
  ComPtr<IUnknown> component;
  RETURN_IF_FAILED(useService ? components::GetService(contractId, component)
                              : components::CreateInstance(contractId, component));
  ComPtr<IWidgetWindow> widgetWindow;
  (void)component.As(&widgetWindow);
  Detach(!UsesService());

  HWND window = nullptr;
  if (widgetWindow) {
    window = widgetWindow->GetWindow();
    if (window == nullptr) {
      window = widgetWindow->Create(m_host, 0);
    } else {
      Reparent(window, m_host);
    }
    RETURN_HR_IF_NULL(E_FAIL, window);
  }
  RETURN_IF_FAILED(SetAttr(L"useService", BoolVariant(useService), FALSE));
  m_wrapped = component;
  (void)component.As(&m_dispatch);
  m_widgetWindow = widgetWindow;
  m_window = window;

  // Without an event interface the widget still hosts the component.
  ComPtr<scIEventListenerManager> listeners;
  if (SUCCEEDED(GetListenerManager(TRUE, &listeners)) && listeners)
    (void)CDispEvent::Connect(component.Get(), listeners.Get(), m_sink);

  if (m_window != nullptr) {
    MarkNativeWindowPath();
    const bool shown = IsShownInTree();
    ::ShowWindow(m_window, shown ? SW_SHOW : SW_HIDE);
    Place();
  }
  return S_OK;
}

void scWidgetWrapper::Detach(bool destroy) {
  if (m_window != nullptr && m_widgetWindow) {
    ::ShowWindow(m_window, SW_HIDE);
    const bool inHost = ::GetAncestor(m_window, GA_PARENT) == m_host;
    if (destroy && inHost) {
      (void)m_widgetWindow->Destroy();
    } else if (!destroy && inHost) {
      Reparent(m_window, nullptr);
    }
  }
  if (m_sink) {
    ComPtr<CDispEvent> sink = std::move(m_sink);
    sink->Disconnect();
  }
  m_window = nullptr;
  m_widgetWindow.Reset();
  m_dispatch.Reset();
  m_wrapped.Reset();
}

HRESULT scWidgetWrapper::GetWrappedDispatch(IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!m_dispatch) return S_FALSE;
  return m_dispatch.CopyTo(out);
}

STDMETHODIMP scWidgetWrapper::get_contractId(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  std::wstring contract;
  (void)GetStringAttr(this, L"contractId", contract);
  *value = ::SysAllocStringLen(contract.data(), static_cast<UINT>(contract.size()));
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP scWidgetWrapper::setContractId(BSTR contractId, BOOL useService) {
  try {
    if (FAILED(Attach(contractId != nullptr ? contractId : L"", useService != FALSE))) return S_OK;
    VARIANT contract;
    V_VT(&contract) = VT_BSTR;
    V_BSTR(&contract) = contractId;
    (void)SetAttr(L"contractId", contract, FALSE);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP scWidgetWrapper::get_wrappedObject(IUnknown** value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (m_wrapped) m_wrapped.CopyTo(value);
  return S_OK;
}

}  // namespace velmor
