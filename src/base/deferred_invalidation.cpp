#include "base/deferred_invalidation.h"

namespace velmor {
namespace {

// Per thread: how deep in engine window messages it is, and the windows with kept requests
// (an intrusive list, so keeping a request never allocates).
thread_local int t_messageDepth = 0;
thread_local scDeferredInvalidation* t_pending = nullptr;

}  // namespace

scDeferredInvalidation::~scDeferredInvalidation() { Unregister(); }

void scDeferredInvalidation::Invalidate(HWND window, const RECT& rect) {
  if (window == nullptr) return;
  if (window != m_window) {
    Flush();
    m_window = window;
  }
  m_rects.Add(rect);
  if (m_rects.Empty()) return;
  if (t_messageDepth == 0) {
    Flush();
  } else if (!m_registered) {
    Register();
  }
}

void scDeferredInvalidation::Flush() {
  Unregister();
  const scRectSet kept = m_rects;
  m_rects.Clear();
  const int count = kept.Count();
  const RECT* rects = kept.Rects();
  // A hidden window keeps no update region and is repainted whole when shown.
  if (count == 0 || m_window == nullptr || !::IsWindowVisible(m_window)) return;
  if (count == 1) {
    ::InvalidateRect(m_window, &rects[0], FALSE);
    return;
  }
  HRGN region = ::CreateRectRgnIndirect(&rects[0]);
  HRGN part = ::CreateRectRgn(0, 0, 0, 0);
  if (region == nullptr || part == nullptr) {
    // Without regions each rectangle goes on its own.
    for (int i = 0; i < count; ++i) ::InvalidateRect(m_window, &rects[i], FALSE);
  } else {
    for (int i = 1; i < count; ++i) {
      ::SetRectRgn(part, rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
      ::CombineRgn(region, region, part, RGN_OR);
    }
    ::InvalidateRgn(m_window, region, FALSE);
  }
  if (part != nullptr) ::DeleteObject(part);
  if (region != nullptr) ::DeleteObject(region);
}

void scDeferredInvalidation::Register() {
  m_nextPending = t_pending;
  t_pending = this;
  m_registered = true;
}

void scDeferredInvalidation::Unregister() {
  if (!m_registered) return;
  for (scDeferredInvalidation** link = &t_pending; *link != nullptr;
       link = &(*link)->m_nextPending) {
    if (*link == this) {
      *link = m_nextPending;
      break;
    }
  }
  m_nextPending = nullptr;
  m_registered = false;
}

scMessageScope::scMessageScope() { ++t_messageDepth; }

scMessageScope::~scMessageScope() {
  --t_messageDepth;
  FlushDeferredInvalidations();
}

void FlushDeferredInvalidations() {
  // Each flush takes its window off the list.
  while (t_pending != nullptr) t_pending->Flush();
}

}  // namespace velmor
