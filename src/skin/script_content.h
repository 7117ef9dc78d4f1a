// The script face every script-visible element class shares. An element is one script object:
// IDispatch, IDispatchEx and IJSObject all go through the dispatch bridge over the class's
// interface table, so expandos, accessor properties, methods read as values and names in any
// letter case behave alike whichever path (getElementById, tree links, 'this' of a handler, an
// event's target) gave the script the element. The class interface (IDOMNode or an interface
// derived from it) and IDOMAmbient are the interfaces the table names.
#pragma once
#include "script/dispatch_bridge.h"
#include "skin/dom_ambient_impl.h"
#include "skin/dom_node_impl.h"
#include "skin/element_interfaces.h"
#include "skin/text_base_content.h"

namespace velmor {

// class scFooContent : public scScriptContentClass<scFooContent, element_interfaces::kFoo,
//                                                  ClassFace, ...more interfaces> {};
// ClassFace implements the class interface (by default IDOMNode alone).
template <class Derived, const DispInterfaceTable& Interfaces,
          class ClassFace = IDOMNodeImpl<Derived>, class... More>
class scScriptContentClass
    : public scContentClass<Derived, IDispatchExImpl<Derived>,
                            Also<IDispatch, IDispatchExImpl<Derived>>, IDispatchImplEx<Derived>,
                            ClassFace, Also<IDOMNode, ClassFace>, IDOMAmbientImpl<Derived>,
                            More...> {
 public:
  IDispatchExImplBase& Bridge() { return m_bridge; }

 protected:
  scScriptContentClass() {
    m_bridge.Bind(this->GetUnknown(), static_cast<IDispatchImplEx<Derived>*>(this));
  }
  // A function a script stored on the element usually refers back to it (through its closure):
  // the properties go with the element's tree, not with its last reference.
  void ForgetScriptProperties() override { m_bridge.ForgetExpandos(); }

 private:
  IDispatchExImplBase m_bridge{Interfaces};
};

}  // namespace velmor
