#include "render/double_buffer.h"

namespace velmor {

scDoubleBuffer::scDoubleBuffer(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (target == nullptr || width <= 0 || height <= 0) return;
  m_memory = ::CreateCompatibleDC(target);
  if (m_memory == nullptr) return;
  m_bitmap = ::CreateCompatibleBitmap(target, width, height);
  if (m_bitmap == nullptr) {
    ::DeleteDC(m_memory);
    m_memory = nullptr;
    return;
  }
  m_oldBitmap = ::SelectObject(m_memory, m_bitmap);
  // Only the update rectangle is buffered; moving the origin lets the painting keep client
  // coordinates.
  ::SetViewportOrgEx(m_memory, -rect.left, -rect.top, nullptr);
}

scDoubleBuffer::~scDoubleBuffer() {
  if (m_memory == nullptr) return;
  ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
           m_rect.bottom - m_rect.top, m_memory, m_rect.left, m_rect.top, SRCCOPY);
  ::SelectObject(m_memory, m_oldBitmap);
  ::DeleteObject(m_bitmap);
  ::DeleteDC(m_memory);
}

}  // namespace velmor
