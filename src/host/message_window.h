// The single-instance listener: a message-only window that receives the command lines of later
// starts over WM_COPYDATA, and the sender side that a later start uses to hand its line over.
#pragma once
#include <windows.h>

#include "base/window_impl.h"

namespace velmor {

inline constexpr const wchar_t* kMessageWindowClass = L"VelmorMessageWindow";
inline constexpr UINT kForwardedCommandLineMessage = WM_USER + 204;  // 1228
inline constexpr ULONG_PTR kCommandLineCopyData = 1;

class CMessageWindow : public CWindowImpl<CMessageWindow> {
 public:
  // Looks up another instance's listener.
  CMessageWindow();

  static const WindowClassInfo& GetWndClassInfo();

  // Creates this object's window as the process's message-only listener.
  HWND CreateListener();
  // The listener of another instance found at construction (null when none).
  HWND OtherInstance() const { return m_hWndOther; }
  // Sends this process's full command line to the other instance as UTF-8. E_FAIL when no
  // other instance was found; the outcome of the send itself is not reported.
  [[nodiscard]] HRESULT SendCommandLine();

  BEGIN_MSG_MAP(CMessageWindow)
    MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
    MESSAGE_HANDLER(kForwardedCommandLineMessage, OnForwardedCommandLine)
  END_MSG_MAP()

 private:
  LRESULT OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL& handled);
  LRESULT OnForwardedCommandLine(UINT, WPARAM wParam, LPARAM, BOOL& handled);

  HWND m_hWndOther = nullptr;
};

// The process-wide listener of a running instance (created by the entry when only one instance
// may run).
CMessageWindow& ListenerWindow();
// Destroys the listener if it exists, so later starts no longer forward to this process.
void DestroyListenerWindow();

}  // namespace velmor
