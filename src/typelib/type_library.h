// The engine's type library (UILib): every script interface with its dispatch IDs, the creatable
// classes and the message records. Dispatch implementations and the message manager take the
// type information of single interfaces from here.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace velmor {

// The library: the registered one (library ID of the module object, version 1.0) when there is
// one, else the TYPELIB resource of the module's own file. Loaded once, under the module's lock,
// and kept until ReleaseEngineTypeLib.
[[nodiscard]] HRESULT GetEngineTypeLib(ITypeLib** lib);

// The type information of one interface of the library, by interface ID (cached). For a dual
// interface this is its dispatch half.
[[nodiscard]] HRESULT GetEngineTypeInfo(REFIID iid, ITypeInfo** info);

// Drops the library and every cached type information (the module is terminating). A later
// request loads the library again.
void ReleaseEngineTypeLib();

}  // namespace velmor
