// Where a document window goes and how scripts move and size it: the geometry members of
// IDOMWindow, system move and size drags started by scripts, the minimum size, the placement
// from the window element's attributes, centring over an opener and keeping a window on its
// screen. Coordinates are screen pixels of the outer window rectangle unless "inner" is said.
#include <cwchar>

#include "screens/dom_screen.h"
#include "screens/screen_manager.h"
#include "skin/attribute_readers.h"
#include "window/document.h"
#include "window/window_content.h"

namespace velmor {
namespace {

struct Box {
  LONG x, y, width, height;
};

Box WindowBox(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The handles of size(): which part of the frame the drag starts from.
struct DragHandle {
  const wchar_t* name;
  WPARAM hitTest;
};
const DragHandle kDragHandles[] = {
    {L"move", HTCAPTION},
    {L"left", HTLEFT},
    {L"top", HTTOP},
    {L"right", HTRIGHT},
    {L"bottom", HTBOTTOM},
    {L"topright", HTTOPRIGHT},
    {L"bottomright", HTBOTTOMRIGHT},
    {L"bottomleft", HTBOTTOMLEFT},
    {L"topleft", HTTOPLEFT},
};

// How far a loosely kept window may leave its screen: this many pixels of it stay on it.
constexpr LONG kLooseMargin = 20;

}  // namespace

scWindowContent* scDocument::WindowElement() const {
  return dynamic_cast<scWindowContent*>(m_content.RootElement());
}

// Geometry getters: 0 without a window (outerHeight: E_UNEXPECTED).

STDMETHODIMP scDocument::get_outerWidth(LONG* value) {
  if (value == nullptr) return E_POINTER;
  *value = m_hWnd != nullptr ? WindowBox(m_hWnd).width : 0;
  return S_OK;
}

STDMETHODIMP scDocument::get_outerHeight(LONG* value) {
  if (value == nullptr) return E_POINTER;
  *value = 0;
  if (m_hWnd == nullptr) return E_UNEXPECTED;
  *value = WindowBox(m_hWnd).height;
  return S_OK;
}

STDMETHODIMP scDocument::get_innerWidth(LONG* value) {
  if (value == nullptr) return E_POINTER;
  RECT client{};
  if (m_hWnd != nullptr) ::GetClientRect(m_hWnd, &client);
  *value = client.right - client.left;
  return S_OK;
}

STDMETHODIMP scDocument::get_innerHeight(LONG* value) {
  if (value == nullptr) return E_POINTER;
  RECT client{};
  if (m_hWnd != nullptr) ::GetClientRect(m_hWnd, &client);
  *value = client.bottom - client.top;
  return S_OK;
}

STDMETHODIMP scDocument::get_screenLeft(LONG* value) {
  if (value == nullptr) return E_POINTER;
  *value = m_hWnd != nullptr ? WindowBox(m_hWnd).x : 0;
  return S_OK;
}

STDMETHODIMP scDocument::get_screenTop(LONG* value) {
  if (value == nullptr) return E_POINTER;
  *value = m_hWnd != nullptr ? WindowBox(m_hWnd).y : 0;
  return S_OK;
}

// Moving and sizing: all immediate, the move time is accepted and ignored.

STDMETHODIMP scDocument::moveTo(LONG x, LONG y, LONG moveTime) {
  if (m_hWnd == nullptr) return S_OK;
  const Box box = WindowBox(m_hWnd);
  return moveSizeTo(x, y, box.width, box.height, moveTime);
}

STDMETHODIMP scDocument::moveBy(LONG dx, LONG dy, LONG moveTime) {
  if (m_hWnd == nullptr) return S_OK;
  const Box box = WindowBox(m_hWnd);
  return moveSizeTo(box.x + dx, box.y + dy, box.width, box.height, moveTime);
}

STDMETHODIMP scDocument::sizeTo(LONG width, LONG height, LONG moveTime) {
  if (m_hWnd == nullptr) return S_OK;
  const Box box = WindowBox(m_hWnd);
  return moveSizeTo(box.x, box.y, width, height, moveTime);
}

STDMETHODIMP scDocument::sizeBy(LONG dWidth, LONG dHeight, LONG moveTime) {
  if (m_hWnd == nullptr) return S_OK;
  const Box box = WindowBox(m_hWnd);
  return moveSizeTo(box.x, box.y, box.width + dWidth, box.height + dHeight, moveTime);
}

STDMETHODIMP scDocument::moveSizeTo(LONG x, LONG y, LONG width, LONG height, LONG) {
  if (m_hWnd == nullptr) return S_OK;
  const Box box = WindowBox(m_hWnd);
  // Asking for the box the window already has changes nothing, yet costs the platform a round of
  // position messages; skins that place their window from many scripts ask for it often. A
  // minimised or maximised window's box is not the one the call would set.
  if (x == box.x && y == box.y && width == box.width && height == box.height &&
      !::IsIconic(m_hWnd) && !::IsZoomed(m_hWnd))
    return S_OK;
  if ((width > box.width || height > box.height) && (x < box.x || y < box.y)) {
    // Growing towards the left or top: lay the content out for the new size first, so the
    // larger window never shows stale content along its new edges.
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    OnSizeChanged(m_sizemode, width - (box.width - client.right),
                  height - (box.height - client.bottom));
  }
  ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
  return S_OK;
}

STDMETHODIMP scDocument::size(BSTR handle) {
  if (handle == nullptr) return S_FALSE;
  if (m_hWnd == nullptr) return S_OK;
  // The system's drag loop runs until the primary button goes up: without it held (a script
  // calling from a timer, a synthesised press) the loop would hold the mouse until the next
  // click, so there is nothing to start.
  const int primary = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  if (::GetKeyState(primary) >= 0) return S_OK;
  for (const DragHandle& entry : kDragHandles) {
    if (_wcsicmp(entry.name, handle) != 0) continue;
    // The system's drag loop takes the mouse itself.
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const LPARAM where = MAKELPARAM(cursor.x, cursor.y);
    // A move starts once the caller's handler has returned; a resize runs its loop right here.
    if (entry.hitTest == HTCAPTION)
      ::PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, entry.hitTest, where);
    else
      ::SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, entry.hitTest, where);
    break;
  }
  return S_OK;
}

STDMETHODIMP scDocument::get_minWidth(LONG* value) {
  if (value == nullptr) return E_POINTER;
  const scWindowContent* element = m_hWnd != nullptr ? WindowElement() : nullptr;
  *value = element != nullptr ? element->MinWidth() : 0;
  return S_OK;
}

STDMETHODIMP scDocument::get_minHeight(LONG* value) {
  if (value == nullptr) return E_POINTER;
  const scWindowContent* element = m_hWnd != nullptr ? WindowElement() : nullptr;
  *value = element != nullptr ? element->MinHeight() : 0;
  return S_OK;
}

STDMETHODIMP scDocument::setMinWidthAndHeight(LONG minWidth, LONG minHeight,
                                              VARIANT_BOOL validate) {
  if (m_hWnd == nullptr) return S_OK;
  if (scWindowContent* element = WindowElement()) element->SetMinSize(minWidth, minHeight);
  if (validate != VARIANT_FALSE) {
    // Moving the window onto its own rectangle applies the new limits at once.
    const Box box = WindowBox(m_hWnd);
    ::MoveWindow(m_hWnd, box.x, box.y, box.width, box.height, TRUE);
  }
  return S_OK;
}

STDMETHODIMP scDocument::get_screen(IDOMScreen** screen) {
  if (screen == nullptr) return E_POINTER;
  *screen = nullptr;
  ComPtr<nsIScreenManager> manager;
  ComPtr<nsIScreen> found;
  if (FAILED(GetScreenManager(&manager)) ||
      FAILED(manager->ScreenForNativeWidget(m_hWnd, &found)) || !found)
    return E_FAIL;
  return scDOMScreen::Create(screen, found.Get());
}

// Placement.

void scDocument::ApplyInitialGeometry(scIContent* root) {
  Box box = WindowBox(m_hWnd);
  const Box current = box;
  struct Field {
    const wchar_t* name;
    LONG* value;
  };
  const Field fields[] = {{L"screenLeft", &box.x},
                          {L"screenTop", &box.y},
                          {L"width", &box.width},
                          {L"height", &box.height}};
  bool any = false;
  for (const Field& field : fields) {
    int32_t value = 0;
    if (!GetIntAttr(root, field.name, value)) continue;
    *field.value = value;
    any = true;
  }
  if (!any) return;
  // A window owned by its opener is placed relative to the opener's top-left corner.
  if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) {
    const Box opener = WindowBox(owner);
    box.x += opener.x;
    box.y += opener.y;
  }
  if (box.x != current.x || box.y != current.y || box.width != current.width ||
      box.height != current.height)
    (void)moveSizeTo(box.x, box.y, box.width, box.height, 0);
}

HRESULT scDocument::CenterOnOpener(IDOMWindow* opener, bool useScreen) {
  if (opener == nullptr && !useScreen) return E_INVALIDARG;
  ComPtr<nsIScreenManager> manager;
  RETURN_IF_FAILED(GetScreenManager(&manager));
  HWND openerWindow = nullptr;
  ComPtr<scIWidget> widget;
  if (opener != nullptr && SUCCEEDED(opener->QueryInterface(IID_PPV_ARGS(&widget))))
    (void)widget->GetWindow(&openerWindow);

  Box target{};
  bool haveTarget = false, overOpener = false;
  ComPtr<nsIScreen> screen;
  if (openerWindow != nullptr && ::IsWindow(openerWindow)) {
    const Box box = WindowBox(openerWindow);
    if (useScreen) {
      (void)manager->ScreenForRect(box.x, box.y, box.width, box.height, &screen);
    } else {
      target = box;
      haveTarget = overOpener = true;
    }
  } else {
    // No opener to be found: centre on the primary screen.
    useScreen = true;
    (void)manager->GetPrimaryScreen(&screen);
  }
  if (useScreen && screen)
    haveTarget = SUCCEEDED(screen->GetAvailRect(&target.x, &target.y, &target.width,
                                                &target.height));
  if (!haveTarget || m_hWnd == nullptr) return S_OK;
  const Box own = WindowBox(m_hWnd);
  LONG x = target.x + (target.width - own.width) / 2;
  LONG y = target.y + (target.height - own.height) / 2;
  // A large opener near the screen's edge must not push its dialog off the screen.
  if (overOpener) (void)ConstrainPosition(false, x, y);
  return moveTo(x, y, 0);
}

HRESULT scDocument::ConstrainPosition(bool loose, LONG& x, LONG& y) {
  if (m_hWnd == nullptr || (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_POPUP) == 0) return S_OK;
  ComPtr<nsIScreenManager> manager;
  ComPtr<nsIScreen> screen;
  RETURN_IF_FAILED(GetScreenManager(&manager));
  RETURN_IF_FAILED(manager->ScreenForNativeWidget(m_hWnd, &screen));
  RETURN_HR_IF_NULL(E_FAIL, screen);
  Box work{};
  RETURN_IF_FAILED(screen->GetAvailRect(&work.x, &work.y, &work.width, &work.height));
  const Box own = WindowBox(m_hWnd);
  auto keep = [loose](LONG& value, LONG low, LONG high, LONG extent) {
    if (loose) {
      if (value < low - extent + kLooseMargin)
        value = low - extent + kLooseMargin;
      else if (value >= high - kLooseMargin)
        value = high - kLooseMargin;
    } else if (value < low) {
      value = low;
    } else if (value >= high - extent) {
      value = high - extent;
    }
  };
  keep(x, work.x, work.x + work.width, own.width);
  keep(y, work.y, work.y + work.height, own.height);
  return S_OK;
}

}  // namespace velmor
