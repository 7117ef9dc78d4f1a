#include "render/double_buffer.h"

namespace velmor {

HBITMAP CreatePaintBitmap(HDC reference, int width, int height, BYTE** pixels) {
  // A 32-bit DIB section rather than a device bitmap: painting can then draw straight into its
  // pixels through a GDI+ bitmap (PaintIntoBuffer), without a trip through GDI for every image.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = bitmap != nullptr ? static_cast<BYTE*>(bits) : nullptr;
  return bitmap;
}

scDoubleBuffer::scDoubleBuffer(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (target == nullptr || width <= 0 || height <= 0) return;
  UniqueHdc memory(::CreateCompatibleDC(target));
  if (!memory) return;
  m_bitmap.Reset(CreatePaintBitmap(target, width, height, &m_pixels));
  if (!m_bitmap) return;
  m_memory = std::move(memory);
  m_dc = m_memory.Get();
  m_stride = width * 4;
  m_selected.emplace(m_dc, m_bitmap.Get());
  // Only the update rectangle is buffered; moving the origin lets the painting keep client
  // coordinates.
  ::SetViewportOrgEx(m_dc, -rect.left, -rect.top, nullptr);
}

scDoubleBuffer::scDoubleBuffer(HDC dc, BYTE* pixels, int stride, const RECT& part) : m_rect(part) {
  if (dc == nullptr || pixels == nullptr || part.right <= part.left || part.bottom <= part.top)
    return;
  m_dc = dc;
  m_pixels = pixels + static_cast<ptrdiff_t>(part.top) * stride + part.left * 4;
  m_stride = stride;
  // Drawing through the DC (when the pixels cannot be wrapped) stays inside the part too.
  m_savedState = ::SaveDC(dc);
  ::IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
}

scDoubleBuffer::~scDoubleBuffer() {
  if (m_target == nullptr) {
    if (m_savedState != 0) ::RestoreDC(m_dc, m_savedState);
    return;
  }
  if (!m_memory) return;
  ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
           m_rect.bottom - m_rect.top, m_dc, m_rect.left, m_rect.top, SRCCOPY);
  // The members then select the bitmap out and delete it and the DC, in that order.
}

}  // namespace velmor
