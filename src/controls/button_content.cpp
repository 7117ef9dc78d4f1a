#include "controls/button_content.h"

#include <cwchar>
#include <string>

#include "controls/content_state.h"
#include "skin/attribute_readers.h"
#include "skin/event_record.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

// The picture attributes of one visual state: the checked variant is tried first when the
// button is checked.
struct StatePictures {
  const wchar_t* checked;
  const wchar_t* plain;
};

StatePictures PicturesFor(ULONG state) {
  if (state & kStateDisabled) return {L"checkDisabledImage", L"disabledImage"};
  // Pressed only while the mouse is over the button: pressed and dragged off looks normal.
  if ((state & (kStateActive | kStateHover)) == (kStateActive | kStateHover))
    return {L"checkDownImage", L"downImage"};
  if (state & kStateHover) return {L"checkHoverImage", L"hoverImage"};
  return {L"checkImage", L"image"};
}

bool ReadPicture(scIContent* button, const wchar_t* name, std::wstring& path) {
  return GetStringAttr(button, name, path) && !path.empty();
}

template <class T>
ComPtr<T> NewInner() {
  T* created = nullptr;
  if (FAILED(T::CreateObject(&created))) return nullptr;
  return AdoptRef(created);
}

}  // namespace

HRESULT scButtonContent::BindToTree(scIContentDocument* document, scIContent* parent) {
  RETURN_IF_FAILED(scITextBaseContent::BindToTree(document, parent));
  if (document != nullptr && !m_image && FAILED(CreateInnerElements(document)))
    ReleaseInnerElements();  // the button then draws nothing of its own
  if (m_image) ChooseImage(FullContentState(this));
  return S_OK;
}

HRESULT scButtonContent::CreateInnerElements(scIContentDocument* document) {
  RETURN_HR_IF_NULL(E_UNEXPECTED, m_prototype);
  m_image = NewInner<scImageContent>();
  m_label = NewInner<scLabelContent>();
  RETURN_HR_IF(E_OUTOFMEMORY, !m_image || !m_label);
  // Both read the button's own attributes: the label its caption, font and colours, the image
  // its drawing mode. The image's picture comes from the state images, never from "src".
  RETURN_IF_FAILED(m_image->InitFromPrototype(m_prototype));
  RETURN_IF_FAILED(m_label->InitFromPrototype(m_prototype));
  m_image->SetSource(L"");
  m_label->SetStateOwner(this);
  for (scITextBaseContent* inner : {static_cast<scITextBaseContent*>(m_image.Get()),
                                    static_cast<scITextBaseContent*>(m_label.Get())}) {
    inner->SetPositionRaw(0, 0);
    inner->SetWidthRaw(m_rect.width);
    inner->SetHeightRaw(m_rect.height);
    RETURN_IF_FAILED(inner->BindToTree(document, this));
  }
  return S_OK;
}

void scButtonContent::ReleaseInnerElements() {
  ComPtr<scImageContent> image = std::move(m_image);
  ComPtr<scLabelContent> label = std::move(m_label);
  for (scITextBaseContent* inner : {static_cast<scITextBaseContent*>(image.Get()),
                                    static_cast<scITextBaseContent*>(label.Get())}) {
    if (inner == nullptr) continue;
    inner->UnbindFromTree(TRUE, TRUE);
    inner->Destroy();
  }
}

void scButtonContent::UnbindFromTree(BOOL deep, BOOL nullParent) {
  ReleaseInnerElements();
  scITextBaseContent::UnbindFromTree(deep, nullParent);
}

void scButtonContent::Destroy() {
  ReleaseInnerElements();
  scITextBaseContent::Destroy();
}

void scButtonContent::MoveSize(int x, int y, int width, int height) {
  scITextBaseContent::MoveSize(x, y, width, height);
  // The button's own move has repainted its old and new boxes: the inner elements only follow.
  for (scITextBaseContent* inner : {static_cast<scITextBaseContent*>(m_image.Get()),
                                    static_cast<scITextBaseContent*>(m_label.Get())}) {
    if (inner == nullptr) continue;
    inner->SetPositionRaw(0, 0);
    inner->SetWidthRaw(m_rect.width);
    inner->SetHeightRaw(m_rect.height);
  }
}

bool scButtonContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (m_image) (void)m_image->Paint(context);
  if (m_label) (void)m_label->Paint(context);
  return true;
}

bool scButtonContent::GetAttr(const wchar_t* name, VARIANT* value) {
  if (name != nullptr && (m_state & kStateChecked) && wcscmp(name, L"tooltip") == 0)
    return scITextBaseContent::GetAttr(L"checkTooltip", value);
  return scITextBaseContent::GetAttr(name, value);
}

void scButtonContent::ContentStateChanged() {
  ChooseImage(FullContentState(this));
  // The caption's colours and font may follow the state even when the picture does not.
  scITextBaseContent::ContentStateChanged();
}

void scButtonContent::ChooseImage(ULONG state) {
  if (!m_image) return;
  const StatePictures pictures = PicturesFor(state);
  std::wstring path;
  const bool found = ((state & kStateChecked) && ReadPicture(this, pictures.checked, path)) ||
                     ReadPicture(this, pictures.plain, path) || ReadPicture(this, L"image", path);
  if (!found) return;
  m_image->SetSource(path.c_str());
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
}

void scButtonContent::SetChecked(bool checked) {
  if (checked) {
    m_state |= kStateChecked;
  } else {
    m_state &= ~static_cast<uint32_t>(kStateChecked);
  }
  ChooseImage(FullContentState(this));
}

HRESULT scButtonContent::PostHandleEvent(scEventRecord* record, LONG* status) {
  if (record == nullptr || record->type != kEventLButtonDown) return S_OK;
  if (status != nullptr && *status == kEventStatusPrevented) return S_OK;
  // The skin's type, not a value a script stored.
  const scPrototypeText* type = m_prototype != nullptr ? m_prototype->FindAttr(L"type") : nullptr;
  if (type == nullptr || *type != L"menu" || !IsInDocument() || m_ownerDocument == nullptr)
    return S_OK;
  ComPtr<scIContent> keep(this);  // the menu's handlers may close the window
  const bool wasChecked = (m_state & kStateChecked) != 0;
  // Pressed and checked while the menu is open.
  if (!wasChecked) SetChecked(true);
  ComPtr<scIMenuHost> menus;
  if (SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&menus)))) (void)menus->RunMenu(this);
  if (!wasChecked) SetChecked(false);
  return S_OK;
}

STDMETHODIMP scButtonContent::get_checked(BOOL* checked) {
  if (checked == nullptr) return E_POINTER;
  *checked = (FullContentState(this) & kStateChecked) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scButtonContent::put_checked(BOOL checked) {
  SetChecked(checked == VARIANT_TRUE);
  return S_OK;
}

}  // namespace velmor
