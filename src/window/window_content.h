// The root "window" element: the top of every document's element tree, the element that answers
// the native window through scIWidget, and the owner of the window-level behaviour of its
// top-level window (window_element.cpp): no system frame unless "titleBar" asks for one, which
// parts of the skin move or resize the window, size limits, refusing to maximize, and the
// "close", "activate", "ok" and "cancel" events. The document passes every message it does not
// handle itself to this element's message map.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/deferred_invalidation.h"
#include "base/window_impl.h"
#include "skin/element_classes.h"

struct scIWindowPaintLock;
struct scIWindowFrame;

namespace velmor {

class scWindowContent
    : public scScriptContentClass<scWindowContent, element_interfaces::kWindow,
                                  IDOMNodeImpl<scWindowContent>, scIWidget>,
      public CMessageMap {
 public:
  // A size limit that was not given.
  static constexpr int32_t kUnset = -1;

  const wchar_t* NodeName() const override { return L"window"; }
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord*, LONG*) override { return E_FAIL; }
  // Reads the window-level attributes after the common ones.
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  // Asks the document the first time and keeps the answer.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  // At the top of the tree an invalidation becomes the native window's (without erasing the
  // background), gathered with the others of the same window message into one native request;
  // nothing happens while the document has no window, it is hidden or its paint lock is held.
  void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) override;

  // The hit-test code of a point in client coordinates (without "titleBar").
  LRESULT HitTestCode(int x, int y);
  int32_t MinWidth() const { return m_minWidth; }
  int32_t MinHeight() const { return m_minHeight; }
  void SetMinSize(int32_t width, int32_t height) {
    m_minWidth = width;
    m_minHeight = height;
  }
  bool HasSystemFrame() const { return m_titleBar; }

  BEGIN_MSG_MAP(scWindowContent)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
    MESSAGE_HANDLER(WM_NCACTIVATE, OnNcActivate)
    MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
    MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  END_MSG_MAP()

 private:
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled);
  // Without "titleBar" the frame is neither measured nor painted.
  LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnNcActivate(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled);
  LRESULT OnActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  // Dispatches a named event; 'activated' (when given) becomes the event object's property.
  void FireNamedEvent(const wchar_t* name, const bool* activated = nullptr);

  HWND m_window = nullptr;
  // The document's paint lock, looked up with the window; it lives as long as the document.
  scIWindowPaintLock* m_paintLock = nullptr;
  // The document's kept frame, told of every request (null when the document keeps none).
  scIWindowFrame* m_frame = nullptr;
  scDeferredInvalidation m_invalidation;

  // Resize margins (text order in the skin: left, top, right, bottom).
  int32_t m_marginLeft = 2, m_marginRight = 2, m_marginTop = 2, m_marginBottom = 2;
  // The size grip in the bottom-right corner; 0 x 0 for none.
  int32_t m_gripWidth = 0, m_gripHeight = 0;
  bool m_titleBar = false;
  int32_t m_minWidth = kUnset, m_minHeight = kUnset, m_maxWidth = kUnset, m_maxHeight = kUnset;
};

}  // namespace velmor
