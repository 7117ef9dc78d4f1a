// The skin fuzzer: a driver that writes mutated skins and hands them in batches to host
// processes, which load, lay out, paint and script them in real windows.
#pragma once
#include <string>

namespace velmor::fuzz {

// The file name of skin number 'index' in a batch folder.
inline std::wstring SkinFileName(int index) { return L"skin" + std::to_wstring(index) + L".xml"; }

// Loads skins first .. first + count - 1 from 'folder', reporting each on standard output.
int RunHost(const std::wstring& folder, int first, int count);

}  // namespace velmor::fuzz
