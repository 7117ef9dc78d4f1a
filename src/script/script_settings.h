// Process-wide settings of the scripting subsystem: the script-debugging switch and the
// preferences it comes from.
#pragma once
#include <windows.h>

namespace velmor {

inline constexpr const wchar_t* kPrefScriptDebugEnable = L"script.debug.enable";
inline constexpr const wchar_t* kPrefScriptDebugAutoBreak = L"script.debug.autobreak";

// The script-debugging switch: read from "script.debug.enable" each time the application script
// host is created; the error report and every engine owner consult it.
bool IsScriptDebuggingEnabled();
void SetScriptDebuggingEnabled(bool enabled);

}  // namespace velmor
