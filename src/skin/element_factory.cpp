#include "skin/element_factory.h"

#include <new>

#include "skin/element_classes.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

template <class T>
HRESULT New(scIContent** element) {
  T* object = new (std::nothrow) T();
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *element = static_cast<scIContent*>(object);
  return S_OK;
}

struct TagEntry {
  const wchar_t* tag;
  HRESULT (*create)(scIContent**);
};

const TagEntry kTags[] = {
    {L"window", New<scWindowContent>},
    {L"image", New<scImageContent>},
    {L"subwindow", New<scSubWindowContent>},
    {L"button", New<scButtonContent>},
    {L"menubar", New<scMenuBar>},
    {L"menu", New<scMenu>},
    {L"menupopup", New<scMenuPopup>},
    {L"menuitem", New<scMenuItem>},
    {L"menuseparator", New<scMenuItem>},
    {L"splitter", New<scSplitter>},
    {L"splitterbar", New<scSplitterBar>},
    {L"label", New<scLabelContent>},
    {L"widget", New<scWidgetWrapper>},
    {L"textbox", New<scTextBoxContent>},
    {L"datepicker", New<scDatePickerContent>},
    {L"timepicker", New<scTimePickerContent>},
    {L"checkbox", New<scCheckBoxContent>},
    {L"radio", New<scRadioContent>},
    {L"keyset", New<scKeySetContent>},
    {L"key", New<scKeyContent>},
};
constexpr int kTagCount = static_cast<int>(sizeof(kTags) / sizeof(kTags[0]));

const wchar_t* const kTagNames[] = {
    L"window",   L"image",       L"subwindow", L"button",   L"menubar",
    L"menu",     L"menupopup",   L"menuitem",  L"menuseparator", L"splitter",
    L"splitterbar", L"label",    L"widget",    L"textbox",  L"datepicker",
    L"timepicker",  L"checkbox", L"radio",     L"keyset",   L"key",
};
static_assert(sizeof(kTagNames) / sizeof(kTagNames[0]) == kTagCount);

bool IsHandlerName(const std::wstring& name) {
  return name.size() >= 2 && name[0] == L'o' && name[1] == L'n';
}

}  // namespace

const wchar_t* const* ElementTags(int* count) {
  if (count != nullptr) *count = kTagCount;
  return kTagNames;
}

HRESULT CreateElement(scPrototypeNode* prototype, scIContent** element) {
  if (element == nullptr) return E_POINTER;
  *element = nullptr;
  RETURN_HR_IF_NULL(E_INVALIDARG, prototype);
  if (prototype->m_kind == kPrototypeScript) return S_OK;
  auto* elementPrototype = static_cast<scPrototypeElement*>(prototype);
  const TagEntry* entry = nullptr;
  for (const TagEntry& candidate : kTags) {
    if (elementPrototype->m_tag == candidate.tag) {
      entry = &candidate;
      break;
    }
  }
  if (entry == nullptr) return E_FAIL;
  scIContent* created = nullptr;
  RETURN_IF_FAILED(entry->create(&created));
  const HRESULT hr = InitElement(created, elementPrototype);
  if (FAILED(hr)) {
    created->Destroy();
    created->Release();
    return hr;
  }
  *element = created;
  return S_OK;
}

HRESULT InitElement(scIContent* element, scPrototypeElement* prototype) {
  RETURN_HR_IF_NULL(E_INVALIDARG, element);
  if (FAILED(element->InitFromPrototype(prototype))) return E_FAIL;
  for (const auto& [name, value] : prototype->m_attributes) {
    if (!IsHandlerName(name)) continue;
    ComPtr<scIEventListenerManager> manager;
    if (SUCCEEDED(element->GetListenerManager(TRUE, &manager)) && manager) {
      manager->AddScriptEventListener(name.c_str(), value.c_str(), 1);
    }
  }
  return S_OK;
}

}  // namespace velmor
