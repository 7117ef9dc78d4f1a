#include "host/message_loop_ex.h"

#include <dispex.h>

#include <algorithm>

#include "host/message_window.h"

namespace velmor {
namespace {

// Walks positions from the last to the first. An entry may add or remove entries while it is
// being called: the walk goes on with the lower positions that still exist and never reads
// beyond the current end. 'visit' answers true to end the walk.
template <class List, class Visit>
bool WalkBackwards(List& list, Visit visit) {
  size_t i = list.size();
  while (i > 0) {
    --i;
    if (i >= list.size()) {
      i = list.size();  // the list shrank below us: resume at its new end
      continue;
    }
    if (visit(list[i])) return true;
  }
  return false;
}

template <class T>
bool EraseLast(std::vector<T*>& list, T* item) {
  auto it = std::find(list.rbegin(), list.rend(), item);
  if (it == list.rend()) return false;
  list.erase(std::next(it).base());
  return true;
}

template <class I>
HRESULT EraseLastMatching(std::vector<ComPtr<I>>& list, IUnknown* object) {
  if (object == nullptr) return E_POINTER;
  ComPtr<I> match;
  WalkBackwards(list, [&](const ComPtr<I>& entry) {
    ComPtr<I> candidate = entry;  // IObjectIdentity may run foreign code
    if (!IsSameEntry(candidate.Get(), object)) return false;
    match = std::move(candidate);
    return true;
  });
  if (!match) return S_FALSE;
  // Find the entry again: matching may have changed the list.
  for (size_t i = list.size(); i-- > 0;) {
    if (list[i] != match) continue;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    return S_OK;  // 'match' releases the list's reference once the list is consistent again
  }
  return S_FALSE;
}

template <class T>
bool Append(std::vector<T>& list, T item) {
  try {
    list.push_back(std::move(item));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool IsSameEntry(IUnknown* entry, IUnknown* object) {
  if (entry == nullptr || object == nullptr) return false;
  if (IsSameObject(entry, object)) return true;
  ComPtr<IObjectIdentity> identity;
  if (SUCCEEDED(entry->QueryInterface(IID_PPV_ARGS(&identity))) &&
      identity->IsEqualObject(object) == S_OK)
    return true;
  identity.Reset();
  return SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&identity))) &&
         identity->IsEqualObject(entry) == S_OK;
}

bool CMessageLoopEx::AddMessageFilter(CMessageFilter* filter) {
  return filter != nullptr && Append(m_nativeFilters, filter);
}

bool CMessageLoopEx::RemoveMessageFilter(CMessageFilter* filter) {
  return EraseLast(m_nativeFilters, filter);
}

bool CMessageLoopEx::AddIdleHandler(CIdleHandler* handler) {
  return handler != nullptr && Append(m_nativeIdleHandlers, handler);
}

bool CMessageLoopEx::RemoveIdleHandler(CIdleHandler* handler) {
  return EraseLast(m_nativeIdleHandlers, handler);
}

HRESULT CMessageLoopEx::AddScriptFilter(IMsgFilter* filter) {
  if (filter == nullptr) return E_POINTER;
  return Append(m_scriptFilters, ComPtr<IMsgFilter>(filter)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMessageLoopEx::AddScriptIdleHandler(IIdleHandler* handler) {
  if (handler == nullptr) return E_POINTER;
  return Append(m_scriptIdleHandlers, ComPtr<IIdleHandler>(handler)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMessageLoopEx::RemoveScriptFilter(IUnknown* object) {
  return EraseLastMatching(m_scriptFilters, object);
}

HRESULT CMessageLoopEx::RemoveScriptIdleHandler(IUnknown* object) {
  return EraseLastMatching(m_scriptIdleHandlers, object);
}

BOOL CMessageLoopEx::PreTranslateMessage(MSG* msg) {
  if (WalkBackwards(m_nativeFilters,
                    [msg](CMessageFilter* filter) { return filter->PreTranslateMessage(msg) != FALSE; }))
    return TRUE;
  return WalkBackwards(m_scriptFilters, [msg](const ComPtr<IMsgFilter>& entry) {
           ComPtr<IMsgFilter> filter = entry;  // the entry may be removed during its call
           BOOL processed = FALSE;
           const HRESULT hr = filter->PreTranslateMessage(msg, &processed);
           return SUCCEEDED(hr) && processed != FALSE;
         })
             ? TRUE
             : FALSE;
}

BOOL CMessageLoopEx::OnIdle(int /*idleCount*/) {
  for (size_t i = 0; i < m_nativeIdleHandlers.size(); ++i) m_nativeIdleHandlers[i]->OnIdle();
  WalkBackwards(m_scriptIdleHandlers, [](const ComPtr<IIdleHandler>& entry) {
    ComPtr<IIdleHandler> handler = entry;
    handler->OnIdle();
    return false;
  });
  return FALSE;
}

void CMessageLoopEx::Quit() {
  ::PostQuitMessage(0);
  m_quit = true;
  DestroyListenerWindow();
}

}  // namespace velmor
