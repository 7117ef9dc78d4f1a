// The screen manager: a component that answers which monitor a rectangle or a window is on, and
// one screen object per monitor that reads the monitor's rectangle, work area and depth live.
// Registered with the component manager under the platform prefix + "/gfx/screenmanager;1".
#pragma once
#include <windows.h>

#include <utility>
#include <vector>

#include "base/com_object.h"
#include "components/generic_factory.h"

// One monitor (or the primary screen when the platform names no monitor).
struct nsIScreen : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetRect(LONG* left, LONG* top, LONG* width,
                                            LONG* height) = 0;
  // The work area: the monitor without the task bar and docked tool bars.
  virtual HRESULT STDMETHODCALLTYPE GetAvailRect(LONG* left, LONG* top, LONG* width,
                                                 LONG* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPixelDepth(LONG* depth) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColorDepth(LONG* depth) = 0;
};
__CRT_UUID_DECL(nsIScreen, 0x2c4b6e7a, 0x91d3, 0x4f08, 0xb5, 0x62, 0x0e, 0x7a, 0x3d, 0x48, 0xc1,
                0x95)

struct nsIScreenManager : public IUnknown {
  // The screen holding most of the rectangle; a rectangle of size 0 x 0 gives the primary one.
  virtual HRESULT STDMETHODCALLTYPE ScreenForRect(LONG left, LONG top, LONG width, LONG height,
                                                  nsIScreen** screen) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrimaryScreen(nsIScreen** screen) = 0;
  // Counted once and cached: monitors added later are not seen.
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfScreens(ULONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE ScreenForNativeWidget(HWND window, nsIScreen** screen) = 0;
};
__CRT_UUID_DECL(nsIScreenManager, 0x7e0d1f35, 0x4a2c, 0x4b9e, 0x8f, 0x13, 0x6c, 0xa0, 0x52, 0xd7,
                0x39, 0x8b)

namespace velmor {

class nsScreenWin final : public ComObject<nsScreenWin, nsIScreen> {
 public:
  // A null monitor stands for the primary screen as the screen device context describes it.
  explicit nsScreenWin(HMONITOR monitor) : m_monitor(monitor) {}
  HMONITOR Monitor() const { return m_monitor; }

  HRESULT STDMETHODCALLTYPE GetRect(LONG* left, LONG* top, LONG* width, LONG* height) override;
  HRESULT STDMETHODCALLTYPE GetAvailRect(LONG* left, LONG* top, LONG* width,
                                         LONG* height) override;
  HRESULT STDMETHODCALLTYPE GetPixelDepth(LONG* depth) override;
  HRESULT STDMETHODCALLTYPE GetColorDepth(LONG* depth) override { return GetPixelDepth(depth); }

 private:
  HMONITOR m_monitor;
};

class nsScreenManagerWin final : public ComObject<nsScreenManagerWin, nsIScreenManager> {
 public:
  HRESULT STDMETHODCALLTYPE ScreenForRect(LONG left, LONG top, LONG width, LONG height,
                                          nsIScreen** screen) override;
  HRESULT STDMETHODCALLTYPE GetPrimaryScreen(nsIScreen** screen) override;
  HRESULT STDMETHODCALLTYPE GetNumberOfScreens(ULONG* count) override;
  HRESULT STDMETHODCALLTYPE ScreenForNativeWidget(HWND window, nsIScreen** screen) override;

  // How many monitors have a screen object so far.
  size_t CachedScreens() const { return m_screens.size(); }

 private:
  // The cached screen of a monitor, made on first use.
  HRESULT ScreenFor(HMONITOR monitor, nsIScreen** screen);

  std::vector<std::pair<HMONITOR, ComPtr<nsIScreen>>> m_screens;  // in creation order
  ULONG m_count = 0;
};

// The component record the module registers a factory for.
extern const nsModuleComponentInfo kScreenManagerComponent;

// The screen-manager service of the component manager.
HRESULT GetScreenManager(nsIScreenManager** manager);

}  // namespace velmor
