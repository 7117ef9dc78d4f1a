// CJScriptDebugSupport: makes an engine owner a debuggable script host. Aggregated into the
// owner while script debugging is on; it registers a debug application named "Velmor" with the
// platform's process debug manager and keeps one debug document for all parsed text.
#pragma once
#include <activdbg.h>
#include <activscp.h>
#include <windows.h>

#include "base/com_object.h"
#include "script/script_ids.h"
#include "ui_h.h"

namespace velmor {

class CJScriptDebugSupport : public AggregatedComObject<CJScriptDebugSupport, ActiveScriptSiteDebug,
                                                        IDebugDocumentHost, IScriptControlDebug> {
 public:
  // 'self' receives the implementation pointer, valid while the owner holds the inner object.
  CJScriptDebugSupport(IUnknown* outer, CJScriptDebugSupport** self);
  ~CJScriptDebugSupport() override;

  // Creates the object for 'outer'; fails (and leaves nothing behind) when the process debug
  // manager or any of its objects cannot be created, which is the normal case under Wine.
  [[nodiscard]] static HRESULT CreateFor(IUnknown* outer, IUnknown** inner,
                                         CJScriptDebugSupport** self);

  [[nodiscard]] HRESULT FinalConstruct();

  // Adds parsed text to the debug document and defines a script block over all of it.
  [[nodiscard]] HRESULT AddScriptBlock(LPCOLESTR code, IActiveScript* engine,
                                       SourceContextCookie* cookie);
  // Asks the debug application to break at the next script statement.
  [[nodiscard]] HRESULT CauseBreak();
  // Gives the debug document its host back. The helper holds the owner through the host
  // interface, so owners call this when they close their engine to break that cycle.
  void DetachDocumentHost();

  // IActiveScriptSiteDebug (the variant of the build's bitness)
  STDMETHODIMP GetDocumentContextFromPosition(SourceContextCookie, ULONG, ULONG,
                                              IDebugDocumentContext** ppsc) override;
  STDMETHODIMP GetApplication(DebugApplication** ppda) override;
  STDMETHODIMP GetRootApplicationNode(IDebugApplicationNode** ppdanRoot) override;
  STDMETHODIMP OnScriptErrorDebug(IActiveScriptErrorDebug* pErrorDebug, BOOL* pfEnterDebugger,
                                  BOOL* pfCallOnScriptErrorWhenContinuing) override;

  // IDebugDocumentHost
  STDMETHODIMP GetDeferredText(DWORD, WCHAR*, SOURCE_TEXT_ATTR*, ULONG*, ULONG) override;
  STDMETHODIMP GetScriptTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD,
                                       SOURCE_TEXT_ATTR*) override;
  STDMETHODIMP OnCreateDocumentContext(IUnknown** ppunkOuter) override;
  STDMETHODIMP GetPathName(BSTR* pbstrLongName, BOOL* pfIsOriginalFile) override;
  STDMETHODIMP GetFileName(BSTR* pbstrShortName) override;
  STDMETHODIMP NotifyChanged() override;

  // IScriptControlDebug
  STDMETHODIMP GetDebugApplication(REFIID riid, void** ppvObject) override;
  STDMETHODIMP GetProcessDebugManager(REFIID riid, void** ppvObject) override;

 private:
  void ReleaseAll();

  ComPtr<ProcessDebugManager> m_manager;
  ComPtr<DebugApplication> m_application;
  ComPtr<DebugDocumentHelper> m_helper;
  DWORD m_cookie = 0;
  bool m_registered = false;
  bool m_hostAttached = false;
};

}  // namespace velmor
