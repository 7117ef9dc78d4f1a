// scIMenuHost: how an element that opens a menu (a menu button, a menubar title) asks its
// document window to run the menu. The window answers it from its menu manager, which lives in a
// layer above the controls.
#pragma once
#include <unknwn.h>
#include <windows.h>

struct scIContent;

struct scIMenuHost : public IUnknown {
  // Shows the "menupopup" that is the first child of 'opener' under the opener and returns when
  // the menu has closed; nothing happens when the opener has no such child.
  virtual HRESULT STDMETHODCALLTYPE RunMenu(scIContent* opener) = 0;
};
__CRT_UUID_DECL(scIMenuHost, 0x6a0d3c57, 0x92e1, 0x4b8f, 0xa3, 0x4c, 0x1e, 0x77, 0x05, 0xd9, 0x6b,
                0x20)
