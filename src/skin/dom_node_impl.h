// IDOMNodeImpl: the script node interface (name and tree links) of an element class, with its
// IDispatch answered from the engine's type library. 'Base' is the class interface, IDOMNode or
// an interface derived from it.
#pragma once
#include <windows.h>

#include "base/bstr.h"
#include "base/com_object.h"
#include "skin/text_base_content.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

namespace velmor {

// The element's node interface, or null (S_FALSE) when there is no element.
[[nodiscard]] inline HRESULT QueryNode(scITextBaseContent* element, IDOMNode** node) {
  if (node == nullptr) return E_POINTER;
  *node = nullptr;
  if (element == nullptr) return S_FALSE;
  const HRESULT hr = element->QueryInterface(IID_PPV_ARGS(node));
  return SUCCEEDED(hr) ? S_OK : S_FALSE;
}

template <class Derived, class Base = IDOMNode>
class IDOMNodeImpl : public DualDispatchImpl<Base> {
 public:
  // IDOMNode
  STDMETHODIMP get_nodeName(BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = ::SysAllocString(Element()->NodeName());
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_parentNode(IDOMNode** node) override {
    return QueryNode(Element()->ParentElement(), node);
  }
  STDMETHODIMP get_firstChild(IDOMNode** node) override {
    return QueryNode(Element()->FirstChild(), node);
  }
  STDMETHODIMP get_lastChild(IDOMNode** node) override {
    return QueryNode(Element()->LastChild(), node);
  }
  STDMETHODIMP get_previousSibling(IDOMNode** node) override {
    return QueryNode(Element()->PreviousSibling(), node);
  }
  STDMETHODIMP get_nextSibling(IDOMNode** node) override {
    return QueryNode(Element()->NextSibling(), node);
  }
  STDMETHODIMP get_ownerDocument(IDispatch** document) override {
    if (document == nullptr) return E_POINTER;
    *document = nullptr;
    scITextBaseContent* element = Element();
    if (!element->IsInDocument() || element->OwnerDocument() == nullptr) return S_FALSE;
    const HRESULT hr = element->OwnerDocument()->QueryInterface(IID_PPV_ARGS(document));
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
  }

 private:
  scITextBaseContent* Element() { return static_cast<Derived*>(this); }
};

}  // namespace velmor
