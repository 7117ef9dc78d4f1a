#include "menus/key_shortcuts_mgr.h"

#include <shlwapi.h>

#include "components/component_manager.h"
#include "menus/command_event.h"
#include "menus/key_content.h"
#include "menus/key_names.h"

namespace velmor {
namespace {

uint8_t PressedModifiers() {
  uint8_t pressed = 0;
  if (::GetKeyState(VK_SHIFT) < 0) pressed |= kModShift;
  if (::GetKeyState(VK_MENU) < 0) pressed |= kModAlt;
  if (::GetKeyState(VK_CONTROL) < 0) pressed |= kModCtrl;
  return pressed;
}

bool IsEditWindow(HWND window) {
  wchar_t name[31] = L"";
  ::GetClassNameW(window, name, 31);
  return ::StrStrIW(name, L"edit") != nullptr;
}

}  // namespace

HRESULT scKeyShortcutsMgr::Register(HWND window) {
  m_window = window;
  if (m_messageManager) return S_OK;
  ComPtr<IMessageManager> manager;
  if (FAILED(components::GetService(contracts::kMsgManagerName, manager)) || !manager)
    return S_FALSE;
  RETURN_IF_FAILED(manager->AddMsgFilter(static_cast<IMsgFilter*>(this)));
  m_messageManager = std::move(manager);
  return S_OK;
}

void scKeyShortcutsMgr::Unregister() {
  // The loop holds a reference to this filter while it calls it: removing it here is safe even
  // from a shortcut's own handler.
  if (ComPtr<IMessageManager> manager = std::move(m_messageManager))
    (void)manager->RemoveMsgFilter(static_cast<IMsgFilter*>(this));
  m_keySets.clear();
  m_window = nullptr;
}

HRESULT scKeyShortcutsMgr::AddKeySet(scIContent* keySet) {
  RETURN_HR_IF_NULL(E_INVALIDARG, keySet);
  try {
    m_keySets.emplace_back(keySet);
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

scIContent* scKeyShortcutsMgr::FindKey(int32_t code, uint8_t pressed) const {
  for (const ComPtr<scIContent>& set : m_keySets) {
    scITextBaseContent* parent = scITextBaseContent::FromContent(set.Get());
    if (parent == nullptr) continue;
    for (scITextBaseContent* child = parent->FirstChild(); child != nullptr;
         child = child->NextSibling()) {
      auto* key = dynamic_cast<scKeyContent*>(child);
      if (key != nullptr && key->Matches(code, pressed)) return key;
    }
  }
  return nullptr;
}

STDMETHODIMP scKeyShortcutsMgr::PreTranslateMessage(MSG* msg, BOOL* processed) {
  if (msg == nullptr || msg->hwnd == nullptr ||
      (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
    return E_FAIL;
  // Shortcuts belong to a window the user sees.
  if (m_keySets.empty() || m_window == nullptr || !::IsWindowVisible(m_window)) return S_OK;
  const uint8_t pressed = PressedModifiers();
  // Plain keys typed into an edit field are text, never shortcuts.
  if (pressed == 0 && IsEditWindow(msg->hwnd)) return E_FAIL;
  ComPtr<scIContent> key(FindKey(static_cast<int32_t>(msg->wParam), pressed));
  if (!key) return S_OK;
  // The handler may close the window, which unregisters this manager and drops its sets.
  ComPtr<scKeyShortcutsMgr> self(this);
  (void)FireCommandEvent(key.Get());
  if (processed != nullptr) *processed = -1;  // VARIANT_TRUE, as script filters answer
  return S_OK;
}

}  // namespace velmor
