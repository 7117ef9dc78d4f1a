// imgContainer: one decoded skin image as the elements that show it see it. For an animated GIF
// it knows the frames and their delays, selects the current frame in the shared GDI+ image on the
// platform timer and tells its observers, which repaint. Containers are shared per image path
// through the image manager, so every element showing one path shows the same frame.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "base/com_object.h"
#include "vmrt.h"

struct imgIContainer;

// Implemented by the element classes that draw a container's image.
struct imgIContainerObserver : public IUnknown {
  // A new frame has been selected; the observer invalidates itself.
  virtual HRESULT STDMETHODCALLTYPE FrameChanged(imgIContainer* container) = 0;
};
__CRT_UUID_DECL(imgIContainerObserver, 0xd45966e2, 0x7ee7, 0x4fa0, 0x86, 0x5d, 0xf2, 0x7d, 0x04,
                0x53, 0x24, 0xbb)

// The image entry handed around is the cache's GDI+ Bitmap; nobody but the cache owns it.
struct imgIContainer : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Init(Gdiplus::Bitmap* image) = 0;
  // Observers are held without references and at most once each.
  virtual HRESULT STDMETHODCALLTYPE AddObserver(imgIContainerObserver* observer) = 0;
  // Removing the last observer ends any animation.
  virtual HRESULT STDMETHODCALLTYPE RemoveObserver(imgIContainerObserver* observer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWidth(UINT* width) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHeight(UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImage(Gdiplus::Bitmap** image) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFrameCount(LONG* count) = 0;
  // S_FALSE when there is nothing to animate (one frame, or nobody watching).
  virtual HRESULT STDMETHODCALLTYPE StartAnimation() = 0;
};
__CRT_UUID_DECL(imgIContainer, 0x99afb611, 0x384e, 0x4572, 0xa9, 0x1d, 0xb3, 0xb3, 0x35, 0x72,
                0x16, 0xd1)

// The observer half of an element class: forwards FrameChanged to T::OnImageFrameChanged.
// List it among the element's interfaces: ComObject<T, ..., imgIContainerObserverImpl<T>>.
template <class T>
class imgIContainerObserverImpl : public imgIContainerObserver {
 public:
  using ComInterface = imgIContainerObserver;
  STDMETHODIMP FrameChanged(imgIContainer* container) override {
    return static_cast<T*>(this)->OnImageFrameChanged(container);
  }
};

namespace velmor {

// Frames shown for less than this are held this long, which bounds the repaint traffic of
// animations.
inline constexpr ULONG kMinimumFrameDelayMs = 100;

}  // namespace velmor

class imgContainer final : public velmor::ComObject<imgContainer, imgIContainer> {
 public:
  imgContainer() = default;
  ~imgContainer() override;

  STDMETHODIMP Init(Gdiplus::Bitmap* image) override;
  STDMETHODIMP AddObserver(imgIContainerObserver* observer) override;
  STDMETHODIMP RemoveObserver(imgIContainerObserver* observer) override;
  STDMETHODIMP GetWidth(UINT* width) override;
  STDMETHODIMP GetHeight(UINT* height) override;
  STDMETHODIMP GetImage(Gdiplus::Bitmap** image) override;
  STDMETHODIMP GetFrameCount(LONG* count) override;
  STDMETHODIMP StartAnimation() override;

  // What Init read from the image.
  USHORT LoopCount() const { return m_loopCount; }
  // Stored delays in milliseconds (hundredths of a second in the file, times ten).
  const std::vector<ULONG>& FrameDelays() const { return m_delays; }
  // The stored delay of a frame raised to the minimum interval.
  ULONG EffectiveDelay(LONG frame) const;

  // Animation state: present from StartAnimation until the last observer leaves.
  bool HasAnimation() const { return m_animation != nullptr; }
  // False once the loops are used up (the last frame stays selected).
  bool IsRunning() const { return m_animation != nullptr && m_animation->running; }
  // The selected frame while an animation state exists, else -1.
  LONG CurrentFrame() const { return m_animation ? m_animation->currentFrame : -1; }
  size_t ObserverCount() const { return m_observers.size(); }

  // The image cache is going away: stop animating and forget the image.
  void Detach();

 private:
  struct AnimationState {
    LONG currentFrame = -1;
    LONG loopsRemaining = 0;
    bool running = false;
    velmor::ComPtr<nsITimer> timer;
  };

  static void __stdcall OnTimer(nsITimer* timer, void* closure);
  void Step();
  void StopAnimation();
  void ReadFrameDelays();
  void ReadLoopCount();
  bool HasObserver(imgIContainerObserver* observer) const;

  Gdiplus::Bitmap* m_image = nullptr;  // owned by the image cache, which outlives us
  USHORT m_loopCount = 1;
  LONG m_frameCount = 0;
  std::vector<ULONG> m_delays;
  std::vector<imgIContainerObserver*> m_observers;  // not referenced
  std::unique_ptr<AnimationState> m_animation;
};
