#include "skin/text_base_content.h"

#include <new>
#include <vector>

#include "skin/deferred_handlers.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

// Elements whose last reference went while another element was being released wait here, so a
// long sibling chain or a deep tree is released in a loop rather than by nested destructors.
struct PendingReleases {
  std::vector<scITextBaseContent*> elements;
  bool draining = false;
};
thread_local PendingReleases t_pending;

}  // namespace

scITextBaseContent::~scITextBaseContent() {
  // The first child owns the chain of its siblings: cut the chain and queue every child.
  scITextBaseContent* child = m_firstChild;
  m_firstChild = m_lastChild = nullptr;
  m_childCount = 0;
  try {
    while (child != nullptr) {
      scITextBaseContent* next = child->m_nextSibling;
      child->m_nextSibling = nullptr;
      child->m_previousSibling = nullptr;
      t_pending.elements.push_back(child);
      child = next;
    }
  } catch (...) {
    // Out of memory while queueing: release the rest directly.
    for (; child != nullptr;) {
      scITextBaseContent* next = child->m_nextSibling;
      child->m_nextSibling = nullptr;
      child->Release();
      child = next;
    }
  }
  if (m_extras && m_extras->listenerManager) m_extras->listenerManager->Disconnect();
  m_extras.reset();
  if (m_prototype != nullptr) m_prototype->Release();
  if (!t_pending.draining) {
    t_pending.draining = true;
    while (!t_pending.elements.empty()) {
      scITextBaseContent* next = t_pending.elements.back();
      t_pending.elements.pop_back();
      next->Release();
    }
    t_pending.draining = false;
  }
}

scITextBaseContent* scITextBaseContent::FromContent(scIContent* content) {
  return dynamic_cast<scITextBaseContent*>(content);
}

scITextBaseContent* scITextBaseContent::ParentElement() const {
  if ((m_link & kParentIsElement) == 0) return nullptr;
  return reinterpret_cast<scITextBaseContent*>(m_link & ~static_cast<uintptr_t>(3));
}

HRESULT scITextBaseContent::DispatchToListeners(scEventRecord* record, IDOMEvent** event,
                                                LONG* status) {
  ComPtr<scIEventListenerManager> manager;
  if (FAILED(GetListenerManager(FALSE, &manager)) || !manager) return E_FAIL;
  return manager->HandleEvent(record, event, status);
}

HRESULT scITextBaseContent::PostHandleEvent(scEventRecord* record, LONG* status) { return S_OK; }

HRESULT scITextBaseContent::GetListenerManager(BOOL create, scIEventListenerManager** manager) {
  if (manager == nullptr) return E_POINTER;
  *manager = nullptr;
  if (!m_extras || !m_extras->listenerManager) {
    const bool waiting = HasWaitingSkinHandlers();
    if ((!create && !waiting) || m_ownerDocument == nullptr) return E_FAIL;
    Extras* extras = MakeExtras();
    RETURN_HR_IF_NULL(E_OUTOFMEMORY, extras);
    ComPtr<scIEventListenerManager> created;
    // A document without listener tables (one that only holds content) refuses every element:
    // an answer, not a fault, so it leaves no trace (skins give many elements handlers).
    const HRESULT hr = m_ownerDocument->CreateListenerManager(&created);
    if (FAILED(hr)) return hr;
    RETURN_HR_IF_NULL(E_FAIL, created);
    created->SetOwner(this);
    extras->listenerManager = created;
    // The skin's handlers come first, before any listener added from now on.
    m_flags &= ~kSkinHandlersWaiting;
    if (waiting && m_prototype != nullptr) AddSkinHandlersTo(created.Get(), m_prototype);
  }
  *manager = m_extras->listenerManager.Get();
  (*manager)->AddRef();
  return S_OK;
}

void scITextBaseContent::AdoptSkinHandlers(bool now) {
  if (m_prototype == nullptr) return;
  if (m_extras && m_extras->listenerManager) {
    AddSkinHandlersTo(m_extras->listenerManager.Get(), m_prototype);
    return;
  }
  m_flags |= kSkinHandlersWaiting;
  ComPtr<scIEventListenerManager> made;
  if (now) (void)GetListenerManager(TRUE, &made);
}

bool scITextBaseContent::WaitingSkinHandlerMayHear(std::wstring_view listenerName) const {
  if (!HasWaitingSkinHandlers() || m_prototype == nullptr) return false;
  const auto handlers = m_prototype->m_attributes.WithPrefix(kHandlerPrefix);
  return scPrototypeAttributes::MayEqualIgnoringCase(handlers.first, handlers.second,
                                                     listenerName);
}

scITextBaseContent::Extras* scITextBaseContent::MakeExtras() {
  if (!m_extras) m_extras.reset(new (std::nothrow) Extras());
  return m_extras.get();
}

scIContent* scITextBaseContent::GetChildAt(UINT index) {
  scITextBaseContent* child = m_firstChild;
  for (UINT i = 0; child != nullptr && i < index; ++i) child = child->m_nextSibling;
  return child;
}

int scITextBaseContent::IndexOf(scIContent* content) {
  int index = 0;
  for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
    if (static_cast<scIContent*>(child) == content) return index;
    ++index;
  }
  return -1;
}

void scITextBaseContent::Link(scITextBaseContent* child, UINT index) {
  child->AddRef();  // the list's reference
  if (index == m_childCount) {
    child->m_previousSibling = m_lastChild;
    if (m_lastChild != nullptr) {
      m_lastChild->m_nextSibling = child;
    } else {
      m_firstChild = child;
    }
    m_lastChild = child;
    return;
  }
  scITextBaseContent* before = index == 0 ? m_firstChild : FromContent(GetChildAt(index));
  child->m_nextSibling = before;
  child->m_previousSibling = before->m_previousSibling;
  if (before->m_previousSibling != nullptr) {
    before->m_previousSibling->m_nextSibling = child;
  } else {
    m_firstChild = child;
  }
  before->m_previousSibling = child;
}

void scITextBaseContent::Unlink(scITextBaseContent* child) {
  scITextBaseContent* previous = child->m_previousSibling;
  scITextBaseContent* next = child->m_nextSibling;
  if (previous != nullptr) {
    previous->m_nextSibling = next;
  } else {
    m_firstChild = next;
  }
  if (next != nullptr) {
    next->m_previousSibling = previous;
  } else {
    m_lastChild = previous;
  }
  child->m_nextSibling = nullptr;
  child->m_previousSibling = nullptr;
  child->Release();
}

HRESULT scITextBaseContent::InsertChildAt(scIContent* content, UINT index, BOOL notify) {
  scITextBaseContent* child = FromContent(content);
  RETURN_HR_IF_NULL(E_INVALIDARG, child);
  if (child->m_ownerDocument != m_ownerDocument) return E_FAIL;
  if (index > m_childCount) return E_FAIL;
  // An element sits in one child list at a time (and never in its own).
  if (child == this || child->ParentElement() != nullptr || child->m_previousSibling != nullptr ||
      child->m_nextSibling != nullptr || child == m_firstChild)
    return E_FAIL;
  const bool append = index == m_childCount;
  Link(child, index);
  ++m_childCount;
  const HRESULT hr = child->BindToTree(IsInDocument() ? m_ownerDocument : nullptr, this);
  if (FAILED(hr)) {
    --m_childCount;
    child->AddRef();  // keep it alive across the unlink for the unbind below
    Unlink(child);
    child->UnbindFromTree(TRUE, TRUE);
    child->Release();
    return append ? S_OK : hr;
  }
  return S_OK;
}

HRESULT scITextBaseContent::AppendChildTo(scIContent* child, BOOL notify) {
  return InsertChildAt(child, GetChildCount(), notify);
}

HRESULT scITextBaseContent::BindToTree(scIContentDocument* document, scIContent* parent) {
  m_link = parent != nullptr ? reinterpret_cast<uintptr_t>(parent) | kParentIsElement
                             : reinterpret_cast<uintptr_t>(document);
  if (document != nullptr) m_link |= kInDocument;
  for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling) {
    if (FAILED(child->BindToTree(document, this))) break;
  }
  return S_OK;
}

void scITextBaseContent::UnbindFromTree(BOOL deep, BOOL nullParent) {
  if (nullParent) {
    m_link = 0;
  } else {
    m_link &= ~kInDocument;
  }
  if (deep) {
    for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling)
      child->UnbindFromTree(deep, FALSE);
  }
}

HRESULT scITextBaseContent::SetAttr(const wchar_t* name, const VARIANT& value, BOOL notify) {
  RETURN_HR_IF_NULL(E_INVALIDARG, name);
  try {
    if (!m_extras) m_extras = std::make_unique<Extras>();
    if (!m_extras->liveAttributes) m_extras->liveAttributes = std::make_unique<LiveAttributes>();
    UniqueVariant& stored = m_extras->liveAttributes->try_emplace(name).first->second;
    const HRESULT hr = stored.CopyFrom(value);
    if (FAILED(hr)) {
      stored.Clear();
      V_VT(&stored) = VT_ERROR;
      V_ERROR(&stored) = hr;
      return hr;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

UniqueVariant* scITextBaseContent::FindLive(const wchar_t* name) const {
  if (!m_extras || !m_extras->liveAttributes) return nullptr;
  LiveAttributes& values = *m_extras->liveAttributes;
  const auto live = values.find(name);
  return live != values.end() ? &live->second : nullptr;
}

bool scITextBaseContent::GetAttr(const wchar_t* name, VARIANT* value) {
  if (name == nullptr || value == nullptr) return false;
  if (UniqueVariant* live = FindLive(name)) return SUCCEEDED(::VariantCopy(value, live));
  if (m_prototype == nullptr) return false;
  const scPrototypeText* text = m_prototype->FindAttr(name);
  return text != nullptr && TextToAttrValue(*text, value);
}

bool scITextBaseContent::TextToAttrValue(std::wstring_view text, VARIANT* value) {
  BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (copy == nullptr) return false;
  ::VariantClear(value);
  V_VT(value) = VT_BSTR;
  V_BSTR(value) = copy;
  return true;
}

bool scITextBaseContent::HasAttr(const wchar_t* name) {
  if (name == nullptr) return false;
  if (FindLive(name) != nullptr) return true;
  return m_prototype != nullptr && m_prototype->FindAttr(name) != nullptr;
}

bool scITextBaseContent::AttrValueIs(const wchar_t* name, const VARIANT& value) {
  if (name == nullptr) return false;
  if (VARIANT* stored = FindLive(name)) {
    return V_VT(stored) == V_VT(&value) &&
           ::VarCmp(const_cast<VARIANT*>(&value), stored, LOCALE_USER_DEFAULT, NORM_IGNORECASE) ==
               VARCMP_EQ;
  }
  if (m_prototype == nullptr || V_VT(&value) != VT_BSTR) return false;
  const scPrototypeText* text = m_prototype->FindAttr(name);
  if (text == nullptr) return false;
  const BSTR given = V_BSTR(&value);
  return std::wstring_view(given ? given : L"", ::SysStringLen(given)) == *text;
}

HRESULT scITextBaseContent::UnsetAttr(const wchar_t* name, BOOL notify) {
  RETURN_HR_IF_NULL(E_INVALIDARG, name);
  if (m_prototype != nullptr) {
    const auto it = m_prototype->m_attributes.find(name);
    if (it != m_prototype->m_attributes.end()) m_prototype->m_attributes.erase(it);
  }
  if (m_extras && m_extras->liveAttributes) {
    LiveAttributes& values = *m_extras->liveAttributes;
    const auto live = values.find(name);
    if (live != values.end()) values.erase(live);
  }
  return S_OK;
}

HRESULT scITextBaseContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_HR_IF_NULL(E_INVALIDARG, prototype);
  ReadCommonAttributes(*prototype);
  // The element keeps its prototype (its attribute defaults) and the document that owns it.
  prototype->AddRef();
  if (m_prototype != nullptr) m_prototype->Release();
  m_prototype = prototype;
  m_ownerDocument = prototype->m_ownerDocument;
  return S_OK;
}

void scITextBaseContent::Destroy() {
  for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling)
    child->Destroy();
  ForgetScriptProperties();
  m_link = 0;
  m_flags &= ~kSkinHandlersWaiting;  // they live in the prototype
  if (m_prototype != nullptr) {
    m_prototype->Release();
    m_prototype = nullptr;
  }
}

}  // namespace velmor
