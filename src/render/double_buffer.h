// scDoubleBuffer: an off-screen 32-bit DIB section the size of one target rectangle, for the
// life of one paint. Drawing into DC() uses the target's coordinates; destruction copies the
// rectangle to the target in one BitBlt. The bitmap is not cleared: the painting must cover it.
#pragma once
#include <windows.h>

#include <optional>

#include "base/handles.h"

namespace velmor {

class scDoubleBuffer {
 public:
  scDoubleBuffer(HDC target, const RECT& rect);
  ~scDoubleBuffer();
  scDoubleBuffer(const scDoubleBuffer&) = delete;
  scDoubleBuffer& operator=(const scDoubleBuffer&) = delete;

  // The memory DC, or null when the rectangle is empty or the bitmap could not be made (then
  // nothing is copied either).
  HDC DC() const { return m_memory.Get(); }
  // The bitmap's pixels, top row first, 32 bits each (the top byte unused); null without a DC.
  // Pixel (0, 0) is the target rectangle's top-left corner.
  BYTE* Pixels() const { return m_pixels; }
  int Stride() const { return (m_rect.right - m_rect.left) * 4; }
  const RECT& Rect() const { return m_rect; }

 private:
  HDC m_target;
  RECT m_rect;
  // Declared so that the bitmap is selected out before it and the DC are deleted.
  UniqueHdc m_memory;
  UniqueHBitmap m_bitmap;
  std::optional<SelectObjectScope> m_selected;
  BYTE* m_pixels = nullptr;
};

}  // namespace velmor
