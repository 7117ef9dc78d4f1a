// Engine-level steps shared by the engine owners: creating JScript's engine object, the parse
// step, and finding a global script function by its exact name.
#pragma once
#include <activscp.h>
#include <windows.h>

#include "base/com_object.h"
#include "script/script_ids.h"

namespace velmor {

class CJScriptDebugSupport;

// Creates JScript's engine (its registered class; where that is not registered, jscript.dll's
// class factory, loaded directly and then kept for the rest of the process).
[[nodiscard]] HRESULT CreateJScriptEngine(IActiveScript** engine);

// Parses text into the engine under the item name as given (null: the global scope). With debug
// support, the text first goes into the debug document and its script block's cookie goes to the
// engine.
[[nodiscard]] HRESULT ParseScriptTextInto(IActiveScriptParseT* parser, IActiveScript* engine,
                                          CJScriptDebugSupport* debug, LPCOLESTR code,
                                          LPCOLESTR itemName, DWORD flags, VARIANT* result);

// An empty item name stands for none where an owner's operation says so.
inline LPCOLESTR NoneIfEmpty(LPCOLESTR itemName) {
  return itemName != nullptr && itemName[0] == L'\0' ? nullptr : itemName;
}

// How a global function's name is resolved.
enum class FunctionLookup {
  kAuto,      // the walk of the type information, or the dispatch lookup under Wine
  kTypeInfo,  // functions listed by the global scope's type information (exact names)
  kDispatch,  // an exact-case name lookup whose value must be a script function
};

// Finds the dispatch identifier of a global script function by its exact name: E_FAIL when no
// function of that name exists. Wine's JScript crashes in the global scope's GetTypeInfo once a
// global variable holds a host object, so under Wine the lookup goes through IDispatchEx.
[[nodiscard]] HRESULT FindGlobalFunction(IDispatch* global, LPCOLESTR name, DISPID* id,
                                         FunctionLookup lookup = FunctionLookup::kAuto);

}  // namespace velmor
