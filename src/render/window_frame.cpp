#include "render/window_frame.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "render/double_buffer.h"
#include "render/paint.h"

namespace velmor {
namespace {

// Beyond this many separate stale parts in one paint, their bounding box is painted instead.
constexpr int kMaxSeparateParts = 4;

int64_t Area(const RECT& r) {
  return static_cast<int64_t>(r.right - r.left) * static_cast<int64_t>(r.bottom - r.top);
}

}  // namespace

bool scWindowFrame::Prepare(HDC reference, int width, int height) {
  if (m_bitmap && width == m_width && height == m_height) return true;
  Drop();
  if (reference == nullptr || width <= 0 || height <= 0) return false;
  UniqueHdc memory(::CreateCompatibleDC(reference));
  if (!memory) return false;
  // The same kind of bitmap a paint buffer makes, so painting writes its pixels directly.
  m_bitmap.Reset(CreatePaintBitmap(reference, width, height, &m_pixels));
  if (!m_bitmap) return false;
  m_memory = std::move(memory);
  m_width = width;
  m_height = height;
  m_selected.emplace(m_memory.Get(), m_bitmap.Get());
  MarkAllStale();
  return true;
}

void scWindowFrame::Drop() {
  m_selected.reset();
  m_bitmap.Reset();
  m_memory.Reset();
  m_pixels = nullptr;
  m_width = m_height = 0;
  m_stale.Clear();
}

void scWindowFrame::MarkStale(const RECT& rect) {
  // Elements moved out of the client area ask too: only the part on the bitmap takes a place.
  RECT ordered = rect;
  if (ordered.left > ordered.right) std::swap(ordered.left, ordered.right);
  if (ordered.top > ordered.bottom) std::swap(ordered.top, ordered.bottom);
  const RECT bounds{0, 0, m_width, m_height};
  RECT inside{};
  if (m_bitmap && ::IntersectRect(&inside, &ordered, &bounds)) m_stale.Add(inside);
}

void scWindowFrame::MarkAllStale() {
  m_stale.Clear();
  m_stale.Add(RECT{0, 0, m_width, m_height});
}

void scWindowFrame::PaintTo(HDC target, const RECT& given, scIContent* root, HWND window) {
  const RECT bounds{0, 0, m_width, m_height};
  RECT area{};
  if (!m_bitmap || !::IntersectRect(&area, &given, &bounds)) return;
  RECT parts[scRectSet::kMaxRects];
  int count = 0;
  int64_t covered = 0;
  RECT box{};
  for (int i = 0; i < m_stale.Count(); ++i) {
    RECT part{};
    if (!::IntersectRect(&part, &m_stale.Rects()[i], &area)) continue;
    parts[count++] = part;
    covered += Area(part);
    ::UnionRect(&box, &box, &part);
  }
  // Every part is a walk of the tree, and an element crossing several parts draws (and lays its
  // text out) in each: parts that are many or cover most of their bounding box go as that box.
  if (count > kMaxSeparateParts || (count > 1 && covered * 2 >= Area(box))) {
    Repaint(box, root, window);
  } else {
    for (int i = 0; i < count; ++i) Repaint(parts[i], root, window);
  }
  m_stale.Subtract(area);
  ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
           m_memory.Get(), area.left, area.top, SRCCOPY);
}

void scWindowFrame::Repaint(const RECT& part, scIContent* root, HWND window) {
  // A new paint buffer starts out zeroed; so does a part painted again, so that whatever the
  // tree leaves unpainted looks the same either way instead of keeping the old pixels.
  ::GdiFlush();
  const size_t stride = static_cast<size_t>(m_width) * 4;
  const size_t row = static_cast<size_t>(part.right - part.left) * 4;
  for (LONG y = part.top; y < part.bottom; ++y)
    std::memset(m_pixels + y * stride + static_cast<size_t>(part.left) * 4, 0, row);
  const scDoubleBuffer view(m_memory.Get(), m_pixels, static_cast<int>(stride), part);
  (void)PaintIntoBuffer(view, root, window);
}

}  // namespace velmor
