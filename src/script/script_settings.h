// Process-wide settings of the scripting subsystem: the script-debugging switch, the preference
// reader it comes from, and whether the process runs under Wine (whose JScript differs).
#pragma once
#include <windows.h>

namespace velmor {

inline constexpr const wchar_t* kPrefScriptDebugEnable = L"script.debug.enable";
inline constexpr const wchar_t* kPrefScriptDebugAutoBreak = L"script.debug.autobreak";

// The script-debugging switch: read from "script.debug.enable" each time the application script
// host is created; the error report and every engine owner consult it.
bool IsScriptDebuggingEnabled();
void SetScriptDebuggingEnabled(bool enabled);

// Reads a boolean preference through the preferences service: exactly VARIANT_TRUE is true; a
// missing service, a missing preference or any failure gives the default.
// (A local reader until the host's shared preference helper is available here.)
bool ReadScriptPrefBool(const wchar_t* name, bool defaultValue);

// True when ntdll exports wine_get_version; looked up once per process.
bool IsRunningOnWine();

}  // namespace velmor
