#include "events/mouse_input.h"

#include "base/platform_text.h"

#include <commctrl.h>


#include "base/bstr.h"
#include "events/dom_event.h"
#include "skin/text_base_content.h"
#include "events/element_cursor.h"

namespace velmor {
namespace {

constexpr UINT kTooltipZOrderFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;  // 0x213

bool IsTooltipMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || message == WM_LBUTTONUP ||
         message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

TTTOOLINFOW ToolInfo(HWND window, scIContent* element) {
  TTTOOLINFOW info{};
  // The size of this build's structure: a 32-bit size on x64 makes the control drop the text.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = 0;
  info.hwnd = window;
  info.uId = reinterpret_cast<UINT_PTR>(element);
  return info;
}

}  // namespace

scIContent* scMouseInput::HitTest(scIContent* element, int x, int y) {
  scITextBaseContent* parent = scITextBaseContent::FromContent(element);
  if (parent == nullptr || (parent->FlagsWord() & scITextBaseContent::kChildrenNeverHit))
    return nullptr;
  for (scITextBaseContent* child = parent->FirstChild(); child != nullptr;
       child = child->NextSibling()) {
    const scRect& r = child->Rect();
    if (x < r.x || y < r.y || x >= r.x + r.width || y >= r.y + r.height) continue;
    if (!child->IsVisible() || (child->IntrinsicState() & kStateDisabled)) continue;
    if (scIContent* inner = HitTest(child, x - r.x, y - r.y)) return inner;
    if ((child->FlagsWord() & scITextBaseContent::kPassThrough) == 0) return child;
  }
  return nullptr;
}

bool scMouseInput::HandleMessage(HWND window, scIContent* root, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  const POINT point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  // Nested messages (a handler moving the mouse) keep the outer message's relay data intact.
  const HWND savedWindow = m_window;
  const UINT savedMessage = m_message;
  const WPARAM savedWParam = m_wParam;
  const LPARAM savedLParam = m_lParam;
  m_window = window;
  m_message = message;
  m_wParam = wParam;
  m_lParam = lParam;
  const bool savedMouseKeys = m_mouseKeys;
  m_mouseKeys = message != WM_MOUSELEAVE && message != WM_CAPTURECHANGED;
  bool handled = true;
  switch (message) {
    case WM_MOUSEMOVE:
      if (root != nullptr) OnMouseMove(root, point);
      break;
    case WM_LBUTTONDOWN:
      if (root != nullptr) OnLeftDown(root, point);
      break;
    case WM_LBUTTONUP:
      if (root != nullptr) OnLeftUp(root, point);
      break;
    case WM_LBUTTONDBLCLK:
      if (root != nullptr) OnDoubleClick(root, point);
      break;
    case WM_RBUTTONDOWN:
      if (root != nullptr) OnRightDown(root, point);
      break;
    case WM_RBUTTONUP:
      SetContentState(nullptr, kStateActive);
      // The capture a right press took goes with its release unless the left button holds it.
      if (!m_active && (wParam & MK_LBUTTON) == 0 && ::GetCapture() == window)
        ::ReleaseCapture();
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      break;
    case WM_CAPTURECHANGED:
      ForgetCursor();  // the new capture's owner may have set its own
      SetContentState(nullptr, kStateActive);
      break;
    default:
      handled = false;
      break;
  }
  m_window = savedWindow;
  m_message = savedMessage;
  m_wParam = savedWParam;
  m_lParam = savedLParam;
  m_mouseKeys = savedMouseKeys;
  return handled;
}

void scMouseInput::FillRecord(scMouseEventRecord& record, LONG button, POINT point) {
  record.Fill(m_stateManager, m_message, &point, m_mouseKeys ? &m_wParam : nullptr);
  record.button = button;
}

scIContent* scMouseInput::HitOrRoot(scIContent* root, POINT point) {
  scIContent* hit = HitTest(root, point.x, point.y);
  return hit != nullptr ? hit : root;
}

void scMouseInput::Dispatch(scIContent* target, scMouseEventRecord& record) {
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(target, &record, nullptr, &status);
}

void scMouseInput::OnMouseMove(scIContent* root, POINT point) {
  if (!m_trackingLeave) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
    if (::_TrackMouseEvent(&track)) m_trackingLeave = true;
  }
  scMouseEventRecord record(false, kEventMouseMove);
  FillRecord(record, 0, point);
  // The pressed element keeps receiving the mouse until the release.
  ComPtr<scIContent> target = m_active ? m_active : ComPtr<scIContent>(HitOrRoot(root, point));
  TooltipStep(target.Get());
  UpdateCursor(target.Get());
  HoverStep(record, target.Get());
  Dispatch(target.Get(), record);
}

void scMouseInput::OnLeftDown(scIContent* root, POINT point) {
  scMouseEventRecord record(false, kEventLButtonDown);
  FillRecord(record, 0, point);
  ComPtr<scIContent> target(HitOrRoot(root, point));
  ::SetCapture(m_window);
  TooltipStep(target.Get());
  SetContentState(target.Get(), kStateActive);
  Dispatch(target.Get(), record);
}

void scMouseInput::OnLeftUp(scIContent* root, POINT point) {
  scMouseEventRecord record(false, kEventLButtonUp);
  FillRecord(record, 0, point);
  ComPtr<scIContent> hit(HitOrRoot(root, point));
  ComPtr<scIContent> pressed = m_active;
  ComPtr<scIContent> target = pressed ? pressed : hit;
  TooltipStep(target.Get());
  SetContentState(nullptr, kStateActive);
  Dispatch(target.Get(), record);
  // A click needs the press and the release on the same element.
  if (pressed && pressed.Get() == hit.Get()) {
    scMouseEventRecord click(false, kEventClick);
    FillRecord(click, 0, point);
    Dispatch(pressed.Get(), click);
  }
  ::ReleaseCapture();
}

void scMouseInput::OnDoubleClick(scIContent* root, POINT point) {
  scMouseEventRecord record(false, kEventDblClick);
  FillRecord(record, 0, point);
  ComPtr<scIContent> target(HitOrRoot(root, point));
  Dispatch(target.Get(), record);
}

void scMouseInput::OnRightDown(scIContent* root, POINT point) {
  scMouseEventRecord record(false, kEventRButtonDown);
  FillRecord(record, 2, point);
  ComPtr<scIContent> target(HitOrRoot(root, point));
  ::SetCapture(m_window);
  TooltipStep(target.Get());
  Dispatch(target.Get(), record);
}

void scMouseInput::OnMouseLeave() {
  m_trackingLeave = false;
  ForgetCursor();  // outside the client area others set the cursor
  scMouseEventRecord record(false, kEventMouseOut);
  FillRecord(record, 0, POINT{0, 0});
  SetContentState(nullptr, kStateActive);
  HoverStep(record, nullptr);
}

void scMouseInput::HoverStep(const scMouseEventRecord& record, scIContent* element) {
  if (record.type == kEventMouseMove && element != nullptr) {
    if (element == m_hover.Get() || element == m_entering) return;
    ComPtr<scIContent> entering(element);
    ComPtr<scIContent> previous = m_hover;
    if (previous) {
      // The hover state moves with the "mouseover" below, not here.
      scMouseEventRecord out(false, kEventMouseOut);
      FillRecord(out, 0, record.point);
      out.relatedTarget = entering;
      Dispatch(previous.Get(), out);
    }
    m_entering = element;
    SetContentState(element, kStateHover);
    scMouseEventRecord over(false, kEventMouseOver);
    FillRecord(over, 0, record.point);
    over.relatedTarget = previous;
    Dispatch(element, over);
    m_hover = entering;
    m_entering = nullptr;
    return;
  }
  if (record.type == kEventMouseOut && m_hover) {
    ComPtr<scIContent> left = m_hover;
    SetContentState(nullptr, kStateHover);
    scMouseEventRecord out(false, kEventMouseOut);
    FillRecord(out, 0, POINT{0, 0});
    Dispatch(left.Get(), out);
    if (m_hover.Get() == left.Get()) m_hover.Reset();
  }
}

bool scMouseInput::AnyButtonDown() const {
  if (m_mouseKeys) return (m_wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
  return ::GetKeyState(VK_LBUTTON) < 0 || ::GetKeyState(VK_RBUTTON) < 0 ||
         ::GetKeyState(VK_MBUTTON) < 0;
}

void scMouseInput::UpdateCursor(scIContent* element) {
  // The element's cursor, as SetElementCursor chooses it, with the shared handle kept. The
  // platform keeps a cursor until something sets another, so the (costly) call is made only when
  // the cursor differs from the one this window set last, or when it may have been replaced.
  const LPCWSTR id = ElementCursorId(element);
  if (id == m_cursorId && m_cursorSet) return;
  if (id != m_cursorId || m_cursor == nullptr) {
    m_cursor = ::LoadCursorW(nullptr, id);
    m_cursorId = id;
  }
  ::SetCursor(m_cursor);
  m_cursorSet = m_cursor != nullptr;
}

// Tooltips

bool scMouseInput::EnsureTooltipWindow() {
  if (m_tooltip != nullptr) return true;  // owned by the window, gone only with it
  m_tooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, nullptr, nullptr);
  if (m_tooltip == nullptr) return false;
  ::SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
  return true;
}

void scMouseInput::RelayToTooltip() {
  if (m_tooltip == nullptr) return;
  MSG msg{m_window, m_message, m_wParam, m_lParam, static_cast<DWORD>(::GetMessageTime()), {}};
  const DWORD pos = ::GetMessagePos();
  msg.pt = {static_cast<int16_t>(LOWORD(pos)), static_cast<int16_t>(HIWORD(pos))};
  ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void scMouseInput::TooltipStep(scIContent* element) {
  if (!IsTooltipMessage(m_message) || AnyButtonDown()) {
    RelayToTooltip();
    return;
  }
  if (!EnsureTooltipWindow()) return;
  if (element == nullptr || element == m_tooltipElement.Get()) {
    RelayToTooltip();
    return;
  }
  UniqueVariant text;
  if (!element->GetAttr(L"tooltip", text.Put()) || text.vt != VT_BSTR || text.bstrVal == nullptr) {
    // Deactivated only: the registered tool and the tooltip element stay, so the tooltip stays
    // off over that element until another element's tooltip is registered.
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
    return;
  }
  TTTOOLINFOW info = ToolInfo(m_window, element);
  const POINT origin = AbsolutePosition(element);
  if (scITextBaseContent* e = scITextBaseContent::FromContent(element)) {
    info.rect = {origin.x, origin.y, origin.x + e->Rect().width, origin.y + e->Rect().height};
  }
  std::wstring shown = BoundedText(text.bstrVal, ::SysStringLen(text.bstrVal));
  info.lpszText = shown.data();
  ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  ::SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
  ::SetWindowPos(m_tooltip, HWND_TOP, 0, 0, 0, 0, kTooltipZOrderFlags);
  RelayToTooltip();
  if (m_tooltipElement) {
    TTTOOLINFOW old = ToolInfo(m_window, m_tooltipElement.Get());
    ::SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
  }
  m_tooltipElement = element;
}

// State

HRESULT scMouseInput::GetContentState(scIContent* element, ULONG* state) {
  if (state == nullptr) return E_POINTER;
  *state = 0;
  RETURN_HR_IF_NULL(E_INVALIDARG, element);
  ULONG bits = element->IntrinsicState();
  if (element == m_active.Get()) bits |= kStateActive;
  if (element == m_stateHover.Get()) bits |= kStateHover;
  *state = bits;
  return S_OK;
}

HRESULT scMouseInput::SetContentState(scIContent* element, ULONG state) {
  ComPtr<scIContent> oldActive, newActive, oldHover, newHover;
  bool activeChanged = false, hoverChanged = false;
  if ((state & kStateActive) && element != m_active.Get()) {
    oldActive = m_active;
    newActive = element;
    m_active = element;
    activeChanged = true;
  }
  if ((state & kStateHover) && element != m_stateHover.Get()) {
    oldHover = m_stateHover;
    newHover = element;
    m_stateHover = element;
    hoverChanged = true;
  }
  if (activeChanged) {
    if (newActive) newActive->ContentStateChanged();
    if (oldActive) oldActive->ContentStateChanged();
  }
  if (hoverChanged) {
    if (newHover) newHover->ContentStateChanged();
    if (oldHover) oldHover->ContentStateChanged();
  }
  return S_OK;
}

void scMouseInput::Reset() {
  m_active.Reset();
  m_stateHover.Reset();
  m_hover.Reset();
  m_entering = nullptr;
  m_tooltipElement.Reset();
  m_trackingLeave = false;
  ForgetCursor();
  // Owned by the document window, the tooltip window is destroyed with it.
  if (m_tooltip != nullptr && ::IsWindow(m_tooltip)) ::DestroyWindow(m_tooltip);
  m_tooltip = nullptr;
}

}  // namespace velmor
