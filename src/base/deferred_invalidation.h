// Repaint requests that reach the platform once per window message. Every element that moves
// asks for its old and new rectangles to be repainted; under a layout that is thousands of
// requests, and each native InvalidateRect is a round trip to the window server on some
// platforms. A window keeps them here while its thread handles a message and hands their union
// to the platform in one call when that message returns (or before the window paints).
#pragma once
#include <windows.h>

#include "base/rect_set.h"

namespace velmor {

class scDeferredInvalidation {
 public:
  // Distinct rectangles kept exactly; beyond them the area handed over may grow, never shrink.
  static constexpr int kMaxRects = scRectSet::kMaxRects;

  scDeferredInvalidation() = default;
  ~scDeferredInvalidation();
  scDeferredInvalidation(const scDeferredInvalidation&) = delete;
  scDeferredInvalidation& operator=(const scDeferredInvalidation&) = delete;

  // Asks for 'rect' (client coordinates, as InvalidateRect takes it: swapped edges are put in
  // order) of 'window' to be repainted without erasing. While the thread is inside an engine
  // window's message the rectangle is kept until that message returns; otherwise it goes to the
  // platform at once. A hidden window keeps no update region: its requests are dropped.
  void Invalidate(HWND window, const RECT& rect);
  // Hands what is kept to the platform: one InvalidateRect, or one InvalidateRgn for several.
  void Flush();
  bool Pending() const { return !m_rects.Empty(); }

 private:
  void Register();
  void Unregister();

  HWND m_window = nullptr;
  scRectSet m_rects;
  bool m_registered = false;
  scDeferredInvalidation* m_nextPending = nullptr;  // the thread's list of windows with requests
};

// Marks one engine window message being handled on this thread; when it ends, every window's
// kept requests go to the platform.
class scMessageScope {
 public:
  scMessageScope();
  ~scMessageScope();
  scMessageScope(const scMessageScope&) = delete;
  scMessageScope& operator=(const scMessageScope&) = delete;
};

// Hands every window's kept requests to the platform (before painting, before a modal loop).
void FlushDeferredInvalidations();

}  // namespace velmor
