#include "base/rect_set.h"

#include <cstdint>
#include <utility>

namespace velmor {
namespace {

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

void scRectSet::Add(const RECT& given) {
  // As a region made from a rectangle, swapped edges are put in order.
  RECT rect = given;
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  if (rect.left == rect.right || rect.top == rect.bottom) return;
  // Most requests of a layout lie inside one already kept (children inside their parent):
  // the one that last took a request is tried first.
  if (m_count > 0 && Contains(m_rects[m_count - 1], rect)) return;
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
  int kept = 0;
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

void scRectSet::Subtract(const RECT& cut) {
  if (cut.left >= cut.right || cut.top >= cut.bottom) return;
  // The cut rectangles' remains go back in through Add, which keeps the set bounded.
  RECT old[kMaxRects];
  const int count = m_count;
  for (int i = 0; i < count; ++i) old[i] = m_rects[i];
  m_count = 0;
  for (int i = 0; i < count; ++i) {
    const RECT& r = old[i];
    RECT overlap{};
    if (!::IntersectRect(&overlap, &r, &cut)) {
      Add(r);
      continue;
    }
    // Above and below the cut across the whole width, then left and right of it beside it.
    Add(RECT{r.left, r.top, r.right, overlap.top});
    Add(RECT{r.left, overlap.bottom, r.right, r.bottom});
    Add(RECT{r.left, overlap.top, overlap.left, overlap.bottom});
    Add(RECT{overlap.right, overlap.top, r.right, overlap.bottom});
  }
}

}  // namespace velmor
