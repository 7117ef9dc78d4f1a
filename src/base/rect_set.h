// scRectSet: a bounded set of rectangles standing for an area to repaint. Up to kMaxRects
// distinct rectangles are kept exactly; beyond them a new one is merged into the kept rectangle
// it enlarges least, so the area held may grow, never shrink. Adding never allocates.
#pragma once
#include <windows.h>

namespace velmor {

class scRectSet {
 public:
  static constexpr int kMaxRects = 32;

  // Adds 'rect' (swapped edges are put in order); empty rectangles add nothing.
  void Add(const RECT& rect);
  // Takes 'rect' out of the area: rectangles it cuts keep the parts outside it.
  void Subtract(const RECT& rect);
  void Clear() { m_count = 0; }
  bool Empty() const { return m_count == 0; }
  int Count() const { return m_count; }
  const RECT* Rects() const { return m_rects; }

 private:
  RECT m_rects[kMaxRects];
  int m_count = 0;
};

}  // namespace velmor
