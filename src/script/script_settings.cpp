#include "script/script_settings.h"

#include <atomic>

namespace velmor {
namespace {
std::atomic<bool> g_scriptDebugging{false};
}

bool IsScriptDebuggingEnabled() { return g_scriptDebugging.load(); }
void SetScriptDebuggingEnabled(bool enabled) { g_scriptDebugging.store(enabled); }

}  // namespace velmor
