// Time to draw 1,000 mixed skin images (natural size, stretched, tiled, nine-grid) into a
// 1280 x 800 bitmap through the engine's drawing functions, against the same pictures drawn with
// bare GDI+ calls in the same run. Prints the median of several runs and the ratio.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "render/image_draw.h"

namespace {

using velmor::NineGridMargins;

constexpr int kWidth = 1280, kHeight = 800, kElements = 1000, kRuns = 9;

enum class Kind { kNatural, kStretched, kTiled, kNineGrid };

struct Element {
  Kind kind;
  RECT box;  // in window coordinates
  Gdiplus::Bitmap* image;
};

struct Images {
  std::unique_ptr<Gdiplus::Bitmap> icon, bar, tile, frame;
};

std::unique_ptr<Gdiplus::Bitmap> Pattern(int w, int h, Gdiplus::ARGB seed) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap->SetPixel(x, y, Gdiplus::Color(0xFF000000u | (seed + static_cast<Gdiplus::ARGB>(x * 7919 + y * 104729))));
  return bitmap;
}

std::vector<Element> Layout(const Images& images) {
  std::vector<Element> elements;
  unsigned state = 12345;
  auto next = [&](int range) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 8) % static_cast<unsigned>(range));
  };
  for (int i = 0; i < kElements; ++i) {
    Element e{};
    e.kind = static_cast<Kind>(i % 4);
    const int w = 16 + next(160), h = 16 + next(90);
    const int x = next(kWidth - w), y = next(kHeight - h);
    e.box = RECT{x, y, x + w, y + h};
    switch (e.kind) {
      case Kind::kNatural: e.image = images.icon.get(); break;
      case Kind::kStretched: e.image = images.bar.get(); break;
      case Kind::kTiled: e.image = images.tile.get(); break;
      case Kind::kNineGrid: e.image = images.frame.get(); break;
    }
    elements.push_back(e);
  }
  return elements;
}

const NineGridMargins kMargins{8, 8, 8, 8};

// What the engine does for each element: the world transform moves to the element, then the
// element draws at its own origin.
void DrawWithEngine(Gdiplus::Graphics& g, const std::vector<Element>& elements) {
  for (const Element& e : elements) {
    const LONG w = e.box.right - e.box.left, h = e.box.bottom - e.box.top;
    g.ResetTransform();
    g.TranslateTransform(static_cast<Gdiplus::REAL>(e.box.left),
                         static_cast<Gdiplus::REAL>(e.box.top));
    const RECT dst{0, 0, w, h};
    const RECT src{0, 0, static_cast<LONG>(e.image->GetWidth()),
                   static_cast<LONG>(e.image->GetHeight())};
    switch (e.kind) {
      case Kind::kNatural: velmor::DrawImage(&g, e.image, dst, src, 0); break;
      case Kind::kStretched: velmor::DrawImage(&g, e.image, dst, src, velmor::kDrawStretch); break;
      case Kind::kTiled: velmor::DrawImage(&g, e.image, dst, src, velmor::kDrawTile); break;
      case Kind::kNineGrid: velmor::DrawNineGrid(&g, dst, e.image, kMargins); break;
    }
  }
}

void Bare(Gdiplus::Graphics& g, Gdiplus::Image* image, int dx, int dy, int dw, int dh, int sx,
          int sy, int sw, int sh) {
  if (dw > 0 && dh > 0 && sw > 0 && sh > 0)
    g.DrawImage(image, Gdiplus::Rect(dx, dy, dw, dh), sx, sy, sw, sh, Gdiplus::UnitPixel);
}

// The same pictures with plain GDI+ calls and no engine logic.
void DrawBare(Gdiplus::Graphics& g, const std::vector<Element>& elements) {
  for (const Element& e : elements) {
    const int w = e.box.right - e.box.left, h = e.box.bottom - e.box.top;
    const int iw = static_cast<int>(e.image->GetWidth()), ih = static_cast<int>(e.image->GetHeight());
    g.ResetTransform();
    g.TranslateTransform(static_cast<Gdiplus::REAL>(e.box.left),
                         static_cast<Gdiplus::REAL>(e.box.top));
    switch (e.kind) {
      case Kind::kNatural:
        Bare(g, e.image, 0, 0, std::min(w, iw), std::min(h, ih), 0, 0, std::min(w, iw),
             std::min(h, ih));
        break;
      case Kind::kStretched: Bare(g, e.image, 0, 0, w, h, 0, 0, iw, ih); break;
      case Kind::kTiled: {
        Gdiplus::TextureBrush brush(e.image, Gdiplus::WrapModeTile);
        g.FillRectangle(&brush, 0, 0, w, h);
        break;
      }
      case Kind::kNineGrid: {
        const int m = 8;
        Bare(g, e.image, 0, 0, m, m, 0, 0, m, m);
        Bare(g, e.image, w - m, 0, m, m, iw - m, 0, m, m);
        Bare(g, e.image, 0, h - m, m, m, 0, ih - m, m, m);
        Bare(g, e.image, w - m, h - m, m, m, iw - m, ih - m, m, m);
        Bare(g, e.image, m, 0, w - 2 * m, m, m, 0, iw - 2 * m, m);
        Bare(g, e.image, m, h - m, w - 2 * m, m, m, ih - m, iw - 2 * m, m);
        Bare(g, e.image, 0, m, m, h - 2 * m, 0, m, m, ih - 2 * m);
        Bare(g, e.image, w - m, m, m, h - 2 * m, iw - m, m, m, ih - 2 * m);
        Bare(g, e.image, m, m, w - 2 * m, h - 2 * m, m, m, iw - 2 * m, ih - 2 * m);
        break;
      }
    }
  }
}

template <class Draw>
double MedianMs(Gdiplus::Bitmap& target, const std::vector<Element>& elements, Draw draw) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    Gdiplus::Graphics g(&target);
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    draw(g, elements);
    g.Flush(Gdiplus::FlushIntentionSync);
    ::QueryPerformanceCounter(&end);
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    std::printf("GDI+ did not start\n");
    return 1;
  }
  {
    Images images{Pattern(32, 32, 0x102030), Pattern(64, 24, 0x405060), Pattern(8, 8, 0x708090),
                  Pattern(24, 24, 0xA0B0C0)};
    const std::vector<Element> elements = Layout(images);
    Gdiplus::Bitmap target(kWidth, kHeight, PixelFormat32bppARGB);

    // One warm-up pass each, then interleaved measurements.
    MedianMs(target, elements, DrawWithEngine);
    MedianMs(target, elements, DrawBare);
    const double engine = MedianMs(target, elements, DrawWithEngine);
    const double bare = MedianMs(target, elements, DrawBare);
    std::printf("image_draw: %d mixed images (natural, stretched, tiled, nine-grid) into %dx%d, "
                "median of %d runs\n",
                kElements, kWidth, kHeight, kRuns);
    std::printf("  engine drawing functions: %8.2f ms\n", engine);
    std::printf("  bare GDI+ calls:          %8.2f ms\n", bare);
    std::printf("  ratio engine / bare:      %8.2f\n", bare > 0 ? engine / bare : 0.0);

    // The same by kind (250 elements each), to show where any difference comes from.
    const char* names[] = {"natural", "stretched", "tiled", "nine-grid"};
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<Element> subset;
      for (const Element& e : elements)
        if (static_cast<int>(e.kind) == kind) subset.push_back(e);
      const double k_engine = MedianMs(target, subset, DrawWithEngine);
      const double k_bare = MedianMs(target, subset, DrawBare);
      std::printf("  %-10s engine %8.2f ms, bare %8.2f ms, ratio %5.2f\n", names[kind], k_engine,
                  k_bare, k_bare > 0 ? k_engine / k_bare : 0.0);
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
