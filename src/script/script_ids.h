// The parse and script-debugging interfaces of the build's bitness (the engine answers only the
// variants of its own bitness). Their identifiers, where mingw's libuuid lacks them, are defined
// by base/activscp_ids; __uuidof works for all of them.
#pragma once
#include <windows.h>
#include <activdbg.h>
#include <activscp.h>

#include "base/activscp_ids.h"

namespace velmor {

#ifdef _WIN64
using ActiveScriptSiteDebug = IActiveScriptSiteDebug64;
using ProcessDebugManager = IProcessDebugManager64;
using DebugApplication = IDebugApplication64;
using DebugDocumentHelper = IDebugDocumentHelper64;
#else
using ActiveScriptSiteDebug = IActiveScriptSiteDebug32;
using ProcessDebugManager = IProcessDebugManager32;
using DebugApplication = IDebugApplication32;
using DebugDocumentHelper = IDebugDocumentHelper32;
#endif
// Source-context cookies are pointer-sized.
using SourceContextCookie = DWORD_PTR;

}  // namespace velmor
