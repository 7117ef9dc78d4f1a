// Boolean preferences read after start-up, through the preferences service.
#pragma once
#include <windows.h>

namespace velmor {

// 1 when the service answers exactly VARIANT_TRUE, 0 for any other answer, and 'defaultValue'
// when the service is missing or the read fails. Never reports an error.
int GetPrefBool(const wchar_t* name, int defaultValue);

}  // namespace velmor
