// scImageContent: the "image" element. Shows one skin bitmap in its box at natural size,
// stretched, tiled or as a nine-grid; an animated bitmap keeps the element repainting through
// the container's observer call while the element shows it. Scripts reach it as IDOMImage.
#pragma once
#include <windows.h>

#include "base/compact_text.h"
#include "controls/image_animation_watch.h"
#include "controls/image_box.h"
#include "images/img_container.h"
#include "skin/element_classes.h"

namespace velmor {

class scImageContent
    : public scScriptContentClass<scImageContent, element_interfaces::kImage,
                                  IDOMNodeImpl<scImageContent, IDOMImage>,
                                  imgIContainerObserverImpl<scImageContent>> {
 public:
  scImageContent() = default;
  ~scImageContent() override;

  const wchar_t* NodeName() const override { return L"image"; }
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord*, LONG*) override { return E_FAIL; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  uint32_t PaintExtent() const override {
    return ImageBoxStaysInside(m_drawing, m_rect.width, m_rect.height) ? kPaintsInsideBox : 0;
  }
  void STDMETHODCALLTYPE Destroy() override;

  // IDOMImage
  STDMETHODIMP get_src(BSTR* src) override;
  STDMETHODIMP put_src(BSTR src) override;

  // The container calls this (through imgIContainerObserver) when its frame changes.
  [[nodiscard]] HRESULT OnImageFrameChanged(imgIContainer* container);

  // True once the element has looked for an animation since the last source change.
  bool IsPrepared() const { return m_prepared; }

 private:
  // Shows the image at 'path' (throws std::bad_alloc).
  void SetSource(const wchar_t* path);
  // Hooks the element to an animated container of the source, once per source change.
  void Prepare();
  // Leaves the container it watches, if any.
  void StopObserving();

  scCompactText m_src;
  scImageBoxDrawing m_drawing;
  bool m_prepared = false;
  scImageAnimationWatch m_watch;
};

}  // namespace velmor
