#include "menus/menu_manager.h"

#include <algorithm>
#include <map>

#include "base/deferred_invalidation.h"
#include "events/mouse_input.h"
#include "menus/menu_content.h"
#include "skin/attribute_readers.h"
#include "skin/text_base_content.h"

namespace velmor {
namespace {

// Which corner of a box a word names; the same words give the alignment flags of popupalign.
struct Corner {
  const wchar_t* word;
  bool right;
  bool bottom;
};
const Corner kCorners[] = {{L"topleft", false, false},
                           {L"topright", true, false},
                           {L"bottomleft", false, true},
                           {L"bottomright", true, true}};

UINT CornerFlags(bool right, bool bottom) {
  return (right ? TPM_RIGHTALIGN : 0u) | (bottom ? TPM_BOTTOMALIGN : 0u);
}

const Corner* FindCorner(const std::wstring& word) {
  for (const Corner& corner : kCorners) {
    if (word == corner.word) return &corner;
  }
  return nullptr;
}

// A position word: the anchor corner the menu is placed at and the corner of the menu that lies
// there ("after_start": under the anchor, left edges together).
struct Position {
  const wchar_t* word;
  bool anchorRight;
  bool anchorBottom;
  bool menuRight;
  bool menuBottom;
};
const Position kPositions[] = {
    {L"before_start", false, false, false, true}, {L"before_end", true, false, true, true},
    {L"after_start", false, true, false, false},  {L"after_end", true, true, true, false},
    {L"start_before", false, false, true, false}, {L"start_after", false, true, true, true},
    {L"end_before", true, false, false, false},   {L"end_after", true, true, false, true},
    {L"overlap", false, false, false, false},     {L"after_pointer", false, false, false, false},
};

// The element's box in its window's client coordinates and the window; false outside a window.
bool ClientBox(scIContent* element, HWND* window, RECT* box) {
  scITextBaseContent* impl = scITextBaseContent::FromContent(element);
  if (impl == nullptr || impl->OwnerDocument() == nullptr) return false;
  ComPtr<scIWidget> widget;
  if (FAILED(impl->OwnerDocument()->QueryInterface(IID_PPV_ARGS(&widget))) ||
      FAILED(widget->GetWindow(window)) || *window == nullptr)
    return false;
  LONG x = 0, y = 0;
  for (scITextBaseContent* e = impl; e != nullptr; e = e->ParentElement()) {
    x += e->Rect().x;
    y += e->Rect().y;
  }
  *box = RECT{x, y, x + impl->Rect().width, y + impl->Rect().height};
  return true;
}

bool ScreenBox(scIContent* element, RECT* box) {
  HWND window = nullptr;
  if (!ClientBox(element, &window, box)) return false;
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(box), 2);
  return true;
}

std::wstring StringAttr(scIContent* element, const wchar_t* name) {
  std::wstring value;
  GetStringAttr(element, name, value);
  return value;
}

// The manager inside TrackPopupMenuEx now (tracking is never nested) and its CBT hook.
scMenuManager* s_tracking = nullptr;
HHOOK s_cbtHook = nullptr;

// The message hook of each thread that has managers, with the number of them.
struct ThreadHook {
  HHOOK hook = nullptr;
  int uses = 0;
};
std::map<DWORD, ThreadHook>* s_threadHooks = nullptr;

bool IsMenuWindow(HWND window) {
  wchar_t name[8] = L"";
  ::GetClassNameW(window, name, 8);
  return wcsncmp(name, L"#32768", 7) == 0;
}

}  // namespace

scPopupPlacement PlacePopup(const scPopupAnchor& anchor, int x, int y) {
  bool right = false, bottom = false;
  scPopupPlacement placement;
  const Position* position = nullptr;
  for (const Position& p : kPositions) {
    if (anchor.position == p.word) position = &p;
  }
  if (position != nullptr) {
    right = position->anchorRight;
    bottom = position->anchorBottom;
    placement.flags = CornerFlags(position->menuRight, position->menuBottom);
  } else {
    if (const Corner* corner = FindCorner(anchor.popupanchor)) {
      right = corner->right;
      bottom = corner->bottom;
    }
    if (const Corner* align = FindCorner(anchor.popupalign))
      placement.flags = CornerFlags(align->right, align->bottom);
  }
  placement.point.x = (right ? anchor.screen.right : anchor.screen.left) + x;
  placement.point.y = (bottom ? anchor.screen.bottom : anchor.screen.top) + y;
  return placement;
}

scMenuManager* MenuManagerOf(scIContent* element) {
  scITextBaseContent* impl = scITextBaseContent::FromContent(element);
  if (impl == nullptr || !impl->IsInDocument() || impl->OwnerDocument() == nullptr) return nullptr;
  ComPtr<scIMenuManagerHost> host;
  if (FAILED(impl->OwnerDocument()->QueryInterface(IID_PPV_ARGS(&host)))) return nullptr;
  return host->MenuManager();
}

UINT scMenuManager::AutoPopupMessage() {
  static const UINT s_message = ::RegisterWindowMessageW(L"WTL_CmdBar_InternalAutoPopupMsg");
  return s_message;
}

UINT scMenuManager::CommandMessage() {
  static const UINT s_message = ::RegisterWindowMessageW(L"WTL_CmdBar_InternalCommand");
  return s_message;
}

void scMenuManager::Attach(HWND host) {
  if (m_host != nullptr) Detach();
  m_host = host;
  if (s_threadHooks == nullptr) s_threadHooks = new (std::nothrow) std::map<DWORD, ThreadHook>();
  if (s_threadHooks == nullptr) return;
  const DWORD thread = ::GetCurrentThreadId();
  ThreadHook& entry = (*s_threadHooks)[thread];
  if (entry.uses++ == 0)
    entry.hook = ::SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, thread);
}

void scMenuManager::Detach() {
  if (m_host == nullptr) return;
  // Commands posted for this window but not delivered hold their popups.
  MSG msg;
  while (::PeekMessageW(&msg, m_host, CommandMessage(), CommandMessage(), PM_REMOVE)) {
    if (auto* popup = reinterpret_cast<scIContent*>(msg.wParam)) popup->Release();
  }
  m_host = nullptr;
  m_menuBar.Reset();
  m_opener.Reset();
  m_nextTitle.Reset();
  if (s_threadHooks == nullptr) return;
  auto entry = s_threadHooks->find(::GetCurrentThreadId());
  if (entry == s_threadHooks->end() || --entry->second.uses > 0) return;
  if (entry->second.hook != nullptr) ::UnhookWindowsHookEx(entry->second.hook);
  s_threadHooks->erase(entry);
  if (s_threadHooks->empty()) {
    delete s_threadHooks;
    s_threadHooks = nullptr;
  }
}

HRESULT scMenuManager::RunMenu(scIContent* opener) {
  scITextBaseContent* impl = scITextBaseContent::FromContent(opener);
  if (impl == nullptr || dynamic_cast<scMenuPopup*>(impl->FirstChild()) == nullptr) return S_FALSE;
  ComPtr<scIContent> keep(opener);
  m_opener = opener;
  if (auto* bar = dynamic_cast<scMenuBar*>(impl->ParentElement())) m_menuBar = bar;
  const HRESULT shown =
      OpenPopup(impl->FirstChild(), opener, L"after_start", 0, 0, /*attributesOverride=*/true);
  // The mouse slid onto another title meanwhile: open that one from the message loop.
  if (m_nextTitle) {
    const int index = m_menuBar ? m_menuBar->IndexOf(m_nextTitle.Get()) : -1;
    if (index >= 0 && m_host != nullptr)
      ::PostMessageW(m_host, AutoPopupMessage(), static_cast<WPARAM>(index), 0);
    m_nextTitle.Reset();
  } else {
    m_menuBar.Reset();
  }
  m_opener.Reset();
  return shown;
}

HRESULT scMenuManager::OpenPopup(scIContent* popup, scIContent* anchor, std::wstring_view position,
                                 int x, int y, bool attributesOverride) {
  scPopupAnchor place;
  if (anchor == nullptr || !ScreenBox(anchor, &place.screen)) {
    POINT origin{0, 0};
    ::ClientToScreen(m_host, &origin);
    return OpenPopupAtScreen(popup, origin.x + x, origin.y + y, 0);
  }
  place.position = StringAttr(anchor, L"position");
  place.popupanchor = StringAttr(anchor, L"popupanchor");
  place.popupalign = StringAttr(anchor, L"popupalign");
  const bool anchorChooses =
      anchor->HasAttr(L"position") || anchor->HasAttr(L"popupanchor") || anchor->HasAttr(L"popupalign");
  if (!attributesOverride) {
    if (!position.empty()) place.position.assign(position);
  } else if (!anchorChooses) {
    place.position.assign(position);
  } else {
    x = y = 0;
  }
  const scPopupPlacement placement = PlacePopup(place, x, y);
  return OpenPopupAtScreen(popup, placement.point.x, placement.point.y, placement.flags);
}

HRESULT scMenuManager::OpenPopupAtScreen(scIContent* popup, int x, int y, UINT flags) {
  auto* impl = dynamic_cast<scMenuPopup*>(scITextBaseContent::FromContent(popup));
  RETURN_HR_IF(E_INVALIDARG, impl == nullptr);
  RETURN_HR_IF(E_UNEXPECTED, m_host == nullptr);
  ComPtr<scMenuPopup> keep(impl);
  HMENU menu = nullptr;
  RETURN_IF_FAILED(impl->GetNativeMenu(true, &menu));
  POINT point{x, y};
  if (x == -1 || y == -1) ::GetCursorPos(&point);
  return Track(impl, menu, point, flags | TPM_VERTICAL);
}

HRESULT scMenuManager::Track(scIContent* popup, HMENU menu, POINT point, UINT flags) {
  RETURN_HR_IF(E_UNEXPECTED, s_tracking != nullptr);
  // A point beside every screen moves onto the nearest one, horizontally only.
  if (::MonitorFromPoint(point, MONITOR_DEFAULTTONULL) == nullptr) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
      if (point.x < info.rcWork.left) point.x = info.rcWork.left;
      if (point.x > info.rcWork.right) point.x = info.rcWork.right;
    }
  }
  // What changed before the menu opens (the title drawn pressed) shows behind it.
  FlushDeferredInvalidations();
  s_tracking = this;
  s_cbtHook = ::SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, ::GetCurrentThreadId());
  m_tracking = true;
  const UINT command = static_cast<UINT>(
      ::TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, point.x, point.y, m_host, nullptr));
  m_tracking = false;
  if (s_cbtHook != nullptr) ::UnhookWindowsHookEx(s_cbtHook);
  s_cbtHook = nullptr;
  s_tracking = nullptr;
  m_menuWindows.clear();
  if (command == 0 || m_host == nullptr) return S_OK;
  // The item's handlers run once the menu has gone, from the message loop.
  popup->AddRef();
  if (!::PostMessageW(m_host, CommandMessage(), reinterpret_cast<WPARAM>(popup),
                      static_cast<LPARAM>(command)))
    popup->Release();
  return S_OK;
}

LRESULT CALLBACK scMenuManager::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (s_tracking != nullptr && (code == HCBT_CREATEWND || code == HCBT_DESTROYWND)) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    std::vector<HWND>& stack = s_tracking->m_menuWindows;
    if (IsMenuWindow(window)) {
      if (code == HCBT_CREATEWND)
        stack.push_back(window);
      else if (!stack.empty())
        stack.pop_back();
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK scMenuManager::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && s_tracking != nullptr) {
    // While a menu is open the mouse messages go to the host window (which has the capture) on
    // some platforms and to the menu windows themselves on others; the host's map sees both,
    // with the message's screen position.
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    const std::vector<HWND>& menus = s_tracking->m_menuWindows;
    if (msg != nullptr && msg->hwnd != nullptr &&
        (msg->hwnd == s_tracking->m_host ||
         std::find(menus.begin(), menus.end(), msg->hwnd) != menus.end())) {
      LRESULT result = 0;
      s_tracking->m_hookPoint = msg->pt;
      (void)s_tracking->ProcessWindowMessage(s_tracking->m_host, msg->message, msg->wParam,
                                             msg->lParam, result, 3);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL scMenuManager::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result, DWORD mapId) {
  result = 0;
  if (mapId == 3) {
    if (message == WM_MOUSEMOVE) OnTrackedMouseMove(m_hookPoint);
    return FALSE;
  }
  if (mapId != 0) return FALSE;
  if (message == AutoPopupMessage()) {
    OpenTitleAt(static_cast<int>(wParam));
    return TRUE;
  }
  if (message == CommandMessage()) {
    // Adopts the reference taken when the command was posted.
    ComPtr<scIContent> popup;
    *popup.GetAddressOf() = reinterpret_cast<scIContent*>(wParam);
    if (auto* impl = dynamic_cast<scMenuPopup*>(scITextBaseContent::FromContent(popup.Get())))
      (void)impl->ExecuteCommand(static_cast<int32_t>(lParam));
    return TRUE;
  }
  return FALSE;
}

void scMenuManager::OnTrackedMouseMove(POINT screen) {
  if (!m_opener || !m_menuBar || m_menuWindows.empty()) return;
  POINT client = screen;
  ::ScreenToClient(m_host, &client);
  HWND window = nullptr;
  RECT bar{};
  if (!ClientBox(m_menuBar.Get(), &window, &bar) || window != m_host) return;
  scIContent* hit = scMouseInput::HitTest(m_menuBar.Get(), client.x - bar.left, client.y - bar.top);
  if (dynamic_cast<scMenu*>(hit) == nullptr || hit == m_opener.Get() || hit == m_nextTitle.Get())
    return;
  m_nextTitle = hit;
  const HWND top = m_menuWindows.back();
  ::PostMessageW(top, WM_LBUTTONUP, 0, MAKELPARAM(screen.x, screen.y));
  ::PostMessageW(top, WM_KEYDOWN, VK_ESCAPE, 0);
}

void scMenuManager::OpenTitleAt(int index) {
  if (!m_menuBar || index < 0) return;
  ComPtr<scIContent> bar = m_menuBar;
  if (auto* title = dynamic_cast<scMenu*>(bar->GetChildAt(static_cast<UINT>(index))))
    title->OpenTitle();
}

}  // namespace velmor
