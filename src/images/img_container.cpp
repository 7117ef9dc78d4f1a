#include "images/img_container.h"

#include <algorithm>

#include "components/component_manager.h"
#include "images/image_manager.h"

using velmor::ComPtr;

namespace {

// Reads one property item into an aligned buffer; null when the image has no such property.
std::unique_ptr<ULONGLONG[]> ReadProperty(Gdiplus::Bitmap* image, PROPID id,
                                          Gdiplus::PropertyItem** item) {
  *item = nullptr;
  const UINT size = image->GetPropertyItemSize(id);
  if (size < sizeof(Gdiplus::PropertyItem)) return nullptr;
  std::unique_ptr<ULONGLONG[]> buffer(new (std::nothrow)
                                          ULONGLONG[(size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG)]);
  if (!buffer) return nullptr;
  auto* property = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.get());
  if (image->GetPropertyItem(id, size, property) != Gdiplus::Ok || property->value == nullptr)
    return nullptr;
  *item = property;
  return buffer;
}

}  // namespace

imgContainer::~imgContainer() { StopAnimation(); }

STDMETHODIMP imgContainer::Init(Gdiplus::Bitmap* image) {
  if (image == nullptr) return E_POINTER;
  try {
    GUID format{};
    if (image->GetRawFormat(&format) != Gdiplus::Ok) return E_INVALIDARG;
    StopAnimation();
    m_image = image;
    m_frameCount = 1;
    m_loopCount = 1;
    m_delays.assign(1, 0);
    if (!IsEqualGUID(format, Gdiplus::ImageFormatGIF)) return S_OK;

    const UINT frames = image->GetFrameCount(&Gdiplus::FrameDimensionTime);
    m_frameCount = frames > 0 ? static_cast<LONG>(frames) : 1;
    m_delays.assign(static_cast<size_t>(m_frameCount), 0);
    ReadFrameDelays();
    ReadLoopCount();
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

void imgContainer::ReadFrameDelays() {
  Gdiplus::PropertyItem* item = nullptr;
  const auto buffer = ReadProperty(m_image, PropertyTagFrameDelay, &item);
  if (item == nullptr) return;  // no delays recorded: all stay 0
  const auto* values = static_cast<const UINT32*>(item->value);
  const size_t count = std::min<size_t>(m_delays.size(), item->length / sizeof(UINT32));
  for (size_t i = 0; i < count; ++i) m_delays[i] = values[i] * 10;
}

void imgContainer::ReadLoopCount() {
  Gdiplus::PropertyItem* item = nullptr;
  const auto buffer = ReadProperty(m_image, PropertyTagLoopCount, &item);
  if (item == nullptr || item->length < sizeof(USHORT)) return;  // absent: play once
  m_loopCount = *static_cast<const USHORT*>(item->value);
}

ULONG imgContainer::EffectiveDelay(LONG frame) const {
  if (frame < 0 || static_cast<size_t>(frame) >= m_delays.size()) return velmor::kMinimumFrameDelayMs;
  const ULONG delay = m_delays[static_cast<size_t>(frame)];
  return delay > velmor::kMinimumFrameDelayMs ? delay : velmor::kMinimumFrameDelayMs;
}

bool imgContainer::HasObserver(imgIContainerObserver* observer) const {
  return std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end();
}

STDMETHODIMP imgContainer::AddObserver(imgIContainerObserver* observer) {
  if (observer == nullptr) return E_POINTER;
  if (HasObserver(observer)) return S_OK;
  try {
    m_observers.push_back(observer);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP imgContainer::RemoveObserver(imgIContainerObserver* observer) {
  if (observer == nullptr) return E_POINTER;
  const auto it = std::find(m_observers.begin(), m_observers.end(), observer);
  const HRESULT hr = it != m_observers.end() ? S_OK : S_FALSE;
  if (it != m_observers.end()) m_observers.erase(it);
  if (m_observers.empty()) StopAnimation();
  return hr;
}

STDMETHODIMP imgContainer::GetWidth(UINT* width) {
  if (width == nullptr) return E_POINTER;
  if (m_image == nullptr) return E_UNEXPECTED;
  *width = m_image->GetWidth();
  return S_OK;
}

STDMETHODIMP imgContainer::GetHeight(UINT* height) {
  if (height == nullptr) return E_POINTER;
  if (m_image == nullptr) return E_UNEXPECTED;
  *height = m_image->GetHeight();
  return S_OK;
}

STDMETHODIMP imgContainer::GetImage(Gdiplus::Bitmap** image) {
  if (image == nullptr) return E_POINTER;
  if (m_image == nullptr) return E_UNEXPECTED;
  *image = m_image;
  return S_OK;
}

STDMETHODIMP imgContainer::GetFrameCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  if (m_image == nullptr) return E_UNEXPECTED;
  *count = m_frameCount;
  return S_OK;
}

STDMETHODIMP imgContainer::StartAnimation() {
  if (m_image == nullptr) return E_UNEXPECTED;
  if (m_frameCount < 2 || m_observers.empty()) return S_FALSE;
  if (m_animation) return S_OK;

  auto state = std::unique_ptr<AnimationState>(new (std::nothrow) AnimationState);
  if (!state) return E_OUTOFMEMORY;
  if (FAILED(velmor::components::CreateInstance(velmor::contracts::kTimer, state->timer)) ||
      !state->timer)
    return E_OUTOFMEMORY;
  state->currentFrame = -1;
  state->loopsRemaining = m_loopCount;
  state->running = true;
  const HRESULT hr = state->timer->InitWithFuncCallback(&imgContainer::OnTimer, this,
                                                        EffectiveDelay(0), 1);
  if (FAILED(hr)) return hr;
  m_animation = std::move(state);
  // The first frame is selected and shown at once, not one interval later.
  Step();
  return S_OK;
}

void __stdcall imgContainer::OnTimer(nsITimer*, void* closure) {
  static_cast<imgContainer*>(closure)->Step();
}

void imgContainer::Step() {
  if (!m_animation || !m_animation->running || !m_animation->timer || m_observers.empty() ||
      m_frameCount < 2)
    return;
  AnimationState& state = *m_animation;
  LONG next = state.currentFrame + 1;
  if (next >= m_frameCount) {
    next = 0;
    // A loop count of 0 means endless: loopsRemaining then never reaches the test below.
    if (state.loopsRemaining > 0 && --state.loopsRemaining <= 0) {
      state.timer->Cancel();
      state.running = false;
      return;
    }
  }
  m_image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, static_cast<UINT>(next));
  if (velmor::CImageManager* manager = velmor::GetImageManager()) manager->DropPixels(m_image);
  state.currentFrame = next;
  state.timer->SetDelay(EffectiveDelay(next));

  // An observer may remove itself or others, or drop the last reference to us, while it is
  // told: keep ourselves alive and tell only those still registered.
  ComPtr<imgContainer> self(this);
  try {
    const std::vector<imgIContainerObserver*> observers = m_observers;
    for (imgIContainerObserver* observer : observers) {
      if (HasObserver(observer)) observer->FrameChanged(this);
    }
  } catch (...) {
    // Out of memory for the copy: nobody is told of this frame.
  }
}

void imgContainer::StopAnimation() {
  if (!m_animation) return;
  std::unique_ptr<AnimationState> state = std::move(m_animation);
  if (state->timer) state->timer->Cancel();
}

void imgContainer::Detach() {
  StopAnimation();
  m_image = nullptr;
}
