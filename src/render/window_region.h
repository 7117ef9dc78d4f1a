// Window shapes: elements that take part in the shape answer scIRegionCreator; the walk collects
// their parts into one region, which becomes the native window region.
#pragma once
#include <windows.h>

#include "render/region_builder.h"
#include "skin/content.h"

// An element that adds to the window shape. 'region' collects window client coordinates and
// (dx, dy) is the element's corner there. A failure result keeps the walk out of the element's
// children (the part added already covers them); S_FALSE means nothing was added.
struct scIRegionCreator : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateRegion(velmor::scRegionBuilder* region, int dx, int dy) = 0;
};
__CRT_UUID_DECL(scIRegionCreator, 0x6a0f3c52, 0x91d4, 0x4b7e, 0xa3, 0x28, 0x5e, 0x14, 0xc9, 0x07,
                0xbd, 0x63)

namespace velmor {

// Unites into 'region' the parts of 'element' (at (x, y)) and of its visible descendants reached
// through region creators only: a child that is not one is left out with its whole subtree.
[[nodiscard]] HRESULT CollectRegion(scIContent* element, int x, int y, scRegionBuilder* region);

// Collects the tree under 'root' from an empty region and makes it the window's region (an
// empty shape hides the whole window). The window then owns the native region.
[[nodiscard]] HRESULT ApplyWindowRegion(HWND window, scIContent* root);

}  // namespace velmor
