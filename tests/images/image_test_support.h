// Shared by the image tests: GDI+ started for the whole test process, fixture paths, bitmaps
// made pixel by pixel, and a canvas drawn with the engine's paint settings.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <memory>
#include <string>

#include "support/test_env.h"

namespace velmor::test {

// Windows path of a file under tests/fixtures/images.
inline std::wstring ImageFixture(const std::wstring& name) {
  return FixturePath((L"images\\" + name).c_str());
}

// A 32-bit ARGB bitmap whose pixel (x, y) is pixel(x, y).
std::unique_ptr<Gdiplus::Bitmap> MakeBitmap(int width, int height,
                                            const std::function<Gdiplus::ARGB(int, int)>& pixel);

// Opaque colour that tells the position it was taken from: red 10 + 20x, green 10 + 20y.
inline Gdiplus::ARGB PositionColour(int x, int y) {
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(10 + 20 * x) << 16) |
         (static_cast<Gdiplus::ARGB>(10 + 20 * y) << 8) | 0x40u;
}

// A bitmap drawn through a Graphics set up as a paint sets it up (nearest-neighbour
// interpolation, half pixel offset), cleared to a background colour first.
class Canvas {
 public:
  static constexpr Gdiplus::ARGB kBackground = 0xFF102030;
  Canvas(int width, int height);
  Gdiplus::Graphics* Graphics() { return m_graphics.get(); }
  Gdiplus::ARGB At(int x, int y);
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // Pixels that are not the background.
  int PaintedCount();

 private:
  int m_width, m_height;
  std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
  std::unique_ptr<Gdiplus::Graphics> m_graphics;
};

}  // namespace velmor::test
