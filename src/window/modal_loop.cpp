// The modal loop of a dialog opened by showModalDialog (or open with "modal"): it runs the
// thread's messages until the dialog ends, with the opener's top-level window disabled, and
// turns the dialog keys into the commands OK and Cancel, which the window element fires as
// "ok" and "cancel". It consults neither the message filters nor the idle handlers of the
// application's loop.
#include <cwchar>
#include <cwctype>

#include "window/document.h"

namespace velmor {
namespace {

// Modal loops running on the UI thread, innermost last.
int s_modalLoops = 0;

// A multi-line edit control keeps Escape for itself; in a dialog it still cancels.
bool IsEscapeInMultiLineEdit(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.hwnd == nullptr ||
      (message.wParam != VK_ESCAPE && message.wParam != VK_CANCEL))
    return false;
  if ((::GetWindowLongPtrW(message.hwnd, GWL_STYLE) & ES_MULTILINE) == 0) return false;
  wchar_t name[33] = L"";
  ::GetClassNameW(message.hwnd, name, 33);
  for (wchar_t* c = name; *c != L'\0'; ++c) *c = static_cast<wchar_t>(std::towlower(*c));
  return std::wcsstr(name, L"edit") != nullptr;
}

}  // namespace

HRESULT scDocument::RunModalLoop(bool disableOwner) {
  RETURN_HR_IF(E_UNEXPECTED, m_hWnd == nullptr || m_inModalLoop);
  // The dialog's scripts may let go of it while the loop runs.
  ComPtr<scDocument> keep(this);
  // What the caller's handler changed is shown behind the dialog.
  FlushDeferredInvalidations();
  m_modal = true;
  m_inModalLoop = true;
  if (disableOwner) EnableOwner(false);
  ++s_modalLoops;
  bool quit = false;
  MSG message{};
  while (m_modal) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      quit = true;
      break;
    }
    if (IsEscapeInMultiLineEdit(message)) {
      ::SendMessageW(m_hWnd, WM_COMMAND, IDCANCEL, 0);
      continue;
    }
    if (m_hWnd == nullptr || !::IsDialogMessageW(m_hWnd, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  --s_modalLoops;
  m_inModalLoop = false;
  // A quit ends the dialog's loop but not the dialog: its opener takes input again. The loop
  // consumed the quit; a loop around this one hears of it too, while the application's loop
  // ends on its own quit flag.
  EndModalLoop();
  if (quit && s_modalLoops > 0) ::PostQuitMessage(static_cast<int>(message.wParam));
  return S_OK;
}

void scDocument::EndModalLoop() {
  if (!m_modal) return;
  m_modal = false;
  EnableOwner(true);
}

void scDocument::EnableOwner(bool enable) {
  ComPtr<scIWidget> opener;
  HWND window = nullptr;
  if (IUnknown* unknown = m_opener.Get()) {
    if (FAILED(unknown->QueryInterface(IID_PPV_ARGS(&opener))) || FAILED(opener->GetWindow(&window)))
      return;
  }
  if (window == nullptr || !::IsWindow(window)) return;
  HWND root = ::GetAncestor(window, GA_ROOT);
  if (root == nullptr) return;
  ::EnableWindow(root, enable ? TRUE : FALSE);
  if (enable) ::SetActiveWindow(root);
}

}  // namespace velmor
