// The keyboard-shortcut elements: "keyset", a container the document hands to its shortcut
// manager, and "key", one shortcut (a virtual-key code and a modifier mask) that fires "command"
// when its keys are pressed. Scripts reach a key as IDOMKeyShortcut.
#pragma once
#include <windows.h>

#include <cstdint>

#include "skin/element_classes.h"

namespace velmor {

// Key sets and keys are invisible to the mouse: neither they nor anything inside them is hit.
class scKeySetContent : public scScriptContentClass<scKeySetContent, element_interfaces::kKeySet> {
 public:
  const wchar_t* NodeName() const override { return L"keyset"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
};

class scKeyContent : public scScriptContentClass<scKeyContent, element_interfaces::kKey,
                                                 IDOMNodeImpl<scKeyContent, IDOMKeyShortcut>> {
 public:
  const wchar_t* NodeName() const override { return L"key"; }
  // Reads "modifiers", then "key" (one character) or else "keycode" (a key name).
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;

  // IDOMKeyShortcut
  STDMETHODIMP get_modifiers(BSTR* value) override;
  // S_FALSE, and the mask unchanged, when no word changed anything.
  STDMETHODIMP put_modifiers(BSTR value) override;
  // S_FALSE and a null string when the code has no name.
  STDMETHODIMP get_keycode(BSTR* value) override;
  STDMETHODIMP put_keycode(BSTR value) override;

  int32_t KeyCode() const { return m_keyCode; }
  uint8_t Modifiers() const { return m_modifiers; }
  // Whether a key-down of 'code' with the 'pressed' modifiers (kModShift | kModAlt | kModCtrl)
  // is this shortcut: enabled, the same code, and every checked modifier as required.
  bool Matches(int32_t code, uint8_t pressed);

 private:
  int32_t m_keyCode = -1;  // a virtual-key code; -1 never matches
  uint8_t m_modifiers = 0;
};

}  // namespace velmor
