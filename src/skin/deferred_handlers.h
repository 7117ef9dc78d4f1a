// Handler attributes of a skin being loaded. A listener table that answers this interface takes
// such a handler now and compiles it when it is first needed (its event, a lookup of its name),
// so a skin with thousands of handlers does not compile them all before its window shows. A
// handler that does not compile then goes as if it had never been added.
#pragma once
#include <windows.h>

#include <unknwn.h>

struct scIDeferredScriptListeners : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddDeferredScriptEventListener(const wchar_t* name,
                                                                   const wchar_t* scriptText) = 0;
};
__CRT_UUID_DECL(scIDeferredScriptListeners, 0x5b0e6c2d, 0x91a4, 0x4f37, 0x8e, 0x15, 0x6a, 0xd2,
                0x3c, 0x70, 0x94, 0xb8)
