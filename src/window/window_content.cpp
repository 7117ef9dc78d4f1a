#include "window/window_content.h"

#include "render/paint.h"
#include "render/window_frame.h"

namespace velmor {

HRESULT scWindowContent::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  if (m_window == nullptr && m_ownerDocument != nullptr) {
    ComPtr<scIWidget> widget;
    if (SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&widget)))) {
      HWND answer = nullptr;
      if (SUCCEEDED(widget->GetWindow(&answer))) m_window = answer;
    }
    ComPtr<scIWindowPaintLock> paintLock;
    if (m_window != nullptr &&
        SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&paintLock))))
      m_paintLock = paintLock.Get();  // not owned: the document owns this element
    ComPtr<scIWindowFrame> frame;
    if (m_window != nullptr && SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&frame))))
      m_frame = frame.Get();  // not owned either
  }
  *window = m_window;
  return m_window != nullptr ? S_OK : E_FAIL;
}

void scWindowContent::InvalidateRect(int x, int y, int width, int height) {
  if (ParentElement() != nullptr) {
    scITextBaseContent::InvalidateRect(x, y, width, height);
    return;
  }
  HWND window = nullptr;
  if (FAILED(GetWindow(&window)) || window == nullptr) return;
  // Nothing is kept while the window's paint lock is held, since its release repaints
  // everything; a hidden window's requests are dropped when they are handed over.
  if (m_paintLock != nullptr && m_paintLock->IsPaintLocked()) return;
  const RECT rect = {x, y, anchor::Add(x, width), anchor::Add(y, height)};
  // The kept frame learns of it now, even when the platform drops the request.
  if (m_frame != nullptr) m_frame->MarkStale(rect);
  m_invalidation.Invalidate(window, rect);
}

}  // namespace velmor
