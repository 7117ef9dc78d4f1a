// The framework message loop: idle processing once per empty queue, message filtering before
// translation and dispatch, and an early end when a quit has been requested.
#pragma once
#include <windows.h>

namespace velmor {

// A native message filter: sees each message of a loop before translation and dispatch.
class CMessageFilter {
 public:
  // TRUE swallows the message.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

// A native idle handler: runs when the queue of a loop runs empty.
class CIdleHandler {
 public:
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  CMessageLoop() = default;
  CMessageLoop(const CMessageLoop&) = delete;
  CMessageLoop& operator=(const CMessageLoop&) = delete;
  virtual ~CMessageLoop() = default;

  // TRUE when the message was handled and must be neither translated nor dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
  // Called when the queue runs empty; returning FALSE ends idle processing until the next
  // message that counts as activity.
  virtual BOOL OnIdle(int idleCount) { return FALSE; }

  // Runs until WM_QUIT or until a quit has been requested; answers the wParam of the last
  // message retrieved.
  virtual int Run();

  // Whether a message re-enables idle processing: every message except mouse moves, paints and
  // the caret blink.
  static bool CountsAsActivity(const MSG& msg);

 protected:
  // Set by a loop whose owner asked it to stop after the message being handled.
  virtual bool QuitRequested() const { return false; }

  MSG m_msg{};
};

}  // namespace velmor
