// Facts about the platform the engine runs on, found once per process.
#pragma once
#include <windows.h>

namespace velmor {

// True under Wine (ntdll exports wine_get_version), where a few script-engine behaviours differ
// from Windows and the engine takes the path that works on both.
bool RunningOnWine();

// The current message's position (GetMessagePos, each half a signed 16-bit value) in the
// client coordinates of a window; unconverted when the window is null.
POINT MessagePointInClient(HWND window);

// A window's text as a new string (empty for a window without text); E_OUTOFMEMORY when it
// cannot be allocated.
HRESULT WindowTextBstr(HWND window, BSTR* text);

}  // namespace velmor
