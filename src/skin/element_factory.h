// The element factory: skin tag to element class, and the initialisation of a new element from
// its prototype (common attributes, then handlers from the attributes whose names begin with
// "on").
#pragma once
#include <windows.h>

#include "skin/content.h"

namespace velmor {

class scPrototypeNode;
class scPrototypeElement;

// The tags in the order the factory compares them.
const wchar_t* const* ElementTags(int* count);

// Creates the live element for an element prototype: S_OK with no element for a script node,
// E_FAIL for an unknown tag, or the initialisation failure (the element is destroyed then).
[[nodiscard]] HRESULT CreateElement(scPrototypeNode* prototype, scIContent** element);

// InitFromPrototype (any failure becomes E_FAIL), then each "on..." attribute, alphabetically,
// handed to the element's listener table as a script handler when the table can be had.
[[nodiscard]] HRESULT InitElement(scIContent* element, scPrototypeElement* prototype);

}  // namespace velmor
