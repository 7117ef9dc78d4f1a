#include "menus/key_content.h"

#include <cwctype>
#include <string>

#include "menus/key_names.h"
#include "skin/attribute_readers.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

// The prototype's text of 'name' when the skin gives it and it is not empty.
const scPrototypeText* NonEmptyAttr(const scPrototypeElement& prototype, const wchar_t* name) {
  const scPrototypeText* text = prototype.FindAttr(name);
  return text != nullptr && !text->empty() ? text : nullptr;
}

std::wstring_view View(BSTR text) { return {text != nullptr ? text : L"", ::SysStringLen(text)}; }

}  // namespace

HRESULT scKeySetContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_flags |= kPassThrough | kChildrenNeverHit;
  return S_OK;
}

HRESULT scKeyContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_flags |= kPassThrough | kChildrenNeverHit;
  if (const scPrototypeText* words = NonEmptyAttr(*prototype, L"modifiers"))
    m_modifiers = ApplyModifierWords(*words, kModCheckAll, CtrlWord::kSkin);
  // Without modifiers a shortcut wants every modifier up.
  if (const scPrototypeText* key = NonEmptyAttr(*prototype, L"key")) {
    if (m_modifiers == 0) m_modifiers = kModCheckAll;
    // A character names its key directly: letters and digits are their own virtual-key codes.
    m_keyCode = static_cast<int32_t>(std::towupper((*key)[0]));
  } else if (const scPrototypeText* name = NonEmptyAttr(*prototype, L"keycode")) {
    if (m_modifiers == 0) m_modifiers = kModCheckAll;
    m_keyCode = KeyCodeFromName(*name);
  }
  return S_OK;
}

bool scKeyContent::Matches(int32_t code, uint8_t pressed) {
  if (m_keyCode == -1 || m_keyCode != code) return false;
  bool disabled = false;
  if (GetBoolAttr(this, L"disabled", disabled) && disabled) return false;
  for (const uint8_t down : {kModShift, kModAlt, kModCtrl}) {
    const uint8_t check = static_cast<uint8_t>(down << 4);
    if ((m_modifiers & check) != 0 && ((pressed & down) != 0) != ((m_modifiers & down) != 0))
      return false;
  }
  return true;
}

STDMETHODIMP scKeyContent::get_modifiers(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  try {
    const std::wstring words = ModifierWords(m_modifiers);
    *value = ::SysAllocStringLen(words.data(), static_cast<UINT>(words.size()));
    RETURN_IF_NULL_ALLOC(*value);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP scKeyContent::put_modifiers(BSTR value) {
  const uint8_t mask = ApplyModifierWords(View(value), kModCheckAll, CtrlWord::kScript);
  if (mask == kModCheckAll) return S_FALSE;
  m_modifiers = mask;
  return S_OK;
}

STDMETHODIMP scKeyContent::get_keycode(BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  const wchar_t* name = KeyNameFromCode(m_keyCode);
  if (name == nullptr) return S_FALSE;
  *value = ::SysAllocString(name);
  RETURN_IF_NULL_ALLOC(*value);
  return S_OK;
}

STDMETHODIMP scKeyContent::put_keycode(BSTR value) {
  m_keyCode = KeyCodeFromName(View(value));
  return S_OK;
}

}  // namespace velmor
