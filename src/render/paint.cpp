#include "render/paint.h"

#include "base/platform.h"
#include "skin/event_record.h"
#include "render/paint_context.h"
#include "skin/text_base_content.h"

namespace velmor {

[[nodiscard]] HRESULT PaintElement(scPaintContext* context, scIContent* element) {
  if (context == nullptr || element == nullptr || context->graphics == nullptr ||
      context->clip == nullptr)
    return E_FAIL;
  if (!element->Paint(context)) return E_FAIL;
  scITextBaseContent* parent = scITextBaseContent::FromContent(element);
  if (parent == nullptr || parent->FirstChild() == nullptr) return S_OK;

  Gdiplus::Graphics* graphics = context->graphics;
  Gdiplus::Matrix saved;
  graphics->GetTransform(&saved);
  Gdiplus::REAL m[6] = {1, 0, 0, 1, 0, 0};
  saved.GetElements(m);
  RECT* const savedClip = context->clip;

  Gdiplus::Matrix moved;
  for (scITextBaseContent* child = parent->FirstChild(); child != nullptr;
       child = child->NextSibling()) {
    if (!child->IsVisible()) continue;
    const scRect& r = child->Rect();
    const RECT box{r.x, r.y, r.x + r.width, r.y + r.height};
    RECT visible{};
    // Children outside the area being painted cost no drawing call at all.
    if (!::IntersectRect(&visible, &box, savedClip)) continue;
    moved.SetElements(m[0], m[1], m[2], m[3], m[4] + static_cast<Gdiplus::REAL>(r.x),
                      m[5] + static_cast<Gdiplus::REAL>(r.y));
    graphics->SetTransform(&moved);
    ::OffsetRect(&visible, -r.x, -r.y);
    context->clip = &visible;
    (void)PaintElement(context, child);
  }
  context->clip = savedClip;
  graphics->SetTransform(&saved);
  return S_OK;
}

[[nodiscard]] HRESULT PaintIntoDC(HDC dc, scIContent* root, HWND window) {
  if (dc == nullptr || root == nullptr) return E_FAIL;
  RECT clip{};
  if (::GetClipBox(dc, &clip) == ERROR) return E_FAIL;

  scPaintContext context;
  context.point = MessagePointInClient(window);
  context.time = ::GetMessageTime();

  Gdiplus::Graphics graphics(dc);
  if (graphics.GetLastStatus() != Gdiplus::Ok) return E_FAIL;
  // Nearest-neighbour keeps stretched skin bitmaps sharp (and is the cheapest); the half-pixel
  // offset makes scaled pixels land on whole destination pixels.
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  context.graphics = &graphics;
  context.clip = &clip;
  return PaintElement(&context, root);
}

Gdiplus::Status DrawTextCentered(Gdiplus::Graphics* graphics, const WCHAR* text, INT length,
                                 const Gdiplus::Font* font, const Gdiplus::RectF& layout,
                                 const Gdiplus::StringFormat* format, const Gdiplus::Brush* brush) {
  if (graphics == nullptr || font == nullptr) return Gdiplus::InvalidParameter;
  if (format == nullptr || format->GetLineAlignment() != Gdiplus::StringAlignmentCenter)
    return graphics->DrawString(text, length, font, layout, format, brush);

  // GDI+ centres the whole line, leading included, which puts the glyphs visibly high; centre
  // one em instead.
  const Gdiplus::REAL fontHeight = font->GetHeight(graphics);
  Gdiplus::REAL block = fontHeight;
  Gdiplus::FontFamily family;
  if (font->GetFamily(&family) == Gdiplus::Ok) {
    const INT style = font->GetStyle();
    const UINT16 em = family.GetEmHeight(style);
    const UINT16 lineSpacing = family.GetLineSpacing(style);
    if (em != 0 && lineSpacing != 0)
      block = fontHeight * static_cast<Gdiplus::REAL>(em) / static_cast<Gdiplus::REAL>(lineSpacing);
  }
  const Gdiplus::REAL top = (layout.Height - block) / 2;

  Gdiplus::StringFormat nearFormat(format);
  nearFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);
  const Gdiplus::RectF moved(0, top, layout.Width, layout.Height - top);
  return graphics->DrawString(text, length, font, moved, &nearFormat, brush);
}

}  // namespace velmor
