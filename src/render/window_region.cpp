#include "render/window_region.h"

#include "base/com_object.h"
#include "base/handles.h"
#include "skin/text_base_content.h"

namespace velmor {

[[nodiscard]] HRESULT CollectRegion(scIContent* element, int x, int y, scRegionBuilder* region) {
  if (element == nullptr || region == nullptr) return E_FAIL;
  HRESULT result = S_OK;
  ComPtr<scIRegionCreator> creator;
  if (SUCCEEDED(element->QueryInterface(IID_PPV_ARGS(&creator))))
    result = creator->CreateRegion(region, x, y);
  if (FAILED(result)) return S_OK;

  scITextBaseContent* parent = scITextBaseContent::FromContent(element);
  if (parent == nullptr) return S_OK;
  for (scITextBaseContent* child = parent->FirstChild(); child != nullptr;
       child = child->NextSibling()) {
    if (!child->IsVisible()) continue;
    ComPtr<scIRegionCreator> childCreator;
    if (FAILED(child->QueryInterface(IID_PPV_ARGS(&childCreator)))) continue;
    const scRect& r = child->Rect();
    (void)CollectRegion(child, x + r.x, y + r.y, region);
  }
  return S_OK;
}

[[nodiscard]] HRESULT ApplyWindowRegion(HWND window, scIContent* root) {
  if (window == nullptr || root == nullptr) return E_FAIL;
  scRegionBuilder region;
  try {
    (void)CollectRegion(root, 0, 0, &region);
  } catch (...) {
    return E_OUTOFMEMORY;  // the window keeps the shape it had
  }
  HRGN native = LimitRegionRects(region.CreateNativeRegion(), kMaxWindowShapeRects);
  if (native == nullptr) return E_FAIL;
  // Setting the shape the window already has would only make the platform recompute and redraw
  // its frame; scripts that lock and unlock often rebuild an unchanged shape many times.
  UniqueHRgn current(::CreateRectRgn(0, 0, 0, 0));
  if (current && ::GetWindowRgn(window, current.Get()) != ERROR &&
      ::EqualRgn(current.Get(), native)) {
    ::DeleteObject(native);
    return S_OK;
  }
  if (::SetWindowRgn(window, native, TRUE) == 0) {
    ::DeleteObject(native);
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace velmor
