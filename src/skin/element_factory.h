// The element factory: skin tag to element class, and the initialisation of a new element from
// its prototype (common attributes, then handlers from the attributes whose names begin with
// "on").
#pragma once
#include <windows.h>

#include <new>

#include "skin/content.h"

namespace velmor {

class scPrototypeNode;
class scPrototypeElement;

// One element class: its tag and a function creating a new element of it (one reference).
struct ElementClass {
  const wchar_t* tag;
  HRESULT (*create)(const wchar_t* tag, scIContent** element);
};

// The classes a document builds its elements from, compared by tag in table order.
struct ElementClassTable {
  const ElementClass* classes;
  int count;
};

// The classes the content tree defines itself; the tags whose classes live in higher layers
// are plain script nodes here. Documents of the engine use the engine's full table.
const ElementClassTable& PlainElementClasses();

// The tags in the order the factory compares them.
const wchar_t* const* ElementTags(int* count);

// Creates an element of class T.
template <class T>
[[nodiscard]] HRESULT NewElement(const wchar_t* /*tag*/, scIContent** element) {
  T* object = new (std::nothrow) T();
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  *element = static_cast<scIContent*>(object);
  return S_OK;
}

// Creates the live element for an element prototype from 'classes': S_OK with no element for a
// script node, E_FAIL for an unknown tag, or the initialisation failure (the element is
// destroyed then).
[[nodiscard]] HRESULT CreateElement(const ElementClassTable& classes, scPrototypeNode* prototype,
                                    scIContent** element);
// The same with the plain classes.
[[nodiscard]] HRESULT CreateElement(scPrototypeNode* prototype, scIContent** element);

// InitFromPrototype (any failure becomes E_FAIL), then each "on..." attribute, alphabetically,
// handed to the element's listener table as a script handler when the table can be had.
[[nodiscard]] HRESULT InitElement(scIContent* element, scPrototypeElement* prototype);

}  // namespace velmor
