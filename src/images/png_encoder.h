// GDI+'s PNG encoder, for writing pictures out (tools and tests).
#pragma once
#include <windows.h>

namespace velmor {

// The class id of GDI+'s PNG encoder; false when GDI+ has none (or is not started).
bool FindPngEncoder(CLSID* clsid);

}  // namespace velmor
