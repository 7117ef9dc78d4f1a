// Active Scripting and IDispatchEx interface identifiers. MinGW's libuuid lacks most of them
// (IID_IDispatchEx, IID_IObjectIdentity, the 32/64-bit parse and procedure interfaces, the script
// debugging interfaces), so activscp_ids.cpp defines every identifier these headers declare.
// Include this header instead of the system headers when code names an IID_ symbol; __uuidof works
// either way.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <activscp.h>
#include <dispex.h>

// The parse interfaces of the build's bitness: the engine answers only the variant matching the
// process (the other one gives E_NOINTERFACE).
#ifdef _WIN64
using IActiveScriptParseT = IActiveScriptParse64;
using IActiveScriptParseProcedureT = IActiveScriptParseProcedure2_64;
#else
using IActiveScriptParseT = IActiveScriptParse32;
using IActiveScriptParseProcedureT = IActiveScriptParseProcedure2_32;
#endif

// The JScript engine, {F414C260-6AC0-11CF-B6D1-00AA00BBBB58}.
inline constexpr CLSID kClsidJScript = {
    0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
