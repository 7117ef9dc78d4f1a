// scScriptContext: the script engine of one top-level window. It shares the application script
// host's site, error report and engine-creation steps; what differs is the named-item lookup of
// "ScriptLoader", the procedure parser for function objects, and that the engine is STARTED
// before the prelude runs.
#pragma once
#include <activscp.h>
#include <windows.h>

#include <string>

#include "base/com_object.h"
#include "script/script_context.h"
#include "script/script_engine_owner.h"
#include "script/script_site.h"

namespace velmor {

class scScriptContext;

}  // namespace velmor

// Answered by a context's QueryInterface with the implementation itself, so the window can close
// a context it holds only through scIScriptContext.
__CRT_UUID_DECL(velmor::scScriptContext, 0x2b4d6f1e, 0x93a7, 0x4c58, 0xa1, 0x6e, 0x0f, 0x7c, 0x28,
                0xd5, 0x94, 0x3b)

namespace velmor {

class scScriptContext : public ComObject<scScriptContext, ScriptSiteImpl, ScriptSiteWindowImpl,
                                         scIScriptContext> {
 public:
  scScriptContext() = default;

  // Aggregates the script loader.
  [[nodiscard]] HRESULT FinalConstruct();
  void FinalRelease();
  // The loader's interfaces, the debug support's (while present) and the implementation's.
  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;

  // The implementation behind 'object' when it is a context (a reference added), else null.
  static ComPtr<scScriptContext> FromUnknown(IUnknown* object);

  // Creates the engine (always JScript), takes its parsers, publishes "ScriptLoader", moves it
  // to STARTED and runs the prelude. Fails, holding nothing, when the engine cannot be set up.
  [[nodiscard]] HRESULT CreateEngine(const wchar_t* language);
  // Closes the engine (DISCONNECTED, CLOSED, Close), lets go of it and empties the named-item
  // table. Nothing happens without an engine. A context is never reopened.
  void Close();

  bool HasEngine() const { return m_owner.Engine() != nullptr; }
  // The engine's state; E_UNEXPECTED without an engine.
  [[nodiscard]] HRESULT GetEngineState(SCRIPTSTATE* state) { return m_owner.GetScriptState(state); }
  bool HasDebugSupport() const { return m_owner.HasDebugSupport(); }
  size_t NamedItemCount() const { return m_owner.NamedItemCount(); }

  // IActiveScriptSite (the rest comes from ScriptSiteImpl)
  STDMETHODIMP GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask, IUnknown** ppiunkItem,
                           ITypeInfo** ppti) override;

  // scIScriptContext
  LONG STDMETHODCALLTYPE GetScriptTypeId() override;
  HRESULT STDMETHODCALLTYPE AddObject(const wchar_t* name, IUnknown* object) override;
  HRESULT STDMETHODCALLTYPE GetScriptDispatch(const wchar_t* itemName,
                                              IDispatch** dispatch) override;
  HRESULT STDMETHODCALLTYPE Reserved(IUnknown* argument) override;
  HRESULT STDMETHODCALLTYPE ExecuteScript(const wchar_t* code, const wchar_t* itemName) override;
  HRESULT STDMETHODCALLTYPE CompileEventHandler(const wchar_t* itemName, IDispatch** handler,
                                                ULONG argCount, const wchar_t* const* argNames,
                                                const wchar_t* code) override;
  HRESULT STDMETHODCALLTYPE Connect() override;
  HRESULT STDMETHODCALLTYPE EvaluateString(const wchar_t* code, const wchar_t* itemName,
                                           VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE CompileFunction(const wchar_t* name, ULONG argCount,
                                            const wchar_t* const* argNames, const wchar_t* body,
                                            IDispatch** function) override;
  HRESULT STDMETHODCALLTYPE CreateDebugSupport() override;
  IUnknown* STDMETHODCALLTYPE GetIdentity() override { return GetUnknown(); }

 private:
  ScriptEngineOwner m_owner;
};

// The formal parameter list of a compiled function or handler: with at least one argument and no
// names, or a null first name, the first parameter is `event`; names are joined by "," with no
// blanks. E_INVALIDARG for a null name after the first.
[[nodiscard]] HRESULT BuildParameterList(ULONG argCount, const wchar_t* const* argNames,
                                         std::wstring& list);

// Creates a window's script context: the loader, the debug support when script debugging is on,
// the engine with the prelude in the STARTED state. With debugging on, every new context asks the
// debugger to break at its first statement. No context is handed out when creation fails.
[[nodiscard]] HRESULT CreateDocumentScriptContext(scIScriptContext** context);

// Closes a context the window is letting go of; nothing for null or for an object that is not a
// context.
void CloseScriptContext(IUnknown* context);

}  // namespace velmor
