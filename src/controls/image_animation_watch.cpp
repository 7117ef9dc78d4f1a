#include "controls/image_animation_watch.h"

#include "images/image_manager.h"

namespace velmor {

void scImageAnimationWatch::Watch(const wchar_t* path, imgIContainerObserver* observer) {
  if (path == nullptr || *path == L'\0') return;
  CImageManager* manager = GetImageManager();
  if (manager == nullptr) return;
  ComPtr<imgIContainer> container = manager->GetImageContainer(path);
  LONG frames = 0;
  if (!container || FAILED(container->GetFrameCount(&frames)) || frames < 2) return;
  if (m_observed.Get() == container.Get()) return;  // already watching this one
  Stop(observer);
  if (FAILED(container->AddObserver(observer))) return;
  m_observed = container;
  (void)container->StartAnimation();
}

void scImageAnimationWatch::Stop(imgIContainerObserver* observer) {
  if (!m_observed) return;
  ComPtr<imgIContainer> container = std::move(m_observed);
  (void)container->RemoveObserver(observer);
}

}  // namespace velmor
