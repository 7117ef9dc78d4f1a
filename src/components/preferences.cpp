#include "components/preferences.h"

#include "components/component_manager.h"

namespace velmor {

int GetPrefBool(const wchar_t* name, int defaultValue) {
  ComPtr<IPreferencesService> prefs;
  if (FAILED(components::GetService(contracts::kPreferences, prefs)) || !prefs) return defaultValue;
  VARIANT_BOOL value = VARIANT_FALSE;
  if (FAILED(prefs->GetBoolPref(name, &value))) return defaultValue;
  return value == VARIANT_TRUE ? 1 : 0;
}

}  // namespace velmor
