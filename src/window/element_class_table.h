// The element classes of the engine's documents: every tag with the class that gives it its
// behaviour (the window element, images, subwindows, and the content tree's own classes).
#pragma once
#include "skin/element_factory.h"

namespace velmor {

const ElementClassTable& EngineElementClasses();

}  // namespace velmor
