// The class interfaces of the controls whose behaviour is not built yet (splitters, widgets,
// menus and shortcuts). Each is in its class's interface table already, so scripts find its
// names; until the control exists every member answers E_NOTIMPL, which a script sees as an
// exception. A control replaces its face with the real members when it is built.
#pragma once
#include <windows.h>

#include "skin/dom_node_impl.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

namespace velmor {

template <class Derived>
class scSplitterFace : public IDOMNodeImpl<Derived, IDOMSplitter> {
 public:
  STDMETHODIMP get_horizontal(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP get_splitterPos(long*) override { return E_NOTIMPL; }
  STDMETHODIMP put_splitterPos(long) override { return E_NOTIMPL; }
  STDMETHODIMP get_singlePaneMode(long*) override { return E_NOTIMPL; }
  STDMETHODIMP put_singlePaneMode(long) override { return E_NOTIMPL; }
  STDMETHODIMP setPaneMinSize(long, long, VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP getPaneMinSize(long, long*) override { return E_NOTIMPL; }
  STDMETHODIMP get_panePlace(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_panePlace(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_bar(IDOMNode**) override { return E_NOTIMPL; }
};

template <class Derived>
class scWidgetWrapperFace : public IDOMNodeImpl<Derived, IDOMWidgetWrapper> {
 public:
  STDMETHODIMP get_contractId(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP setContractId(BSTR, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_wrappedObject(IUnknown**) override { return E_NOTIMPL; }
};

template <class Derived>
class scMenuPopupFace : public IDOMNodeImpl<Derived, IDOMMenuPopup> {
 public:
  STDMETHODIMP openPopup(VARIANT*, BSTR, long, long, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP openPopupAtScreen(long, long) override { return E_NOTIMPL; }
};

template <class Derived>
class scMenuItemFace : public IDOMNodeImpl<Derived, IDOMMenuItem> {
 public:
  STDMETHODIMP get_checked(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_checked(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_defaultItem(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_defaultItem(VARIANT_BOOL) override { return E_NOTIMPL; }
};

template <class Derived>
class scKeyShortcutFace : public IDOMNodeImpl<Derived, IDOMKeyShortcut> {
 public:
  STDMETHODIMP get_modifiers(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_modifiers(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_keycode(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_keycode(BSTR) override { return E_NOTIMPL; }
};

}  // namespace velmor
