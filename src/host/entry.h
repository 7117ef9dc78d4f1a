// The process-level life cycle behind the exported entry: single instance, start-up of COM,
// the component runtime, common controls and GDI+, the run, and the teardown in reverse order.
#pragma once
#include <windows.h>

#include "host/app_parts.h"

namespace velmor {

enum class EntryPath {
  kForwarded,      // a later start: its command line went to the running instance
  kNoComponents,   // the component runtime failed to start; nothing else happened
  kRan,            // a full instance ran; 'result' is the run result
};

struct EntryOutcome {
  EntryPath path = EntryPath::kRan;
  HRESULT result = S_OK;
};

// Network-tools library loaded (when present) at start and freed at the end.
inline constexpr const wchar_t* kNetToolsLibrary = L"vmnet.dll";
inline constexpr const char* kNetToolsStartup = "VmNetStartup";

EntryOutcome EntryMain(const char* lpCmdLine, int nShowCmd, AppParts& parts);

// Formats the line written with OutputDebugStringW at exit.
void FormatRunResultLine(HRESULT result, wchar_t* buffer, size_t capacity);

}  // namespace velmor
