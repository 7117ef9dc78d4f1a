#include "base/deferred_invalidation.h"

#include <cstdint>
#include <utility>

namespace velmor {
namespace {

// Per thread: how deep in engine window messages it is, and the windows with kept requests
// (an intrusive list, so keeping a request never allocates).
thread_local int t_messageDepth = 0;
thread_local scDeferredInvalidation* t_pending = nullptr;

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
              a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

int64_t Area(const RECT& r) {
  return static_cast<int64_t>(r.right - r.left) * static_cast<int64_t>(r.bottom - r.top);
}

}  // namespace

scDeferredInvalidation::~scDeferredInvalidation() { Unregister(); }

void scDeferredInvalidation::Invalidate(HWND window, const RECT& given) {
  if (window == nullptr) return;
  // A region made from a rectangle puts swapped edges in order; an empty one repaints nothing.
  RECT rect = given;
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  if (rect.left == rect.right || rect.top == rect.bottom) return;
  if (window != m_window) {
    Flush();
    m_window = window;
  }
  Keep(rect);
  if (t_messageDepth == 0) {
    Flush();
  } else if (!m_registered) {
    Register();
  }
}

void scDeferredInvalidation::Keep(const RECT& rect) {
  // Most requests of a layout lie inside one already kept (children inside their parent):
  // the one that last took a request is tried first.
  if (m_count > 0 && Contains(m_rects[m_count - 1], rect)) return;
  int kept = 0;
  for (int i = 0; i < m_count; ++i) {
    if (Contains(m_rects[i], rect)) {
      // Move it to the end, where the next request looks first.
      const RECT hit = m_rects[i];
      for (int j = i; j + 1 < m_count; ++j) m_rects[j] = m_rects[j + 1];
      m_rects[m_count - 1] = hit;
      return;
    }
  }
  // Rectangles inside the new one are no longer needed.
  for (int i = 0; i < m_count; ++i) {
    if (!Contains(rect, m_rects[i])) m_rects[kept++] = m_rects[i];
  }
  m_count = kept;
  if (m_count < kMaxRects) {
    m_rects[m_count++] = rect;
    return;
  }
  int best = 0;
  int64_t bestGrowth = INT64_MAX;
  for (int i = 0; i < m_count; ++i) {
    const int64_t growth = Area(Union(m_rects[i], rect)) - Area(m_rects[i]);
    if (growth < bestGrowth) {
      bestGrowth = growth;
      best = i;
    }
  }
  const RECT merged = Union(m_rects[best], rect);
  // The merged rectangle may now hold others; keep only those it does not.
  kept = 0;
  for (int i = 0; i < m_count; ++i) {
    if (i != best && !Contains(merged, m_rects[i])) m_rects[kept++] = m_rects[i];
  }
  m_count = kept;
  m_rects[m_count++] = merged;
}

void scDeferredInvalidation::Flush() {
  Unregister();
  const int count = m_count;
  m_count = 0;
  // A hidden window keeps no update region and is repainted whole when shown.
  if (count == 0 || m_window == nullptr || !::IsWindowVisible(m_window)) return;
  if (count == 1) {
    ::InvalidateRect(m_window, &m_rects[0], FALSE);
    return;
  }
  HRGN region = ::CreateRectRgnIndirect(&m_rects[0]);
  HRGN part = ::CreateRectRgn(0, 0, 0, 0);
  if (region == nullptr || part == nullptr) {
    // Without regions each rectangle goes on its own.
    for (int i = 0; i < count; ++i) ::InvalidateRect(m_window, &m_rects[i], FALSE);
  } else {
    for (int i = 1; i < count; ++i) {
      ::SetRectRgn(part, m_rects[i].left, m_rects[i].top, m_rects[i].right, m_rects[i].bottom);
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
