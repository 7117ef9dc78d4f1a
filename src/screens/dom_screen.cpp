#include "screens/dom_screen.h"

namespace velmor {
namespace {

const DispInterfaceEntry kScreenEntries[] = {{&IID_IDOMScreen, nullptr}};
const DispInterfaceTable kScreenTable = {kScreenEntries, 1};

}  // namespace

scDOMScreen::scDOMScreen(nsIScreen* screen) : m_bridge(kScreenTable), m_screen(screen) {
  m_bridge.Bind(GetUnknown(), static_cast<scIJSObject*>(this));
}

HRESULT scDOMScreen::Read(LONG* value, LONG (*side)(const RECT&), bool avail) {
  if (value == nullptr) return E_POINTER;
  *value = 0;
  if (!m_screen) return E_UNEXPECTED;
  LONG left = 0, top = 0, width = 0, height = 0;
  const HRESULT hr = avail ? m_screen->GetAvailRect(&left, &top, &width, &height)
                           : m_screen->GetRect(&left, &top, &width, &height);
  if (FAILED(hr)) return E_FAIL;
  *value = side(RECT{left, top, left + width, top + height});
  return S_OK;
}

HRESULT scDOMScreen::ReadDepth(LONG* value, HRESULT (STDMETHODCALLTYPE nsIScreen::*depth)(LONG*)) {
  if (value == nullptr) return E_POINTER;
  *value = 0;
  if (!m_screen) return E_UNEXPECTED;
  return (m_screen.Get()->*depth)(value);
}

}  // namespace velmor
