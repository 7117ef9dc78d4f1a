// scButtonContent: the drawn "button". It has no window of its own: it paints the picture of its
// state (normal, hover, pressed, disabled, each checked or not) and its caption over it. Both
// parts are read from the skin's attributes of the button alone, as an image and a label made
// from the button's prototype would read them: what scripts store on the button changes which
// picture the next state shows, never the caption or the drawing mode. The parts are plain
// fields rather than elements of their own (a skin has many buttons), present while the button
// is in a document. The mouse code's hover and active bits reach it as state changes; "click"
// comes from the mouse code as for any element. Scripts reach it as IDOMButton.
#pragma once
#include <windows.h>

#include "base/compact_text.h"
#include "controls/image_animation_watch.h"
#include "controls/image_box.h"
#include "controls/menu_host.h"
#include "images/img_container.h"
#include "skin/element_classes.h"

namespace velmor {

class scButtonContent
    : public scScriptContentClass<scButtonContent, element_interfaces::kButton,
                                  IDOMNodeImpl<scButtonContent, IDOMButton>,
                                  imgIContainerObserverImpl<scButtonContent>> {
 public:
  ~scButtonContent() override;

  const wchar_t* NodeName() const override { return L"button"; }

  // Makes the parts once the button is in a document and shows the picture of its stored
  // state (a button that starts checked shows its checked picture).
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document, scIContent* parent) override;
  void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) override;
  void STDMETHODCALLTYPE Destroy() override;
  // The picture first, the caption over it, both over the whole box.
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  // The picture as an image element draws it, the caption as a label does.
  uint32_t PaintExtent() const override {
    return !m_hasParts || m_picture.Empty() ||
                   ImageBoxStaysInside(m_drawing, m_rect.width, m_rect.height)
               ? kPaintsInsideBox
               : 0;
  }
  // A checked button answers "tooltip" with its "checkTooltip" (absent when that is).
  bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) override;
  void STDMETHODCALLTYPE ContentStateChanged() override;
  // A "menu" button runs its menu on a left press that no listener prevented.
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) override;

  // IDOMButton: only true (-1) checks; every other value unchecks.
  STDMETHODIMP get_checked(BOOL* checked) override;
  STDMETHODIMP put_checked(BOOL checked) override;

  // The container calls this (through imgIContainerObserver) when the picture's frame changes.
  [[nodiscard]] HRESULT OnImageFrameChanged(imgIContainer* container);

 private:
  void MakeParts();
  void DropParts();
  // Shows the picture of 'state' (with every fallback down to "image"); keeps what was shown
  // when the button has none.
  void ChooseImage(ULONG state);
  void SetChecked(bool checked);
  void PaintCaption(scPaintContext* context);

  scCompactText m_picture;
  scImageBoxDrawing m_drawing;  // the button's "stretchMode", read when the parts are made
  bool m_hasParts = false;
  // While set, GetAttr answers the skin's values alone, as the parts read them.
  bool m_readingSkin = false;
  bool m_prepared = false;  // the picture's animation was looked for
  scImageAnimationWatch m_watch;
};

}  // namespace velmor
