#include "screens/screen_manager.h"

#include "components/component_manager.h"

namespace velmor {
namespace {

// {c401eb80-f9ea-11d3-bb6f-e732b73ebe7c}
constexpr CLSID kScreenManagerCid = {
    0xc401eb80, 0xf9ea, 0x11d3, {0xbb, 0x6f, 0xe7, 0x32, 0xb7, 0x3e, 0xbe, 0x7c}};

HRESULT CreateScreenManager(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  ComPtr<nsIScreenManager> manager;
  RETURN_IF_FAILED(nsScreenManagerWin::Create(manager));
  return manager->QueryInterface(iid, object);
}

HRESULT GiveRect(const RECT& r, LONG* left, LONG* top, LONG* width, LONG* height) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
    return E_POINTER;
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

// The screen device context's answer for one capability (the whole desktop, not one monitor).
int ScreenCaps(int index) {
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return 0;
  const int value = ::GetDeviceCaps(screen, index);
  ::ReleaseDC(nullptr, screen);
  return value;
}

BOOL CALLBACK CountMonitor(HMONITOR, HDC, LPRECT, LPARAM data) {
  ++*reinterpret_cast<ULONG*>(data);
  return TRUE;
}

}  // namespace

const nsModuleComponentInfo kScreenManagerComponent = {
    L"nsScreenManagerWin", kScreenManagerCid, contracts::kScreenManager, &CreateScreenManager};

HRESULT GetScreenManager(nsIScreenManager** manager) {
  if (manager == nullptr) return E_POINTER;
  *manager = nullptr;
  return components::GetService(contracts::kScreenManager, __uuidof(nsIScreenManager),
                                reinterpret_cast<void**>(manager));
}

// nsScreenWin

HRESULT nsScreenWin::GetRect(LONG* left, LONG* top, LONG* width, LONG* height) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);  // 40 bytes: the rectangles without the device name
  if (m_monitor != nullptr && ::GetMonitorInfoW(m_monitor, &info))
    return GiveRect(info.rcMonitor, left, top, width, height);
  const RECT whole{0, 0, ScreenCaps(HORZRES), ScreenCaps(VERTRES)};
  return GiveRect(whole, left, top, width, height);
}

HRESULT nsScreenWin::GetAvailRect(LONG* left, LONG* top, LONG* width, LONG* height) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (m_monitor != nullptr && ::GetMonitorInfoW(m_monitor, &info))
    return GiveRect(info.rcWork, left, top, width, height);
  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return E_FAIL;
  return GiveRect(work, left, top, width, height);
}

HRESULT nsScreenWin::GetPixelDepth(LONG* depth) {
  if (depth == nullptr) return E_POINTER;
  *depth = ScreenCaps(BITSPIXEL);
  return S_OK;
}

// nsScreenManagerWin

HRESULT nsScreenManagerWin::ScreenFor(HMONITOR monitor, nsIScreen** screen) {
  if (screen == nullptr) return E_POINTER;
  *screen = nullptr;
  for (const auto& [handle, cached] : m_screens) {
    if (handle == monitor) return cached.CopyTo(screen);
  }
  ComPtr<nsIScreen> created;
  RETURN_IF_FAILED(nsScreenWin::Create(created, monitor));
  try {
    m_screens.emplace_back(monitor, created);
  }
  VELMOR_CATCH_RETURN()
  return created.CopyTo(screen);
}

HRESULT nsScreenManagerWin::ScreenForRect(LONG left, LONG top, LONG width, LONG height,
                                          nsIScreen** screen) {
  if (width == 0 && height == 0) return ScreenFor(nullptr, screen);
  const RECT rect{left, top, left + width, top + height};
  return ScreenFor(::MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), screen);
}

HRESULT nsScreenManagerWin::GetPrimaryScreen(nsIScreen** screen) {
  return ScreenFor(nullptr, screen);
}

HRESULT nsScreenManagerWin::GetNumberOfScreens(ULONG* count) {
  if (count == nullptr) return E_POINTER;
  if (m_count == 0) {
    ULONG counted = 0;
    if (!::EnumDisplayMonitors(nullptr, nullptr, &CountMonitor,
                               reinterpret_cast<LPARAM>(&counted)))
      return E_FAIL;
    m_count = counted;
  }
  *count = m_count;
  return S_OK;
}

HRESULT nsScreenManagerWin::ScreenForNativeWidget(HWND window, nsIScreen** screen) {
  return ScreenFor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), screen);
}

}  // namespace velmor
