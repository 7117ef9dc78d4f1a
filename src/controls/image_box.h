// How the elements that show a skin bitmap in their box (the image element, subwindow
// backgrounds) read their drawing mode and margins, and draw the bitmap over their whole box.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

#include "render/region_builder.h"

struct scIContent;

namespace velmor {

struct scImageBoxDrawing {
  // The modes the "stretchMode" keywords select ("stretch", "tile", "ninegrid"; exact case).
  enum Mode : int32_t { kNatural = 0, kStretch = 1, kTile = 2, kNineGrid = 4 };
  int32_t mode = kNatural;
  // left, top, right, bottom; read only in nine-grid mode, else all 0.
  int32_t margins[4] = {0, 0, 0, 0};
};

// Reads the mode from the attribute 'modeAttribute' (an unknown keyword means natural size) and,
// in nine-grid mode only, the margins from "nineGridMargins".
void ReadImageBoxDrawing(scIContent* element, const wchar_t* modeAttribute,
                         scImageBoxDrawing& drawing);

// Draws the image at 'path' into (0, 0, width, height): natural size from the top-left corner,
// stretched, tiled or as a nine-grid. False when the image cannot be had (nothing drawn).
bool DrawImageInBox(Gdiplus::Graphics* graphics, const wchar_t* path, int width, int height,
                    const scImageBoxDrawing& drawing);

// Whether DrawImageInBox with 'drawing' keeps to (0, 0, width, height): every mode does except a
// nine-grid whose margins do not fit the box (its corners are drawn whole).
bool ImageBoxStaysInside(const scImageBoxDrawing& drawing, int width, int height);

// Adds to 'region' the shape of the image at 'path' keyed by 'clippingArgb' (0xAARRGGBB;
// the first colour used with a path wins), moved to (dx, dy). False when the image cannot be had.
bool AddImageShape(scRegionBuilder* region, const wchar_t* path, uint32_t clippingArgb, int dx,
                   int dy);

}  // namespace velmor
