// Image containers: what they read from GIFs, their observer list, and the animation step
// driven by a recording timer (exact delays and frame order; the platform timer itself is the
// runtime's, tested in tests/runtime).
#include <gtest/gtest.h>

#include <vector>

#include "components/component_manager.h"
#include "image_test_support.h"
#include "images/image_manager.h"
#include "support/test_env.h"

namespace velmor {
namespace {

// A timer that records what the container asks of it; the test fires it by hand.
class RecordingTimer final : public ComObject<RecordingTimer, nsITimer> {
 public:
  STDMETHODIMP InitWithFuncCallback(nsTimerCallbackFunc callback, void* closure, ULONG delay,
                                    ULONG type) override {
    m_callback = callback;
    m_closure = closure;
    m_armed = true;
    initDelay = delay;
    initType = type;
    return S_OK;
  }
  STDMETHODIMP Cancel() override {
    m_armed = false;
    ++cancels;
    return S_OK;
  }
  STDMETHODIMP SetDelay(ULONG delay) override {
    delays.push_back(delay);
    return S_OK;
  }
  STDMETHODIMP GetDelay(ULONG* delay) override { return E_NOTIMPL; }
  STDMETHODIMP GetType(ULONG* type) override { return E_NOTIMPL; }

  // Fires once if armed; answers whether it was.
  bool Fire() {
    if (!m_armed) return false;
    m_callback(this, m_closure);
    return true;
  }
  bool Armed() const { return m_armed; }

  ULONG initDelay = 0, initType = 0;
  std::vector<ULONG> delays;
  int cancels = 0;

 private:
  nsTimerCallbackFunc m_callback = nullptr;
  void* m_closure = nullptr;
  bool m_armed = false;
};

class TimerFactory final : public ComObject<TimerFactory, IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** object) override {
    if (fail) return E_FAIL;
    ComPtr<RecordingTimer> timer;
    RETURN_IF_FAILED(RecordingTimer::CreateObject(timer.ReleaseAndGetAddressOf()));
    timers.push_back(timer);
    return timer->QueryInterface(iid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  std::vector<ComPtr<RecordingTimer>> timers;
  bool fail = false;
};

// Records the frame each notification shows, read from the shared image itself: the fixture
// frames are red, green and blue.
class FrameRecorder final : public ComObject<FrameRecorder, imgIContainerObserver> {
 public:
  STDMETHODIMP FrameChanged(imgIContainer* container) override {
    Gdiplus::Bitmap* image = nullptr;
    if (FAILED(container->GetImage(&image))) return E_FAIL;
    Gdiplus::Color colour;
    image->GetPixel(1, 1, &colour);
    switch (colour.GetValue()) {
      case 0xFFFF0000: frames.push_back(0); break;
      case 0xFF00FF00: frames.push_back(1); break;
      case 0xFF0000FF: frames.push_back(2); break;
      default: frames.push_back(-1); break;
    }
    if (removeSelfAfter > 0 && static_cast<int>(frames.size()) == removeSelfAfter)
      container->RemoveObserver(this);
    return S_OK;
  }
  std::vector<int> frames;
  int removeSelfAfter = 0;
};

ComPtr<FrameRecorder> Recorder() {
  ComPtr<FrameRecorder> recorder;
  EXPECT_HRESULT_SUCCEEDED(FrameRecorder::CreateObject(recorder.ReleaseAndGetAddressOf()));
  return recorder;
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    EmptyImageCache();
    m_containersBefore = LiveObjects<imgContainer>::Count();
  }
  void TearDown() override {
    EmptyImageCache();
    EXPECT_EQ(LiveObjects<imgContainer>::Count(), m_containersBefore);
    EXPECT_EQ(components::Shutdown(), S_OK);
  }

  // Replaces the platform timer with recording timers for this test.
  TimerFactory* UseRecordingTimers() {
    ComPtr<IServiceManager> manager;
    ComPtr<IServiceProvider> provider;
    ComPtr<IComponentRegistrar> registrar;
    EXPECT_EQ(components::GetServiceManager(&manager), S_OK);
    EXPECT_EQ(manager.As(&provider), S_OK);
    EXPECT_EQ(provider->QueryService(SID_VmrtComponentRegistrar, IID_PPV_ARGS(&registrar)), S_OK);
    EXPECT_HRESULT_SUCCEEDED(TimerFactory::CreateObject(m_factory.ReleaseAndGetAddressOf()));
    const CLSID cid = {0x5e1f0c2a, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(registrar->registerFactory(cid, L"RecordingTimer", contracts::kTimer, m_factory.Get()),
              S_OK);
    return m_factory.Get();
  }

  static ComPtr<imgContainer> Container(const wchar_t* fixture) {
    ComPtr<imgIContainer> found = GetImageManager()->GetImageContainer(
        test::ImageFixture(fixture).c_str());
    return static_cast<imgContainer*>(found.Get());
  }

  ComPtr<TimerFactory> m_factory;
  long m_containersBefore = 0;
};

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct GifCase {
  const wchar_t* file;
  LONG frames;
  USHORT loopCount;
  std::vector<ULONG> delays;      // as stored in the file, in milliseconds
  std::vector<ULONG> effective;   // as shown
};

TEST_F(ContainerTest, ReadsFramesDelaysAndLoopCount) {
  const GifCase cases[] = {
      {L"loop2.gif", 3, 2, {250, 50, 0}, {250, 100, 100}},
      {L"endless.gif", 3, 0, {50, 50, 50}, {100, 100, 100}},
      {L"noloop.gif", 3, 1, {0, 0, 0}, {100, 100, 100}},  // no loop-count extension
      {L"grad10.png", 1, 1, {0}, {100}},
      {L"opaque7x3.bmp", 1, 1, {0}, {100}},
  };
  for (const GifCase& c : cases) {
    SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
    ComPtr<imgContainer> container = Container(c.file);
    ASSERT_TRUE(container);
    LONG frames = 0;
    ASSERT_EQ(container->GetFrameCount(&frames), S_OK);
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(container->LoopCount(), c.loopCount);
    ASSERT_EQ(container->FrameDelays().size(), c.delays.size());
    // Wine's GDI+ reports the delay of the first frame only (later ones read 0), which the
    // fixtures allow for: their later delays all show for 100 ms either way.
    if (RunningUnderWine())
      EXPECT_EQ(container->FrameDelays()[0], c.delays[0]);
    else
      EXPECT_EQ(container->FrameDelays(), c.delays);
    for (LONG i = 0; i < frames; ++i) EXPECT_EQ(container->EffectiveDelay(i), c.effective[i]);
    UINT width = 0, height = 0;
    EXPECT_EQ(container->GetWidth(&width), S_OK);
    EXPECT_EQ(container->GetHeight(&height), S_OK);
    Gdiplus::Bitmap* image = nullptr;
    ASSERT_EQ(container->GetImage(&image), S_OK);
    EXPECT_EQ(width, image->GetWidth());
    EXPECT_EQ(height, image->GetHeight());
  }
}

struct SequenceCase {
  const wchar_t* file;
  int fires;                      // timer firings after the start
  std::vector<int> frames;        // what the observer sees, the first at the start
  std::vector<ULONG> setDelays;   // SetDelay calls, one per frame shown
  bool cancelled;                 // the loops ran out
  LONG lastFrame;
};

TEST_F(ContainerTest, StepsThroughFramesWithTheirDelaysAndLoops) {
  const SequenceCase cases[] = {
      {L"loop2.gif", 10, {0, 1, 2, 0, 1, 2}, {250, 100, 100, 250, 100, 100}, true, 2},
      {L"noloop.gif", 10, {0, 1, 2}, {100, 100, 100}, true, 2},
      {L"endless.gif", 9, {0, 1, 2, 0, 1, 2, 0, 1, 2, 0}, std::vector<ULONG>(10, 100), false, 0},
  };
  TimerFactory* timers = UseRecordingTimers();
  // Without a timer the animation does not start.
  timers->fail = true;
  ComPtr<FrameRecorder> unseen = Recorder();
  ComPtr<imgContainer> first = Container(L"loop2.gif");
  ASSERT_EQ(first->AddObserver(unseen.Get()), S_OK);
  EXPECT_EQ(first->StartAnimation(), E_OUTOFMEMORY);
  EXPECT_FALSE(first->HasAnimation());
  EXPECT_TRUE(unseen->frames.empty());
  EXPECT_EQ(first->RemoveObserver(unseen.Get()), S_OK);
  timers->fail = false;
  // A single frame never animates.
  ComPtr<imgContainer> still = Container(L"grad10.png");
  ComPtr<FrameRecorder> stillWatcher = Recorder();
  ASSERT_EQ(still->AddObserver(stillWatcher.Get()), S_OK);
  EXPECT_EQ(still->StartAnimation(), S_FALSE);
  EXPECT_EQ(still->RemoveObserver(stillWatcher.Get()), S_OK);
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
    ComPtr<imgContainer> gif = Container(c.file);
    ASSERT_TRUE(gif);
    ComPtr<FrameRecorder> watcher = Recorder();
    EXPECT_EQ(gif->StartAnimation(), S_FALSE) << "nobody watching";
    EXPECT_FALSE(gif->HasAnimation());
    ASSERT_EQ(gif->AddObserver(watcher.Get()), S_OK);
    const size_t made = timers->timers.size();
    ASSERT_EQ(gif->StartAnimation(), S_OK);
    EXPECT_EQ(gif->StartAnimation(), S_OK) << "already animating: nothing new";
    ASSERT_EQ(timers->timers.size(), made + 1);
    RecordingTimer* timer = timers->timers.back().Get();
    EXPECT_EQ(timer->initType, 1u);
    EXPECT_EQ(timer->initDelay, c.setDelays[0]) << "armed with the first frame's delay";
    for (int i = 0; i < c.fires; ++i) timer->Fire();
    EXPECT_EQ(watcher->frames, c.frames);
    EXPECT_EQ(timer->delays, c.setDelays);
    EXPECT_EQ(timer->Armed(), !c.cancelled);
    EXPECT_EQ(gif->IsRunning(), !c.cancelled);
    EXPECT_EQ(gif->CurrentFrame(), c.lastFrame);
    // The state stays until the last observer leaves, then the timer is cancelled.
    EXPECT_TRUE(gif->HasAnimation());
    EXPECT_EQ(gif->RemoveObserver(watcher.Get()), S_OK);
    EXPECT_FALSE(gif->HasAnimation());
    EXPECT_FALSE(timer->Armed());
    EXPECT_GE(timer->cancels, 1);
  }
}

TEST_F(ContainerTest, AllObserversHearEachFrameAndMayLeaveWhileTold) {
  TimerFactory* timers = UseRecordingTimers();
  ComPtr<imgContainer> gif = Container(L"endless.gif");
  ComPtr<FrameRecorder> leaving = Recorder(), staying = Recorder();
  leaving->removeSelfAfter = 2;
  EXPECT_EQ(gif->AddObserver(leaving.Get()), S_OK);
  EXPECT_EQ(gif->AddObserver(staying.Get()), S_OK);
  EXPECT_EQ(gif->AddObserver(staying.Get()), S_OK);  // kept once: told once per frame
  EXPECT_EQ(gif->ObserverCount(), 2u);
  ASSERT_EQ(gif->StartAnimation(), S_OK);
  RecordingTimer* timer = timers->timers.back().Get();
  for (int i = 0; i < 3; ++i) timer->Fire();
  EXPECT_EQ(leaving->frames, (std::vector<int>{0, 1}));
  EXPECT_EQ(staying->frames, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_TRUE(timer->Armed());
  EXPECT_EQ(gif->RemoveObserver(staying.Get()), S_OK);
  EXPECT_EQ(gif->RemoveObserver(staying.Get()), S_FALSE);
  EXPECT_FALSE(timer->Armed());
  EXPECT_FALSE(timer->Fire());
  EXPECT_EQ(staying->frames.size(), 4u);
}

// Going idle forgets the frame, so the next start shows the first one; emptying the image cache
// stops the animation for good.
TEST_F(ContainerTest, RestartsFromTheFirstFrameAfterGoingIdleAndStopsWhenTheCacheEmpties) {
  TimerFactory* timers = UseRecordingTimers();
  ComPtr<imgContainer> gif = Container(L"loop2.gif");
  ComPtr<FrameRecorder> watcher = Recorder();
  gif->AddObserver(watcher.Get());
  gif->StartAnimation();
  timers->timers.back()->Fire();
  EXPECT_EQ(gif->CurrentFrame(), 1);
  gif->RemoveObserver(watcher.Get());
  EXPECT_EQ(gif->CurrentFrame(), -1);

  watcher->frames.clear();
  gif->AddObserver(watcher.Get());
  ASSERT_EQ(gif->StartAnimation(), S_OK);
  ASSERT_EQ(timers->timers.size(), 2u);
  EXPECT_EQ(watcher->frames, std::vector<int>{0});
  RecordingTimer* timer = timers->timers.back().Get();
  EmptyImageCache();
  EXPECT_FALSE(timer->Armed());
  EXPECT_FALSE(gif->HasAnimation());
  EXPECT_EQ(gif->StartAnimation(), E_UNEXPECTED);
  gif->RemoveObserver(watcher.Get());
}

}  // namespace
}  // namespace velmor
