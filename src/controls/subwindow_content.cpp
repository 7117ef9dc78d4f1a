#include "controls/subwindow_content.h"

#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/attribute_readers.h"

namespace velmor {

HRESULT scSubWindowContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_hasClippingColor = GetColorAttr(this, L"clippingColor", m_clippingColor);
  m_hasBackgroundColor = GetColorAttr(this, L"backgroundColor", m_backgroundColor);
  m_clippingImage.clear();
  (void)GetStringAttr(this, L"clippingImage", m_clippingImage);
  std::wstring background;
  (void)GetStringAttr(this, L"backgroundImage", background);
  if (background != m_backgroundImage) {
    StopWatching();
    m_backgroundImage = std::move(background);
    m_backgroundChecked = false;
  }
  ReadImageBoxDrawing(this, L"backgroundImageStretchMode", m_drawing);
  return S_OK;
}

bool scSubWindowContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (context == nullptr || context->graphics == nullptr) return true;
  if (m_hasBackgroundColor) {
    FillBackground(context->graphics, m_backgroundColor, m_rect.width, m_rect.height);
  }
  if (!m_backgroundChecked) {
    m_backgroundChecked = true;
    m_watch.Watch(m_backgroundImage.c_str(), static_cast<imgIContainerObserver*>(this));
  }
  (void)DrawImageInBox(context->graphics, m_backgroundImage.c_str(), m_rect.width, m_rect.height,
                       m_drawing);
  return true;
}

void scSubWindowContent::Destroy() {
  StopWatching();
  scITextBaseContent::Destroy();
}

HRESULT scSubWindowContent::OnImageFrameChanged(imgIContainer*) {
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
  return S_OK;
}

HRESULT scSubWindowContent::CreateRegion(scRegionBuilder* region, int dx, int dy) {
  if (region == nullptr) return E_POINTER;
  if (m_hasBackgroundColor) {
    region->AddRect(dx, dy, m_rect.width, m_rect.height);
    // The box covers the children: the walk need not visit them.
    return E_FAIL;
  }
  if (!m_hasClippingColor) return S_FALSE;
  const std::wstring& path = m_clippingImage.empty() ? m_backgroundImage : m_clippingImage;
  return AddImageShape(region, path.c_str(), m_clippingColor, dx, dy) ? S_OK : S_FALSE;
}

}  // namespace velmor
