#include "render/paint.h"

#include <vector>

#include "base/platform.h"
#include "render/double_buffer.h"
#include "render/image_draw.h"
#include "skin/event_record.h"
#include "render/paint_context.h"
#include "skin/text_base_content.h"

namespace velmor {

// The plan of one paint: the elements the walk visits, in its order, and which of them need not
// draw because an opaque fill drawn after them covers everything they would draw. A pixel inside
// such a fill shows only the fill and what is drawn after it, so leaving out what came before
// changes no pixel. Skins that stack whole panels on each other (thousands of copies of a pane,
// each with its own labels and images) then cost one pane's drawing.
struct scPaintPlan {
  std::vector<scITextBaseContent*> order;
  std::vector<bool> covered;
  size_t next = 0;  // the walk's position in 'order'
};

namespace {

thread_local bool t_planCovers = true;

// Where a child meets the part of its parent being painted, in the child's coordinates; false
// when it does not (the child and its subtree are not visited).
bool ChildClip(const scRect& r, const RECT& parentClip, RECT& visible) {
  const RECT box{r.x, r.y, r.x + r.width, r.y + r.height};
  if (!::IntersectRect(&visible, &box, &parentClip)) return false;
  ::OffsetRect(&visible, -r.x, -r.y);
  return true;
}

struct Box {
  long long left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
  long long Area() const { return (right - left) * (bottom - top); }
  bool Contains(const Box& b) const {
    return left <= b.left && top <= b.top && right >= b.right && bottom >= b.bottom;
  }
};

// Lists what the walk will visit under 'node' (at 'x', 'y' of the painted root) in its order,
// with each element's box and what its drawing promises. A paint-locked element draws nothing
// and hides its subtree, as in the walk.
void ListVisits(scITextBaseContent* node, long long x, long long y, const RECT& clip,
                scPaintPlan& plan, std::vector<Box>& boxes, std::vector<uint32_t>& extents) {
  const scRect& r = node->Rect();
  const bool locked = node->PaintLockCount() != 0;
  plan.order.push_back(node);
  boxes.push_back(Box{x, y, x + r.width, y + r.height});
  extents.push_back(locked ? 0 : node->PaintExtent());
  if (locked) return;
  for (scITextBaseContent* child = node->FirstChild(); child != nullptr;
       child = child->NextSibling()) {
    RECT visible{};
    if (!child->IsVisible() || !ChildClip(child->Rect(), clip, visible)) continue;
    ListVisits(child, x + child->Rect().x, y + child->Rect().y, visible, plan, boxes, extents);
  }
}

// Plans the paint of the tree under 'root' within 'clip' (the root's coordinates). The covers
// checked are the few largest opaque fills drawn after each element: enough for stacked panes,
// and the check stays a handful of comparisons per element.
bool PlanPaint(scITextBaseContent* root, const RECT& clip, scPaintPlan& plan) {
  try {
    std::vector<Box> boxes;
    std::vector<uint32_t> extents;
    ListVisits(root, 0, 0, clip, plan, boxes, extents);
    plan.covered.assign(plan.order.size(), false);
    constexpr size_t kCovers = 4;
    Box covers[kCovers];
    size_t count = 0;
    for (size_t i = plan.order.size(); i-- > 0;) {
      const Box& box = boxes[i];
      if (box.Empty()) continue;
      if (extents[i] & scITextBaseContent::kPaintsInsideBox) {
        for (size_t c = 0; c < count && !plan.covered[i]; ++c)
          plan.covered[i] = covers[c].Contains(box);
      }
      if (!(extents[i] & scITextBaseContent::kFillsBoxOpaque)) continue;
      if (count < kCovers) {
        covers[count++] = box;
        continue;
      }
      Box* smallest = &covers[0];
      for (Box& cover : covers)
        if (cover.Area() < smallest->Area()) smallest = &cover;
      if (box.Area() > smallest->Area()) *smallest = box;
    }
    return true;
  } catch (...) {
    return false;  // no memory for the plan: everything is painted
  }
}

// Paints the element's own part, or only keeps its paint lock's effect when the plan says later
// drawing covers it.
bool PaintOwnPart(scPaintContext* context, scIContent* element) {
  scPaintPlan* plan = context->plan;
  if (plan != nullptr) {
    scITextBaseContent* node = scITextBaseContent::FromContent(element);
    const size_t at = plan->next++;
    if (at >= plan->order.size() || plan->order[at] != node) {
      context->plan = nullptr;  // the tree is not the planned one: draw everything from here
    } else if (plan->covered[at]) {
      return node->PaintLockCount() == 0;
    }
  }
  return element->Paint(context);
}

}  // namespace

HRESULT PaintElement(scPaintContext* context, scIContent* element) {
  if (context == nullptr || element == nullptr || context->graphics == nullptr ||
      context->clip == nullptr)
    return E_FAIL;
  if (!PaintOwnPart(context, element)) return E_FAIL;
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
    RECT visible{};
    // Children outside the area being painted cost no drawing call at all.
    if (!ChildClip(r, *savedClip, visible)) continue;
    moved.SetElements(m[0], m[1], m[2], m[3], m[4] + static_cast<Gdiplus::REAL>(r.x),
                      m[5] + static_cast<Gdiplus::REAL>(r.y));
    graphics->SetTransform(&moved);
    context->clip = &visible;
    (void)PaintElement(context, child);
  }
  context->clip = savedClip;
  graphics->SetTransform(&saved);
  return S_OK;
}

namespace {

// Paints the tree under 'root' with 'graphics', whose world transform maps client coordinates;
// 'clip' is the area to cover. With 'planned', elements that later opaque fills cover are left
// out: only where every fill lands exactly on its box's pixels (whole-pixel moves, fills written
// by the engine itself).
HRESULT PaintWith(Gdiplus::Graphics& graphics, RECT clip, scIContent* root, HWND window,
                  bool planned) {
  if (graphics.GetLastStatus() != Gdiplus::Ok) return E_FAIL;
  scPaintContext context;
  context.point = MessagePointInClient(window);
  context.time = ::GetMessageTime();
  // Nearest-neighbour keeps stretched skin bitmaps sharp (and is the cheapest); the half-pixel
  // offset makes scaled pixels land on whole destination pixels.
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  context.graphics = &graphics;
  context.clip = &clip;
  scPaintPlan plan;
  scITextBaseContent* tree = scITextBaseContent::FromContent(root);
  if (planned && tree != nullptr && PlanPaint(tree, clip, plan)) context.plan = &plan;
  return PaintElement(&context, root);
}

}  // namespace

HRESULT PaintIntoDC(HDC dc, scIContent* root, HWND window) {
  if (dc == nullptr || root == nullptr) return E_FAIL;
  RECT clip{};
  if (::GetClipBox(dc, &clip) == ERROR) return E_FAIL;
  Gdiplus::Graphics graphics(dc);
  return PaintWith(graphics, clip, root, window, false);
}

void SetCoveredElementsSkipped(bool skipped) { t_planCovers = skipped; }

HRESULT PaintIntoBuffer(const scDoubleBuffer& buffer, scIContent* root, HWND window) {
  if (buffer.DC() == nullptr || root == nullptr) return E_FAIL;
  // GDI+ drawing into a device context goes through a temporary bitmap and a blend for every
  // image it draws; into a bitmap it writes the pixels. A window of a few thousand images (a
  // nine-grid image is nine draws) paints in seconds one way and in a tenth of that the other.
  const RECT& rect = buffer.Rect();
  Gdiplus::Bitmap pixels(rect.right - rect.left, rect.bottom - rect.top, buffer.Stride(),
                         PixelFormat32bppRGB, buffer.Pixels());
  if (pixels.GetLastStatus() != Gdiplus::Ok) return PaintIntoDC(buffer.DC(), root, window);
  Gdiplus::Graphics graphics(&pixels);
  const scPixelTarget target(&graphics, buffer.Pixels(), buffer.Stride(), rect.right - rect.left,
                             rect.bottom - rect.top);
  graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-rect.left),
                              static_cast<Gdiplus::REAL>(-rect.top));
  return PaintWith(graphics, rect, root, window, t_planCovers);
}

void FillBackground(Gdiplus::Graphics* graphics, Gdiplus::ARGB colour, int width, int height) {
  if (graphics == nullptr || scPixelTarget::Fill(graphics, colour, RECT{0, 0, width, height}))
    return;
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  graphics->FillRectangle(&brush, 0, 0, width, height);
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
