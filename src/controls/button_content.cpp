#include "controls/button_content.h"

#include <cwchar>
#include <new>
#include <string>

#include "controls/content_state.h"
#include "controls/label_content.h"
#include "render/paint.h"
#include "render/paint_context.h"
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

// Sets a flag for the lifetime of the scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
  ~FlagScope() { m_flag = m_was; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& m_flag;
  const bool m_was;
};

}  // namespace

scButtonContent::~scButtonContent() { m_watch.Stop(this); }

HRESULT scButtonContent::BindToTree(scIContentDocument* document, scIContent* parent) {
  RETURN_IF_FAILED(scITextBaseContent::BindToTree(document, parent));
  if (document != nullptr && !m_hasParts) MakeParts();
  if (m_hasParts) ChooseImage(FullContentState(this));
  return S_OK;
}

void scButtonContent::MakeParts() {
  if (m_prototype == nullptr) return;  // the button then draws nothing of its own
  // The picture comes from the state pictures, never from "src"; its drawing mode is the
  // skin's.
  m_picture.Clear();
  m_prepared = false;
  {
    const FlagScope skinOnly(m_readingSkin);
    ReadImageBoxDrawing(this, L"stretchMode", m_drawing);
  }
  m_hasParts = true;
}

void scButtonContent::DropParts() {
  m_watch.Stop(this);
  m_hasParts = false;
  m_picture.Clear();
  m_prepared = false;
}

void scButtonContent::UnbindFromTree(BOOL deep, BOOL nullParent) {
  DropParts();
  scITextBaseContent::UnbindFromTree(deep, nullParent);
}

void scButtonContent::Destroy() {
  DropParts();
  scITextBaseContent::Destroy();
}

bool scButtonContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (!m_hasParts) return true;
  if (!m_prepared) {
    m_prepared = true;  // looked for once per picture, found or not
    m_watch.Watch(m_picture.CStr(), this);
  }
  if (context == nullptr || context->graphics == nullptr) return true;
  // A missing or undecodable file draws nothing, silently.
  if (!m_picture.Empty())
    (void)DrawImageInBox(context->graphics, m_picture.CStr(), m_rect.width, m_rect.height,
                         m_drawing);
  PaintCaption(context);
  return true;
}

void scButtonContent::PaintCaption(scPaintContext* context) {
  const FlagScope skinOnly(m_readingSkin);
  const scLabelLook look = ChooseLabelLook(this, FullContentState(this));
  if ((look.background >> 24) != 0)
    FillBackground(context->graphics, look.background, m_rect.width, m_rect.height);
  std::wstring caption;
  if (!GetStringAttr(this, L"value", caption) || caption.empty()) return;
  DrawLabelText(context->graphics, this, caption, look, m_rect.width, m_rect.height);
}

HRESULT scButtonContent::OnImageFrameChanged(imgIContainer*) {
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
  return S_OK;
}

bool scButtonContent::GetAttr(const wchar_t* name, VARIANT* value) {
  if (m_readingSkin) {
    // The caption and the drawing mode: the prototype's values alone, and a caption without a
    // "value" (or with an empty one) shows the text between the tags, as a label does.
    if (name == nullptr || value == nullptr || m_prototype == nullptr) return false;
    const scPrototypeText* text =
        wcscmp(name, L"value") == 0 ? ElementTextForValue(m_prototype, false) : nullptr;
    if (text == nullptr) text = m_prototype->FindAttr(name);
    return text != nullptr && TextToAttrValue(*text, value);
  }
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
  if (!m_hasParts) return;
  const StatePictures pictures = PicturesFor(state);
  std::wstring path;
  const bool found = ((state & kStateChecked) && ReadPicture(this, pictures.checked, path)) ||
                     ReadPicture(this, pictures.plain, path) || ReadPicture(this, L"image", path);
  if (!found) return;
  // The old picture's animation no longer concerns the button.
  try {
    m_picture.Assign(path);
  } catch (const std::bad_alloc&) {
    return;  // the old picture stays
  }
  m_watch.Stop(this);
  m_prepared = false;
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
