// The mouse cursor of an element, chosen by its "cursor" attribute.
#pragma once
#include <windows.h>

#include "skin/content.h"

namespace velmor {

// The system cursor resource an element asks for: its "cursor" attribute compared without
// letter case against the known names; the arrow for anything else.
LPCWSTR ElementCursorId(scIContent* element);

// Loads and sets the element's cursor.
void SetElementCursor(scIContent* element);

}  // namespace velmor
