// The element classes the content tree defines itself, one per skin tag. Each carries the shared
// content implementation; the classes with a script node answer IDOMNode through IDOMNodeImpl.
// Classes with behaviour of their own (painting, input, native controls, menus, shortcuts) live
// in the layers that own that behaviour, which build them on the templates here and hand the
// document their own table of classes.
#pragma once
#include "skin/content.h"
#include "skin/dom_ambient_impl.h"
#include "skin/dom_node_impl.h"
#include "skin/text_base_content.h"

namespace velmor {

// An element class that scripts see as a node; every such class also answers IDOMAmbient.
template <class Derived, class... More>
using scNodeContentClass =
    scContentClass<Derived, IDOMNodeImpl<Derived>, Also<IDispatch, IDOMNodeImpl<Derived>>,
                   IDOMAmbientImpl<Derived>, More...>;

// An element whose class lives in a layer above the content tree (the window element, images,
// subwindows): the content tree alone builds it as a plain script node of its tag.
class scPlainNodeContent : public scNodeContentClass<scPlainNodeContent> {
 public:
  explicit scPlainNodeContent(const wchar_t* tag) : m_tag(tag) {}
  const wchar_t* NodeName() const override { return m_tag; }

 private:
  const wchar_t* m_tag;  // one of the factory's constant tag names
};

class scButtonContent : public scNodeContentClass<scButtonContent> {
 public:
  const wchar_t* NodeName() const override { return L"button"; }
};

// Menu bars and menus are not script nodes.
class scMenuBar : public scContentClass<scMenuBar> {
 public:
  const wchar_t* NodeName() const override { return L"menubar"; }
};

class scMenu : public scContentClass<scMenu> {
 public:
  const wchar_t* NodeName() const override { return L"menu"; }
};

class scMenuPopup : public scNodeContentClass<scMenuPopup> {
 public:
  const wchar_t* NodeName() const override { return L"menupopup"; }
};

// Both "menuitem" and "menuseparator" elements.
class scMenuItem : public scNodeContentClass<scMenuItem> {
 public:
  const wchar_t* NodeName() const override { return L"menuitem"; }
};

class scSplitter : public scNodeContentClass<scSplitter> {
 public:
  const wchar_t* NodeName() const override { return L"splitter"; }
};

// A splitter's bar is not a script node.
class scSplitterBar : public scContentClass<scSplitterBar> {
 public:
  const wchar_t* NodeName() const override { return L"splitterbar"; }
};

class scLabelContent : public scNodeContentClass<scLabelContent> {
 public:
  const wchar_t* NodeName() const override { return L"label"; }
};

class scCheckBoxContent : public scNodeContentClass<scCheckBoxContent> {
 public:
  const wchar_t* NodeName() const override { return L"checkbox"; }
};

// A radio is a check box with its own name.
class scRadioContent : public scCheckBoxContent {
 public:
  const wchar_t* NodeName() const override { return L"radio"; }
};

class scWidgetWrapper : public scNodeContentClass<scWidgetWrapper> {
 public:
  const wchar_t* NodeName() const override { return L"widget"; }
};

class scTextBoxContent : public scNodeContentClass<scTextBoxContent> {
 public:
  const wchar_t* NodeName() const override { return L"textbox"; }
};

class scDatePickerContent : public scNodeContentClass<scDatePickerContent> {
 public:
  const wchar_t* NodeName() const override { return L"datepicker"; }
};

class scTimePickerContent : public scNodeContentClass<scTimePickerContent> {
 public:
  const wchar_t* NodeName() const override { return L"timepicker"; }
};

// Key sets and keys are invisible to the mouse: neither they nor anything inside them is hit.
class scKeySetContent : public scNodeContentClass<scKeySetContent> {
 public:
  const wchar_t* NodeName() const override { return L"keyset"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override {
    RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
    m_flags |= kPassThrough | kChildrenNeverHit;
    return S_OK;
  }
};

class scKeyContent : public scNodeContentClass<scKeyContent> {
 public:
  const wchar_t* NodeName() const override { return L"key"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override {
    RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
    m_flags |= kPassThrough | kChildrenNeverHit;
    return S_OK;
  }
};

}  // namespace velmor
