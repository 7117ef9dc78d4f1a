// The screen manager through the component runtime: created from the factory the module
// registers, one cached screen per monitor, the primary screen for an empty rectangle, and the
// screens' rectangles, work areas and depths as the platform reports them.
#include <gtest/gtest.h>

#include "components/component_manager.h"
#include "screens/screen_manager.h"
#include "support/test_env.h"

namespace velmor {
namespace {

struct Rect {
  LONG left, top, width, height;
  bool operator==(const Rect&) const = default;
};

Rect RectOf(nsIScreen* screen, bool avail) {
  Rect r{-1, -1, -1, -1};
  EXPECT_EQ(avail ? screen->GetAvailRect(&r.left, &r.top, &r.width, &r.height)
                  : screen->GetRect(&r.left, &r.top, &r.width, &r.height),
            S_OK);
  return r;
}

class ScreenManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(components::Initialize(), S_OK); }
  void TearDown() override { EXPECT_EQ(components::Shutdown(), S_OK); }
};

TEST_F(ScreenManagerTest, TheContractIsServedOnceTheFactoryIsRegistered) {
  ComPtr<nsIScreenManager> manager;
  EXPECT_EQ(GetScreenManager(&manager), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(RegisterModuleFactories(&kScreenManagerComponent, 1), S_OK);
  ASSERT_EQ(GetScreenManager(&manager), S_OK);
  // A service: every lookup answers the same manager.
  ComPtr<nsIScreenManager> again;
  ASSERT_EQ(GetScreenManager(&again), S_OK);
  EXPECT_EQ(manager.Get(), again.Get());
  // The factory refuses aggregation.
  ComPtr<IUnknown> inner;
  EXPECT_EQ(kScreenManagerComponent.constructor(manager.Get(), IID_IUnknown, &inner),
            CLASS_E_NOAGGREGATION);
}

TEST_F(ScreenManagerTest, ScreensAreCachedPerMonitorAndReadTheDisplay) {
  ComPtr<nsIScreenManager> manager;
  ASSERT_EQ(nsScreenManagerWin::Create(manager), S_OK);
  ComPtr<nsIScreen> primary, empty, onMonitor, sameMonitor, forWindow;
  ASSERT_EQ(manager->GetPrimaryScreen(&primary), S_OK);
  ASSERT_EQ(manager->ScreenForRect(0, 0, 0, 0, &empty), S_OK);
  ASSERT_EQ(manager->ScreenForRect(100, 50, 200, 100, &onMonitor), S_OK);
  ASSERT_EQ(manager->ScreenForRect(5000, 5000, 10, 10, &sameMonitor), S_OK);  // off every monitor
  ASSERT_EQ(manager->ScreenForNativeWidget(nullptr, &forWindow), S_OK);
  // The primary screen (no monitor handle) and the one monitor are two cached objects.
  EXPECT_EQ(primary.Get(), empty.Get());
  EXPECT_NE(primary.Get(), onMonitor.Get());
  EXPECT_EQ(onMonitor.Get(), sameMonitor.Get());
  EXPECT_EQ(onMonitor.Get(), forWindow.Get());
  EXPECT_EQ(static_cast<nsScreenManagerWin*>(manager.Get())->CachedScreens(), 2u);

  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const Rect whole{0, 0, 1280, 800};
  const Rect available{work.left, work.top, work.right - work.left, work.bottom - work.top};
  HDC screen = ::GetDC(nullptr);
  const LONG bits = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);
  for (nsIScreen* s : {primary.Get(), onMonitor.Get()}) {
    EXPECT_EQ(RectOf(s, false), whole);
    EXPECT_EQ(RectOf(s, true), available);
    LONG pixel = 0, color = 0;
    EXPECT_EQ(s->GetPixelDepth(&pixel), S_OK);
    EXPECT_EQ(s->GetColorDepth(&color), S_OK);
    EXPECT_EQ(pixel, bits);
    EXPECT_EQ(color, pixel);
    EXPECT_EQ(s->GetRect(nullptr, nullptr, nullptr, nullptr), E_POINTER);
  }
  ULONG count = 0;
  EXPECT_EQ(manager->GetNumberOfScreens(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(manager->GetNumberOfScreens(nullptr), E_POINTER);
}

}  // namespace
}  // namespace velmor
