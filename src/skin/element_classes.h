// The element classes, one per skin tag. Each carries the shared content implementation; the
// classes with a script node answer IDOMNode through IDOMNodeImpl. Behaviour of their own
// (painting, input, native controls, menus, shortcuts) and their class-specific script
// interfaces are added to these classes by the subsystems that own them.
#pragma once
#include "skin/content.h"
#include "skin/dom_ambient_impl.h"
#include "skin/dom_node_impl.h"
#include "skin/text_base_content.h"

struct scIWindowPaintLock;

namespace velmor {

// An element class that scripts see as a node; every such class also answers IDOMAmbient.
template <class Derived, class... More>
using scNodeContentClass =
    scContentClass<Derived, IDOMNodeImpl<Derived>, Also<IDispatch, IDOMNodeImpl<Derived>>,
                   IDOMAmbientImpl<Derived>, More...>;

// The root "window" element; also answers the native window through scIWidget.
class scWindowContent : public scNodeContentClass<scWindowContent, scIWidget> {
 public:
  const wchar_t* NodeName() const override { return L"window"; }
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord*, LONG*) override { return E_FAIL; }
  // Asks the document the first time and keeps the answer.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  // At the top of the tree an invalidation becomes the native window's (without erasing the
  // background); nothing happens while the document has no window, it is hidden or its paint
  // lock is held.
  void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) override;

 private:
  HWND m_window = nullptr;
  // The document's paint lock, looked up with the window; it lives as long as the document.
  scIWindowPaintLock* m_paintLock = nullptr;
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

// The classes with painting of their own live with the controls (they include this header for
// the class templates above).
#include "controls/image_content.h"
#include "controls/subwindow_content.h"
