// scKeyShortcutsMgr: a document window's keyboard shortcuts. It keeps the document's key sets
// and sits in the application's message loop as a message filter for as long as its window
// lives: a key-down that matches an enabled key of one of its sets fires "command" at that key
// and is swallowed, so the focused control never sees it. A hidden window's keys are at rest.
#pragma once
#include <windows.h>

#include <vector>

#include "base/com_object.h"
#include "skin/content.h"
#include "ui_h.h"

namespace velmor {

class scKeyShortcutsMgr final : public ComObject<scKeyShortcutsMgr, IMsgFilter> {
 public:
  // Adds the manager of 'window' to the filters of the application's message manager
  // ("msgManager"); S_FALSE when the application has none (no loop to filter).
  HRESULT Register(HWND window);
  // Takes the manager out of the message loop and lets go of its key sets (the window is going).
  void Unregister();
  // Appends a "keyset" element; its keys are matched after those of earlier sets.
  HRESULT AddKeySet(scIContent* keySet);
  size_t KeySetCount() const { return m_keySets.size(); }

  // IMsgFilter: E_FAIL for messages other than key-downs with a window, and for plain keys typed
  // into an edit control; S_OK otherwise, with *processed set to TRUE when a shortcut fired.
  STDMETHODIMP PreTranslateMessage(MSG* msg, BOOL* processed) override;

 private:
  // The first enabled key of the sets matching the key-down, or null.
  scIContent* FindKey(int32_t code, uint8_t pressed) const;

  std::vector<ComPtr<scIContent>> m_keySets;
  ComPtr<IMessageManager> m_messageManager;  // set while registered
  HWND m_window = nullptr;
};

}  // namespace velmor
