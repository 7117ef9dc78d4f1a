// Class and interface identifiers of Active Scripting and script debugging that mingw's libuuid
// does not carry, and the parse/debug interface variants of the build's bitness. The interfaces
// themselves come from the platform headers, whose declarations also give __uuidof.
#pragma once
#include <activdbg.h>
#include <activscp.h>
#include <dispex.h>
#include <windows.h>

namespace velmor {

// JScript's published engine class and the platform's process debug manager.
extern const CLSID kClsidJScript;
extern const CLSID kClsidProcessDebugManager;

extern const IID kIidDispatchEx;
extern const IID kIidActiveScriptParse32;
extern const IID kIidActiveScriptParse64;
extern const IID kIidActiveScriptSiteDebug32;
extern const IID kIidActiveScriptSiteDebug64;
extern const IID kIidProcessDebugManager32;
extern const IID kIidProcessDebugManager64;
extern const IID kIidDebugApplication32;
extern const IID kIidDebugApplication64;
extern const IID kIidDebugDocumentHelper32;
extern const IID kIidDebugDocumentHelper64;
extern const IID kIidDebugDocumentHost;

// The engine answers only the parse and debugging interfaces of its own bitness (the 32-bit
// variants answer E_NOINTERFACE in a 64-bit process). Source-context cookies are pointer-sized.
#ifdef _WIN64
using ActiveScriptParse = IActiveScriptParse64;
using ActiveScriptSiteDebug = IActiveScriptSiteDebug64;
using ProcessDebugManager = IProcessDebugManager64;
using DebugApplication = IDebugApplication64;
using DebugDocumentHelper = IDebugDocumentHelper64;
inline const IID& kIidActiveScriptParse = kIidActiveScriptParse64;
inline const IID& kIidActiveScriptSiteDebug = kIidActiveScriptSiteDebug64;
inline const IID& kIidProcessDebugManager = kIidProcessDebugManager64;
inline const IID& kIidDebugApplication = kIidDebugApplication64;
inline const IID& kIidDebugDocumentHelper = kIidDebugDocumentHelper64;
#else
using ActiveScriptParse = IActiveScriptParse32;
using ActiveScriptSiteDebug = IActiveScriptSiteDebug32;
using ProcessDebugManager = IProcessDebugManager32;
using DebugApplication = IDebugApplication32;
using DebugDocumentHelper = IDebugDocumentHelper32;
inline const IID& kIidActiveScriptParse = kIidActiveScriptParse32;
inline const IID& kIidActiveScriptSiteDebug = kIidActiveScriptSiteDebug32;
inline const IID& kIidProcessDebugManager = kIidProcessDebugManager32;
inline const IID& kIidDebugApplication = kIidDebugApplication32;
inline const IID& kIidDebugDocumentHelper = kIidDebugDocumentHelper32;
#endif
using SourceContextCookie = DWORD_PTR;

}  // namespace velmor
