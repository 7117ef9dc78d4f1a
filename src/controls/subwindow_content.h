// scSubWindowContent: the "subwindow" element, a painted panel. It fills its box with
// "backgroundColor", draws "backgroundImage" over it in "backgroundImageStretchMode", and takes
// part in the window shape: a background colour adds its whole box (its children lie inside), a
// "clippingColor" adds the shape of "clippingImage" (or of the background image) keyed by that
// colour, placed at the element's corner at the image's natural size. An animated background
// keeps the panel repainting while it is shown, as the image element does.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/image_animation_watch.h"
#include "controls/image_box.h"
#include "render/window_region.h"
#include "skin/element_classes.h"

namespace velmor {

class scSubWindowContent
    : public scScriptContentClass<scSubWindowContent, element_interfaces::kSubWindow,
                                  IDOMNodeImpl<scSubWindowContent>, scIRegionCreator,
                                  imgIContainerObserverImpl<scSubWindowContent>> {
 public:
  ~scSubWindowContent() override { StopWatching(); }
  const wchar_t* NodeName() const override { return L"subwindow"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  // The fill comes first and covers the box; the background image may leave it only as a
  // nine-grid too small for its corners.
  uint32_t PaintExtent() const override {
    const bool opaque = m_hasBackgroundColor && (m_backgroundColor >> 24) == 0xFF;
    return (opaque ? kFillsBoxOpaque : 0) |
           (m_backgroundImage.empty() || ImageBoxStaysInside(m_drawing, m_rect.width, m_rect.height)
                ? kPaintsInsideBox
                : 0);
  }
  void STDMETHODCALLTYPE Destroy() override;

  // scIRegionCreator
  HRESULT STDMETHODCALLTYPE CreateRegion(scRegionBuilder* region, int dx, int dy) override;

  // Colours are 0xAARRGGBB.
  bool HasBackgroundColor() const { return m_hasBackgroundColor; }
  uint32_t BackgroundColor() const { return m_backgroundColor; }
  bool HasClippingColor() const { return m_hasClippingColor; }
  uint32_t ClippingColor() const { return m_clippingColor; }
  const std::wstring& BackgroundImage() const { return m_backgroundImage; }
  const std::wstring& ClippingImage() const { return m_clippingImage; }
  const scImageBoxDrawing& BackgroundDrawing() const { return m_drawing; }

  // The background's container calls this (through imgIContainerObserver) on a new frame.
  HRESULT OnImageFrameChanged(imgIContainer* container);

 private:
  bool m_hasBackgroundColor = false;
  uint32_t m_backgroundColor = 0;
  bool m_hasClippingColor = false;
  uint32_t m_clippingColor = 0;
  std::wstring m_clippingImage;
  std::wstring m_backgroundImage;
  scImageBoxDrawing m_drawing;
  // The background is looked at for an animation by the first paint after it changes.
  bool m_backgroundChecked = false;
  scImageAnimationWatch m_watch;

  void StopWatching() { m_watch.Stop(static_cast<imgIContainerObserver*>(this)); }
};

}  // namespace velmor
