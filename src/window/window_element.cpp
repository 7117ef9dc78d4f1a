// The window-level behaviour of the root "window" element: its attributes and its message map.
#include <windowsx.h>

#include <dispex.h>

#include <string>

#include "base/bstr.h"
#include "events/dom_event.h"
#include "events/mouse_input.h"
#include "skin/attribute_readers.h"
#include "skin/value_grammar.h"
#include "window/window_content.h"

namespace velmor {
namespace {

// Gives a script object a property, as a script assignment would.
HRESULT SetObjectProperty(IUnknown* object, const wchar_t* name, const VARIANT& value) {
  ComPtr<IDispatchEx> target;
  RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&target)));
  UniqueBstr member(name);
  RETURN_IF_NULL_ALLOC(member.Get());
  DISPID id = DISPID_UNKNOWN;
  RETURN_IF_FAILED(target->GetDispID(member.Get(), fdexNameEnsure | fdexNameCaseSensitive, &id));
  VARIANT argument = value;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &put, 1, 1};
  return target->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                          nullptr, nullptr);
}

}  // namespace

HRESULT scWindowContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  std::wstring text;
  int32_t margins[4];  // left, top, right, bottom
  if (GetStringAttr(this, L"resizeMargins", text) && ParseMarginList(text.c_str(), margins)) {
    m_marginLeft = margins[0];
    m_marginTop = margins[1];
    m_marginRight = margins[2];
    m_marginBottom = margins[3];
  }
  if (GetStringAttr(this, L"bottomRightCorner", text))
    (void)ParseCornerSize(text.c_str(), m_gripWidth, m_gripHeight);
  (void)GetBoolAttr(this, L"titleBar", m_titleBar);
  (void)GetIntAttr(this, L"minWidth", m_minWidth);
  (void)GetIntAttr(this, L"minHeight", m_minHeight);
  (void)GetIntAttr(this, L"maxWidth", m_maxWidth);
  (void)GetIntAttr(this, L"maxHeight", m_maxHeight);
  return S_OK;
}

LRESULT scWindowContent::HitTestCode(int x, int y) {
  const int width = m_rect.width, height = m_rect.height;
  const bool top = y < m_marginTop, bottom = y >= height - m_marginBottom;
  if (x < m_marginLeft) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
  if (x >= width - m_marginRight) return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
  if (top) return HTTOP;
  if (bottom) return HTBOTTOM;
  if (m_gripWidth != 0 && m_gripHeight != 0 && x >= width - m_gripWidth && x < width &&
      y >= height - m_gripHeight && y < height)
    return HTBOTTOMRIGHT;
  // Elements take their own mouse input; the skin's empty background drags the window.
  return scMouseInput::HitTest(this, x, y) != nullptr ? HTCLIENT : HTCAPTION;
}

LRESULT scWindowContent::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  HWND window = nullptr;
  if (m_titleBar || FAILED(GetWindow(&window))) {
    handled = FALSE;
    return 0;
  }
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(window, &point);
  return HitTestCode(point.x, point.y);
}

LRESULT scWindowContent::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = !m_titleBar;
  return 0;
}

LRESULT scWindowContent::OnNcActivate(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = !m_titleBar;
  return TRUE;  // let the activation change
}

LRESULT scWindowContent::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
  // 0: the client area is the whole window rectangle.
  handled = !m_titleBar;
  return 0;
}

LRESULT scWindowContent::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  handled = FALSE;
  if ((wParam & 0xFFF0) != SC_MAXIMIZE) return 0;
  // Read on every request, so scripts may change it at any time.
  bool maximizable = true;
  if (GetBoolAttr(this, L"maximizable", maximizable) && !maximizable) handled = TRUE;
  return 0;
}

LRESULT scWindowContent::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  scEventRecord record(false, kEventClassPlain, kEventClose);
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(this, &record, nullptr, &status);
  // A listener that prevented the default keeps the window open.
  handled = status == kEventStatusPrevented;
  return 0;
}

LRESULT scWindowContent::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (info == nullptr || (m_minWidth == kUnset && m_minHeight == kUnset &&
                          m_maxWidth == kUnset && m_maxHeight == kUnset)) {
    handled = FALSE;
    return 0;
  }
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // Maximized, the skin fills the work area and its resize margins lie outside it.
  info->ptMaxSize = {work.right - work.left + m_marginLeft + m_marginRight,
                     work.bottom - work.top + m_marginTop + m_marginBottom};
  info->ptMaxPosition = {-m_marginLeft, -m_marginTop};
  auto limit = [](int32_t value, int metric) {
    return value != kUnset ? static_cast<LONG>(value) : ::GetSystemMetrics(metric);
  };
  info->ptMinTrackSize = {limit(m_minWidth, SM_CXMINTRACK), limit(m_minHeight, SM_CYMINTRACK)};
  info->ptMaxTrackSize = {limit(m_maxWidth, SM_CXMAXTRACK), limit(m_maxHeight, SM_CYMAXTRACK)};
  return 0;
}

LRESULT scWindowContent::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL&) {
  const WORD state = LOWORD(wParam);
  const bool activated = state == WA_ACTIVE || state == WA_CLICKACTIVE;
  FireNamedEvent(L"activate", &activated);
  return 0;
}

LRESULT scWindowContent::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  switch (LOWORD(wParam)) {
    case IDOK:
      FireNamedEvent(L"ok");
      return 0;
    case IDCANCEL:
      FireNamedEvent(L"cancel");
      return 0;
    default:
      handled = FALSE;
      return 0;
  }
}

void scWindowContent::FireNamedEvent(const wchar_t* name, const bool* activated) {
  scEventRecord record(false, kEventClassPlain, kEventCustom);
  try {
    record.customType = name;
  } catch (...) {
    return;
  }
  scEventObjectSlot event;
  IDOMEvent** slot = event.Put();
  if (activated != nullptr && SUCCEEDED(CreateDOMEvent(&record, slot))) {
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = *activated ? VARIANT_TRUE : VARIANT_FALSE;
    (void)SetObjectProperty(*slot, L"activated", value);
  }
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(this, &record, slot, &status);
}

}  // namespace velmor
