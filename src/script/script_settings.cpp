#include "script/script_settings.h"

#include <atomic>

#include "components/component_manager.h"

namespace velmor {
namespace {
std::atomic<bool> g_scriptDebugging{false};
}

bool IsScriptDebuggingEnabled() { return g_scriptDebugging.load(); }
void SetScriptDebuggingEnabled(bool enabled) { g_scriptDebugging.store(enabled); }

bool ReadScriptPrefBool(const wchar_t* name, bool defaultValue) {
  ComPtr<IPreferencesService> prefs;
  if (FAILED(components::GetService(contracts::kPreferences, prefs)) || !prefs) return defaultValue;
  VARIANT_BOOL value = VARIANT_FALSE;
  if (FAILED(prefs->GetBoolPref(name, &value))) return defaultValue;
  return value == VARIANT_TRUE;
}

bool IsRunningOnWine() {
  static const bool s_wine = [] {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return s_wine;
}

}  // namespace velmor
