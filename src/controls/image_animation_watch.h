// scImageAnimationWatch: what an element that draws a skin bitmap keeps to go on repainting
// while the bitmap animates. Watching a path registers the element with the path's animated
// container (a still image is not watched) and starts its animation; the container keeps no
// reference to its observers, so the element stops watching before it goes away.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "images/img_container.h"

namespace velmor {

class scImageAnimationWatch {
 public:
  // Registers 'observer' with the animated container of 'path', leaving any other container.
  void Watch(const wchar_t* path, imgIContainerObserver* observer);
  // Leaves the container watched, if any.
  void Stop(imgIContainerObserver* observer);
  imgIContainer* Observed() const { return m_observed.Get(); }

 private:
  ComPtr<imgIContainer> m_observed;
};

}  // namespace velmor
