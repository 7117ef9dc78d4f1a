// Type information of the engine's own interfaces, read from the type library embedded in the
// module (resource TYPELIB 1 of ui.dll).
#pragma once
#include <oaidl.h>
#include <windows.h>

namespace velmor {

// Loads the module's type library and answers the type information of 'guid'.
[[nodiscard]] HRESULT GetEngineTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace velmor
