// Native controls in the version the engine was built for. The engine's module carries a
// manifest (resource 2) asking for Common Controls 6; a host program without such a manifest
// would otherwise give the engine the old controls (no cue banners, other password characters).
// Control classes are therefore looked up inside the activation context of that manifest.
#pragma once
#include <windows.h>

namespace velmor {

// Activates the engine's common-controls context for the life of the object; does nothing when
// the module carries no manifest (the process's own context applies then).
class scControlsActivation {
 public:
  scControlsActivation();
  ~scControlsActivation();
  scControlsActivation(const scControlsActivation&) = delete;
  scControlsActivation& operator=(const scControlsActivation&) = delete;

 private:
  ULONG_PTR m_cookie = 0;
  bool m_active = false;
};

}  // namespace velmor
