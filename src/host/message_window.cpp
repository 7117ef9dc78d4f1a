#include "host/message_window.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/command_line.h"
#include "base/text_convert.h"

namespace velmor {

CMessageWindow::CMessageWindow()
    : m_hWndOther(::FindWindowExW(HWND_MESSAGE, nullptr, kMessageWindowClass, nullptr)) {}

const WindowClassInfo& CMessageWindow::GetWndClassInfo() {
  static const WindowClassInfo info{kMessageWindowClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW};
  return info;
}

HWND CMessageWindow::CreateListener() {
  RECT none{0, 0, 0, 0};
  return Create(HWND_MESSAGE, &none, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0);
}

HRESULT CMessageWindow::SendCommandLine() {
  if (m_hWndOther == nullptr) return E_FAIL;
  std::string utf8;
  if (!WideToMultiByte(CP_UTF8, ::GetCommandLineW(), -1, utf8)) return E_FAIL;
  // The converted text includes its terminating NUL.
  if (utf8.empty() || utf8[0] == '\0') return S_OK;
  COPYDATASTRUCT record{};
  record.dwData = kCommandLineCopyData;
  record.cbData = static_cast<DWORD>(utf8.size());
  record.lpData = utf8.data();
  DWORD_PTR reply = 0;
  ::SendMessageTimeoutW(m_hWndOther, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                        SMTO_BLOCK, 3000, &reply);
  return S_OK;
}

LRESULT CMessageWindow::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL&) {
  // Release the sender before doing any work.
  ::ReplyMessage(TRUE);
  const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (record == nullptr || record->dwData != kCommandLineCopyData) return TRUE;
  if (record->cbData > 0 && record->lpData == nullptr) return TRUE;
  auto* block = static_cast<char*>(std::malloc(static_cast<size_t>(record->cbData) + 1));
  if (block == nullptr) return TRUE;
  if (record->cbData > 0) std::memcpy(block, record->lpData, record->cbData);
  block[record->cbData] = '\0';
  if (!::PostMessageW(m_hWnd, kForwardedCommandLineMessage, reinterpret_cast<WPARAM>(block), 0))
    std::free(block);
  return TRUE;
}

LRESULT CMessageWindow::OnForwardedCommandLine(UINT, WPARAM wParam, LPARAM, BOOL&) {
  char* block = reinterpret_cast<char*>(wParam);
  if (block == nullptr) return 0;
  std::wstring text;
  if (MultiByteToWide(CP_UTF8, block, -1, text)) {
    HandCommandLine(text.c_str(), 1);
  }
  std::free(block);
  return 0;
}

CMessageWindow& ListenerWindow() {
  static CMessageWindow* s_listener = new CMessageWindow();  // lives for the process
  return *s_listener;
}

void DestroyListenerWindow() {
  CMessageWindow& listener = ListenerWindow();
  if (listener.IsWindow()) listener.DestroyWindow();
}

}  // namespace velmor
