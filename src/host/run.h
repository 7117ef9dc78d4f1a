// The body of a running instance: builds the message loop, the script host and the main window,
// runs the loop until the application quits and undoes it all in reverse order.
#pragma once
#include <windows.h>

#include "host/app_parts.h"

namespace velmor {

// Answers the run result.
[[nodiscard]] HRESULT Run(const char* lpCmdLine, int nShowCmd, AppParts& parts);

// The folder "skins\<name>" beside the module, <name> from HKCU "Software\Velmor\Skin" value
// "Skin" or "default". 'folder' holds MAX_PATH characters. Always TRUE.
BOOL GetSkinFolder(wchar_t* folder);

}  // namespace velmor
