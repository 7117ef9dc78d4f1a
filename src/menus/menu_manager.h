// scMenuManager: the menus of one document window. It shows a "menupopup" as a native popup menu
// at a point computed from an anchor element (a menubar title, a menu button, or whatever a
// script names), tracks it with the window as owner, lets the mouse slide from one menubar title
// to the next while a menu is open, and delivers the chosen item as a "command" event once the
// menu has closed (posted, so the item's handlers run from the message loop, not inside the
// menu's own).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/com_object.h"
#include "base/window_impl.h"
#include "skin/content.h"

namespace velmor {
class scMenuManager;
}

// Answered by the document window: its menu manager, which its menu elements use.
struct scIMenuManagerHost : public IUnknown {
  virtual velmor::scMenuManager* STDMETHODCALLTYPE MenuManager() = 0;
};
__CRT_UUID_DECL(scIMenuManagerHost, 0x0f5e6b92, 0x3c71, 0x4d28, 0x9b, 0x8a, 0x61, 0xe4, 0x2d, 0x07,
                0xc5, 0x3a)

namespace velmor {

// The menu manager of the document that holds 'element'; null outside a document.
scMenuManager* MenuManagerOf(scIContent* element);

// Where a popup goes: its reference point on the screen and the TrackPopupMenuEx alignment flags
// saying which corner of the menu lies on it.
struct scPopupPlacement {
  POINT point{};
  UINT flags = 0;
};

// The anchor attributes that choose a placement.
struct scPopupAnchor {
  RECT screen{};             // the anchor's box in screen coordinates
  std::wstring position;     // "after_start", ...
  std::wstring popupanchor;  // "topleft", ... (used when the position is none of the table's)
  std::wstring popupalign;
};

// The placement for an anchor and a position word: the anchor corner the position names plus
// (x, y); words outside the table take the corner from popupanchor and the flags from popupalign.
scPopupPlacement PlacePopup(const scPopupAnchor& anchor, int x, int y);

class scMenuManager final : public CMessageMap {
 public:
  scMenuManager() = default;
  ~scMenuManager() override { Detach(); }
  scMenuManager(const scMenuManager&) = delete;
  scMenuManager& operator=(const scMenuManager&) = delete;

  // Starts serving 'host' (the document's window): the thread's message hook, which lets the
  // mouse slide between menubar titles, is installed for the first manager of a thread.
  void Attach(HWND host);
  // The window is going: the hook goes with the thread's last manager, and commands posted but not
  // yet delivered are dropped with the references they held.
  void Detach();

  // Runs the popup of a menubar title or a menu button under it (position "after_start", the
  // opener's own popup attributes winning) and, when the mouse slid onto another title meanwhile,
  // posts the opening of that title's menu.
  HRESULT RunMenu(scIContent* opener);
  // Shows 'popup' placed at 'anchor' (null: at the window's client origin plus (x, y)).
  // With 'attributesOverride' an anchor's own popupanchor, popupalign or position attributes
  // win over the arguments, x and y included.
  HRESULT OpenPopup(scIContent* popup, scIContent* anchor, std::wstring_view position, int x, int y,
                    bool attributesOverride);
  // Shows 'popup' with its reference point at the screen point (x, y); -1 for either takes the
  // mouse cursor's position.
  HRESULT OpenPopupAtScreen(scIContent* popup, int x, int y, UINT flags = 0);

  HWND HostWindow() const { return m_host; }
  bool IsTracking() const { return m_tracking; }
  // The native menu windows now on screen, the topmost last.
  const std::vector<HWND>& MenuWindows() const { return m_menuWindows; }

  // Map 0 (the host window's): the two posted messages, auto-popup and command. Map 3 (messages
  // for the host window or its open menus, seen by the thread's hook while a menu is tracked):
  // mouse moves.
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result, DWORD mapId = 0) override;

  // The registered messages: open the menubar title at index wParam; deliver command lParam of
  // the popup element in wParam (which holds one reference).
  static UINT AutoPopupMessage();
  static UINT CommandMessage();

 private:
  HRESULT Track(scIContent* popup, HMENU menu, POINT point, UINT flags);
  // A mouse move seen while a menu is tracked, at a screen point: onto another title of the
  // open menu's menubar, it closes the menu and has that title's menu opened next.
  void OnTrackedMouseMove(POINT screen);
  void OpenTitleAt(int index);
  static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

  HWND m_host = nullptr;
  ComPtr<scIContent> m_menuBar;    // the menubar of the open menu
  ComPtr<scIContent> m_opener;     // the title or button that opened it
  ComPtr<scIContent> m_nextTitle;  // the title the mouse slid onto meanwhile
  bool m_tracking = false;
  POINT m_hookPoint{};  // the screen position of the message the hook offers to map 3
  std::vector<HWND> m_menuWindows;
};

}  // namespace velmor
