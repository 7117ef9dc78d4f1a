// Reflection of child-control notifications. A window that hosts native controls sends the
// notifications and colour requests a control makes of its parent back to that control, as the
// same message numbered kReflectedBase higher, so each control handles its own clicks and
// colours. Only controls that asked for it receive reflected messages: a foreign child window
// would not know them, and its parent's default answer (a colour request's system brush, say)
// must stand.
#pragma once
#include <windows.h>

namespace velmor {

// Reflected messages are numbered this much above the messages they reflect.
constexpr UINT kReflectedBase = 0x2000;

// Whether 'message' is one that a parent reflects (WM_COMMAND, WM_NOTIFY, the owner-draw and
// scroll messages, the colour requests and WM_PARENTNOTIFY).
bool IsReflectableMessage(UINT message);

// The child control a reflectable message of 'parent' came from, or null.
HWND ReflectionTarget(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);

// Marks a control as one that takes reflected messages, or withdraws the mark (when it is
// destroyed, at the latest on its WM_NCDESTROY: a later window may be given the same handle).
[[nodiscard]] HRESULT AcceptReflectedMessages(HWND control);
void RefuseReflectedMessages(HWND control);

// The parent's side: sends message + kReflectedBase to the control it came from when that
// control takes reflected messages. False (nothing sent) otherwise.
bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result);

// The control's side, for reflected messages its map does not handle: the answer the parent's
// default procedure would have given. False for any other message.
bool DefaultReflectionHandler(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result);

}  // namespace velmor

// In a message map: REFLECT_NOTIFICATIONS() on the parent, DEFAULT_REFLECTION_HANDLER() last in a
// control's map.
#define REFLECT_NOTIFICATIONS()                                                               \
  if (::velmor::ReflectNotification(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define DEFAULT_REFLECTION_HANDLER()                                                          \
  if (::velmor::DefaultReflectionHandler(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;
