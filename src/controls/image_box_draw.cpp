#include <memory>

#include "controls/image_box.h"
#include "render/image_draw.h"

namespace velmor {

bool DrawImageInBox(Gdiplus::Graphics* graphics, const wchar_t* path, int width, int height,
                    const scImageBoxDrawing& drawing) {
  if (path == nullptr || *path == L'\0') return false;
  const RECT box{0, 0, width, height};
  if (drawing.mode == scImageBoxDrawing::kNineGrid) {
    NineGridMargins margins;
    margins.left = drawing.margins[0];
    margins.top = drawing.margins[1];
    margins.right = drawing.margins[2];
    margins.bottom = drawing.margins[3];
    return DrawNineGridByPath(graphics, box, path, margins);
  }
  const UINT flags = drawing.mode == scImageBoxDrawing::kStretch ? kDrawStretch
                     : drawing.mode == scImageBoxDrawing::kTile  ? kDrawTile
                                                                 : 0u;
  // An all-zero source is the whole image.
  return DrawImageByPath(graphics, path, box, RECT{0, 0, 0, 0}, flags);
}

bool ImageBoxStaysInside(const scImageBoxDrawing& drawing, int width, int height) {
  if (drawing.mode != scImageBoxDrawing::kNineGrid) return true;
  const int32_t* m = drawing.margins;  // left, top, right, bottom
  const auto fits = [](int32_t margin, int extent) { return margin >= 0 && margin <= extent; };
  return fits(m[0], width) && fits(m[2], width) && fits(m[1], height) && fits(m[3], height);
}

bool AddImageShape(scRegionBuilder* region, const wchar_t* path, uint32_t clippingArgb, int dx,
                   int dy) {
  if (region == nullptr || path == nullptr || *path == L'\0') return false;
  // The cached shape is shared by every element using the image: only its rectangles are read.
  Gdiplus::Region* shape = CreateRegionFromImage(path, clippingArgb);
  return shape != nullptr && region->AddRegion(*shape, dx, dy);
}

}  // namespace velmor
