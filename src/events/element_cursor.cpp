#include "events/element_cursor.h"

#include "base/bstr.h"

namespace velmor {
namespace {

struct CursorName {
  const wchar_t* name;
  LPCWSTR id;
};

const CursorName kCursors[] = {
    {L"system", IDC_ARROW},     {L"hand", IDC_HAND},         {L"help", IDC_HELP},
    {L"sizeall", IDC_SIZEALL},  {L"sizenesw", IDC_SIZENESW}, {L"sizens", IDC_SIZENS},
    {L"sizenwse", IDC_SIZENWSE}, {L"sizewe", IDC_SIZEWE},    {L"uparrow", IDC_UPARROW},
};

}  // namespace

LPCWSTR ElementCursorId(scIContent* element) {
  if (element == nullptr) return IDC_ARROW;
  UniqueVariant value;
  if (!element->GetAttr(L"cursor", value.Put()) || value.vt != VT_BSTR || value.bstrVal == nullptr)
    return IDC_ARROW;
  for (const CursorName& c : kCursors)
    if (_wcsicmp(value.bstrVal, c.name) == 0) return c.id;
  return IDC_ARROW;
}

void SetElementCursor(scIContent* element) {
  ::SetCursor(::LoadCursorW(nullptr, ElementCursorId(element)));
}

}  // namespace velmor
