#include "window/window_content.h"

#include "render/paint.h"

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
  // The (costly, one per element on every layout) native call is spared while the window's
  // paint lock is held, since its release repaints everything, and while the window is hidden,
  // since a hidden window keeps no update region and is repainted whole when shown.
  if (m_paintLock != nullptr && m_paintLock->IsPaintLocked()) return;
  if (!::IsWindowVisible(window)) return;
  const RECT rect = {x, y, anchor::Add(x, width), anchor::Add(y, height)};
  ::InvalidateRect(window, &rect, FALSE);
}

}  // namespace velmor
