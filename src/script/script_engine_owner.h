// ScriptEngineOwner: the state and steps shared by every object that owns a JScript engine (the
// application script host and each window's script context): the engine and its parsers, the
// aggregated script loader and debug support, the named-item table, engine creation with the
// prelude, publishing objects, parsing text, the site's named-item lookup and closing.
#pragma once
#include <activscp.h>
#include <windows.h>

#include <map>
#include <string>

#include "base/com_object.h"
#include "script/script_ids.h"

namespace velmor {

class CJScriptDebugSupport;

// How an owner's engine is brought up; the steps differ only in these points.
struct EngineCreation {
  // Also take the procedure parser (function objects are compiled with it). Its absence is not
  // an error: compiling then fails.
  bool procedureParser = false;
  // Move the engine to STARTED before the prelude runs (a window's context); otherwise the owner
  // does so itself afterwards.
  bool startBeforePrelude = false;
  // Hand the engine its site before asking for the parser (a window's context); the application
  // host asks for the parser first.
  bool siteBeforeParser = false;
};

class ScriptEngineOwner {
 public:
  ScriptEngineOwner() = default;
  ScriptEngineOwner(const ScriptEngineOwner&) = delete;
  ScriptEngineOwner& operator=(const ScriptEngineOwner&) = delete;
  ~ScriptEngineOwner() { ReleaseAll(); }

  // Aggregates a script loader into 'outer' (construction of every owner).
  [[nodiscard]] HRESULT CreateLoader(IUnknown* outer);
  // Aggregates the debug support into 'outer'; fails, leaving none, without a process debug
  // manager.
  [[nodiscard]] HRESULT CreateDebugSupport(IUnknown* outer);
  // The aggregated objects' interfaces: IJSSubScriptLoader and IDispatch from the loader, the
  // debugging interfaces from the debug support while it exists.
  [[nodiscard]] HRESULT QueryAggregated(REFIID riid, void** ppv) noexcept;

  // Creates JScript's engine for 'site', initialises it, keeps the global scope, publishes the
  // loader as "ScriptLoader" with global members and runs the prelude resource. A failure of the
  // engine's set-up releases what was taken.
  [[nodiscard]] HRESULT CreateEngine(IActiveScriptSite* site, const EngineCreation& how);
  [[nodiscard]] HRESULT SetScriptState(SCRIPTSTATE state);
  [[nodiscard]] HRESULT GetScriptState(SCRIPTSTATE* state);

  // Publishes an object as a visible event-source item (flags 6). E_FAIL for a name already in
  // the table (exact comparison), which keeps the first object.
  [[nodiscard]] HRESULT AddObject(LPCOLESTR name, IUnknown* object);
  // The parse step: the text (with debug support, first into the debug document) handed to the
  // parser with the item name as given.
  [[nodiscard]] HRESULT Parse(LPCOLESTR code, LPCOLESTR itemName, DWORD flags, VARIANT* result);
  // An expression's value; a temporary result is used when the caller wants none.
  [[nodiscard]] HRESULT Evaluate(LPCOLESTR code, LPCOLESTR itemName, VARIANT* result);

  // IActiveScriptSite::GetItemInfo over the table. 'scriptLoader' is what the object for the
  // name "ScriptLoader" (any letter case) is; null: that name is looked up like the others.
  [[nodiscard]] HRESULT GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo,
                      IUnknown* scriptLoader);

  // Closes the engine: DISCONNECTED, CLOSED, Close, then lets go of the parsers, the global
  // scope and the engine, and of the debug document's hold on the owner.
  void CloseEngine();
  void ClearNamedItems() { m_namedItems.clear(); }
  // Everything, at the owner's final release.
  void ReleaseAll();

  IActiveScript* Engine() const { return m_engine.Get(); }
  IActiveScriptParseT* Parser() const { return m_parser.Get(); }
  IActiveScriptParseProcedureT* ProcedureParser() const { return m_procedure.Get(); }
  IDispatch* Global() const { return m_global.Get(); }
  IUnknown* Loader() const { return m_loader.Get(); }
  CJScriptDebugSupport* Debug() const { return m_debug; }
  bool HasDebugSupport() const { return m_debugSupport != nullptr; }
  size_t NamedItemCount() const { return m_namedItems.size(); }

 private:
  [[nodiscard]] HRESULT RunPrelude();
  void ReleaseEngineParts();

  // Runs one call in the engine so that it lets go of the previous call's result.
  void ForgetLastCallResult();

  ComPtr<IActiveScript> m_engine;
  ComPtr<IActiveScriptParseT> m_parser;
  ComPtr<IActiveScriptParseProcedureT> m_procedure;
  ComPtr<IDispatch> m_global;
  ComPtr<IUnknown> m_loader;                // inner object of the aggregated CJSSubScriptLoader
  ComPtr<IUnknown> m_debugSupport;          // inner object of the aggregated CJScriptDebugSupport
  CJScriptDebugSupport* m_debug = nullptr;  // its implementation, alive with m_debugSupport
  std::map<std::wstring, ComPtr<IUnknown>> m_namedItems;
};

// Asks the debug application of an owner with debug support to break at the next statement
// (through IScriptControlDebug); fails when the owner has none.
[[nodiscard]] HRESULT BreakIntoDebugger(IUnknown* owner);

}  // namespace velmor
