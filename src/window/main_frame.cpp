#include "window/main_frame.h"

namespace velmor {

HRESULT CMainFrame::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (!IsEqualIID(riid, __uuidof(IAppMainWindow))) return scDocument::QueryInterfaceExtra(riid, ppv);
  *ppv = static_cast<IAppMainWindow*>(this);
  AddRef();
  return S_OK;
}

HRESULT CMainFrame::CreateInstance(IAppMainWindow** window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  CMainFrame* frame = nullptr;
  RETURN_IF_FAILED(CreateObjectOf(&frame));
  const HRESULT hr = frame->QueryInterface(IID_PPV_ARGS(window));
  frame->Release();
  return hr;
}

}  // namespace velmor
