#include "controls/text_box_content.h"

#include <commctrl.h>

#include <string>

#include "base/bstr.h"
#include "base/platform.h"
#include "base/platform_text.h"
#include "skin/attribute_readers.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

// The text a string attribute's getter answers: the attribute when it is a string, else nothing
// (a null string).
HRESULT StringAttribute(scIContent* element, const wchar_t* name, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  std::wstring text;
  if (!GetStringAttr(element, name, text)) return S_OK;
  *value = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetStringAttribute(scIContent* element, const wchar_t* name, BSTR value) {
  VARIANT text;
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = value;  // copied by the store; a null string is an empty one
  return element->SetAttr(name, text, TRUE);
}

}  // namespace

const WindowClassInfo& scTextBoxContent::GetWndClassInfo() {
  static const WindowClassInfo s_info{L"Velmor.Edit", 0, nullptr, nullptr, L"EDIT"};
  return s_info;
}

bool scTextBoxContent::Flag(const wchar_t* name) {
  bool value = false;
  return GetBoolAttr(this, name, value) && value;
}

bool scTextBoxContent::StateColor(const wchar_t* name, const wchar_t* disabledName,
                                  uint32_t& argb) {
  return (native::IsDisabled(this) && GetColorAttr(this, disabledName, argb)) ||
         GetColorAttr(this, name, argb);
}

HRESULT scTextBoxContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  uint32_t background = 0;
  m_brush.Reset();
  if (StateColor(L"backgroundColor", L"disabledBackgroundColor", background) &&
      (background >> 24) != 0) {
    m_background = background;
    m_brush.Reset(native::CreateBrush(background));
  }
  // As with labels, the text between the tags is the value when the attribute gives none.
  std::wstring value;
  if ((!GetStringAttr(this, L"value", value) || value.empty()) && !prototype->m_text.empty()) {
    UniqueBstr text;
    *text.Put() = ::SysAllocStringLen(prototype->m_text.data(),
                                      static_cast<UINT>(prototype->m_text.size()));
    RETURN_IF_NULL_ALLOC(text.Get());
    RETURN_IF_FAILED(SetStringAttribute(this, L"value", text.Get()));
  }
  return S_OK;
}

DWORD scTextBoxContent::EditStyle() {
  DWORD style = ES_AUTOVSCROLL | ES_AUTOHSCROLL;
  if (Flag(L"multiline")) {
    style |= ES_MULTILINE | ES_WANTRETURN;
    // Without horizontal scrolling the lines wrap at the box's edge.
    if (Flag(L"wordWrap")) style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  }
  std::wstring type;
  (void)GetStringAttr(this, L"type", type);
  if (type == L"number") style |= ES_NUMBER;
  if (Flag(L"verticalScrollBar")) style |= WS_VSCROLL;
  if (Flag(L"horizontalScrollBar")) style |= WS_HSCROLL;
  if (type == L"password") style |= ES_PASSWORD;
  if (Flag(L"readOnly")) style |= ES_READONLY;
  return style;
}

HRESULT scTextBoxContent::CreateControl() {
  const DWORD exStyle = Flag(L"border") ? WS_EX_CLIENTEDGE : 0;
  const HRESULT created =
      CreateControlWindow(native::BaseStyle(this) | EditStyle(), exStyle, L"");
  if (created != S_OK) return created;
  std::wstring text;
  if (m_waitingValue) {
    ::SetWindowTextW(m_hWnd, m_waitingValue->c_str());
    m_waitingValue.reset();
  } else if (native::ControlText(this, L"value", text)) {
    ::SetWindowTextW(m_hWnd, text.c_str());
  }
  SetDefaultFont();
  if (native::ControlText(this, L"emptyText", text))
    ::SendMessageW(m_hWnd, EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return S_OK;
}

LRESULT scTextBoxContent::OnReflectedColor(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  HBRUSH brush = m_brush.Get();
  if (brush != nullptr) {
    // The characters' cells take the box's colour too.
    ::SetBkColor(dc, native::ToColorRef(m_background));
  } else {
    // The parent's default colours (which also set the default text colour).
    brush = reinterpret_cast<HBRUSH>(
        ::DefWindowProcW(m_hWnd, message - kReflectedBase, wParam, lParam));
  }
  uint32_t text = 0xFF000000;
  (void)StateColor(L"foregroundColor", L"disabledForegroundColor", text);
  if ((text >> 24) != 0) ::SetTextColor(dc, native::ToColorRef(text));
  return reinterpret_cast<LRESULT>(brush);
}

STDMETHODIMP scTextBoxContent::get_value(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  if (m_hWnd != nullptr) return WindowTextBstr(m_hWnd, value);
  if (m_waitingValue) {
    *value = ::SysAllocStringLen(m_waitingValue->data(), static_cast<UINT>(m_waitingValue->size()));
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  return StringAttribute(this, L"value", value);
}

STDMETHODIMP scTextBoxContent::put_value(BSTR value) {
  // The control is the value while it exists; the skin's attribute stays as written.
  if (m_hWnd == nullptr && !ControlWaiting()) return SetStringAttribute(this, L"value", value);
  try {
    if (m_hWnd == nullptr) {
      m_waitingValue = BoundedText(value, ::SysStringLen(value));
      return S_OK;
    }
    ::SetWindowTextW(m_hWnd, BoundedText(value, ::SysStringLen(value)).c_str());
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

STDMETHODIMP scTextBoxContent::get_clickSelectsAll(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = m_clickSelectsAll ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scTextBoxContent::put_clickSelectsAll(VARIANT_BOOL value) {
  m_clickSelectsAll = value != VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scTextBoxContent::get_emptyText(BSTR* value) {
  return StringAttribute(this, L"emptyText", value);
}

STDMETHODIMP scTextBoxContent::put_emptyText(BSTR value) {
  RETURN_IF_FAILED(SetStringAttribute(this, L"emptyText", value));
  if (m_hWnd != nullptr) {
    try {
      const std::wstring hint = BoundedText(value, ::SysStringLen(value));
      ::SendMessageW(m_hWnd, EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(hint.c_str()));
      // The control takes the new hint without showing it until it next paints.
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    VELMOR_CATCH_RETURN()
  }
  return S_OK;
}

STDMETHODIMP scTextBoxContent::get_readOnly(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  const bool readOnly = m_hWnd != nullptr
                            ? (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_READONLY) != 0
                            : Flag(L"readOnly");
  *value = readOnly ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scTextBoxContent::put_readOnly(VARIANT_BOOL value) {
  const bool readOnly = value != VARIANT_FALSE;
  if (m_hWnd != nullptr) ::SendMessageW(m_hWnd, EM_SETREADONLY, readOnly ? 1 : 0, 0);
  VARIANT stored;
  V_VT(&stored) = VT_BOOL;
  V_BOOL(&stored) = readOnly ? VARIANT_TRUE : VARIANT_FALSE;
  return SetAttr(L"readOnly", stored, TRUE);
}

STDMETHODIMP scTextBoxContent::select() {
  if (m_hWnd == nullptr) return S_OK;
  ::SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
  ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
  return S_OK;
}

STDMETHODIMP scTextBoxContent::focus() {
  // Keys go to the box whether it can be seen or not.
  if (MakeControlOnceSeen(true)) ::SetFocus(m_hWnd);
  return S_OK;
}

}  // namespace velmor
