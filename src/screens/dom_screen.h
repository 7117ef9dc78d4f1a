// scDOMScreen: what scripts see as window.screen, one monitor's rectangle, work area and depth.
// Each read of window.screen makes a new one; the values are read live on every access.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "screens/screen_manager.h"
#include "script/dispatch_bridge.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

namespace velmor {

class scDOMScreen final
    : public ComObject<scDOMScreen, IDispatchExImpl<scDOMScreen>,
                       Also<IDispatch, IDispatchExImpl<scDOMScreen>>, IDispatchImplEx<scDOMScreen>,
                       DualDispatchImpl<IDOMScreen>> {
 public:
  // 'screen' may be null: every property then answers E_UNEXPECTED.
  explicit scDOMScreen(nsIScreen* screen);
  IDispatchExImplBase& Bridge() { return m_bridge; }

  STDMETHODIMP get_top(LONG* value) override { return Read(value, &scDOMScreen::Top); }
  STDMETHODIMP get_left(LONG* value) override { return Read(value, &scDOMScreen::Left); }
  STDMETHODIMP get_width(LONG* value) override { return Read(value, &scDOMScreen::Width); }
  STDMETHODIMP get_height(LONG* value) override { return Read(value, &scDOMScreen::Height); }
  STDMETHODIMP get_pixelDepth(LONG* value) override {
    return ReadDepth(value, &nsIScreen::GetPixelDepth);
  }
  STDMETHODIMP get_colorDepth(LONG* value) override {
    return ReadDepth(value, &nsIScreen::GetColorDepth);
  }
  STDMETHODIMP get_availWidth(LONG* value) override {
    return Read(value, &scDOMScreen::Width, true);
  }
  STDMETHODIMP get_availHeight(LONG* value) override {
    return Read(value, &scDOMScreen::Height, true);
  }
  STDMETHODIMP get_availLeft(LONG* value) override {
    return Read(value, &scDOMScreen::Left, true);
  }
  STDMETHODIMP get_availTop(LONG* value) override { return Read(value, &scDOMScreen::Top, true); }

 private:
  static LONG Left(const RECT& r) { return r.left; }
  static LONG Top(const RECT& r) { return r.top; }
  static LONG Width(const RECT& r) { return r.right - r.left; }
  static LONG Height(const RECT& r) { return r.bottom - r.top; }
  // One side of the screen's rectangle or (avail) of its work area.
  HRESULT Read(LONG* value, LONG (*side)(const RECT&), bool avail = false);
  HRESULT ReadDepth(LONG* value, HRESULT (STDMETHODCALLTYPE nsIScreen::*depth)(LONG*));

  IDispatchExImplBase m_bridge;
  ComPtr<nsIScreen> m_screen;
};

}  // namespace velmor
