// CMainFrame: the application's main window, a document window that the start-up sequence
// loads from "mainframe.xml" and destroys at the end of the run.
#pragma once
#include "window/app_main_window.h"
#include "window/document.h"

namespace velmor {

class CMainFrame final : public ComExtension<scDocument, IAppMainWindow> {
 public:
  // A new main window (no native window yet), handed out as its start-up interface.
  [[nodiscard]] static HRESULT CreateInstance(IAppMainWindow** window);

  // IAppMainWindow
  HRESULT STDMETHODCALLTYPE Load(const wchar_t* skinFolder, const wchar_t* path) override {
    return scDocument::Load(skinFolder, path);
  }
  HRESULT STDMETHODCALLTYPE Destroy() override { return scDocument::Destroy(); }

  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept override;
};

}  // namespace velmor
