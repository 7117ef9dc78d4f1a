// Type information of the engine's script interfaces, from the type library the engine module
// carries. The dispatch implementations of the skin's node interfaces go through this one
// function, so a shared type-library cache can take its place without touching them.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace velmor {

[[nodiscard]] HRESULT GetEngineTypeInfo(REFGUID iid, ITypeInfo** info);

}  // namespace velmor
