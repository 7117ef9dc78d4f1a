// scIScriptContext: the script engine of one top-level window. The window publishes itself to
// its scripts through it, the content builder runs script elements with it, and the listener
// tables compile "on" attributes into function objects with it.
#pragma once
#include <oaidl.h>
#include <unknwn.h>
#include <windows.h>

struct scIScriptContext : public IUnknown {
  // The script language number of the context's engine (2: JavaScript).
  virtual LONG STDMETHODCALLTYPE GetScriptTypeId() = 0;
  // Publishes an object to scripts under a name (flags 6); a name already present fails E_FAIL.
  virtual HRESULT STDMETHODCALLTYPE AddObject(const wchar_t* name, IUnknown* object) = 0;
  // The engine's dispatch for a named item (null name: the global scope).
  virtual HRESULT STDMETHODCALLTYPE GetScriptDispatch(const wchar_t* itemName,
                                                      IDispatch** dispatch) = 0;
  // Reserved; answers E_NOTIMPL.
  virtual HRESULT STDMETHODCALLTYPE Reserved(IUnknown* argument) = 0;
  // Runs statements (an empty item name counts as none).
  virtual HRESULT STDMETHODCALLTYPE ExecuteScript(const wchar_t* code, const wchar_t* itemName) = 0;
  // Hands the text to the parser as a scriptlet and answers E_NOTIMPL; never fills the handler.
  virtual HRESULT STDMETHODCALLTYPE CompileEventHandler(const wchar_t* itemName,
                                                        IDispatch** handler, ULONG argCount,
                                                        const wchar_t* const* argNames,
                                                        const wchar_t* code) = 0;
  // Moves a STARTED or DISCONNECTED engine to CONNECTED.
  virtual HRESULT STDMETHODCALLTYPE Connect() = 0;
  // Evaluates an expression; the result is optional.
  virtual HRESULT STDMETHODCALLTYPE EvaluateString(const wchar_t* code, const wchar_t* itemName,
                                                   VARIANT* result) = 0;
  // Compiles a body into a function object. With argCount >= 1 and no names (or a null first
  // name) the first parameter is `event`; names are joined with "," and no blanks.
  virtual HRESULT STDMETHODCALLTYPE CompileFunction(const wchar_t* name, ULONG argCount,
                                                    const wchar_t* const* argNames,
                                                    const wchar_t* body,
                                                    IDispatch** function) = 0;
  // Aggregates the debug support into the context.
  virtual HRESULT STDMETHODCALLTYPE CreateDebugSupport() = 0;
  // The context's controlling IUnknown (no reference added).
  virtual IUnknown* STDMETHODCALLTYPE GetIdentity() = 0;
};
__CRT_UUID_DECL(scIScriptContext, 0x69dde603, 0x6d08, 0x468d, 0xb4, 0xf0, 0x54, 0x16, 0xa7, 0x93,
                0x87, 0xd5)
