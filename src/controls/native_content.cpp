#include "controls/native_content.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/platform_text.h"
#include "skin/anchor_layout.h"
#include "skin/attribute_readers.h"
#include "skin/layout_pass.h"

namespace velmor::native {

bool FindHostWindow(scITextBaseContent* element, HWND& host, POINT& at) {
  if (element == nullptr) return false;
  int32_t x = element->Rect().x;
  int32_t y = element->Rect().y;
  for (scITextBaseContent* ancestor = element->ParentElement(); ancestor != nullptr;
       ancestor = ancestor->ParentElement()) {
    ComPtr<scIWidget> widget;
    HWND window = nullptr;
    if (SUCCEEDED(ancestor->QueryInterface(IID_PPV_ARGS(&widget))) &&
        SUCCEEDED(widget->GetWindow(&window)) && window != nullptr) {
      host = window;
      at = POINT{x, y};
      return true;
    }
    x = anchor::Add(x, ancestor->Rect().x);
    y = anchor::Add(y, ancestor->Rect().y);
  }
  return false;
}

bool IsDisabled(scIContent* element) {
  bool disabled = false;
  return GetBoolAttr(element, L"disabled", disabled) && disabled;
}

DWORD BaseStyle(scITextBaseContent* element) {
  DWORD style = kBaseStyle;
  if (element->IsShownInTree()) style |= WS_VISIBLE;
  if (IsDisabled(element)) style |= WS_DISABLED;
  return style;
}

bool ControlText(scIContent* element, const wchar_t* name, std::wstring& text) {
  if (!GetStringAttr(element, name, text)) return false;
  if (text.size() > kMaxPlatformText) text = BoundedText(text);
  return true;
}

namespace {
void RetryWaiters(HWND control);
}  // namespace

void PlaceOverElement(scITextBaseContent* element, HWND window, HWND host, RECT* placed) {
  if (window == nullptr || !element->IsShownInTree()) return;
  HWND found = nullptr;
  POINT at{};
  if (!FindHostWindow(element, found, at) || found != host) return;
  const scRect& r = element->Rect();
  const RECT box{at.x, at.y, anchor::Add(at.x, r.width), anchor::Add(at.y, r.height)};
  if (placed != nullptr && ::EqualRect(placed, &box)) return;
  ::MoveWindow(window, at.x, at.y, r.width, r.height, TRUE);
  if (placed != nullptr) *placed = box;
  RetryWaiters(window);
}

void ShowWithElement(scITextBaseContent* element, HWND window, HWND host, RECT* placed) {
  if (window == nullptr) return;
  const bool shown = element->IsShownInTree();
  if (shown) PlaceOverElement(element, window, host, placed);
  const bool visible = (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible == shown) return;
  ::ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
  if (!shown) RetryWaiters(window);
}

HBRUSH CreateBrush(uint32_t argb) { return ::CreateSolidBrush(ToColorRef(argb)); }

void InitControlClasses() {
  static const bool s_done = [] {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
    return ::InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)s_done;
}

namespace {

// A made control of the thread: its host and where it stands, kept by its element.
struct OrderedControl {
  HWND host;
  uint64_t order;
  const RECT* placed;  // the control's box in its host, kept by its element
};

// The thread's state of its native controls (controls live on the thread of their window):
// each made control, the made controls of each host by bind order, the elements waiting under a
// control by that control and the control each waits under, and how many platform windows each
// host's controls take. Every look-up is by key: a skin may hold tens of thousands of native
// elements, and each layout asks again for every one whose control is not made yet.
struct ControlRegistry {
  std::unordered_map<HWND, OrderedControl> controls;
  std::unordered_map<HWND, std::map<uint64_t, HWND>> byHost;
  std::unordered_map<HWND, std::unordered_set<scNativeWaiter*>> covered;
  std::unordered_map<scNativeWaiter*, HWND> waiters;
  std::unordered_map<HWND, int> counts;  // platform windows per host, kBoundReported once told
  std::vector<HWND> moved;  // covering controls moved or hidden during the layout pass
};

ControlRegistry& Registry() {
  thread_local ControlRegistry s_registry;
  return s_registry;
}

constexpr int kBoundReported = 1 << 24;

void WaitUnder(HWND cover, scNativeWaiter* waiter) {
  ControlRegistry& registry = Registry();
  const auto found = registry.waiters.find(waiter);
  if (found != registry.waiters.end() && found->second == cover) return;
  StopWaiting(waiter);
  registry.waiters.emplace(waiter, cover);
  registry.covered[cover].insert(waiter);
}

bool Contains(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

// Whether the element of 'waiter' still lies wholly in 'cover' (a shown control's box in 'host').
bool StillCovered(scNativeWaiter* waiter, HWND host, const RECT& cover) {
  scITextBaseContent* element = waiter->WaitingElement();
  HWND found = nullptr;
  POINT at{};
  if (!FindHostWindow(element, found, at) || found != host) return false;
  const scRect& r = element->Rect();
  const RECT box{at.x, at.y, anchor::Add(at.x, r.width), anchor::Add(at.y, r.height)};
  return Contains(cover, box);
}

// 'control' moved or hid: the controls waiting under it look again, in the order their elements
// were bound (the order they would have been made in had they shown together). Layout moves a
// large control many times while thousands of elements may wait under it: one still wholly
// under the shown control keeps waiting without the full look.
void RetryWaitersNow(HWND control) {
  ControlRegistry& registry = Registry();
  const auto found = registry.covered.find(control);
  if (found == registry.covered.end()) return;
  std::vector<scNativeWaiter*> waiting(found->second.begin(), found->second.end());
  std::sort(waiting.begin(), waiting.end(), [](scNativeWaiter* a, scNativeWaiter* b) {
    return a->WaitOrder() < b->WaitOrder();
  });
  const auto cover = registry.controls.find(control);
  const bool shown = cover != registry.controls.end() &&
                     (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
  for (scNativeWaiter* waiter : waiting) {
    const auto entry = registry.waiters.find(waiter);
    if (entry == registry.waiters.end() || entry->second != control) continue;
    if (shown && StillCovered(waiter, cover->second.host, *cover->second.placed)) continue;
    waiter->RetryControl();
  }
}

void RetryMovedCovers() {
  std::vector<HWND> moved;
  moved.swap(Registry().moved);
  for (HWND control : moved) RetryWaitersNow(control);
}

// During a layout pass the waiters look again once it ends: a window being laid out moves its
// controls one after another, and elements waiting under the first control moved would look
// at a tree still half in the old layout, under each control in turn.
void RetryWaiters(HWND control) {
  ControlRegistry& registry = Registry();
  if (registry.covered.find(control) == registry.covered.end()) return;
  if (!layout_pass::Running()) {
    RetryWaitersNow(control);
    return;
  }
  if (std::find(registry.moved.begin(), registry.moved.end(), control) == registry.moved.end())
    registry.moved.push_back(control);
  layout_pass::AtEnd(RetryMovedCovers);
}

}  // namespace

bool CanBeSeen(scITextBaseContent* element, HWND host, POINT at, uint64_t order,
               scNativeWaiter* waiter) {
  if (!element->IsShownInTree()) return false;
  RECT client{};
  if (!::GetClientRect(host, &client)) return false;
  const scRect& r = element->Rect();
  const RECT box{at.x, at.y, anchor::Add(at.x, r.width), anchor::Add(at.y, r.height)};
  RECT seen{};
  if (!::IntersectRect(&seen, &box, &client)) return false;
  ControlRegistry& registry = Registry();
  const auto made = registry.byHost.find(host);
  if (made == registry.byHost.end()) return true;
  // Only controls of elements bound before this one lie above it.
  for (auto it = made->second.begin(); it != made->second.end() && it->first < order; ++it) {
    const OrderedControl& entry = registry.controls.at(it->second);
    if (Contains(*entry.placed, box) &&
        (::GetWindowLongW(it->second, GWL_STYLE) & WS_VISIBLE) != 0) {
      WaitUnder(it->second, waiter);
      return false;
    }
  }
  return true;
}

void StopWaiting(scNativeWaiter* waiter) {
  ControlRegistry& registry = Registry();
  const auto found = registry.waiters.find(waiter);
  if (found == registry.waiters.end()) return;
  const auto cover = registry.covered.find(found->second);
  if (cover != registry.covered.end()) {
    cover->second.erase(waiter);
    if (cover->second.empty()) registry.covered.erase(cover);
  }
  registry.waiters.erase(found);
}

uint64_t NextBindOrder() {
  thread_local uint64_t s_next = 0;
  return ++s_next;
}

void KeepInBindOrder(HWND control, HWND host, uint64_t order, const RECT* placed) {
  ControlRegistry& registry = Registry();
  registry.controls[control] = OrderedControl{host, order, placed};
  std::map<uint64_t, HWND>& siblings = registry.byHost[host];
  siblings[order] = control;
  // A new child window goes below its siblings, which is its place unless an element bound
  // after it already has its control.
  const auto later = siblings.upper_bound(order);
  if (later == siblings.end()) return;
  HWND above = ::GetWindow(later->second, GW_HWNDPREV);
  ::SetWindowPos(control, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void ForgetBindOrder(HWND control) {
  ControlRegistry& registry = Registry();
  const auto found = registry.controls.find(control);
  if (found == registry.controls.end()) return;
  const auto siblings = registry.byHost.find(found->second.host);
  if (siblings != registry.byHost.end()) {
    siblings->second.erase(found->second.order);
    if (siblings->second.empty()) registry.byHost.erase(siblings);
  }
  registry.controls.erase(found);
}

// The count lives with the thread's other control state rather than in a window property: an
// element past the bound asks on every layout that shows it, and each property read or write is
// a round trip to the window server.
bool ReserveControl(HWND host, int windows, const wchar_t* tag) {
  int& word = Registry().counts[host];
  if ((word & (kBoundReported - 1)) + windows <= kMaxControlWindowsPerWindow) {
    word += windows;
    return true;
  }
  if ((word & kBoundReported) == 0) {
    wchar_t line[200];
    std::swprintf(line, sizeof(line) / sizeof(line[0]),
                  L"Velmor: the native controls of a window take %d platform windows, as many "
                  L"as one window may; later elements (a \"%.40ls\" first) get no control\n",
                  kMaxControlWindowsPerWindow, tag != nullptr ? tag : L"");
    ::OutputDebugStringW(line);
    word |= kBoundReported;
  }
  return false;
}

void ReleaseControl(HWND host, int windows) {
  if (host == nullptr) return;
  auto& counts = Registry().counts;
  const auto found = counts.find(host);
  if (found == counts.end()) return;
  if ((found->second & (kBoundReported - 1)) <= windows) {
    counts.erase(found);
    return;
  }
  found->second -= windows;
}

}  // namespace velmor::native
