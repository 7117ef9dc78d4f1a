// Hands a command line to the command-line service: parse it (remote 1 for a line forwarded by
// a later start) and, when that succeeds, let the service act on it.
#pragma once
#include <windows.h>

namespace velmor {

void HandCommandLine(const wchar_t* commandLine, LONG remote);

}  // namespace velmor
