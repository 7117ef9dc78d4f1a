// The window shape as a list of rectangles. The walk over the element tree adds rectangles here
// instead of uniting GDI+ regions one by one: a GDI+ union chain is a tree as deep as the number
// of parts, and turning it into a native region recurses once per part. The native region is made
// at the end in one pass whose cost grows with n log n and whose depth does not grow at all.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <vector>

namespace velmor {

class scRegionBuilder {
 public:
  // Adds the rectangle (x, y, width, height); an empty one adds nothing. Coordinates are kept
  // inside the range native regions accept.
  void AddRect(int x, int y, int width, int height);
  // Adds the area of a GDI+ region (in its own coordinates) moved by (dx, dy). False when the
  // region's rectangles cannot be read.
  bool AddRegion(Gdiplus::Region& region, int dx, int dy);

  size_t RectCount() const { return m_rects.size(); }
  bool IsEmpty() const { return m_rects.empty(); }

  // The union of everything added as a new native region (an empty region when nothing was
  // added); null when the system cannot make one. The caller owns the handle.
  HRGN CreateNativeRegion() const;

 private:
  std::vector<RECT> m_rects;
};

// The union of 'rects' as a new native region (an empty one for no rectangles); null when the
// system cannot make one. Throws std::bad_alloc when memory runs out.
HRGN CreateRegionFromRects(std::vector<RECT> rects);

// The most rectangles a window shape may have. Wine hands a window's region to the X server in one
// request, which holds about 32,700 rectangles; a longer one ends the process with an X error.
constexpr size_t kMaxWindowShapeRects = 30000;

// The rectangles of a native region, in the system's banded order; empty when it has none or they
// cannot be read.
std::vector<RECT> NativeRegionRects(HRGN region);

// When 'region' has more than 'maxRects' rectangles, replaces it with a simpler region that
// covers it: gaps inside each row are closed, narrow ones first, and as a last resort the region
// becomes its bounding rectangle. Answers the region to use (the same handle when nothing had to
// change); the caller owns it either way.
HRGN LimitRegionRects(HRGN region, size_t maxRects);

// Sorts rectangles into rows (same top and bottom) from left to right and joins the ones of a row
// that touch or overlap, so the native region starts from fewer pieces. Answers the new count.
size_t MergeRowRects(std::vector<RECT>& rects);

}  // namespace velmor
