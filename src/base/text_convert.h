// UTF-8 / UTF-16 conversion with the engine's buffer scheme: a first try with a generous buffer
// (inline when small), then, when Windows reports it too small, the exact size.
#pragma once
#include <windows.h>

#include <string>

namespace velmor {

// Converts 'length' units of 'text' (pass -1 to include the terminating NUL) from UTF-16 to
// code page 'codePage'. False on a conversion failure.
bool WideToMultiByte(UINT codePage, const wchar_t* text, int length, std::string& out);
bool MultiByteToWide(UINT codePage, const char* text, int length, std::wstring& out);

}  // namespace velmor
