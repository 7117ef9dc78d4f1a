// The baseline window of the window benchmarks: a plain window whose paint fills the update area
// with one GDI+ brush, the least a skinned window's first paint does.
#pragma once
#include <windows.h>
#include <gdiplus.h>

namespace velmor::bench {

// Handles WM_PAINT of a plain window.
inline void PaintPlainWindow(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window, &ps);
  {
    Gdiplus::Graphics graphics(dc);
    Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF1F2A36));
    graphics.FillRectangle(&brush, 0, 0, ps.rcPaint.right, ps.rcPaint.bottom);
  }
  ::EndPaint(window, &ps);
}

// The window procedure of the plain baseline windows: paints with PaintPlainWindow.
inline LRESULT CALLBACK PlainWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintPlainWindow(window);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace velmor::bench
