// Public face of the component runtime (vmrt.dll): three entry points, imported by ordinal,
// the interfaces of its services (generated from vmrt.idl) and the two contract prefixes.
#pragma once
#include <windows.h>

#include "vmrt_h.h"

// Contract IDs are prefix + path, e.g. VMRT_VENDOR_PREFIX L"/command-line;1".
#define VMRT_VENDOR_PREFIX L"@velmor.net"
#define VMRT_PLATFORM_PREFIX L"@platform.velmor.net"

// Service identifier under which IServiceProvider::QueryService hands out the registrar.
// {a88e5a60-205a-4bb1-94e1-2628daf51eae}
inline constexpr GUID SID_VmrtComponentRegistrar = {
    0xa88e5a60, 0x205a, 0x4bb1, {0x94, 0xe1, 0x26, 0x28, 0xda, 0xf5, 0x1e, 0xae}};

#ifdef VMRT_BUILDING
#define VMRT_API extern "C"
#else
#define VMRT_API extern "C" __declspec(dllimport)
#endif

// Starts the runtime; must succeed before anything is registered or looked up. Calls nest: each
// successful initialise needs one shut down.
VMRT_API HRESULT WINAPI VmrtInitialize();
// Cancels armed timers and releases every service, registered object and factory.
VMRT_API HRESULT WINAPI VmrtShutdown();
// An owned reference to the service manager; E_UNEXPECTED before initialise.
VMRT_API HRESULT WINAPI VmrtGetServiceManager(IServiceManager** manager);
