#include "controls/check_box_content.h"

#include <cwchar>

#include "events/dom_event.h"
#include "events/event_state_manager.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/attribute_readers.h"
#include "skin/event_record.h"

namespace velmor {

const WindowClassInfo& scCheckBoxContent::GetWndClassInfo() {
  static const WindowClassInfo s_info{L"Velmor.Button", 0, nullptr, nullptr, L"BUTTON"};
  return s_info;
}

HRESULT scCheckBoxContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_hasBackground = GetColorAttr(this, L"backgroundColor", m_background);
  m_brush.Reset(m_hasBackground ? native::CreateBrush(m_background) : nullptr);
  return S_OK;
}

HRESULT scCheckBoxContent::CreateControl() {
  const HRESULT created = NativeBase::CreateControl();
  if (created != S_OK) return created;
  // A mark set before the control existed shows in it.
  if ((m_state & kStateChecked) != 0) ::SendMessageW(m_hWnd, BM_SETCHECK, BST_CHECKED, 0);
  return S_OK;
}

STDMETHODIMP scCheckBoxContent::get_checked(BOOL* value) {
  if (value == nullptr) return E_POINTER;
  const bool checked = m_hWnd != nullptr
                           ? (::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0
                           : (IntrinsicState() & kStateChecked) != 0;
  *value = checked ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scCheckBoxContent::put_checked(BOOL value) {
  const bool checked = value == VARIANT_TRUE;
  if (checked) {
    m_state |= kStateChecked;
  } else {
    m_state &= ~static_cast<uint32_t>(kStateChecked);
  }
  if (m_hWnd != nullptr)
    ::SendMessageW(m_hWnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  return S_OK;
}

LRESULT scCheckBoxContent::OnSetCheck(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if ((wParam & BST_CHECKED) != 0) {
    m_state |= kStateChecked;
  } else {
    m_state &= ~static_cast<uint32_t>(kStateChecked);
  }
  handled = FALSE;  // the control draws its mark
  return 0;
}

LRESULT scCheckBoxContent::OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (HIWORD(wParam) != BN_CLICKED) {
    handled = FALSE;
    return 0;
  }
  if (ControlStyle() == BS_AUTORADIOBUTTON) UncheckWaitingRadios();
  // Handlers may close the window, which lets go of the tree and this element.
  ComPtr<scIContent> keep(this);
  scEventRecord record(false, kEventClassPlain, kEventClick);
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(this, &record, nullptr, &status);
  return 0;
}

void scCheckBoxContent::UncheckWaitingRadios() {
  scITextBaseContent* root = this;
  while (root->ParentElement() != nullptr) root = root->ParentElement();
  for (scITextBaseContent* element = root; element != nullptr;) {
    if (element != this && std::wcscmp(element->NodeName(), L"radio") == 0) {
      auto* radio = static_cast<scRadioContent*>(element);
      HWND host = nullptr;
      POINT at{};
      if (radio->ControlWaiting() && native::FindHostWindow(radio, host, at) && host == m_host)
        radio->m_state &= ~static_cast<uint32_t>(kStateChecked);
    }
    // The next element in document order.
    if (scITextBaseContent* child = element->FirstChild()) {
      element = child;
      continue;
    }
    while (element != nullptr && element != root && element->NextSibling() == nullptr)
      element = element->ParentElement();
    element = element != nullptr && element != root ? element->NextSibling() : nullptr;
  }
}

LRESULT scCheckBoxContent::OnReflectedColor(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (!m_brush) {
    handled = FALSE;  // the parent's default colours
    return 0;
  }
  ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
  return reinterpret_cast<LRESULT>(m_brush.Get());
}

bool scRadioContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (!m_hasBackground || context == nullptr || context->graphics == nullptr) return true;
  FillBackground(context->graphics, m_background, m_rect.width, m_rect.height);
  return true;
}

}  // namespace velmor
