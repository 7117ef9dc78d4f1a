// scIEventStateManager: the document window's answer to "what state is this element in"
// (active, hover, disabled) and the one place that moves the active and hover elements.
#pragma once
#include <unknwn.h>
#include <windows.h>

struct scIContent;

namespace velmor {
enum : ULONG {
  kStateActive = 0x01,
  kStateHover = 0x04,
  kStateChecked = 0x20,
  kStateDisabled = 0x40,
};
}  // namespace velmor

struct scIEventStateManager : public IUnknown {
  // Reserved; answers E_NOTIMPL.
  virtual HRESULT STDMETHODCALLTYPE Reserved() = 0;
  // The element's intrinsic state plus 0x01 when it is the active element and 0x04 when it is
  // the hover element.
  virtual HRESULT STDMETHODCALLTYPE GetContentState(scIContent* element, ULONG* state) = 0;
  // Makes the element (or nobody) the active element for bit 0x01 and the hover element for
  // bit 0x04, then tells each element whose state changed.
  virtual HRESULT STDMETHODCALLTYPE SetContentState(scIContent* element, ULONG state) = 0;
};
__CRT_UUID_DECL(scIEventStateManager, 0x428e3f04, 0xf7b4, 0x40c4, 0xa6, 0xe4, 0x85, 0x00, 0xf6,
                0xdc, 0x49, 0xda)
