#include "events/event_listener_manager.h"

#include <cwctype>

#include "base/bstr.h"
#include "events/dom_event.h"
#include "script/script_context.h"
#include "script/script_settings.h"
#include "skin/text_base_content.h"

namespace velmor {
namespace {

constexpr LCID kHandlerLocale = 0x400;

// Makes room for one more entry, growing by half again: reserving one more at a time would copy
// the whole list for every handler, which an element with 100,000 handler attributes makes
// quadratic.
template <class List>
void RoomForOneMore(List& list) {
  if (list.size() == list.capacity()) list.reserve(list.size() + list.size() / 2 + 4);
}

bool StartsWithOn(const wchar_t* name) {
  return (name[0] == L'o' || name[0] == L'O') && (name[1] == L'n' || name[1] == L'N');
}

}  // namespace

HRESULT scEventListenerManager::Create(scIEventListenerManager** manager) {
  return scEventListenerManagerImp::Create(manager);
}

HRESULT scEventListenerManagerImp::Resolve(IUnknown* listener, ComPtr<IUnknown>& resolved,
                                           bool& isScript) {
  ComPtr<scIDOMEventListener> native;
  if (SUCCEEDED(listener->QueryInterface(IID_PPV_ARGS(&native)))) {
    resolved = native;
    isScript = false;
    return S_OK;
  }
  ComPtr<IDispatch> function;
  if (SUCCEEDED(listener->QueryInterface(IID_PPV_ARGS(&function)))) {
    resolved = function;
    isScript = true;
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT scEventListenerManagerImp::AddEventListener(IUnknown* listener, const wchar_t* name,
                                                    ULONG flags) {
  if (listener == nullptr || name == nullptr) return E_POINTER;
  ComPtr<IUnknown> resolved;
  bool isScript = false;
  RETURN_IF_FAILED(Resolve(listener, resolved, isScript));
  // Whether a deferred handler takes part in the replacement below depends on whether it compiles.
  if (flags & kListenerAttributeHandler) CompileNamed(name);
  try {
    for (const auto& entry : ExactlyNamed(name)) {
      if (entry->listener.Get() == resolved.Get()) return S_OK;
      // A second attribute handler for a name takes the first one's place.
      if ((entry->flags & kListenerAttributeHandler) && (flags & kListenerAttributeHandler)) {
        entry->flags = flags;
        entry->listener = resolved;
        entry->isScript = isScript;
        return S_OK;
      }
    }
    auto entry = std::make_shared<Entry>();
    entry->listener = resolved;
    entry->isScript = isScript;
    entry->ownName = name;
    entry->name = entry->ownName;
    entry->flags = flags;
    Append(std::move(entry));
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

void scEventListenerManagerImp::Append(std::shared_ptr<Entry> entry) {
  EntryList& folded = m_byFoldedName[Folded(entry->name)];
  RoomForOneMore(m_entries);
  RoomForOneMore(folded);
  // Nothing below throws: the two lists stay in step.
  folded.push_back(entry);
  m_entries.push_back(std::move(entry));
}

HRESULT scEventListenerManagerImp::RemoveEventListener(IUnknown* listener, const wchar_t* name) {
  if (listener == nullptr || name == nullptr) return E_POINTER;
  ComPtr<IUnknown> resolved;
  bool isScript = false;
  RETURN_IF_FAILED(Resolve(listener, resolved, isScript));
  try {
    for (const auto& candidate : ExactlyNamed(name)) {
      if (candidate->listener.Get() != resolved.Get()) continue;
      RemoveEntry(candidate);
      return S_OK;
    }
  }
  VELMOR_CATCH_RETURN()
  return E_FAIL;
}

void scEventListenerManagerImp::RemoveEntry(const std::shared_ptr<Entry>& entry) {
  entry->removed = true;
  const auto folded = m_byFoldedName.find(Folded(entry->name));
  if (folded != m_byFoldedName.end()) {
    Erase(folded->second, entry.get());
    if (folded->second.empty()) m_byFoldedName.erase(folded);
  }
  Erase(m_entries, entry.get());
}

void scEventListenerManagerImp::Erase(EntryList& list, const Entry* entry) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->get() == entry) {
      list.erase(it);
      return;
    }
  }
}

std::wstring scEventListenerManagerImp::Folded(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
  return folded;
}

scEventListenerManagerImp::EntryList scEventListenerManagerImp::MatchingEntries(
    const std::wstring& name) const {
  const auto found = m_byFoldedName.find(Folded(name));
  if (found == m_byFoldedName.end()) return {};
  EntryList matching;
  matching.reserve(found->second.size());
  for (const auto& entry : found->second) {
    if (_wcsicmp(entry->name.data(), name.c_str()) == 0) matching.push_back(entry);
  }
  return matching;
}

scEventListenerManagerImp::EntryList scEventListenerManagerImp::ExactlyNamed(
    const wchar_t* name) const {
  const auto found = m_byFoldedName.find(Folded(name));
  if (found == m_byFoldedName.end()) return {};
  EntryList named;
  for (const auto& entry : found->second) {
    if (entry->name == name) named.push_back(entry);
  }
  return named;
}

HRESULT scEventListenerManagerImp::OwnerScriptContext(ComPtr<scIScriptContext>& context) const {
  scITextBaseContent* owner = scITextBaseContent::FromContent(m_owner);
  scIContentDocument* document = owner != nullptr ? owner->OwnerDocument() : nullptr;
  if (document == nullptr) return E_FAIL;
  ComPtr<IUnknown> unknown;
  if (FAILED(document->GetScriptContext(&unknown)) || !unknown) return E_FAIL;
  return SUCCEEDED(unknown.As(&context)) ? S_OK : E_FAIL;
}

HRESULT scEventListenerManagerImp::AddScriptEventListener(const wchar_t* name,
                                                          const wchar_t* scriptText, ULONG) {
  if (name == nullptr || scriptText == nullptr) return E_INVALIDARG;
  if (m_owner == nullptr) return E_UNEXPECTED;
  ComPtr<scIScriptContext> context;
  RETURN_IF_FAILED(OwnerScriptContext(context));
  // One argument with the default name: the handler's parameter is `event`.
  ComPtr<IDispatch> function;
  RETURN_IF_FAILED(context->CompileFunction(name, 1, nullptr, scriptText, &function));
  RETURN_HR_IF_NULL(E_FAIL, function);
  return AddEventListener(function.Get(), name, kListenerAttributeHandler);
}

HRESULT scEventListenerManagerImp::AddSkinHandlers(scPrototypeElement* prototype) {
  if (prototype == nullptr) return E_INVALIDARG;
  if (m_owner == nullptr) return E_UNEXPECTED;
  // Deferred handlers share the table's one context; should the document's context change, the
  // new one's handlers compile at once.
  ComPtr<scIScriptContext> context;
  RETURN_IF_FAILED(OwnerScriptContext(context));
  // With script debugging on, a handler's syntax error is reported as the handler comes, and a
  // second handler of one name replaces the first only if it compiles: those compile now.
  const bool now = IsScriptDebuggingEnabled() ||
                   (m_deferredContext && m_deferredContext.Get() != context.Get()) ||
                   (m_handlerPrototype != nullptr && m_handlerPrototype != prototype);
  const bool hadEntries = !m_entries.empty();
  if (!now && m_handlerPrototype == nullptr) {
    prototype->AddRef();
    m_handlerPrototype = prototype;
    m_deferredContext = context;
  }
  const auto handlers = prototype->m_attributes.WithPrefix(kHandlerPrefix);
  for (auto it = handlers.first; it != handlers.second; ++it) {
    const wchar_t* name = it->first.data();
    try {
      if (now || (hadEntries && !ExactlyNamed(name).empty())) {
        (void)AddScriptEventListener(name, it->second.data(), 1);
        continue;
      }
      auto entry = std::make_shared<Entry>();
      entry->isScript = true;
      entry->name = it->first;
      entry->flags = kListenerAttributeHandler;
      entry->deferredText = it->second;
      entry->deferred = true;
      Append(std::move(entry));
    }
    VELMOR_CATCH_RETURN()
  }
  return S_OK;
}

scEventListenerManagerImp::~scEventListenerManagerImp() {
  if (m_handlerPrototype != nullptr) m_handlerPrototype->Release();
}

HRESULT scEventListenerManagerImp::HandleUnheardEvent(scEventRecord* record, LONG* status) {
  if (record == nullptr) return E_INVALIDARG;
  if (record->flags & kEventFlagNoListeners) return S_OK;
  std::wstring eventName;
  if (!RecordEventName(*record, eventName)) return E_FAIL;
  if (status != nullptr && *status == kEventStatusStartPrevented)
    record->flags |= kEventFlagPrevented;
  if ((record->flags & kEventFlagPrevented) && status != nullptr) *status = kEventStatusPrevented;
  return S_OK;
}

bool scEventListenerManagerImp::Compile(const std::shared_ptr<Entry>& entry) {
  if (entry->removed) return false;
  if (!entry->deferred) return true;
  entry->deferred = false;
  const std::wstring_view text = entry->deferredText;
  entry->deferredText = {};
  ComPtr<IDispatch> function;
  if (m_deferredContext &&
      SUCCEEDED(m_deferredContext->CompileFunction(entry->name.data(), 1, nullptr, text.data(),
                                                   &function)) &&
      function) {
    entry->listener = function;
    return true;
  }
  RemoveEntry(entry);
  return false;
}

void scEventListenerManagerImp::CompileNamed(const wchar_t* name) {
  try {
    for (const auto& entry : ExactlyNamed(name)) (void)Compile(entry);
  } catch (...) {
  }
}

HRESULT scEventListenerManagerImp::HasAttributeListener(const wchar_t* name) {
  if (name == nullptr) return E_FAIL;
  CompileNamed(name);
  try {
    for (const auto& entry : ExactlyNamed(name)) {
      if (entry->flags & kListenerAttributeHandler) return S_OK;
    }
  } catch (...) {
  }
  return E_FAIL;
}

void scEventListenerManagerImp::CallListener(const Entry& entry, IDOMEvent* event,
                                             scIContent* owner) {
  // The entry may be replaced in place by a listener it calls: hold what is being called.
  ComPtr<IUnknown> listener = entry.listener;
  if (!entry.isScript) {
    ComPtr<scIDOMEventListener> native;
    if (SUCCEEDED(listener.As(&native))) native->HandleEvent(event);
    return;
  }
  ComPtr<IDispatch> function;
  if (FAILED(listener.As(&function))) return;
  VARIANT argument;
  argument.vt = VT_DISPATCH;
  argument.pdispVal = event;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  UniqueVariant result;
  HRESULT hr = E_FAIL;
  ComPtr<IDispatchEx> ex;
  if (owner != nullptr && SUCCEEDED(function.As(&ex))) {
    hr = CallFunctionWithThis(function.Get(), owner, &params, result.Put(), nullptr);
  } else {
    hr = function->Invoke(DISPID_VALUE, IID_NULL, kHandlerLocale, DISPATCH_METHOD, &params,
                          result.Put(), nullptr, nullptr);
  }
  // Returning the boolean false is the short way of calling preventDefault(); 0 or "" is not.
  if (SUCCEEDED(hr) && result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE && event != nullptr)
    event->preventDefault();
}

HRESULT scEventListenerManagerImp::HandleEvent(scEventRecord* record, IDOMEvent** event,
                                               LONG* status) {
  if (record == nullptr) return E_INVALIDARG;
  if (m_entries.empty() || (record->flags & kEventFlagNoListeners)) return S_OK;
  // Without a slot from the caller, an event object made here ends with this walk.
  scEventObjectSlot local;
  if (event == nullptr) event = local.Put();
  std::wstring eventName;
  if (!RecordEventName(*record, eventName)) return E_FAIL;
  std::wstring listenerName;
  try {
    listenerName = L"on" + eventName;
  }
  VELMOR_CATCH_RETURN()
  if (status != nullptr && *status == kEventStatusStartPrevented)
    record->flags |= kEventFlagPrevented;

  // Listeners may disconnect the table or release the owner; both stay alive for the walk.
  ComPtr<scIEventListenerManager> keepSelf(this);
  ComPtr<scIContent> owner(m_owner);
  ComPtr<scIContent> savedTarget = record->target;
  record->target = owner;
  const bool nested = (record->flags & kEventFlagInListeners) != 0;
  record->flags |= kEventFlagInListeners;
  EntryList walk;
  try {
    walk = MatchingEntries(listenerName);
  } catch (...) {
    walk.clear();
  }
  for (const auto& entry : walk) {
    if (!Compile(entry)) continue;
    if (*event == nullptr && FAILED(CreateDOMEvent(record, event))) break;
    CallListener(*entry, *event, owner.Get());
  }
  if (!nested) record->flags &= ~kEventFlagInListeners;
  record->target = savedTarget;
  if ((record->flags & kEventFlagPrevented) && status != nullptr) *status = kEventStatusPrevented;
  return S_OK;
}

HRESULT scEventListenerManagerImp::FireScriptEvent(const wchar_t* name, DISPPARAMS* params,
                                                   VARIANT* result) {
  if (m_entries.empty() || name == nullptr) return S_OK;
  std::wstring listenerName;
  try {
    listenerName = StartsWithOn(name) ? std::wstring(name) : L"on" + std::wstring(name);
  }
  VELMOR_CATCH_RETURN()
  ComPtr<scIEventListenerManager> keepSelf(this);
  ComPtr<scIContent> owner(m_owner);
  EntryList walk;
  try {
    walk = MatchingEntries(listenerName);
  }
  VELMOR_CATCH_RETURN()
  HRESULT hr = S_OK;
  for (const auto& entry : walk) {
    if (!entry->isScript || !Compile(entry)) continue;
    if (result != nullptr) ::VariantClear(result);
    ComPtr<IDispatch> function;
    if (FAILED(entry->listener.As(&function))) continue;
    hr = owner ? CallFunctionWithThis(function.Get(), owner.Get(), params, result, nullptr)
               : function->Invoke(DISPID_VALUE, IID_NULL, kHandlerLocale, DISPATCH_METHOD, params,
                                  result, nullptr, nullptr);
  }
  return hr;
}

HRESULT scEventListenerManagerImp::Disconnect() {
  m_owner = nullptr;
  for (const auto& entry : m_entries) entry->removed = true;
  EntryList gone;
  gone.swap(m_entries);  // listeners are released after the table is consistent again
  m_byFoldedName.clear();
  m_deferredContext.Reset();
  return S_OK;
}

HRESULT scEventListenerManagerImp::SetOwner(scIContent* owner) {
  if (m_owner != nullptr) return E_UNEXPECTED;
  m_owner = owner;
  return S_OK;
}

}  // namespace velmor
