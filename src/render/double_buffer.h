// scDoubleBuffer: an off-screen 32-bit DIB section the size of one target rectangle, for the
// life of one paint. Drawing into DC() uses the target's coordinates; destruction copies the
// rectangle to the target in one BitBlt. The bitmap is not cleared: the painting must cover it.
// A buffer may also be a view of part of a bitmap kept elsewhere (a window's frame): drawing
// then lands in that bitmap's pixels inside the part only, and nothing is copied at the end.
#pragma once
#include <windows.h>

#include <optional>

#include "base/handles.h"

namespace velmor {

// A top-down 32-bit DIB section of 'width' x 'height' compatible with 'reference', its pixels
// in '*pixels' (zeroed); null when it cannot be made.
HBITMAP CreatePaintBitmap(HDC reference, int width, int height, BYTE** pixels);

class scDoubleBuffer {
 public:
  scDoubleBuffer(HDC target, const RECT& rect);
  // A view of 'part' of the 32-bit top-down bitmap selected into 'dc', whose pixel (0, 0) is at
  // 'pixels' with rows 'stride' bytes apart and whose DC coordinates are the bitmap's own.
  scDoubleBuffer(HDC dc, BYTE* pixels, int stride, const RECT& part);
  ~scDoubleBuffer();
  scDoubleBuffer(const scDoubleBuffer&) = delete;
  scDoubleBuffer& operator=(const scDoubleBuffer&) = delete;

  // The memory DC, or null when the rectangle is empty or the bitmap could not be made (then
  // nothing is copied either).
  HDC DC() const { return m_dc; }
  // The bitmap's pixels, top row first, 32 bits each (the top byte unused); null without a DC.
  // Pixel (0, 0) is the target rectangle's top-left corner.
  BYTE* Pixels() const { return m_pixels; }
  int Stride() const { return m_stride; }
  const RECT& Rect() const { return m_rect; }

 private:
  HDC m_target = nullptr;  // null for a view
  RECT m_rect;
  HDC m_dc = nullptr;
  BYTE* m_pixels = nullptr;
  int m_stride = 0;
  int m_savedState = 0;  // a view's DC state, restored when it ends
  // Declared so that the bitmap is selected out before it and the DC are deleted.
  UniqueHdc m_memory;
  UniqueHBitmap m_bitmap;
  std::optional<SelectObjectScope> m_selected;
};

}  // namespace velmor
