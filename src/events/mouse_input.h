// The mouse side of a document window: turns the window's mouse messages into DOM mouse events
// on its elements (hit test, active and hover elements, synthesised "click", "mouseover" and
// "mouseout"), shows element tooltips and keeps the state the window's scIEventStateManager
// answers. The document owns one and forwards its mouse messages and state calls to it.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "events/event_state_manager.h"
#include "events/mouse_event_record.h"
#include "skin/content.h"

namespace velmor {

class scMouseInput {
 public:
  // 'stateManager' is the owning document's scIEventStateManager (not owned): records carry it
  // so event objects can reach the window.
  explicit scMouseInput(scIEventStateManager* stateManager) : m_stateManager(stateManager) {}
  ~scMouseInput() { Reset(); }
  scMouseInput(const scMouseInput&) = delete;
  scMouseInput& operator=(const scMouseInput&) = delete;

  // WM_MOUSEMOVE, the button messages, WM_MOUSELEAVE and WM_CAPTURECHANGED; false for any other
  // message. 'root' is the document's root element (may be null).
  bool HandleMessage(HWND window, scIContent* root, UINT message, WPARAM wParam, LPARAM lParam);

  // scIEventStateManager
  HRESULT GetContentState(scIContent* element, ULONG* state);
  HRESULT SetContentState(scIContent* element, ULONG state);

  // Forgets every element it holds (the window is going); the tooltip window goes with its
  // owner.
  void Reset();

  // The next mouse move sets the cursor again even when it has not changed: something other
  // than this window (the non-client area, another window, a new capture) may have replaced it.
  void ForgetCursor() { m_cursorSet = false; }

  scIContent* ActiveElement() const { return m_active.Get(); }
  scIContent* HoverElement() const { return m_hover.Get(); }
  HWND TooltipWindow() const { return m_tooltip; }
  bool TrackingLeave() const { return m_trackingLeave; }

  // The deepest element under (x, y), given relative to 'element', or null. Invisible and
  // disabled elements (with everything inside them) are transparent; a pass-through element is
  // never hit itself but its children are; earlier children win where they overlap.
  static scIContent* HitTest(scIContent* element, int x, int y);

 private:
  // A mouse record for the current message.
  void FillRecord(scMouseEventRecord& record, LONG button, POINT point);
  scIContent* HitOrRoot(scIContent* root, POINT point);
  void Dispatch(scIContent* target, scMouseEventRecord& record);
  void HoverStep(const scMouseEventRecord& record, scIContent* element);
  void TooltipStep(scIContent* element);
  void RelayToTooltip();
  bool EnsureTooltipWindow();
  bool AnyButtonDown() const;
  void UpdateCursor(scIContent* element);

  void OnMouseMove(scIContent* root, POINT point);
  void OnLeftDown(scIContent* root, POINT point);
  void OnLeftUp(scIContent* root, POINT point);
  void OnDoubleClick(scIContent* root, POINT point);
  void OnRightDown(scIContent* root, POINT point);
  void OnMouseLeave();

  scIEventStateManager* m_stateManager;
  // The message being handled (records and the tooltip relay read it).
  HWND m_window = nullptr;
  UINT m_message = 0;
  WPARAM m_wParam = 0;
  LPARAM m_lParam = 0;
  // Whether m_wParam holds the MK_ flags of a client mouse message: then the buttons, Shift and
  // Ctrl are read from it instead of asking the key state (a round trip to the window server
  // under Wine).
  bool m_mouseKeys = false;
  // The last system cursor loaded and its handle (system cursors are shared, loaded once).
  LPCWSTR m_cursorId = nullptr;
  HCURSOR m_cursor = nullptr;
  bool m_cursorSet = false;  // m_cursor is what this window set last and nothing replaced it

  ComPtr<scIContent> m_active;       // the element the left button went down on
  ComPtr<scIContent> m_stateHover;   // the hover element as the state manager reports it
  ComPtr<scIContent> m_hover;        // the element that last received "mouseover"
  scIContent* m_entering = nullptr;  // set only while "mouseover" is being dispatched
  bool m_trackingLeave = false;
  HWND m_tooltip = nullptr;
  ComPtr<scIContent> m_tooltipElement;
};

}  // namespace velmor
