#include "skin/element_classes.h"

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
  // A hidden window keeps no update region and is repainted whole when shown, so the (costly,
  // one per element on every layout) native call is spared while the window is hidden, as it is
  // during loading.
  if (!::IsWindowVisible(window)) return;
  // Likewise while the window's paint lock is held: its release repaints everything.
  ComPtr<scIWindowPaintLock> paintLock;
  if (SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&paintLock))) &&
      paintLock->IsPaintLocked())
    return;
  const RECT rect = {x, y, anchor::Add(x, width), anchor::Add(y, height)};
  ::InvalidateRect(window, &rect, FALSE);
}

}  // namespace velmor
