// Facts about the platform the engine runs on, found once per process.
#pragma once

namespace velmor {

// True under Wine (ntdll exports wine_get_version), where a few script-engine behaviours differ
// from Windows and the engine takes the path that works on both.
bool RunningOnWine();

}  // namespace velmor
