// Drawing skin bitmaps into element rectangles (natural size, stretched, tiled, nine-grid) and
// making window-shape regions from bitmaps in which one colour means "outside".
//
// The drawing functions take the paint's Graphics with its world transform already translated to
// the element, so rectangles are in the element's own coordinates; tiles are anchored at that
// origin. Nothing is clipped: callers pass rectangles inside (0, 0, width, height).
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <memory>

namespace velmor {

// The pixel buffer a paint's Graphics draws into, for as long as the object lives (one per
// thread at a time; an inner one hides an outer one). While it is set, bitmaps drawn with that
// Graphics at whole-pixel offsets are copied into the buffer directly, nearest-neighbour as the
// paint samples and blended as GDI+ blends, instead of through GDI+: Wine's GDI+ draws in
// software at tens of nanoseconds a pixel, and a skin of thousands of overlapping images took
// seconds for each paint. The Graphics must have no clip and only translating transforms.
class scPixelTarget {
 public:
  scPixelTarget(Gdiplus::Graphics* graphics, BYTE* pixels, int stride, int width, int height);
  ~scPixelTarget();
  scPixelTarget(const scPixelTarget&) = delete;
  scPixelTarget& operator=(const scPixelTarget&) = delete;

  // The part of 'image' inside 'source' into 'destination' (coordinates of the graphics' world
  // transform). False when it must be drawn through GDI+ instead (no target for 'graphics', a
  // transform that is more than a whole-pixel move, a source outside the image, an image too
  // large to keep as pixels).
  static bool Draw(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& destination,
                   const RECT& source);
  // The same with the 'source' part repeated across 'destination', the pattern anchored at
  // the world transform's origin, as a GDI+ texture brush tiles.
  static bool Tile(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& destination,
                   const RECT& source);
  // Fills 'destination' with a colour (GDI+ ARGB) blended over what is there; false when it
  // must go through GDI+ instead.
  static bool Fill(Gdiplus::Graphics* graphics, Gdiplus::ARGB colour, const RECT& destination);

 private:
  static bool Copy(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& destination,
                   const RECT& source, bool tiled);

  Gdiplus::Graphics* m_graphics;
  // Receives the graphics' transform for each draw (one matrix per paint, not one per draw).
  mutable Gdiplus::Matrix m_transform;
  BYTE* m_pixels;
  int m_stride, m_width, m_height;
  scPixelTarget* m_outer;
};

// Drawing flags: stretch and tile are exclusive values; otherwise the image keeps its size and
// the placement bits say where it sits (none = top-left).
enum ImageDrawFlags : UINT {
  kDrawCenterH = 1,
  kDrawRight = 2,
  kDrawCenterV = 4,
  kDrawBottom = 8,
  kDrawStretch = 16,
  kDrawTile = 32,
};

// Nine-grid margins in pixels of the source image.
struct NineGridMargins {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

// Draws the 'source' part of 'image' into 'destination' (element coordinates). Empty source or
// destination rectangles draw nothing.
void DrawImage(Gdiplus::Graphics* graphics, Gdiplus::Image* image, const RECT& destination,
               const RECT& source, UINT flags);

// The same with the image from the image cache; an all-zero source means the whole image.
// False when the image cannot be had (nothing drawn).
bool DrawImageByPath(Gdiplus::Graphics* graphics, const wchar_t* path, const RECT& destination,
                     const RECT& source, UINT flags);

// Corners at natural size, always (overlapping when the destination is smaller than the
// margins); edges and centre stretched only where there is room between the corners. The image
// may hold 'frameCount' frames stacked vertically, of which 'frame' is drawn.
void DrawNineGrid(Gdiplus::Graphics* graphics, const RECT& destination, Gdiplus::Image* image,
                  const NineGridMargins& margins, int frame = 0, int frameCount = 1);
bool DrawNineGridByPath(Gdiplus::Graphics* graphics, const RECT& destination, const wchar_t* path,
                        const NineGridMargins& margins, int frame = 0, int frameCount = 1);

// The region of the pixels of 'image' whose ARGB value differs from 'clippingColour' (exact
// 32-bit comparison, alpha included), one rectangle per run of such pixels in a row. Not cached.
std::unique_ptr<Gdiplus::Region> BuildRegionFromBitmap(Gdiplus::Bitmap* image,
                                                       Gdiplus::ARGB clippingColour);

// The shape region of the image at 'path', built once per path and kept in the image manager
// (owned there: clone it before changing it). 'clippingColour' is a GDI+ ARGB value
// (0xAARRGGBB), not the skin colour parser's 0xAABBGGRR: convert before calling. The first colour
// asked for with a path wins; later calls get the cached region whatever colour they pass.
// Null when the image cannot be had.
Gdiplus::Region* CreateRegionFromImage(const wchar_t* path, Gdiplus::ARGB clippingColour);

}  // namespace velmor
