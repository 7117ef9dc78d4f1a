// IDOMDocumentImpl: the document's getElementById over its id registry. The document class
// supplies DocumentContent() and the rest of its script interfaces.
#pragma once
#include "skin/document_content.h"
#include "ui_h.h"

namespace velmor {

template <class Derived, class Base = IDOMDocument>
class IDOMDocumentImpl : public Base {
 public:
  using ComInterface = typename detail::InterfaceOf<Base>::type;  // Base may be a mix-in itself

  STDMETHODIMP getElementById(BSTR elementId, IDOMElement** element) override {
    return static_cast<Derived*>(this)->DocumentContent().GetElementById(elementId, element);
  }
};

}  // namespace velmor
