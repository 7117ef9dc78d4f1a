// Handler attributes of a skin. An element does not make its listener table while its skin
// loads: it notes that its prototype has handler attributes and makes the table when the table is
// first needed (an event one of them may hear, a listener added by native code), handing the
// handlers over then. A table that answers scIDeferredScriptListeners keeps them as views into
// the prototype and compiles each when it is first needed (its event, a lookup of its name), so a
// skin with thousands of handlers neither copies nor compiles them before its window shows. A
// handler that does not compile then goes as if it had never been added.
#pragma once
#include <windows.h>

#include <unknwn.h>

#include <string_view>

#include "skin/content.h"

namespace velmor {
class scPrototypeElement;
}

struct scIDeferredScriptListeners : public IUnknown {
  // Adds every handler attribute of 'prototype' (names beginning with "on", in the prototype's
  // order); the table keeps a reference to the prototype while it holds them.
  virtual HRESULT STDMETHODCALLTYPE AddSkinHandlers(velmor::scPrototypeElement* prototype) = 0;
};
__CRT_UUID_DECL(scIDeferredScriptListeners, 0x5b0e6c2d, 0x91a4, 0x4f37, 0x8e, 0x15, 0x6a, 0xd2,
                0x3c, 0x70, 0x94, 0xb8)

namespace velmor {

// The prefix that makes an attribute a handler.
inline constexpr std::wstring_view kHandlerPrefix = L"on";

// Hands the handler attributes of 'prototype' to 'table': kept for later where the table can,
// else compiled now.
void AddSkinHandlersTo(scIEventListenerManager* table, scPrototypeElement* prototype);

}  // namespace velmor
