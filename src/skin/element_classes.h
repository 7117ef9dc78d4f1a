// The element classes the content tree defines itself, one per skin tag. Each carries the shared
// content implementation; the classes scripts see are script objects through the dispatch bridge
// (scScriptContentClass) with the interface table of their class. Classes with behaviour of their
// own (painting, input, native controls, menus, shortcuts) live in the layers that own that
// behaviour, which build them on the templates here and hand the document their own table of
// classes.
#pragma once
#include "skin/class_faces.h"
#include "skin/content.h"
#include "skin/element_interfaces.h"
#include "skin/script_content.h"
#include "skin/text_base_content.h"

namespace velmor {

// An element whose class lives in a layer above the content tree (the window element, images,
// subwindows, buttons, labels, native controls): the content tree alone builds it as a plain
// script node of its tag.
class scPlainNodeContent
    : public scScriptContentClass<scPlainNodeContent, element_interfaces::kWindow> {
 public:
  explicit scPlainNodeContent(const wchar_t* tag) : m_tag(tag) {}
  const wchar_t* NodeName() const override { return m_tag; }

 private:
  const wchar_t* m_tag;  // one of the factory's constant tag names
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

class scMenuPopup : public scScriptContentClass<scMenuPopup, element_interfaces::kMenuPopup,
                                                scMenuPopupFace<scMenuPopup>> {
 public:
  const wchar_t* NodeName() const override { return L"menupopup"; }
};

// Both "menuitem" and "menuseparator" elements.
class scMenuItem : public scScriptContentClass<scMenuItem, element_interfaces::kMenuItem,
                                               scMenuItemFace<scMenuItem>> {
 public:
  const wchar_t* NodeName() const override { return L"menuitem"; }
};

class scSplitter : public scScriptContentClass<scSplitter, element_interfaces::kSplitter,
                                               scSplitterFace<scSplitter>> {
 public:
  const wchar_t* NodeName() const override { return L"splitter"; }
};

// A splitter's bar is not a script node.
class scSplitterBar : public scContentClass<scSplitterBar> {
 public:
  const wchar_t* NodeName() const override { return L"splitterbar"; }
};

// A widget hosts a component from outside the engine; scripts reach the component's own members
// after the wrapper's.
class scWidgetWrapper
    : public scScriptContentClass<scWidgetWrapper, element_interfaces::kWidgetWrapper,
                                  scWidgetWrapperFace<scWidgetWrapper>> {
 public:
  const wchar_t* NodeName() const override { return L"widget"; }
  // The wrapped component's IDispatch; S_FALSE and null while the widget wraps nothing.
  HRESULT GetWrappedDispatch(IDispatch** out) {
    *out = nullptr;
    if (!m_wrapped) return S_FALSE;
    return m_wrapped->QueryInterface(IID_PPV_ARGS(out));
  }

 protected:
  ComPtr<IUnknown> m_wrapped;  // the hosted component, once one has been created
};

// Key sets and keys are invisible to the mouse: neither they nor anything inside them is hit.
class scKeySetContent : public scScriptContentClass<scKeySetContent, element_interfaces::kKeySet> {
 public:
  const wchar_t* NodeName() const override { return L"keyset"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override {
    RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
    m_flags |= kPassThrough | kChildrenNeverHit;
    return S_OK;
  }
};

class scKeyContent : public scScriptContentClass<scKeyContent, element_interfaces::kKey,
                                                 scKeyShortcutFace<scKeyContent>> {
 public:
  const wchar_t* NodeName() const override { return L"key"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override {
    RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
    m_flags |= kPassThrough | kChildrenNeverHit;
    return S_OK;
  }
};

}  // namespace velmor
