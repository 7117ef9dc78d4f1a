#include "controls/native_content.h"

#include <commctrl.h>

#include <cwchar>
#include <unordered_map>
#include <vector>

#include "base/platform_text.h"
#include "skin/anchor_layout.h"
#include "skin/attribute_readers.h"

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

struct OrderedControl {
  HWND host;
  uint64_t order;
  const RECT* placed;  // the control's box in its host, kept by its element
};

// The live controls of the thread with their hosts and bind orders (controls live on the thread
// of their window).
std::unordered_map<HWND, OrderedControl>& BindOrders() {
  thread_local std::unordered_map<HWND, OrderedControl> s_orders;
  return s_orders;
}

// The thread's elements whose controls wait under another control, with that control, and the
// same pairs by covering control.
std::unordered_map<scNativeWaiter*, HWND>& Waiters() {
  thread_local std::unordered_map<scNativeWaiter*, HWND> s_waiters;
  return s_waiters;
}
std::unordered_multimap<HWND, scNativeWaiter*>& Covered() {
  thread_local std::unordered_multimap<HWND, scNativeWaiter*> s_covered;
  return s_covered;
}

void WaitUnder(HWND cover, scNativeWaiter* waiter) {
  StopWaiting(waiter);
  Waiters()[waiter] = cover;
  Covered().emplace(cover, waiter);
}

bool Contains(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

// 'control' moved or hid: the controls waiting under it look again.
void RetryWaiters(HWND control) {
  const auto [first, last] = Covered().equal_range(control);
  if (first == last) return;
  std::vector<scNativeWaiter*> waiting;
  for (auto it = first; it != last; ++it) waiting.push_back(it->second);
  for (scNativeWaiter* waiter : waiting) {
    const auto found = Waiters().find(waiter);
    if (found != Waiters().end() && found->second == control) waiter->RetryControl();
  }
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
  for (const auto& [window, entry] : BindOrders()) {
    if (entry.host == host && entry.order < order && Contains(*entry.placed, box) &&
        (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0) {
      WaitUnder(window, waiter);
      return false;
    }
  }
  return true;
}

void StopWaiting(scNativeWaiter* waiter) {
  const auto found = Waiters().find(waiter);
  if (found == Waiters().end()) return;
  const auto [first, last] = Covered().equal_range(found->second);
  for (auto it = first; it != last; ++it) {
    if (it->second == waiter) {
      Covered().erase(it);
      break;
    }
  }
  Waiters().erase(found);
}

uint64_t NextBindOrder() {
  thread_local uint64_t s_next = 0;
  return ++s_next;
}

void KeepInBindOrder(HWND control, HWND host, uint64_t order, const RECT* placed) {
  auto& orders = BindOrders();
  // A new child window goes below its siblings, which is its place unless an element bound
  // after it already has its control.
  HWND later = nullptr;
  uint64_t laterOrder = 0;
  for (const auto& [window, entry] : orders) {
    if (entry.host == host && entry.order > order && (later == nullptr || entry.order < laterOrder))
      later = window, laterOrder = entry.order;
  }
  orders[control] = OrderedControl{host, order, placed};
  if (later == nullptr) return;
  HWND above = ::GetWindow(later, GW_HWNDPREV);
  ::SetWindowPos(control, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void ForgetBindOrder(HWND control) { BindOrders().erase(control); }

namespace {

// The count of a window's controls, in a property of the window (so it goes with the window and
// each thread's windows keep their own), with a flag once the bound has been reported.
constexpr wchar_t kControlCountProperty[] = L"VelmorNativeControls";
constexpr INT_PTR kBoundReported = INT_PTR{1} << 24;

INT_PTR ControlCountWord(HWND host) {
  return reinterpret_cast<INT_PTR>(::GetPropW(host, kControlCountProperty));
}

}  // namespace

bool ReserveControl(HWND host, int windows, const wchar_t* tag) {
  const INT_PTR word = ControlCountWord(host);
  if ((word & (kBoundReported - 1)) + windows <= kMaxControlWindowsPerWindow) {
    const INT_PTR counted = word + windows;
    return ::SetPropW(host, kControlCountProperty, reinterpret_cast<HANDLE>(counted)) != FALSE;
  }
  if ((word & kBoundReported) == 0) {
    wchar_t line[200];
    std::swprintf(line, sizeof(line) / sizeof(line[0]),
                  L"Velmor: the native controls of a window take %d platform windows, as many "
                  L"as one window may; later elements (a \"%.40ls\" first) get no control\n",
                  kMaxControlWindowsPerWindow, tag != nullptr ? tag : L"");
    ::OutputDebugStringW(line);
    ::SetPropW(host, kControlCountProperty, reinterpret_cast<HANDLE>(word | kBoundReported));
  }
  return false;
}

void ReleaseControl(HWND host, int windows) {
  if (host == nullptr) return;
  const INT_PTR word = ControlCountWord(host);
  if ((word & (kBoundReported - 1)) <= windows) {
    ::RemovePropW(host, kControlCountProperty);
    return;
  }
  ::SetPropW(host, kControlCountProperty, reinterpret_cast<HANDLE>(word - windows));
}

}  // namespace velmor::native
