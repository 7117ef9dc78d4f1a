#include "image_test_support.h"

#include <gtest/gtest.h>

#include "images/image_manager.h"
#include "support/gdiplus_environment.h"

namespace velmor::test {
namespace {

::testing::Environment* const g_gdiplus = AddGdiplusEnvironment();

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> MakeBitmap(int width, int height,
                                            const std::function<Gdiplus::ARGB(int, int)>& pixel) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(pixel(x, y)));
  return bitmap;
}

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_bitmap(std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB)) {
  m_graphics = std::make_unique<Gdiplus::Graphics>(m_bitmap.get());
  m_graphics->Clear(Gdiplus::Color(kBackground));
  m_graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  m_graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

Gdiplus::ARGB Canvas::At(int x, int y) {
  m_graphics->Flush(Gdiplus::FlushIntentionSync);
  Gdiplus::Color colour;
  m_bitmap->GetPixel(x, y, &colour);
  return colour.GetValue();
}

int Canvas::PaintedCount() {
  int count = 0;
  for (int y = 0; y < m_height; ++y)
    for (int x = 0; x < m_width; ++x) count += At(x, y) != kBackground;
  return count;
}

}  // namespace velmor::test
