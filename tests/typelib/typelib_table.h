// What the engine's type library must contain, written down from the script interfaces' own
// member lists (identifiers, dispatch IDs, property kinds, argument names) and kept independent
// of ui.idl and of anything widl generates from it, so that a test walking the loaded library can
// catch a wrong or missing entry.
//
// Pure data: no test framework and no Windows headers. GUIDs are in registry form for
// CLSIDFromString/IIDFromString.
#pragma once

#include <cstddef>
#include <iterator>

namespace velmor::test::typelib {

enum class MemberKind { kGet, kPut, kMethod };

// A dispatch ID the library is free to choose: only the member's name, kind and position are
// fixed for it.
inline constexpr long kAnyDispid = -1;

struct ExpectedMember {
  const wchar_t* name;
  long dispid;  // kAnyDispid where the number is the library's choice
  MemberKind kind;
  // Argument names in order, comma-separated, without an [out, retval] result the library may
  // list after them. L"" means no arguments; nullptr means the names are the library's choice
  // (also for property values).
  const wchar_t* args;
};

struct ExpectedInterface {
  const wchar_t* name;
  const wchar_t* iid;
  // The interface it derives from. For a dual interface this is the base of its vtable half;
  // the dispatch half always derives from IDispatch.
  const wchar_t* base;
  bool dual;                      // dual and OLE-automation compatible, or a vtable interface
  const wchar_t* helpString;      // nullptr when the library may leave it out
  std::size_t memberCount;        // its own members, not counting those of its base
  const ExpectedMember* members;  // its own members in declaration (vtable) order
  std::size_t listedMembers;
};

struct ExpectedCoClass {
  const wchar_t* name;
  const wchar_t* clsid;
  const wchar_t* helpString;  // nullptr: none
};

enum class FieldType {
  kRemotableWindowHandle,  // wireHWND
  kUInt32,
  kInt32,
  kUIntPtr,  // 32 bits in the x86 library, 64 bits in the x64 one, as in the platform's MSG
  kIntPtr,
  kPointRecord,  // tagPOINT
};

struct ExpectedField {
  const wchar_t* name;
  FieldType type;
};

struct ExpectedRecord {
  const wchar_t* name;
  const ExpectedField* fields;
  std::size_t fieldCount;
};

struct ExpectedLibrary {
  const wchar_t* name;
  const wchar_t* helpString;
  const wchar_t* libid;
  unsigned short majorVersion;
  unsigned short minorVersion;
  unsigned long lcid;
};

inline constexpr ExpectedLibrary kLibrary = {
    L"UILib", L"ui 1.0 Type Library", L"{289EE312-2244-45C3-8713-CBE470787DB2}", 1, 0, 0x409};

namespace members {

using K = MemberKind;

// The document window.
inline constexpr ExpectedMember kDOMWindow[] = {
    {L"document", 0x30, K::kGet, nullptr},
    {L"parent", 0x31, K::kGet, nullptr},
    {L"close", 0x32, K::kMethod, L""},
    {L"sizemode", 0x33, K::kGet, nullptr},
    {L"sizemode", 0x33, K::kPut, nullptr},
    {L"visible", 0x34, K::kGet, nullptr},
    {L"visible", 0x34, K::kPut, nullptr},
    {L"screen", 0x35, K::kGet, nullptr},
    {L"outerWidth", 0x36, K::kGet, nullptr},
    {L"outerHeight", 0x37, K::kGet, nullptr},
    {L"innerWidth", 0x38, K::kGet, nullptr},
    {L"innerHeight", 0x39, K::kGet, nullptr},
    {L"screenLeft", 0x3a, K::kGet, nullptr},
    {L"screenTop", 0x3b, K::kGet, nullptr},
    {L"moveTo", 0x3c, K::kMethod, L"newX,newY,moveTime"},
    {L"moveBy", 0x3d, K::kMethod, L"dx,dy,moveTime"},
    {L"sizeTo", 0x3e, K::kMethod, L"newWidth,newHeight,moveTime"},
    {L"sizeBy", 0x3f, K::kMethod, L"dWidth,dHeight,moveTime"},
    {L"moveSizeTo", 0x40, K::kMethod, L"newX,newY,newWidth,newHeight,moveTime"},
    {L"setTimeout", 0x41, K::kMethod, L"expression,msec"},
    {L"clearTimeout", 0x42, K::kMethod, L"timerID"},
    {L"setInterval", 0x43, K::kMethod, L"expression,msec"},
    {L"clearInterval", 0x44, K::kMethod, L"timerID"},
    {L"open", 0x45, K::kMethod, L"aUrl,aName,aFeatures"},
    {L"title", 0x46, K::kGet, nullptr},
    {L"title", 0x46, K::kPut, nullptr},
    {L"lock", 0x47, K::kMethod, L"aWhatLock"},
    {L"unlock", 0x48, K::kMethod, L"aWhatUnlock"},
    {L"topMost", 0x49, K::kGet, nullptr},
    {L"topMost", 0x49, K::kPut, nullptr},
    {L"showModalDialog", 0x4b, K::kMethod, L"aDialog,aArgs,aOptions"},
    {L"size", 0x4c, K::kMethod, L"aHandle"},
    {L"minWidth", 0x4d, K::kGet, nullptr},
    {L"minHeight", 0x4e, K::kGet, nullptr},
    {L"setMinWidthAndHeight", 0x4f, K::kMethod, L"aMinWidth,aMinHeight,aValidate"},
    {L"activated", 0x150, K::kGet, nullptr},
    {L"activated", 0x150, K::kPut, nullptr},
    {L"alert", 0x151, K::kMethod, L"aMessage,aTitle"},
};

inline constexpr ExpectedMember kDOMModalWindow[] = {
    {L"dialogArguments", 0xc0, K::kGet, nullptr},
    {L"returnValue", 0xc1, K::kGet, nullptr},
    {L"returnValue", 0xc1, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMWindowMisc[] = {
    {L"shellExecute", 0x120, K::kMethod, L"aOperator,aFile"},
    {L"showGameList", 0x42c1d80, K::kMethod, L"aGame,aContent"},
};

inline constexpr ExpectedMember kDOMDocument[] = {
    {L"getElementById", 0x20, K::kMethod, L"elementId"},
};

inline constexpr ExpectedMember kDOMNode[] = {
    {L"nodeName", 0x1, K::kGet, nullptr},
    {L"parentNode", 0x2, K::kGet, nullptr},
    {L"firstChild", 0x3, K::kGet, nullptr},
    {L"lastChild", 0x4, K::kGet, nullptr},
    {L"previousSibling", 0x5, K::kGet, nullptr},
    {L"nextSibling", 0x6, K::kGet, nullptr},
    {L"ownerDocument", 0x7, K::kGet, nullptr},
};

// Each of the three takes an lFlags argument; the other names are free.
inline constexpr ExpectedMember kDOMElement[] = {
    {L"setAttribute", 0x10, K::kMethod, nullptr},
    {L"getAttribute", 0x11, K::kMethod, nullptr},
    {L"removeAttribute", 0x12, K::kMethod, nullptr},
};

inline constexpr ExpectedMember kDOMAmbient[] = {
    {L"id", 0x50, K::kGet, nullptr},
    {L"left", 0x51, K::kGet, nullptr},
    {L"left", 0x51, K::kPut, nullptr},
    {L"top", 0x52, K::kGet, nullptr},
    {L"top", 0x52, K::kPut, nullptr},
    {L"right", 0x53, K::kGet, nullptr},
    {L"right", 0x53, K::kPut, nullptr},
    {L"bottom", 0x54, K::kGet, nullptr},
    {L"bottom", 0x54, K::kPut, nullptr},
    {L"width", 0x55, K::kGet, nullptr},
    {L"width", 0x55, K::kPut, nullptr},
    {L"height", 0x56, K::kGet, nullptr},
    {L"height", 0x56, K::kPut, nullptr},
    {L"clippingImage", 0x57, K::kGet, nullptr},
    {L"clippingImage", 0x57, K::kPut, nullptr},
    {L"clippingColor", 0x58, K::kGet, nullptr},
    {L"clippingColor", 0x58, K::kPut, nullptr},
    {L"visible", 0x59, K::kGet, nullptr},
    {L"visible", 0x59, K::kPut, nullptr},
    {L"disabled", 0x5a, K::kGet, nullptr},
    {L"disabled", 0x5a, K::kPut, nullptr},
    {L"passThrough", 0x5b, K::kGet, nullptr},
    {L"passThrough", 0x5b, K::kPut, nullptr},
    {L"horizontalAlignment", 0x5c, K::kGet, nullptr},
    {L"horizontalAlignment", 0x5c, K::kPut, nullptr},
    {L"verticalAlignment", 0x5d, K::kGet, nullptr},
    {L"verticalAlignment", 0x5d, K::kPut, nullptr},
    {L"moveTo", 0x3c, K::kMethod, L"newX,newY,moveTime"},
    {L"moveBy", 0x3d, K::kMethod, L"dx,dy,moveTime"},
    {L"sizeTo", 0x3e, K::kMethod, L"newWidth,newHeight,moveTime"},
    {L"sizeBy", 0x3f, K::kMethod, L"dWidth,dHeight,moveTime"},
    {L"moveSizeTo", 0x40, K::kMethod, L"newX,newY,newWidth,newHeight,moveTime"},
    {L"lock", 0x47, K::kMethod, L"aWhatLock"},
    {L"unlock", 0x48, K::kMethod, L"aWhatUnlock"},
};

// All read-only.
inline constexpr ExpectedMember kDOMScreen[] = {
    {L"top", 0x70, K::kGet, nullptr},
    {L"left", 0x71, K::kGet, nullptr},
    {L"width", 0x72, K::kGet, nullptr},
    {L"height", 0x73, K::kGet, nullptr},
    {L"pixelDepth", 0x74, K::kGet, nullptr},
    {L"colorDepth", 0x75, K::kGet, nullptr},
    {L"availWidth", 0x76, K::kGet, nullptr},
    {L"availHeight", 0x77, K::kGet, nullptr},
    {L"availLeft", 0x78, K::kGet, nullptr},
    {L"availTop", 0x79, K::kGet, nullptr},
};

inline constexpr ExpectedMember kDOMButton[] = {
    {L"checked", 0x60, K::kGet, nullptr},
    {L"checked", 0x60, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMImage[] = {
    {L"src", 0x180, K::kGet, nullptr},
    {L"src", 0x180, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMLabel[] = {
    {L"value", 0xa0, K::kGet, nullptr},
    {L"value", 0xa0, K::kPut, nullptr},
    {L"foregroundColor", 0xa1, K::kGet, nullptr},
    {L"foregroundColor", 0xa1, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMTextBox[] = {
    {L"value", 0xa0, K::kGet, nullptr},
    {L"value", 0xa0, K::kPut, nullptr},
    {L"clickSelectsAll", 0xb0, K::kGet, nullptr},
    {L"clickSelectsAll", 0xb0, K::kPut, nullptr},
    {L"emptyText", 0xb1, K::kGet, nullptr},
    {L"emptyText", 0xb1, K::kPut, nullptr},
    {L"readOnly", 0xb2, K::kGet, nullptr},
    {L"readOnly", 0xb2, K::kPut, nullptr},
    {L"select", 0xb3, K::kMethod, L""},
};

inline constexpr ExpectedMember kDOMDateTimePicker[] = {
    {L"dateValue", 0xd0, K::kGet, nullptr},
    {L"dateValue", 0xd0, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMSplitter[] = {
    {L"horizontal", 0x80, K::kGet, nullptr},
    {L"splitterPos", 0x81, K::kGet, nullptr},
    {L"splitterPos", 0x81, K::kPut, nullptr},
    {L"singlePaneMode", 0x82, K::kGet, nullptr},
    {L"singlePaneMode", 0x82, K::kPut, nullptr},
    {L"setPaneMinSize", 0x83, K::kMethod, L"aPane,aMinSize,aUpdate"},
    {L"getPaneMinSize", 0x84, K::kMethod, L"aPane"},  // the minimum comes back as the result
    {L"panePlace", 0x85, K::kGet, nullptr},
    {L"panePlace", 0x85, K::kPut, nullptr},
    {L"bar", 0x86, K::kGet, nullptr},
};

inline constexpr ExpectedMember kDOMWidgetWrapper[] = {
    {L"contractId", 0x130, K::kGet, nullptr},
    {L"setContractId", 0x131, K::kMethod, L"aContractId,aUseService"},
    {L"wrappedObject", 0x132, K::kGet, nullptr},
};

inline constexpr ExpectedMember kDOMMenuPopup[] = {
    {L"openPopup", 0xe0, K::kMethod, L"aAnchorElement,aPosition,aXPos,aYPos,aAttributesOverride"},
    {L"openPopupAtScreen", 0xe1, K::kMethod, L"aXPos,aYPos"},
};

inline constexpr ExpectedMember kDOMMenuItem[] = {
    {L"checked", 0x60, K::kGet, nullptr},
    {L"checked", 0x60, K::kPut, nullptr},
    {L"defaultItem", 0x90, K::kGet, nullptr},
    {L"defaultItem", 0x90, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMKeyShortcut[] = {
    {L"modifiers", 0x140, K::kGet, nullptr},
    {L"modifiers", 0x140, K::kPut, nullptr},
    {L"keycode", 0x141, K::kGet, nullptr},
    {L"keycode", 0x141, K::kPut, nullptr},
};

inline constexpr ExpectedMember kDOMFocusableNode[] = {
    {L"focus", kAnyDispid, K::kMethod, L""},
    {L"blur", kAnyDispid, K::kMethod, L""},
};

inline constexpr ExpectedMember kDOMEvent[] = {
    {L"type", 0xf0, K::kGet, nullptr},
    {L"target", 0xf1, K::kGet, nullptr},
    {L"preventDefault", 0xf2, K::kMethod, L""},
    {L"initEvent", 0xf3, K::kMethod, L"eventTypeArg"},
};

inline constexpr ExpectedMember kDOMMouseEvent[] = {
    {L"screenX", 0xf4, K::kGet, nullptr},
    {L"screenY", 0xf5, K::kGet, nullptr},
    {L"clientX", 0xf6, K::kGet, nullptr},
    {L"clientY", 0xf7, K::kGet, nullptr},
    {L"offsetX", 0xf8, K::kGet, nullptr},
    {L"offsetY", 0xf9, K::kGet, nullptr},
    {L"ctrlKey", 0xfa, K::kGet, nullptr},
    {L"shiftKey", 0xfb, K::kGet, nullptr},
    {L"altKey", 0xfc, K::kGet, nullptr},
    {L"button", 0xfd, K::kGet, nullptr},
    {L"relatedTarget", 0xfe, K::kGet, nullptr},
    {L"initMouseEvent", 0xff, K::kMethod,
     L"typeArg,aScreenX,aScreenY,aClientX,aClientY,aOffsetX,aOffsetY,aCtrlKey,aAltKey,aShiftKey,"
     L"aButton,aRelatedTarget"},
};

inline constexpr ExpectedMember kDOMEventTarget[] = {
    {L"addEventListener", kAnyDispid, K::kMethod, nullptr},
    {L"removeEventListener", kAnyDispid, K::kMethod, nullptr},
    {L"dispatchEvent", kAnyDispid, K::kMethod, nullptr},
};

// The dispatch bridge hands out 1 and 2 for these two names on every native object.
inline constexpr ExpectedMember kJSObject[] = {
    {L"GetOwnProperty", 1, K::kMethod, L"aPropertyName"},  // the descriptor is the result
    {L"DefineOwnProperty", 2, K::kMethod, L"aPropertyName,aDesc,aThrow"},
};

inline constexpr ExpectedMember kJSSubScriptLoader[] = {
    {L"LoadSubScript", kAnyDispid, K::kMethod, L"name,itemName"},
    {L"LoadSubScriptFromFile", kAnyDispid, K::kMethod, L"path,itemName"},
    {L"LoadSubScriptFromResource", kAnyDispid, K::kMethod, L"dllName,jsName,itemName"},
    {L"LoadSubScriptFromStream", kAnyDispid, K::kMethod, L"pStream,itemName"},
};

inline constexpr ExpectedMember kScriptControl[] = {
    {L"AddObject", kAnyDispid, K::kMethod, L"pszName,pObject"},
    {L"AddCode", kAnyDispid, K::kMethod, L"pszCode,pszItemName"},
    {L"Evaluate", kAnyDispid, K::kMethod, L"pszExpresstion,pszItemName,pVarResult"},
    {L"Run", kAnyDispid, K::kMethod, L"pszProcedureName,pvarParams,nParams,pVarResult"},
};

// Each takes an interface identifier and answers the object through an out pointer.
inline constexpr ExpectedMember kScriptControlDebug[] = {
    {L"GetDebugApplication", kAnyDispid, K::kMethod, nullptr},
    {L"GetProcessDebugManager", kAnyDispid, K::kMethod, nullptr},
};

inline constexpr ExpectedMember kMessageManager[] = {
    {L"AddMsgFilter", 1, K::kMethod, L"spFilter"},
    {L"RemoveMsgFilter", 2, K::kMethod, L"spFilter"},
    {L"AddIdleHandler", 3, K::kMethod, L"spIdleHandler"},
    {L"RemoveIdleHandler", 4, K::kMethod, L"spIdleHandler"},
    {L"Quit", 5, K::kMethod, L"bAttempt"},
};

inline constexpr ExpectedMember kMsgFilter[] = {
    {L"PreTranslateMessage", kAnyDispid, K::kMethod, L"pMsg,bProcessed"},
};

inline constexpr ExpectedMember kIdleHandler[] = {
    {L"OnIdle", kAnyDispid, K::kMethod, L""},
};

inline constexpr ExpectedMember kMainWindow[] = {
    {L"Tile", kAnyDispid, K::kGet, nullptr},
    {L"Tile", kAnyDispid, K::kPut, nullptr},
    {L"alert", kAnyDispid, K::kMethod, nullptr},
    {L"echoTickCount", kAnyDispid, K::kMethod, nullptr},
};

}  // namespace members

#define VELMOR_TYPELIB_MEMBERS(list) members::list, std::size(members::list)

// Every interface the library declares, with the number of its own members. That number and the
// member lists above are written down separately; the static_asserts below make them agree.
inline constexpr ExpectedInterface kInterfaces[] = {
    {L"IDOMWindow", L"{9be1010f-6bd0-4c5d-9a2a-dd7f474cdba6}", L"IDispatch", true, nullptr, 38,
     VELMOR_TYPELIB_MEMBERS(kDOMWindow)},
    {L"IDOMModalWindow", L"{aec5001a-b581-4744-bab2-027c5735dab0}", L"IDispatch", true, nullptr,
     3, VELMOR_TYPELIB_MEMBERS(kDOMModalWindow)},
    {L"IDOMWindowMisc", L"{094f4e3e-e8a2-4a1c-ac7e-b6a8fbf7843d}", L"IDispatch", true, nullptr, 2,
     VELMOR_TYPELIB_MEMBERS(kDOMWindowMisc)},
    {L"IDOMDocument", L"{785d8291-09df-45f8-8b7c-ef2319159cf1}", L"IDOMNode", true, nullptr, 1,
     VELMOR_TYPELIB_MEMBERS(kDOMDocument)},
    {L"IDOMNode", L"{9a74d8a3-9ae6-4ee0-be2f-32f83111dd75}", L"IDispatch", true, nullptr, 7,
     VELMOR_TYPELIB_MEMBERS(kDOMNode)},
    {L"IDOMElement", L"{bf9e52ec-eb39-46aa-9530-9141cb0718d0}", L"IDOMNode", true, nullptr, 3,
     VELMOR_TYPELIB_MEMBERS(kDOMElement)},
    {L"IDOMAmbient", L"{4f826697-809d-4dee-b011-53b580133431}", L"IDispatch", true, nullptr, 34,
     VELMOR_TYPELIB_MEMBERS(kDOMAmbient)},
    {L"IDOMScreen", L"{569b4b81-cf8d-4d01-95e5-467cb6a29eeb}", L"IDispatch", true, nullptr, 10,
     VELMOR_TYPELIB_MEMBERS(kDOMScreen)},
    {L"IDOMButton", L"{50071b1d-5d7c-4769-b190-6e5d39624f23}", L"IDOMNode", true, nullptr, 2,
     VELMOR_TYPELIB_MEMBERS(kDOMButton)},
    {L"IDOMImage", L"{807b652b-b677-432b-bf63-14aa847d8da9}", L"IDOMNode", true, nullptr, 2,
     VELMOR_TYPELIB_MEMBERS(kDOMImage)},
    {L"IDOMLabel", L"{6b5ff250-e8d5-41a6-a8c9-0fcd74d65fd5}", L"IDOMNode", true, nullptr, 4,
     VELMOR_TYPELIB_MEMBERS(kDOMLabel)},
    {L"IDOMTextBox", L"{3b897d2a-a3c2-4af4-aba6-2293fe84341e}", L"IDOMNode", true, nullptr, 9,
     VELMOR_TYPELIB_MEMBERS(kDOMTextBox)},
    {L"IDOMDateTimePicker", L"{948d87c9-a0aa-4993-9c01-8dad494c8ab3}", L"IDOMNode", true, nullptr,
     2, VELMOR_TYPELIB_MEMBERS(kDOMDateTimePicker)},
    {L"IDOMSplitter", L"{1839c33d-0f6e-4a48-b236-ba071c341319}", L"IDOMNode", true, nullptr, 10,
     VELMOR_TYPELIB_MEMBERS(kDOMSplitter)},
    {L"IDOMWidgetWrapper", L"{7a1395fb-8f5e-4eec-8ebd-d974efeb0789}", L"IDOMNode", true, nullptr,
     3, VELMOR_TYPELIB_MEMBERS(kDOMWidgetWrapper)},
    {L"IDOMMenuPopup", L"{662f5738-1b7e-48f2-be7d-0fdd8a111c15}", L"IDOMNode", true, nullptr, 2,
     VELMOR_TYPELIB_MEMBERS(kDOMMenuPopup)},
    {L"IDOMMenuItem", L"{85281566-bc21-46b9-92e5-14304abc8655}", L"IDOMNode", true, nullptr, 4,
     VELMOR_TYPELIB_MEMBERS(kDOMMenuItem)},
    {L"IDOMKeyShortcut", L"{a2433c63-aff8-4047-93f4-e0836f96ace5}", L"IDOMNode", true, nullptr, 4,
     VELMOR_TYPELIB_MEMBERS(kDOMKeyShortcut)},
    {L"IDOMFocusableNode", L"{992c1d85-670d-4354-bdd5-e70b8af1a706}", L"IDispatch", true, nullptr,
     2, VELMOR_TYPELIB_MEMBERS(kDOMFocusableNode)},
    {L"IDOMEvent", L"{abbafff1-7fcf-4030-8f6b-e20948d10503}", L"IDispatch", true, nullptr, 4,
     VELMOR_TYPELIB_MEMBERS(kDOMEvent)},
    {L"IDOMMouseEvent", L"{6c717fc2-dec0-4f39-9bcd-219b78acac70}", L"IDOMEvent", true, nullptr,
     12, VELMOR_TYPELIB_MEMBERS(kDOMMouseEvent)},
    {L"IDOMEventTarget", L"{7ed32491-8965-417a-875b-ae75ce51fb31}", L"IDispatch", true, nullptr,
     3, VELMOR_TYPELIB_MEMBERS(kDOMEventTarget)},
    {L"IJSObject", L"{c8c36b28-1c5e-4194-b94f-e77cd42faf91}", L"IDispatch", false, nullptr, 2,
     VELMOR_TYPELIB_MEMBERS(kJSObject)},
    {L"IJSSubScriptLoader", L"{df714d7b-1a9d-47b7-aaa8-f62ff1652dd8}", L"IDispatch", true,
     L"IJSSubScriptLoader Interface", 4, VELMOR_TYPELIB_MEMBERS(kJSSubScriptLoader)},
    {L"IScriptControl", L"{f1c361f9-0a71-4fd1-89aa-93758f56e1ad}", L"IUnknown", false,
     L"IScriptControl Interface", 4, VELMOR_TYPELIB_MEMBERS(kScriptControl)},
    {L"IScriptControlDebug", L"{90db9bb8-3dfc-4514-99f7-1b89c4f9261b}", L"IUnknown", false,
     nullptr, 2, VELMOR_TYPELIB_MEMBERS(kScriptControlDebug)},
    {L"IMessageManager", L"{d7ecf653-417f-4931-99a4-4efc8a325b82}", L"IDispatch", true, nullptr,
     5, VELMOR_TYPELIB_MEMBERS(kMessageManager)},
    {L"IMsgFilter", L"{342c28de-f693-435d-b928-efb14e2d9b8f}", L"IUnknown", false, nullptr, 1,
     VELMOR_TYPELIB_MEMBERS(kMsgFilter)},
    {L"IIdleHandler", L"{02dec708-2a6d-4c66-94be-9f8209e17ef8}", L"IUnknown", false, nullptr, 1,
     VELMOR_TYPELIB_MEMBERS(kIdleHandler)},
    {L"IMainWindow", L"{b353d82f-3dfe-4681-a408-7a475c7c6a59}", L"IDispatch", true, nullptr, 4,
     VELMOR_TYPELIB_MEMBERS(kMainWindow)},
};

#undef VELMOR_TYPELIB_MEMBERS

inline constexpr bool ListsMatchCounts() {
  for (const ExpectedInterface& i : kInterfaces) {
    if (i.listedMembers != i.memberCount) return false;
  }
  return true;
}
static_assert(std::size(kInterfaces) == 30, "the library declares thirty interfaces");
static_assert(ListsMatchCounts(), "an interface's member list disagrees with its member count");

inline constexpr ExpectedCoClass kCoClasses[] = {
    {L"MainWindow", L"{46c42b8f-a484-45c8-9177-42baca90f612}", nullptr},
    {L"Script", L"{55ba90a8-5cdb-4541-b255-ce30b1e062c1}", L"Script Class"},
    {L"MessageManager", L"{c0f49703-6b7b-4362-83f1-24c334f41c5e}", L"MessageManager Class"},
};

// The records the message manager passes to script filters, fields in order.
inline constexpr ExpectedField kMsgFields[] = {
    {L"hwnd", FieldType::kRemotableWindowHandle},
    {L"message", FieldType::kUInt32},
    {L"wParam", FieldType::kUIntPtr},
    {L"lParam", FieldType::kIntPtr},
    {L"time", FieldType::kUInt32},
    {L"pt", FieldType::kPointRecord},
};

inline constexpr ExpectedField kPointFields[] = {
    {L"x", FieldType::kInt32},
    {L"y", FieldType::kInt32},
};

inline constexpr ExpectedRecord kRecords[] = {
    {L"tagMSG", kMsgFields, std::size(kMsgFields)},
    {L"tagPOINT", kPointFields, std::size(kPointFields)},
};

}  // namespace velmor::test::typelib
