#include "host/message_loop_ex.h"

#include <dispex.h>

#include <algorithm>

#include "host/message_window.h"

namespace velmor {
namespace {

inline const void* EntryKey(const void* entry) { return entry; }
template <class I>
const void* EntryKey(const ComPtr<I>& entry) {
  return entry.Get();
}

// Walks the list from the last entry to the first. An entry may add or remove entries while it
// is being called: the walk then goes on below the position the called entry holds now (below
// the position it held when it removed itself), so entries added above are not part of this
// walk and nothing beyond the current end is touched. 'visit' answers true to end the walk.
template <class List, class Visit>
bool WalkBackwards(List& list, Visit visit) {
  size_t i = list.size();
  while (i > 0) {
    --i;
    const void* called = EntryKey(list[i]);
    if (visit(list[i])) return true;
    if (i < list.size() && EntryKey(list[i]) == called) continue;  // the list did not move
    size_t next = std::min(i, list.size());
    for (size_t j = std::min(i + 1, list.size()); j-- > 0;) {
      if (EntryKey(list[j]) == called) {
        next = j;
        break;
      }
    }
    i = next;
  }
  return false;
}

// Walks the list from the first entry to the last, each entry once, also when an entry adds or
// removes entries while it is being called (added ones at the end are part of the walk).
template <class List, class Visit>
void WalkForwards(List& list, Visit visit) {
  size_t i = 0;
  while (i < list.size()) {
    const void* called = EntryKey(list[i]);
    visit(list[i]);
    if (i < list.size() && EntryKey(list[i]) == called) {
      ++i;
      continue;
    }
    // The list moved: go on after the called entry if it is still there, else at its old place.
    for (size_t j = std::min(i, list.size()); j-- > 0;) {
      if (EntryKey(list[j]) == called) {
        i = j + 1;
        break;
      }
    }
  }
}

template <class T>
bool EraseLast(std::vector<T*>& list, T* item) {
  auto it = std::find(list.rbegin(), list.rend(), item);
  if (it == list.rend()) return false;
  list.erase(std::next(it).base());
  return true;
}

template <class I>
[[nodiscard]] HRESULT EraseLastMatching(std::vector<ComPtr<I>>& list, IUnknown* object) {
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
    if (list[i].Get() != match.Get()) continue;  // (ComPtr has no comparison operators)
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
  WalkForwards(m_nativeIdleHandlers, [](CIdleHandler* handler) { handler->OnIdle(); });
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
