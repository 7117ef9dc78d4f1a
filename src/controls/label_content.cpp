#include "controls/label_content.h"

#include <cwchar>

#include "controls/content_state.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

bool IsValue(const wchar_t* name) { return name != nullptr && wcscmp(name, L"value") == 0; }

}  // namespace

const scPrototypeText* ElementTextForValue(const scPrototypeElement* prototype,
                                           bool scriptValueStored) {
  if (prototype == nullptr || scriptValueStored) return nullptr;
  const scPrototypeText* given = prototype->FindAttr(L"value");
  return given == nullptr || given->empty() ? &prototype->m_text : nullptr;
}

bool scLabelContent::GetAttr(const wchar_t* name, VARIANT* value) {
  const scPrototypeText* text = IsValue(name) && value != nullptr ? ElementText() : nullptr;
  return text != nullptr ? TextToAttrValue(*text, value) : scITextBaseContent::GetAttr(name, value);
}

bool scLabelContent::HasAttr(const wchar_t* name) {
  return (IsValue(name) && ElementText() != nullptr) || scITextBaseContent::HasAttr(name);
}

bool scLabelContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (context == nullptr || context->graphics == nullptr) return true;
  const scLabelLook look = ChooseLabelLook(this, FullContentState(this));
  if ((look.background >> 24) != 0)
    FillBackground(context->graphics, look.background, m_rect.width, m_rect.height);
  UniqueVariant value;
  if (!GetAttr(L"value", &value) || V_VT(&value) != VT_BSTR || ::SysStringLen(V_BSTR(&value)) == 0)
    return true;
  const std::wstring text(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
  DrawLabelText(context->graphics, this, text, look, m_rect.width, m_rect.height);
  return true;
}

HRESULT scLabelContent::PutAndRepaint(const wchar_t* name, const VARIANT& value) {
  RETURN_IF_FAILED(SetAttr(name, value, TRUE));
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
  return S_OK;
}

STDMETHODIMP scLabelContent::get_value(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  UniqueVariant stored;
  if (!GetAttr(L"value", &stored) || V_VT(&stored) != VT_BSTR) return S_OK;
  *value = V_BSTR(&stored);
  V_VT(&stored) = VT_EMPTY;  // handed over
  return S_OK;
}

STDMETHODIMP scLabelContent::put_value(BSTR value) {
  VARIANT text;
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = value;  // copied by the store; a null string stores as empty text
  return PutAndRepaint(L"value", text);
}

STDMETHODIMP scLabelContent::get_foregroundColor(VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  ::VariantInit(value);
  (void)GetAttr(L"foregroundColor", value);
  return S_OK;
}

STDMETHODIMP scLabelContent::put_foregroundColor(VARIANT value) {
  return PutAndRepaint(L"foregroundColor", value);
}

}  // namespace velmor
