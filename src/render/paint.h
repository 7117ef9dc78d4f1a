// Painting the element tree: the walk that hands each visible element the paint context with the
// world transform moved to its corner, painting a whole tree into a device context, and the
// vertically centred text routine shared by the text-drawing elements.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include "skin/content.h"  // declares scPaintContext (render/paint_context.h defines it)

// Answered by the document of a window: while the window's paint lock is held nothing is drawn
// and the release repaints the whole client area, so element invalidations need not reach the
// native window meanwhile.
struct scIWindowPaintLock : public IUnknown {
  virtual bool STDMETHODCALLTYPE IsPaintLocked() = 0;
};
__CRT_UUID_DECL(scIWindowPaintLock, 0x2d7c4e91, 0x5b0a, 0x4f36, 0x8e, 0x19, 0xa4, 0x62, 0x0c, 0xd7,
                0x3f, 0x58)

namespace velmor {

class scDoubleBuffer;

// Paints 'element' and then its visible children that meet the context's clip rectangle, in
// document order (later siblings over earlier ones). E_FAIL for null arguments and for an
// element whose Paint declines (paint-locked): its subtree is left out.
[[nodiscard]] HRESULT PaintElement(scPaintContext* context, scIContent* element);

// Paints the tree under 'root' into 'dc' (its clip box is the area to cover; client
// coordinates). 'window' gives the mouse position its coordinates; it may be null.
[[nodiscard]] HRESULT PaintIntoDC(HDC dc, scIContent* root, HWND window);

// Paints the tree under 'root' into the buffer's rectangle (client coordinates), drawing
// straight into its pixels. Elements that opaque fills drawn after them cover are left out.
HRESULT PaintIntoBuffer(const scDoubleBuffer& buffer, scIContent* root, HWND window);

// Whether buffer paints on this thread leave out the elements whose drawing opaque fills drawn
// after them cover (the default). The pixels are the same either way: turning it off serves
// comparisons of cost and of pixels.
void SetCoveredElementsSkipped(bool skipped);

// Fills (0, 0, width, height) with a colour (GDI+ ARGB), as element backgrounds are painted.
void FillBackground(Gdiplus::Graphics* graphics, Gdiplus::ARGB colour, int width, int height);

// Draws 'text' like Graphics::DrawString, except that a format centred vertically centres the
// em box of the font rather than its line: the text sits in the optical middle of 'layout'.
// Only the size of 'layout' is used: callers pass a rectangle at their element's origin.
Gdiplus::Status DrawTextCentered(Gdiplus::Graphics* graphics, const WCHAR* text, INT length,
                                 const Gdiplus::Font* font, const Gdiplus::RectF& layout,
                                 const Gdiplus::StringFormat* format, const Gdiplus::Brush* brush);

}  // namespace velmor
