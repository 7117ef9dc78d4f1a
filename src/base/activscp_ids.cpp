// Definitions of the Active Scripting, IDispatchEx and script-debugging interface identifiers
// that MinGW's libuuid does not provide. Everything those headers include is included first, so
// only their own identifiers are defined here; the definitions are 'selectany', so one that
// libuuid does provide does not collide.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <oleidl.h>
#include <oaidl.h>
#include <servprov.h>
#include <dbgprop.h>

#include <initguid.h>

#include <activscp.h>
#include <dispex.h>
#include <activdbg.h>
