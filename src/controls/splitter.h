// scSplitter and scSplitterBar: the "splitter" element divides its box into two panes with a
// draggable bar between them. Its children are exactly the first pane, a "splitterbar" and the
// second pane; the embedded CScSplitterImpl places them and moves the bar with the mouse. The bar
// draws its own image and hands its mouse events to its splitter. Scripts reach the splitter as
// IDOMSplitter; the bar has no script face.
#pragma once
#include <windows.h>

#include <string>

#include "controls/image_box.h"
#include "controls/splitter_impl.h"
#include "skin/element_classes.h"

namespace velmor {

class scSplitter : public scScriptContentClass<scSplitter, element_interfaces::kSplitter,
                                               IDOMNodeImpl<scSplitter, IDOMSplitter>>,
                   public CScSplitterImpl {
 public:
  const wchar_t* NodeName() const override { return L"splitter"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  HRESULT STDMETHODCALLTYPE InsertChildAt(scIContent* child, UINT index, BOOL notify) override;
  bool STDMETHODCALLTYPE LayoutChildren() override;

  // The bar's mouse, with the pointer in the document window's client coordinates.
  void OnBarEvent(uint32_t type, POINT client);
  bool PanesSwapped() const { return m_swapped; }

  // IDOMSplitter
  STDMETHODIMP get_horizontal(VARIANT_BOOL* value) override;
  STDMETHODIMP get_splitterPos(long* value) override;
  STDMETHODIMP put_splitterPos(long value) override;
  STDMETHODIMP get_singlePaneMode(long* value) override;
  STDMETHODIMP put_singlePaneMode(long value) override;
  STDMETHODIMP setPaneMinSize(long pane, long minSize, VARIANT_BOOL update) override;
  STDMETHODIMP getPaneMinSize(long pane, long* minSize) override;
  STDMETHODIMP get_panePlace(VARIANT_BOOL* value) override;
  STDMETHODIMP put_panePlace(VARIANT_BOOL value) override;
  STDMETHODIMP get_bar(IDOMNode** value) override;

 protected:
  bool IsLayoutLocked() const override { return LayoutLockCount() != 0; }
  void InvalidateSplitter() override { InvalidateRect(0, 0, m_rect.width, m_rect.height); }
  bool GhostBarHost(HWND& host, POINT& at) override;

 private:
  RECT Box() const { return RECT{0, 0, m_rect.width, m_rect.height}; }
  // Script pane indexes name the panes as written: swapped panes exchange them.
  int PaneIndex(long pane) const { return m_swapped ? 1 - static_cast<int>(pane) : pane; }

  bool m_swapped = false;
};

class scSplitterBar : public scContentClass<scSplitterBar> {
 public:
  const wchar_t* NodeName() const override { return L"splitterbar"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) override;
  // The bar looks the same in every state: pressing it repaints nothing (a repaint would also
  // wipe the ghost bar drawn over it).
  void STDMETHODCALLTYPE ContentStateChanged() override {}
  // Without a "cursor" of its own the bar shows the sizing cursor across its splitter's bar.
  bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) override;

 private:
  scSplitter* Splitter() const { return dynamic_cast<scSplitter*>(ParentElement()); }

  std::wstring m_image;
  scImageBoxDrawing m_drawing;
};

}  // namespace velmor
