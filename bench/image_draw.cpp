// Time to draw 1,000 mixed skin images (natural size, stretched, tiled, nine-grid) into a
// 1280 x 800 paint buffer (a 32-bit bitmap over plain pixels, set up as a window's paint sets it
// up) three ways: with bare GDI+ calls making the same pixels, with the engine's drawing functions
// going through GDI+ (as they do where they cannot copy pixels themselves), and with the same
// functions inside a paint, where they copy bitmaps into the buffer themselves. Each engine
// picture is compared with the bare one pixel for pixel: the GDI+ one must be the same. The
// copies sample scaled bitmaps exactly, where Wine's GDI+ computes sample positions in single
// precision and, by the destination's position, takes the neighbouring source pixel for a few
// destination pixels or leaves an edge column or row undrawn: scaled kinds show those pixels
// (the same work). Prints interleaved medians and ratios, in all and by kind.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "images/image_manager.h"
#include "render/image_draw.h"

namespace {

using velmor::NineGridMargins;

constexpr int kWidth = 1280, kHeight = 800, kElements = 1000, kRuns = 15;
constexpr uint32_t kBackground = 0xFF203040;

enum class Kind { kNatural, kStretched, kTiled, kNineGrid };

struct Element {
  Kind kind;
  RECT box;  // in buffer coordinates
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

constexpr int kMargin = 8;
const NineGridMargins kMargins{kMargin, kMargin, kMargin, kMargin};

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

// One draw. Skins show an image scaled across with its last column from the source's last
// column, where GDI+ may show an inner one (narrowed) or, at some positions, none: drawn again
// over it (the images are opaque).
void Bare(Gdiplus::Graphics& g, Gdiplus::Image* image, int dx, int dy, int dw, int dh, int sx,
          int sy, int sw, int sh) {
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  g.DrawImage(image, Gdiplus::Rect(dx, dy, dw, dh), sx, sy, sw, sh, Gdiplus::UnitPixel);
  if (sw != dw && dw > 1 && sw > 1)
    g.DrawImage(image, Gdiplus::Rect(dx + dw - 1, dy, 1, dh), sx + sw - 1, sy, 1, sh,
                Gdiplus::UnitPixel);
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
        const int m = kMargin;
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

// A paint buffer: plain pixels seen by GDI+ as a 32-bit bitmap, as a window's paint has them.
class Buffer {
 public:
  Buffer() : m_pixels(static_cast<size_t>(kWidth) * kHeight, kBackground) {}
  // Draws 'elements' one of three ways; false when GDI+ reports a failure.
  enum Way { kBare, kEngineThroughGdiPlus, kEngineInAPaint };
  bool Draw(Way way, const std::vector<Element>& elements) {
    Gdiplus::Bitmap bitmap(kWidth, kHeight, kWidth * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(m_pixels.data()));
    Gdiplus::Graphics g(&bitmap);
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    if (way == kBare) {
      DrawBare(g, elements);
    } else if (way == kEngineThroughGdiPlus) {
      DrawWithEngine(g, elements);
    } else {
      const velmor::scPixelTarget target(&g, reinterpret_cast<BYTE*>(m_pixels.data()), kWidth * 4,
                                         kWidth, kHeight);
      DrawWithEngine(g, elements);
    }
    return g.Flush(Gdiplus::FlushIntentionSync), g.GetLastStatus() == Gdiplus::Ok;
  }
  void Clear() { std::fill(m_pixels.begin(), m_pixels.end(), kBackground); }
  // Pixels whose colour differs from 'other's (the unused top byte ignored).
  size_t Differing(const Buffer& other) const {
    size_t count = 0;
    for (size_t i = 0; i < m_pixels.size(); ++i)
      count += ((m_pixels[i] ^ other.m_pixels[i]) & 0xFFFFFF) != 0;
    return count;
  }

 private:
  std::vector<uint32_t> m_pixels;
};

// Times the three ways on 'elements' (interleaved), compares the engine's pictures with the bare
// one and prints a line; false when drawing failed or the engine's GDI+ picture differs.
bool Measure(const char* name, const std::vector<Element>& elements) {
  Buffer pictures[3], timed;
  for (int way = 0; way < 3; ++way)
    if (!pictures[way].Draw(static_cast<Buffer::Way>(way), elements)) return false;
  const size_t throughGdiPlus = pictures[Buffer::kEngineThroughGdiPlus].Differing(pictures[Buffer::kBare]);
  const size_t inAPaint = pictures[Buffer::kEngineInAPaint].Differing(pictures[Buffer::kBare]);
  auto way = [&](Buffer::Way w) {
    return [&timed, &elements, w] {
      timed.Clear();
      return timed.Draw(w, elements);
    };
  };
  const std::vector<double> ms = velmor::bench::InterleavedMediansMs(
      kRuns, {way(Buffer::kBare), way(Buffer::kEngineThroughGdiPlus), way(Buffer::kEngineInAPaint)});
  if (ms[0] <= 0) return false;
  auto pixels = [](size_t differing) {
    return differing == 0 ? std::string("same") : std::to_string(differing) + " differ";
  };
  std::printf("  %-10s %8.2f ms | %8.2f ms  %5.2f  %-11s | %8.2f ms  %5.2f  %s\n", name, ms[0],
              ms[1], ms[1] / ms[0], pixels(throughGdiPlus).c_str(), ms[2], ms[2] / ms[0],
              pixels(inAPaint).c_str());
  return throughGdiPlus == 0;
}

}  // namespace

int main() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    std::printf("GDI+ did not start\n");
    return 1;
  }
  bool same = true;
  {
    Images images{Pattern(32, 32, 0x102030), Pattern(64, 24, 0x405060), Pattern(8, 8, 0x708090),
                  Pattern(24, 24, 0xA0B0C0)};
    const std::vector<Element> elements = Layout(images);
    std::printf("image_draw: %d mixed images (natural, stretched, tiled, nine-grid) into a %dx%d "
                "paint buffer, median of %d interleaved runs, %s\n",
                kElements, kWidth, kHeight, kRuns, velmor::bench::LoadAverage().c_str());
    std::printf("             bare GDI+   | engine through GDI+ (ratio, pixels) | engine in a "
                "paint (ratio, pixels)\n");
    same = Measure("all", elements);
    // The same by kind (250 elements each), to show where any difference comes from.
    const char* names[] = {"natural", "stretched", "tiled", "nine-grid"};
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<Element> subset;
      for (const Element& e : elements)
        if (static_cast<int>(e.kind) == kind) subset.push_back(e);
      same = Measure(names[kind], subset) && same;
    }
    velmor::EmptyImageCache();
  }
  Gdiplus::GdiplusShutdown(token);
  return same ? 0 : 1;
}
