// CMainFrame: the application's main window, a document window that the start-up sequence
// loads from "mainframe.xml" and destroys at the end of the run. Beyond every document window it
// offers scripts showTroubleShooter() (a member made when the frame is created, not one of the
// type library's) and tells the application frame when its topmost state changes.
#pragma once
#include "window/app_main_window.h"
#include "window/document.h"

namespace velmor {

class CMainFrame final : public ComExtension<scDocument, IAppMainWindow> {
 public:
  // The troubleshooter library beside the executable and its entry, called with the main
  // window and 0.
  static constexpr const wchar_t* kTroubleShooterLibrary = L"troubleshoot.dll";
  static constexpr const char* kTroubleShooterEntry = "ShowTroubleShooter";
  using TroubleShooterEntry = int(WINAPI*)(HWND owner, int reserved);

  // A new main window (no native window yet), handed out as its start-up interface.
  [[nodiscard]] static HRESULT CreateInstance(IAppMainWindow** window);
  // The same, as the document itself (one reference).
  [[nodiscard]] static HRESULT CreateFrame(CMainFrame** frame);

  // IAppMainWindow
  HRESULT STDMETHODCALLTYPE Load(const wchar_t* skinFolder, const wchar_t* path) override {
    return scDocument::Load(skinFolder, path);
  }
  HRESULT STDMETHODCALLTYPE Destroy() override { return scDocument::Destroy(); }

  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept override;

  // IDispatchEx: the troubleshooter member is answered here, everything else by the bridge.
  STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, IServiceProvider* caller) override;
  // IDOMWindow: the frame service hears of the change before the window takes it.
  STDMETHODIMP put_topMost(VARIANT_BOOL topMost) override;

 private:
  // Creates the script member showTroubleShooter and keeps its dispatch id.
  HRESULT AddTroubleShooterMember();
  void ShowTroubleShooter();

  DISPID m_troubleShooterId = DISPID_UNKNOWN;
};

}  // namespace velmor
