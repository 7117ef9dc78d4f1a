#include "render/image_draw.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "images/image_manager.h"

namespace velmor {
namespace {

thread_local scPixelTarget* t_target = nullptr;

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

void DrawRectRect(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d,
                  const RECT& s) {
  graphics->DrawImage(image, Gdiplus::Rect(d.left, d.top, Width(d), Height(d)), s.left, s.top,
                      Width(s), Height(s), Gdiplus::UnitPixel);
}

// Whether every pixel of 'image' is opaque, as far as the image cache knows.
bool IsOpaque(Gdiplus::Image* image) {
  CImageManager* manager = GetImageManager();
  UINT width = 0, height = 0;
  bool opaque = false;
  return manager != nullptr && image->GetType() == Gdiplus::ImageTypeBitmap &&
         manager->GetPremultipliedPixels(static_cast<Gdiplus::Bitmap*>(image), &width, &height,
                                         &opaque) != nullptr &&
         opaque;
}

void DrawStretched(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d,
                   const RECT& s) {
  if (scPixelTarget::Draw(graphics, image, d, s)) return;
  // Columns copied one to one come out exact (GDI+ rounds nothing there).
  if (Width(d) <= 1 || Width(s) <= 1 || Width(s) == Width(d)) {
    DrawRectRect(graphics, image, d, s);
    return;
  }
  // Scaled across, GDI+ shows an inner source column in the last destination column when the image is
  // narrowed, and at some positions, rounding its sample positions, nothing at all; the last
  // source column drawn again into it keeps the element's edge solid. An opaque image simply
  // covers it. A translucent one is first clipped short of that column, so no pixel there is
  // blended twice (a clip makes Wine blend through a region, which costs a quarter more).
  const RECT last{d.right - 1, d.top, d.right, d.bottom};
  const RECT lastSource{s.right - 1, s.top, s.right, s.bottom};
  if (IsOpaque(image)) {
    DrawRectRect(graphics, image, d, s);
  } else {
    const Gdiplus::GraphicsState state = graphics->Save();
    graphics->SetClip(Gdiplus::Rect(d.left, d.top, Width(d) - 1, Height(d)),
                      Gdiplus::CombineModeIntersect);
    DrawRectRect(graphics, image, d, s);
    graphics->Restore(state);
  }
  DrawRectRect(graphics, image, last, lastSource);
}

void DrawTiled(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d, const RECT& s) {
  if (scPixelTarget::Tile(graphics, image, d, s)) return;
  // The pattern starts at the origin of the world transform (the element's corner), not at the
  // destination's corner, so neighbouring tiled areas line up.
  Gdiplus::TextureBrush brush(image, Gdiplus::WrapModeTile,
                              Gdiplus::Rect(s.left, s.top, Width(s), Height(s)));
  if (brush.GetLastStatus() != Gdiplus::Ok) return;
  graphics->FillRectangle(&brush, Gdiplus::Rect(d.left, d.top, Width(d), Height(d)));
}

// Places the source's size inside the destination by the placement bits, then cuts what
// sticks out from both the placed rectangle and the source.
void DrawNatural(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d, RECT s,
                 UINT flags) {
  const LONG sw = Width(s), sh = Height(s);
  LONG x = d.left, y = d.top;
  if (flags & kDrawCenterH)
    x = (Width(d) - sw) / 2 + d.left;
  else if (flags & kDrawRight)
    x = d.right - sw;
  if (flags & kDrawCenterV)
    y = (Height(d) - sh) / 2 + d.top;
  else if (flags & kDrawBottom)
    y = d.bottom - sh;

  RECT placed{x, y, x + sw, y + sh};
  if (placed.left < d.left) {
    s.left += d.left - placed.left;
    placed.left = d.left;
  }
  if (placed.top < d.top) {
    s.top += d.top - placed.top;
    placed.top = d.top;
  }
  if (placed.right > d.right) {
    s.right -= placed.right - d.right;
    placed.right = d.right;
  }
  if (placed.bottom > d.bottom) {
    s.bottom -= placed.bottom - d.bottom;
    placed.bottom = d.bottom;
  }
  if (Width(placed) <= 0 || Height(placed) <= 0) return;
  if (!scPixelTarget::Draw(graphics, image, placed, s)) DrawRectRect(graphics, image, placed, s);
}

// The source index for each of 'count' destination pixels starting 'skip' pixels into a
// destination of 'length' pixels that shows 'sourceLength' source pixels from 'sourceStart',
// sampled as GDI+ samples nearest-neighbour with half-pixel offsets: each destination pixel's
// corner mapped back. With 'lastIsLast' the last destination pixel shows the last source pixel,
// as stretched drawing repeats that column.
void SourceIndices(LONG sourceStart, LONG sourceLength, LONG length, LONG skip, LONG count,
                   bool lastIsLast, std::vector<LONG>& out) {
  out.resize(static_cast<size_t>(count));
  for (LONG i = 0; i < count; ++i) {
    const long long at = static_cast<long long>(i) + skip;
    out[static_cast<size_t>(i)] =
        lastIsLast && at == length - 1
            ? sourceStart + sourceLength - 1
            : sourceStart + static_cast<LONG>(at * sourceLength / length);
  }
}

// The source index for each of 'count' destination pixels of a tiled area, the first at
// 'position' from the world origin, where the pattern of 'sourceLength' pixels from
// 'sourceStart' begins.
void TileIndices(LONG sourceStart, LONG sourceLength, long long position, LONG count,
                 std::vector<LONG>& out) {
  out.resize(static_cast<size_t>(count));
  LONG at = static_cast<LONG>(((position % sourceLength) + sourceLength) % sourceLength);
  for (LONG i = 0; i < count; ++i) {
    out[static_cast<size_t>(i)] = sourceStart + at;
    if (++at == sourceLength) at = 0;
  }
}

// Source-over of a premultiplied pixel onto an opaque one, truncated as GDI+ truncates.
inline uint32_t Over(uint32_t source, uint32_t target) {
  const uint32_t alpha = source >> 24;
  if (alpha == 255) return source;
  if (alpha == 0) return target;
  const uint32_t keep = 255 - alpha;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = ((source >> shift) & 0xFF) + ((target >> shift) & 0xFF) * keep / 255;
    out |= (c > 255 ? 255 : c) << shift;
  }
  return out;
}

// A straight ARGB colour premultiplied by its alpha.
uint32_t Premultiplied(Gdiplus::ARGB colour) {
  const uint32_t alpha = colour >> 24;
  uint32_t out = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) out |= ((colour >> shift) & 0xFF) * alpha / 255 << shift;
  return out;
}

}  // namespace

scPixelTarget::scPixelTarget(Gdiplus::Graphics* graphics, BYTE* pixels, int stride, int width,
                             int height)
    : m_graphics(graphics), m_pixels(pixels), m_stride(stride), m_width(width),
      m_height(height), m_outer(t_target) {
  t_target = this;
}

scPixelTarget::~scPixelTarget() { t_target = m_outer; }

namespace {

// Where 'd' (world coordinates of 'graphics') lands in the target's pixels, cut to them, and
// where it starts before the cut; false when the transform is more than a whole-pixel move.
bool PlaceInTarget(Gdiplus::Graphics* graphics, Gdiplus::Matrix& transform, int width,
                   int height, const RECT& d, RECT& cut, POINT& origin) {
  Gdiplus::REAL m[6] = {};
  if (graphics->GetTransform(&transform) != Gdiplus::Ok ||
      transform.GetElements(m) != Gdiplus::Ok || m[0] != 1 || m[1] != 0 || m[2] != 0 ||
      m[3] != 1 || m[4] != std::floor(m[4]) || m[5] != std::floor(m[5]) ||
      std::fabs(m[4]) > 1e7f || std::fabs(m[5]) > 1e7f)
    return false;
  const long long left = d.left + static_cast<long long>(m[4]);
  const long long top = d.top + static_cast<long long>(m[5]);
  origin = POINT{static_cast<LONG>(std::clamp<long long>(left, LONG_MIN, LONG_MAX)),
                 static_cast<LONG>(std::clamp<long long>(top, LONG_MIN, LONG_MAX))};
  cut.left = static_cast<LONG>(std::max(0LL, left));
  cut.top = static_cast<LONG>(std::max(0LL, top));
  cut.right = static_cast<LONG>(std::max<long long>(cut.left, std::min<long long>(width, left + Width(d))));
  cut.bottom = static_cast<LONG>(std::max<long long>(cut.top, std::min<long long>(height, top + Height(d))));
  return true;
}

}  // namespace

bool scPixelTarget::Draw(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d,
                         const RECT& s) {
  return Copy(graphics, image, d, s, false);
}

bool scPixelTarget::Tile(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d,
                         const RECT& s) {
  return Copy(graphics, image, d, s, true);
}

bool scPixelTarget::Copy(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& d,
                         const RECT& s, bool tiled) {
  const scPixelTarget* target = t_target;
  if (target == nullptr || graphics == nullptr || target->m_graphics != graphics ||
      target->m_pixels == nullptr || image == nullptr ||
      image->GetType() != Gdiplus::ImageTypeBitmap || Width(d) <= 0 || Height(d) <= 0)
    return false;
  RECT cut{};
  POINT origin{};
  if (!PlaceInTarget(graphics, target->m_transform, target->m_width, target->m_height, d, cut,
                     origin))
    return false;
  CImageManager* manager = GetImageManager();
  UINT imageWidth = 0, imageHeight = 0;
  const uint32_t* source =
      manager != nullptr ? manager->GetPremultipliedPixels(static_cast<Gdiplus::Bitmap*>(image),
                                                           &imageWidth, &imageHeight)
                         : nullptr;
  if (source == nullptr || s.left < 0 || s.top < 0 || s.right > static_cast<LONG>(imageWidth) ||
      s.bottom > static_cast<LONG>(imageHeight) || Width(s) <= 0 || Height(s) <= 0)
    return false;
  if (cut.left >= cut.right || cut.top >= cut.bottom) return true;

  thread_local std::vector<LONG> columns, rows;
  try {
    const LONG skipX = cut.left - origin.x, skipY = cut.top - origin.y;
    if (tiled) {
      TileIndices(s.left, Width(s), static_cast<long long>(d.left) + skipX, Width(cut), columns);
      TileIndices(s.top, Height(s), static_cast<long long>(d.top) + skipY, Height(cut), rows);
    } else {
      SourceIndices(s.left, Width(s), Width(d), skipX, Width(cut), Width(d) > 1, columns);
      SourceIndices(s.top, Height(s), Height(d), skipY, Height(cut), false, rows);
    }
  } catch (...) {
    return false;
  }
  const bool sameWidth = !tiled && Width(s) == Width(d);
  for (LONG y = cut.top; y < cut.bottom; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(target->m_pixels + static_cast<ptrdiff_t>(y) * target->m_stride) + cut.left;
    const uint32_t* in = source + static_cast<size_t>(rows[static_cast<size_t>(y - cut.top)]) * imageWidth;
    if (sameWidth) {
      in += columns[0];
      for (LONG x = cut.left; x < cut.right; ++x, ++out, ++in) *out = Over(*in, *out);
    } else {
      for (size_t i = 0; i < columns.size(); ++i, ++out) *out = Over(in[columns[i]], *out);
    }
  }
  return true;
}

bool scPixelTarget::Fill(Gdiplus::Graphics* graphics, Gdiplus::ARGB colour, const RECT& d) {
  const scPixelTarget* target = t_target;
  if (target == nullptr || graphics == nullptr || target->m_graphics != graphics ||
      target->m_pixels == nullptr)
    return false;
  if (Width(d) <= 0 || Height(d) <= 0) return true;
  RECT cut{};
  POINT origin{};
  if (!PlaceInTarget(graphics, target->m_transform, target->m_width, target->m_height, d, cut,
                     origin))
    return false;
  if ((colour >> 24) == 0) return true;
  const uint32_t source = Premultiplied(colour);
  for (LONG y = cut.top; y < cut.bottom; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(target->m_pixels + static_cast<ptrdiff_t>(y) * target->m_stride) + cut.left;
    for (LONG x = cut.left; x < cut.right; ++x, ++out) *out = Over(source, *out);
  }
  return true;
}

void DrawImage(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& destination,
               const RECT& source, UINT flags) {
  if (graphics == nullptr || image == nullptr) return;
  if (Width(destination) <= 0 || Height(destination) <= 0 || Width(source) <= 0 ||
      Height(source) <= 0)
    return;
  if (flags == kDrawStretch ||
      (Width(destination) == Width(source) && Height(destination) == Height(source))) {
    DrawStretched(graphics, image, destination, source);
  } else if (flags == kDrawTile) {
    DrawTiled(graphics, image, destination, source);
  } else {
    DrawNatural(graphics, image, destination, source, flags);
  }
}

bool DrawImageByPath(Gdiplus::Graphics* graphics, const wchar_t* path, const RECT& destination,
                     const RECT& source, UINT flags) {
  CImageManager* manager = GetImageManager();
  Gdiplus::Bitmap* image = manager != nullptr ? manager->GetImage(path) : nullptr;
  if (image == nullptr) return false;
  RECT s = source;
  if (s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0)
    s = RECT{0, 0, static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
  DrawImage(graphics, image, destination, s, flags);
  return true;
}

void DrawNineGrid(Gdiplus::Graphics* graphics, const RECT& destination, Gdiplus::Image* image,
                  const NineGridMargins& margins, int frame, int frameCount) {
  if (graphics == nullptr || image == nullptr) return;
  const LONG W = static_cast<LONG>(image->GetWidth());
  const LONG H = static_cast<LONG>(image->GetHeight());
  if (Width(destination) <= 0 || Height(destination) <= 0 || W <= 0 || H < 1 || frameCount <= 0)
    return;
  const LONG n = frameCount, k = frame;
  const LONG fk = k * H / n, fk1 = (k + 1) * H / n, frameHeight = H / n;
  const LONG l = destination.left, t = destination.top, r = destination.right,
             b = destination.bottom;
  const LONG L = margins.left, R = margins.right, T = margins.top, B = margins.bottom;

  // Corners, always, in this order; they overlap when the destination is smaller than them.
  DrawImage(graphics, image, RECT{l, t, l + L, t + T}, RECT{0, fk, L, fk + T}, 0);
  DrawImage(graphics, image, RECT{r - R, t, r, t + T}, RECT{W - R, fk, W, fk + T}, 0);
  DrawImage(graphics, image, RECT{l, b - B, l + L, b}, RECT{0, fk1 - B, L, fk1}, 0);
  DrawImage(graphics, image, RECT{r - R, b - B, r, b}, RECT{W - R, fk1 - B, W, fk1}, 0);

  const bool roomAcross = L + R < Width(destination);
  const bool roomDown = T + B < Height(destination);
  if (roomAcross) {
    DrawImage(graphics, image, RECT{l + L, t, r - R, t + T}, RECT{L, fk, W - R, fk + T},
              kDrawStretch);
    DrawImage(graphics, image, RECT{l + L, b - B, r - R, b}, RECT{L, fk1 - B, W - R, fk1},
              kDrawStretch);
  }
  if (roomDown) {
    DrawImage(graphics, image, RECT{l, t + T, l + L, b - B},
              RECT{0, fk + T, L, fk + frameHeight - B}, kDrawStretch);
    DrawImage(graphics, image, RECT{r - R, t + T, r, b - B},
              RECT{W - R, fk + T, W, fk + frameHeight - B}, kDrawStretch);
  }
  if (roomAcross && roomDown) {
    DrawImage(graphics, image, RECT{l + L, t + T, r - R, b - B},
              RECT{L, fk + T, W - R, fk + frameHeight - B}, kDrawStretch);
  }
}

bool DrawNineGridByPath(Gdiplus::Graphics* graphics, const RECT& destination, const wchar_t* path,
                        const NineGridMargins& margins, int frame, int frameCount) {
  CImageManager* manager = GetImageManager();
  Gdiplus::Bitmap* image = manager != nullptr ? manager->GetImage(path) : nullptr;
  if (image == nullptr) return false;
  DrawNineGrid(graphics, destination, image, margins, frame, frameCount);
  return true;
}

std::unique_ptr<Gdiplus::Region> BuildRegionFromBitmap(Gdiplus::Bitmap* image,
                                                       Gdiplus::ARGB clippingColour) {
  if (image == nullptr) return nullptr;
  try {
    const INT width = static_cast<INT>(image->GetWidth());
    const INT height = static_cast<INT>(image->GetHeight());
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);

    // One locked read of the whole bitmap instead of a call per pixel; a bitmap that cannot be
    // locked is read pixel by pixel, where a failed read counts as opaque black.
    Gdiplus::BitmapData data{};
    const Gdiplus::Rect all(0, 0, width, height);
    const bool locked = width > 0 && height > 0 &&
                        image->LockBits(&all, Gdiplus::ImageLockModeRead,
                                        PixelFormat32bppARGB, &data) == Gdiplus::Ok;
    auto pixel = [&](INT x, INT y) -> Gdiplus::ARGB {
      if (locked) {
        const auto* row = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        return reinterpret_cast<const Gdiplus::ARGB*>(row)[x];
      }
      Gdiplus::Color colour;
      if (image->GetPixel(x, y, &colour) != Gdiplus::Ok) return 0xFF000000;
      return colour.GetValue();
    };

    for (INT y = 0; y < height; ++y) {
      INT x = 0;
      while (x < width) {
        while (x < width && pixel(x, y) == clippingColour) ++x;
        const INT start = x;
        while (x < width && pixel(x, y) != clippingColour) ++x;
        if (x > start) path.AddRectangle(Gdiplus::Rect(start, y, x - start, 1));
      }
    }
    if (locked) image->UnlockBits(&data);

    std::unique_ptr<Gdiplus::Region> region(new Gdiplus::Region(&path));
    if (region->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return region;
  } catch (...) {
    return nullptr;
  }
}

Gdiplus::Region* CreateRegionFromImage(const wchar_t* path, Gdiplus::ARGB clippingColour) {
  CImageManager* manager = GetImageManager();
  if (manager == nullptr || path == nullptr) return nullptr;
  if (Gdiplus::Region* cached = manager->FindRegion(path)) return cached;
  Gdiplus::Bitmap* image = manager->GetImage(path);
  if (image == nullptr) return nullptr;
  return manager->AddRegion(path, BuildRegionFromBitmap(image, clippingColour));
}

}  // namespace velmor
