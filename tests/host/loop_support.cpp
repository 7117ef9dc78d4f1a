#include "loop_support.h"

#include "base/module_instance.h"
#include "support/test_env.h"
#include "typelib/type_library.h"

namespace velmor::test {

std::string MessageEntry(const char* who, UINT message, WPARAM wParam) {
  return std::string(who) + ":" + std::to_string(message) + ":" + std::to_string(wParam);
}

RecordingWindow::RecordingWindow(std::vector<std::string>& log) : m_log(log) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = &RecordingWindow::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmorLoopTestWindow";
    return ::RegisterClassExW(&wc);
  }();
  m_hwnd = ::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ::GetModuleHandleW(nullptr), this);
}

RecordingWindow::~RecordingWindow() {
  if (m_hwnd) ::DestroyWindow(m_hwnd);
}

LRESULT CALLBACK RecordingWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const bool recorded = message >= WM_USER || message == WM_NCMOUSEMOVE ||
                        (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                        (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
  if (self != nullptr && recorded) {
    self->m_log.push_back(MessageEntry("window", message, wParam));
    if (self->onMessage) self->onMessage(message, wParam);
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

ScopedEngineModule::ScopedEngineModule()
    : m_ui(::LoadLibraryW((DistDir() + L"\\ui.dll").c_str())), m_previous(GetModuleInstance()) {
  ReleaseEngineTypeLib();
  if (m_ui) SetModuleInstance(m_ui.Get());
}

ScopedEngineModule::~ScopedEngineModule() {
  ReleaseEngineTypeLib();
  SetModuleInstance(m_previous);
}

void DrainQueue() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace velmor::test
