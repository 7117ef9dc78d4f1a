// The root "window" element: the top of every document's element tree, and the element that
// answers the native window through scIWidget.
#pragma once
#include <windows.h>

#include "base/deferred_invalidation.h"
#include "skin/element_classes.h"

struct scIWindowPaintLock;

namespace velmor {

class scWindowContent
    : public scScriptContentClass<scWindowContent, element_interfaces::kWindow,
                                  IDOMNodeImpl<scWindowContent>, scIWidget> {
 public:
  const wchar_t* NodeName() const override { return L"window"; }
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord*, LONG*) override { return E_FAIL; }
  // Asks the document the first time and keeps the answer.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  // At the top of the tree an invalidation becomes the native window's (without erasing the
  // background), gathered with the others of the same window message into one native request;
  // nothing happens while the document has no window, it is hidden or its paint lock is held.
  void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) override;

 private:
  HWND m_window = nullptr;
  // The document's paint lock, looked up with the window; it lives as long as the document.
  scIWindowPaintLock* m_paintLock = nullptr;
  scDeferredInvalidation m_invalidation;
};

}  // namespace velmor
