// CJScript: the application script host. It owns the application's JScript engine, publishes
// host objects to scripts as named items, answers the engine's site calls and lets native code
// run script text and call global script functions.
#pragma once
#include <activscp.h>
#include <windows.h>

#include "base/com_object.h"
#include "script/app_script_host.h"
#include "script/script_engine.h"
#include "script/script_engine_owner.h"
#include "script/script_site.h"
#include "ui_h.h"

namespace velmor {

class CJScript : public ComObject<CJScript, ScriptSiteImpl, ScriptSiteWindowImpl, IScriptControl,
                                  IAppScriptHost> {
 public:
  CJScript() = default;

  // Aggregates the script loader; every host has one from construction on.
  [[nodiscard]] HRESULT FinalConstruct();
  void FinalRelease();
  // Answers the loader's and (while present) the debug support's interfaces.
  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;

  // Aggregates the debug support; fails when the process debug manager is not available.
  [[nodiscard]] HRESULT CreateDebugSupport();
  bool HasDebugSupport() const { return m_owner.HasDebugSupport(); }

  // Creates and initialises the engine, publishes "ScriptLoader" and runs the prelude. The
  // language name is not used: the engine is always JScript.
  [[nodiscard]] HRESULT CreateEngine(const wchar_t* language);
  [[nodiscard]] HRESULT SetScriptState(SCRIPTSTATE state);
  // Loads "main.js" from the "chrome" folder through the host's script loader.
  [[nodiscard]] HRESULT LoadMainScript();
  // Run with a chosen way of resolving the function's name (tests reach both ways).
  [[nodiscard]] HRESULT RunWith(FunctionLookup lookup, LPCOLESTR pszProcedureName,
                                VARIANT* pvarParams, int nParams, VARIANT* pVarResult);

  // The engine's global scope (no reference added); null without an engine.
  IDispatch* GlobalDispatch() const { return m_owner.Global(); }

  // IActiveScriptSite (the rest comes from ScriptSiteImpl)
  STDMETHODIMP GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask, IUnknown** ppiunkItem,
                           ITypeInfo** ppti) override;

  // IScriptControl
  STDMETHODIMP AddObject(LPCOLESTR pszName, IUnknown* pObject) override;
  STDMETHODIMP AddCode(LPCOLESTR pszCode, LPCOLESTR pszItemName) override;
  STDMETHODIMP Evaluate(LPCOLESTR pszExpresstion, LPCOLESTR pszItemName,
                        VARIANT* pVarResult) override;
  STDMETHODIMP Run(LPCOLESTR pszProcedureName, VARIANT* pvarParams, int nParams,
                   VARIANT* pVarResult) override;

  // IAppScriptHost
  STDMETHODIMP CloseEngine() override;

 private:
  ScriptEngineOwner m_owner;
};

// Creates the application script host: the debugging switch from "script.debug.enable", the
// engine in the STARTED state, "Components" published, CONNECTED; with debugging on and
// "script.debug.autobreak" set, the debugger is asked to break at the first statement.
[[nodiscard]] HRESULT CreateApplicationScriptHost(IScriptControl** host);

}  // namespace velmor
