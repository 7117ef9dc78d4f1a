// Typed attribute readers: read an element's attribute (live value over prototype text) as an
// integer, colour, string or boolean. A script object stored as the value is asked for its
// property of the same name. Each answers whether a usable value was found.
#pragma once
#include <cstdint>
#include <string>

struct scIContent;

namespace velmor {

bool GetIntAttr(scIContent* element, const wchar_t* name, int32_t& value);
// The colour in 0xAARRGGBB order (a whole number a script stored, up to 0xFFFFFFFF, is taken as
// it is).
bool GetColorAttr(scIContent* element, const wchar_t* name, uint32_t& argb);
bool GetStringAttr(scIContent* element, const wchar_t* name, std::wstring& value);
bool GetBoolAttr(scIContent* element, const wchar_t* name, bool& value);

}  // namespace velmor
