// Script timers of one document window: setTimeout and setInterval. Each timer is a
// reference-counted record in a list ordered by due time. The platform timer component does the
// waiting; its callback only posts kTimerMessage to the window, so every expression is evaluated
// on the UI thread from whichever message loop runs (the application's or a modal dialog's).
// An interval is armed again only after its expression has ended: runs never overlap and a slow
// expression stretches the period.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "base/com_object.h"
#include "components/component_manager.h"
#include "script/script_context.h"

namespace velmor {

// Posted to a document window when one of its timers is due: wParam is the timer record, with
// one reference that travels with the message; lParam is 0.
inline constexpr UINT kTimerMessage = WM_USER + 204;

// Timers are never due sooner than this, whatever delay a script asks for.
inline constexpr LONG kMinTimerDelay = 10;

class scTimer;

class scTimerList {
 public:
  scTimerList() = default;
  scTimerList(const scTimerList&) = delete;
  scTimerList& operator=(const scTimerList&) = delete;
  // Cancels what is left (a window destroyed without its WM_DESTROY being seen).
  ~scTimerList() { CancelAll(nullptr); }

  // Arms a timer that posts to 'window' after 'msec' milliseconds (at least kMinTimerDelay) and
  // then evaluates 'expression'; with 'repeat' it does so every 'msec' milliseconds until
  // cleared. Answers the timer's identifier (2 for a document's first timer, then counting up).
  // E_POINTER for a null 'id', E_INVALIDARG for a null expression, E_UNEXPECTED without a window.
  [[nodiscard]] HRESULT Add(HWND window, BSTR expression, LONG msec, bool repeat, LONG* id);
  // Stops the timer with this identifier; an unknown identifier changes nothing. A timer clearing
  // itself from its own expression ends after that run.
  void Clear(LONG id);
  // Cancels every timer (the window is being destroyed): none of them runs afterwards, and the
  // timer messages already queued for 'window' are taken back with their references.
  void CancelAll(HWND window);
  // The timer message: evaluates the timer's expression in 'context' and arms an interval
  // again. Records this list does not know, and cancelled ones, are ignored.
  void OnTimerMessage(WPARAM wParam, scIScriptContext* context);

  // Timers waiting or running.
  size_t Count() const;
  // Timer records alive in the process, for leak checks.
  static long LiveRecords();

 private:
  void Insert(scTimer* timer);
  void Unlink(scTimer* timer);
  // The record 'candidate' points to when it is one of ours (waiting, or cleared with its
  // message still queued); else null.
  scTimer* Find(WPARAM candidate) const;
  void ReleaseQueuedMessage(scTimer* timer);

  // Due-time order, ties in order of insertion.
  scTimer* m_first = nullptr;
  scTimer* m_last = nullptr;
  // Cleared timers whose message is still queued, so that its reference is taken back.
  scTimer* m_retired = nullptr;
  LONG m_lastId = 1;
};

}  // namespace velmor
