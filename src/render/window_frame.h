// scWindowFrame: the painted pixels of one window's client area, kept between paints, and the
// part of them the engine has made stale since. A repaint the platform asks for on its own (an
// expose, a RedrawWindow with nothing changed) is then a copy; only what the engine changed is
// painted from the element tree again.
#pragma once
#include <windows.h>

#include <optional>

#include "base/handles.h"
#include "base/rect_set.h"
#include "skin/content.h"

// Answered by a document that keeps its window's frame: the window element tells it of every
// repaint it asks for, whether or not the platform takes the request (a hidden window's are
// dropped there).
struct scIWindowFrame : public IUnknown {
  virtual void STDMETHODCALLTYPE MarkStale(const RECT& rect) = 0;
};
__CRT_UUID_DECL(scIWindowFrame, 0x6b1f0d52, 0x93c4, 0x4e7a, 0xb2, 0x08, 0x5d, 0x31, 0xe6, 0x94,
                0x0a, 0xc7)

namespace velmor {

class scWindowFrame {
 public:
  // Makes the bitmap for a client area of 'width' x 'height' unless it has one of that size
  // already; a new one is all stale. False when it cannot be made (the caller paints as if
  // there were no frame).
  bool Prepare(HDC reference, int width, int height);
  // Lets go of the bitmap (a destroyed or minimised window); the next Prepare makes a new one.
  void Drop();
  bool Ready() const { return m_bitmap.operator bool(); }

  // Client coordinates; what lies outside the bitmap is left out.
  void MarkStale(const RECT& rect);
  void MarkAllStale();
  // The rectangles still to be painted from the tree (tests and benchmarks read them).
  const scRectSet& Stale() const { return m_stale; }

  // Paints the stale part of 'area' from the tree under 'root' into the bitmap, then copies
  // 'area' from it to 'target' (client coordinates in both). Prepare must have succeeded.
  void PaintTo(HDC target, const RECT& area, scIContent* root, HWND window);

 private:
  // Paints 'part' of the bitmap afresh from a cleared start, as a new paint buffer would.
  void Repaint(const RECT& part, scIContent* root, HWND window);

  int m_width = 0;
  int m_height = 0;
  BYTE* m_pixels = nullptr;
  scRectSet m_stale;
  // Declared so that the bitmap is selected out before it and the DC are deleted.
  UniqueHdc m_memory;
  UniqueHBitmap m_bitmap;
  std::optional<SelectObjectScope> m_selected;
};

}  // namespace velmor
