// IDOMAmbient: the geometry and common attributes every script-visible element shares (id,
// position and size, visibility, disabled, pass-through, alignment, moves and locks), with its
// IDispatch answered from the engine's type library. Classes whose disabled state lives in a
// native control override put_disabled and may call PutDisabledAttribute themselves.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "skin/anchor_layout.h"
#include "skin/attribute_readers.h"
#include "skin/prototype.h"
#include "skin/text_base_content.h"
#include "skin/value_grammar.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

namespace velmor {

// Alignment keywords for the getters, and the lock bits of lock/unlock.
namespace ambient {
inline const wchar_t* HorizontalName(uint32_t flags) {
  if (flags & kAlignRight) return L"right";
  if (flags & kAlignCenterH) return L"center";
  if (flags & kAlignStretchH) return L"stretch";
  return L"left";
}
inline const wchar_t* VerticalName(uint32_t flags) {
  if (flags & kAlignBottom) return L"bottom";
  if (flags & kAlignCenterV) return L"center";
  if (flags & kAlignStretchV) return L"stretch";
  return L"top";
}
[[nodiscard]] inline HRESULT NewBstr(const wchar_t* text, BSTR* out) {
  *out = ::SysAllocString(text);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}
constexpr long kPaintLockBit = 1;
constexpr long kLayoutLockBit = 2;
}  // namespace ambient

template <class Derived>
class IDOMAmbientImpl : public DualDispatchImpl<IDOMAmbient> {
 public:
  STDMETHODIMP get_id(BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    scPrototypeElement* prototype = Element()->Prototype();
    const scPrototypeText* id = prototype != nullptr ? prototype->FindAttr(L"id") : nullptr;
    if (id == nullptr) return S_FALSE;
    *value = ::SysAllocStringLen(id->data(), static_cast<UINT>(id->size()));
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  STDMETHODIMP get_left(long* value) override { return Get(value, R().x); }
  STDMETHODIMP put_left(long value) override { return Move(value, R().y, R().width, R().height); }
  STDMETHODIMP get_top(long* value) override { return Get(value, R().y); }
  STDMETHODIMP put_top(long value) override { return Move(R().x, value, R().width, R().height); }
  STDMETHODIMP get_right(long* value) override {
    return Get(value, anchor::Add(R().x, R().width));
  }
  // Moves the element so that its right edge is at the value; the width is kept.
  STDMETHODIMP put_right(long value) override {
    return Move(anchor::Sub(value, R().width), R().y, R().width, R().height);
  }
  STDMETHODIMP get_bottom(long* value) override {
    return Get(value, anchor::Add(R().y, R().height));
  }
  STDMETHODIMP put_bottom(long value) override {
    return Move(R().x, anchor::Sub(value, R().height), R().width, R().height);
  }
  STDMETHODIMP get_width(long* value) override { return Get(value, R().width); }
  STDMETHODIMP put_width(long value) override { return Move(R().x, R().y, value, R().height); }
  STDMETHODIMP get_height(long* value) override { return Get(value, R().height); }
  STDMETHODIMP put_height(long value) override { return Move(R().x, R().y, R().width, value); }

  // Clipping shapes come only from the skin.
  STDMETHODIMP get_clippingImage(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_clippingImage(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_clippingColor(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP put_clippingColor(VARIANT) override { return E_NOTIMPL; }

  STDMETHODIMP get_visible(VARIANT_BOOL* value) override {
    return GetBool(value, Element()->IsVisible());
  }
  STDMETHODIMP put_visible(VARIANT_BOOL value) override {
    Element()->SetVisible(value != VARIANT_FALSE);
    return S_OK;
  }
  STDMETHODIMP get_disabled(VARIANT_BOOL* value) override {
    if (value == nullptr) return E_POINTER;
    bool disabled = false;
    GetBoolAttr(Element(), L"disabled", disabled);
    return GetBool(value, disabled);
  }
  STDMETHODIMP put_disabled(VARIANT_BOOL value) override {
    return PutDisabledAttribute(value != VARIANT_FALSE);
  }
  STDMETHODIMP get_passThrough(VARIANT_BOOL* value) override {
    return GetBool(value, Element()->IsPassThrough());
  }
  STDMETHODIMP put_passThrough(VARIANT_BOOL value) override {
    Element()->SetPassThrough(value != VARIANT_FALSE);
    return S_OK;
  }

  STDMETHODIMP get_horizontalAlignment(BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    return ambient::NewBstr(ambient::HorizontalName(Element()->Alignment()), value);
  }
  STDMETHODIMP put_horizontalAlignment(BSTR value) override {
    return PutAlignment(value, ParseHorizontalAlignment, kAlignHorizontalMask);
  }
  STDMETHODIMP get_verticalAlignment(BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    return ambient::NewBstr(ambient::VerticalName(Element()->Alignment()), value);
  }
  STDMETHODIMP put_verticalAlignment(BSTR value) override {
    return PutAlignment(value, ParseVerticalAlignment, kAlignVerticalMask);
  }

  // Element moves are immediate; animated moves are refused before anything changes.
  STDMETHODIMP moveTo(long x, long y, long moveTime) override {
    if (moveTime != 0) return E_NOTIMPL;
    return Move(x, y, R().width, R().height);
  }
  STDMETHODIMP moveBy(long dx, long dy, long moveTime) override {
    if (moveTime != 0) return E_NOTIMPL;
    return Move(anchor::Add(R().x, dx), anchor::Add(R().y, dy), R().width, R().height);
  }
  STDMETHODIMP sizeTo(long width, long height, long moveTime) override {
    if (moveTime != 0) return E_NOTIMPL;
    return Move(R().x, R().y, width, height);
  }
  STDMETHODIMP sizeBy(long dWidth, long dHeight, long moveTime) override {
    if (moveTime != 0) return E_NOTIMPL;
    return Move(R().x, R().y, anchor::Add(R().width, dWidth), anchor::Add(R().height, dHeight));
  }
  STDMETHODIMP moveSizeTo(long x, long y, long width, long height, long moveTime) override {
    if (moveTime != 0) return E_NOTIMPL;
    return Move(x, y, width, height);
  }

  STDMETHODIMP lock(long what) override {
    if (what & ambient::kPaintLockBit) Element()->PaintLock(true);
    if (what & ambient::kLayoutLockBit) Element()->LayoutLock(true);
    return S_OK;
  }
  STDMETHODIMP unlock(long what) override {
    if (what & ambient::kPaintLockBit) Element()->PaintLock(false);
    if (what & ambient::kLayoutLockBit) Element()->LayoutLock(false);
    return S_OK;
  }

 protected:
  // The shared disabled setter: the live attribute becomes a VT_BOOL (with notification) and the
  // element hears that its state changed.
  [[nodiscard]] HRESULT PutDisabledAttribute(bool disabled) {
    VARIANT attribute;
    V_VT(&attribute) = VT_BOOL;
    V_BOOL(&attribute) = disabled ? VARIANT_TRUE : VARIANT_FALSE;
    RETURN_IF_FAILED(Element()->SetAttr(L"disabled", attribute, TRUE));
    Element()->ContentStateChanged();
    return S_OK;
  }

 private:
  scITextBaseContent* Element() { return static_cast<Derived*>(this); }
  const scRect& R() { return Element()->Rect(); }
  [[nodiscard]] HRESULT Move(int32_t x, int32_t y, int32_t width, int32_t height) {
    Element()->MoveSize(x, y, width, height);
    return S_OK;
  }
  [[nodiscard]] static HRESULT Get(long* out, int32_t value) {
    if (out == nullptr) return E_POINTER;
    *out = value;
    return S_OK;
  }
  // Replaces one axis's bits only; the children stay where they are until the next layout, and
  // a null text changes nothing.
  [[nodiscard]] HRESULT PutAlignment(BSTR value, bool (*parse)(const wchar_t*, uint32_t&), uint32_t mask) {
    uint32_t flags = 0;
    if (!parse(value, flags)) return S_OK;
    Element()->SetAlignment((Element()->Alignment() & ~mask) | flags);
    return S_OK;
  }
  [[nodiscard]] static HRESULT GetBool(VARIANT_BOOL* out, bool value) {
    if (out == nullptr) return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
};

}  // namespace velmor
