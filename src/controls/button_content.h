// scButtonContent: the drawn "button". It has no window of its own: an inner image shows the
// picture of the button's state (normal, hover, pressed, disabled, each checked or not) and an
// inner label draws its caption over it, both built from the button's own attributes and never
// seen by scripts. The mouse code's hover and active bits reach it as state changes; "click"
// comes from the mouse code as for any element. Scripts reach it as IDOMButton.
#pragma once
#include <windows.h>

#include "controls/image_content.h"
#include "controls/label_content.h"
#include "skin/element_classes.h"

// Answered by a document that owns a menu manager: runs the popup menu of a "menu" button (its
// first child) below the button and returns when the menu has closed.
struct scIButtonMenuHost : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RunButtonMenu(scIContent* button) = 0;
};
__CRT_UUID_DECL(scIButtonMenuHost, 0x6e1d0c4a, 0x93b7, 0x4f52, 0xa8, 0x0e, 0x31, 0xc5, 0x7d, 0x26,
                0x9b, 0x44)

namespace velmor {

class scButtonContent : public scScriptContentClass<scButtonContent, element_interfaces::kButton,
                                                    IDOMNodeImpl<scButtonContent, IDOMButton>> {
 public:
  const wchar_t* NodeName() const override { return L"button"; }

  // Builds the inner image and label once the button is in a document and shows the image of
  // its stored state (a button that starts checked shows its checked image).
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document, scIContent* parent) override;
  void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) override;
  void STDMETHODCALLTYPE Destroy() override;
  // The inner image and label always fill the button.
  void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) override;
  // The image first, the caption over it.
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  // A checked button answers "tooltip" with its "checkTooltip" (absent when that is).
  bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) override;
  void STDMETHODCALLTYPE ContentStateChanged() override;
  // A "menu" button runs its menu on a left press that no listener prevented.
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) override;

  // IDOMButton: only true (-1) checks; every other value unchecks.
  STDMETHODIMP get_checked(BOOL* checked) override;
  STDMETHODIMP put_checked(BOOL checked) override;

  scImageContent* InnerImage() const { return m_image.Get(); }
  scLabelContent* InnerLabel() const { return m_label.Get(); }

 private:
  HRESULT CreateInnerElements(scIContentDocument* document);
  void ReleaseInnerElements();
  // Shows the state image of 'state' (with every fallback down to "image"); keeps what the
  // image showed when the button has none.
  void ChooseImage(ULONG state);
  void SetChecked(bool checked);

  ComPtr<scImageContent> m_image;
  ComPtr<scLabelContent> m_label;
};

}  // namespace velmor
