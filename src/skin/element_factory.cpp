#include "skin/element_factory.h"

#include <new>

#include "script/script_settings.h"
#include "skin/deferred_handlers.h"
#include "skin/element_classes.h"
#include "skin/prototype.h"
#include "skin/text_base_content.h"

namespace velmor {
namespace {

[[nodiscard]] HRESULT NewPlainNode(const wchar_t* tag, scIContent** element) {
  auto* object = new (std::nothrow) scPlainNodeContent(tag);
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *element = static_cast<scIContent*>(object);
  return S_OK;
}

// Menu bars and menus are not script nodes, whichever layer builds them.
class scPlainElementContent : public scContentClass<scPlainElementContent> {
 public:
  explicit scPlainElementContent(const wchar_t* tag) : m_tag(tag) {}
  const wchar_t* NodeName() const override { return m_tag; }

 private:
  const wchar_t* m_tag;  // one of the factory's constant tag names
};

HRESULT NewPlainElement(const wchar_t* tag, scIContent** element) {
  auto* object = new (std::nothrow) scPlainElementContent(tag);
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *element = static_cast<scIContent*>(object);
  return S_OK;
}

// Separators are menu items to scripts.
HRESULT NewPlainSeparator(const wchar_t*, scIContent** element) {
  return NewPlainNode(L"menuitem", element);
}

const ElementClass kPlainClasses[] = {
    {L"window", NewPlainNode},
    {L"image", NewPlainNode},
    {L"subwindow", NewPlainNode},
    {L"button", NewPlainNode},
    {L"menubar", NewPlainElement},
    {L"menu", NewPlainElement},
    {L"menupopup", NewPlainNode},
    {L"menuitem", NewPlainNode},
    {L"menuseparator", NewPlainSeparator},
    {L"splitter", NewPlainNode},
    {L"splitterbar", NewPlainNode},
    {L"label", NewPlainNode},
    {L"widget", NewPlainNode},
    {L"textbox", NewPlainNode},
    {L"datepicker", NewPlainNode},
    {L"timepicker", NewPlainNode},
    {L"checkbox", NewPlainNode},
    {L"radio", NewPlainNode},
    {L"keyset", NewPlainNode},
    {L"key", NewPlainNode},
};
constexpr int kTagCount = static_cast<int>(sizeof(kPlainClasses) / sizeof(kPlainClasses[0]));
const ElementClassTable kPlainTable{kPlainClasses, kTagCount};

const wchar_t* const kTagNames[] = {
    L"window",   L"image",       L"subwindow", L"button",   L"menubar",
    L"menu",     L"menupopup",   L"menuitem",  L"menuseparator", L"splitter",
    L"splitterbar", L"label",    L"widget",    L"textbox",  L"datepicker",
    L"timepicker",  L"checkbox", L"radio",     L"keyset",   L"key",
};
static_assert(sizeof(kTagNames) / sizeof(kTagNames[0]) == kTagCount);

}  // namespace

const ElementClassTable& PlainElementClasses() { return kPlainTable; }

const wchar_t* const* ElementTags(int* count) {
  if (count != nullptr) *count = kTagCount;
  return kTagNames;
}

[[nodiscard]] HRESULT CreateElement(scPrototypeNode* prototype, scIContent** element) {
  return CreateElement(kPlainTable, prototype, element);
}

[[nodiscard]] HRESULT CreateElement(const ElementClassTable& classes, scPrototypeNode* prototype,
                      scIContent** element) {
  if (element == nullptr) return E_POINTER;
  *element = nullptr;
  RETURN_HR_IF_NULL(E_INVALIDARG, prototype);
  if (prototype->m_kind == kPrototypeScript) return S_OK;
  auto* elementPrototype = static_cast<scPrototypeElement*>(prototype);
  const ElementClass* entry = nullptr;
  const std::wstring_view tag = elementPrototype->m_tag;
  for (int i = 0; i < classes.count && !tag.empty(); ++i) {
    // The first letter rules out most classes before a whole comparison.
    if (classes.classes[i].tag[0] == tag[0] && tag == classes.classes[i].tag) {
      entry = &classes.classes[i];
      break;
    }
  }
  if (entry == nullptr) return E_FAIL;
  scIContent* created = nullptr;
  RETURN_IF_FAILED(entry->create(entry->tag, &created));
  const HRESULT hr = InitElement(created, elementPrototype);
  if (FAILED(hr)) {
    created->Destroy();
    created->Release();
    return hr;
  }
  *element = created;
  return S_OK;
}

[[nodiscard]] HRESULT InitElement(scIContent* element, scPrototypeElement* prototype) {
  RETURN_HR_IF_NULL(E_INVALIDARG, element);
  if (FAILED(element->InitFromPrototype(prototype))) return E_FAIL;
  const auto handlers = prototype->m_attributes.WithPrefix(kHandlerPrefix);
  if (handlers.first == handlers.second) return S_OK;
  // With script debugging on, a handler's syntax error is reported while its skin loads.
  const bool now = IsScriptDebuggingEnabled();
  if (scITextBaseContent* content = scITextBaseContent::FromContent(element)) {
    content->AdoptSkinHandlers(now);
    return S_OK;
  }
  ComPtr<scIEventListenerManager> manager;
  if (SUCCEEDED(element->GetListenerManager(TRUE, &manager)) && manager)
    AddSkinHandlersTo(manager.Get(), prototype);
  return S_OK;
}

void AddSkinHandlersTo(scIEventListenerManager* table, scPrototypeElement* prototype) {
  ComPtr<scIDeferredScriptListeners> deferred;
  if (SUCCEEDED(table->QueryInterface(IID_PPV_ARGS(&deferred)))) {
    (void)deferred->AddSkinHandlers(prototype);
    return;
  }
  const auto handlers = prototype->m_attributes.WithPrefix(kHandlerPrefix);
  for (auto it = handlers.first; it != handlers.second; ++it)
    (void)table->AddScriptEventListener(it->first.data(), it->second.data(), 1);
}

}  // namespace velmor
