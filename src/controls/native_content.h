// scINativeContent: the elements that are real Windows child controls placed over the painted
// document (check boxes and radios, text boxes, date and time pickers). Each is at once an
// element and a window object: its control is a child of the nearest ancestor window, made once
// the element is bound into a document and can be seen (it and its ancestors visible, its box
// inside that window's client area), moves follow the element, visibility follows the element
// and its ancestors, "disabled" enables or disables the control, and the control goes with the
// element. Until the control is made the element answers its script members itself, and the
// control starts from what they set. The control's class is the framework's superclass of the
// system class, so its message map sees every message first, the notifications and colour
// requests its parent reflects back (message + kReflectedBase) among them. The element paints
// nothing: the control paints itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/control_reflection.h"
#include "base/window_impl.h"
#include "skin/element_classes.h"

namespace velmor {

// What every native element shares, apart from its class (native_content.cpp).
namespace native {

// The window style of every native control before its class adds its own: a child that clips
// its siblings and children and is a tab stop (0x46010000).
constexpr DWORD kBaseStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;

// The nearest ancestor of 'element' that owns a window, and the element's top-left corner in
// that window's client coordinates. False when no ancestor has a window.
bool FindHostWindow(scITextBaseContent* element, HWND& host, POINT& at);
// kBaseStyle plus WS_VISIBLE when the element and its ancestors are visible and WS_DISABLED when
// its "disabled" attribute is true.
DWORD BaseStyle(scITextBaseContent* element);
bool IsDisabled(scIContent* element);
// A text attribute as handed to a control (cut to what the platform takes); false when absent.
bool ControlText(scIContent* element, const wchar_t* name, std::wstring& text);
// A GDI solid brush of an 0xAARRGGBB colour (the alpha byte dropped), or null.
HBRUSH CreateBrush(uint32_t argb);
// 0xAARRGGBB as a GDI colour.
constexpr COLORREF ToColorRef(uint32_t argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}
// Moves 'window' over the element's box while the element is shown and 'window' still lies in
// 'host' (the window it was placed in). With 'placed' (the box the window was last given in its
// host's client coordinates) a window already there is not moved again: layout sets every
// element's bounds again and again, and each platform move of a control costs a round trip.
void PlaceOverElement(scITextBaseContent* element, HWND window, HWND host,
                      RECT* placed = nullptr);
// Shows 'window' (placed first: the element's ancestors may have moved while it was hidden) when
// the element and all its ancestors are visible, hides it otherwise. The window's own visible
// style is compared, not IsWindowVisible: while the host is hidden every control would look
// hidden and be shown again for nothing.
void ShowWithElement(scITextBaseContent* element, HWND window, HWND host,
                     RECT* placed = nullptr);
// Registers the common-control classes the native elements use, once per process.
void InitControlClasses();

// An element whose control waits until the made control above it moves or hides.
class scNativeWaiter {
 public:
  virtual void RetryControl() = 0;
  // The element's place in the bind order (NextBindOrder): waiters retry in that order.
  virtual uint64_t WaitOrder() const = 0;
  // The element, whose box decides whether it is still covered.
  virtual scITextBaseContent* WaitingElement() = 0;

 protected:
  ~scNativeWaiter() = default;
};

// Whether the element and its ancestors are visible, its box meets the client area of 'host'
// (the window its control goes in) and no shown control of an element bound before it (which
// lies above it) holds the whole box: a control nobody can see yet is not made. A skin may hold
// thousands of controls of which a window shows a few, and each costs milliseconds to make.
// A covered element is kept as 'waiter' until the control over it moves off it or hides (looked
// at once the layout pass that moved it has ended).
bool CanBeSeen(scITextBaseContent* element, HWND host, POINT at, uint64_t order,
               scNativeWaiter* waiter);
// Forgets 'waiter' (made, unbound or gone).
void StopWaiting(scNativeWaiter* waiter);

// The order in which native elements were bound, which is the order of their controls among
// the host's children (what overlaps what, and the tab order) whenever each control is made.
uint64_t NextBindOrder();
// Takes 'control' (just made in 'host', and kept at 'placed') into the order, moving it among the
// host's children above the control of the next later element that already has one.
void KeepInBindOrder(HWND control, HWND host, uint64_t order, const RECT* placed);
// Takes a control being destroyed out of the order.
void ForgetBindOrder(HWND control);

// How many platform windows the native controls of one window may take at most. Each costs
// milliseconds to create, paint and destroy (a date picker 2 to 4 ms to create under Wine on a
// busy machine: a thousand windows' worth took 3 s to open, half of it 1.4 s), and the platform
// allows a process 10,000 windows in all; real skins hold tens of controls. A skin asking for
// more gets the controls seen first (in the order of its elements when they show together), and
// every element past the bound behaves as a control that could not be made (its script members
// keep to its attributes).
constexpr int kMaxControlWindowsPerWindow = 500;
// Counts a control of 'windows' platform windows about to be made in 'host'; false, with one
// debug line per window naming the bound and 'tag', when they would pass the bound.
bool ReserveControl(HWND host, int windows, const wchar_t* tag);
// Uncounts a control of 'host' counted by ReserveControl.
void ReleaseControl(HWND host, int windows);

}  // namespace native

// class scFooContent : public scINativeContent<scFooContent, element_interfaces::kFoo, Face> {
//   static const WindowClassInfo& GetWndClassInfo();  // with the system class as superclass
//   DWORD ControlStyle() const;                         // the class's own style bits
//   static constexpr int kPlatformWindows = 2;          // when it makes a window of its own
//   BEGIN_MSG_MAP(scFooContent) ... CHAIN_MSG_MAP(scINativeContent<...>) END_MSG_MAP()
// };
// A class with its own creation replaces CreateControl.
template <class Derived, const DispInterfaceTable& Interfaces, class ClassFace, class... More>
class scINativeContent : public scScriptContentClass<Derived, Interfaces, ClassFace, More...>,
                         public CWindowImpl<Derived>,
                         public native::scNativeWaiter {
  using Content = scScriptContentClass<Derived, Interfaces, ClassFace, More...>;
  using Window = CWindowImpl<Derived>;

 public:
  ~scINativeContent() { native::StopWaiting(this); }

  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document,
                                       scIContent* parent) override {
    RETURN_IF_FAILED(Content::BindToTree(document, parent));
    if (document == nullptr || this->m_hWnd != nullptr || m_waiting) return S_OK;
    this->MarkNativeWindowPath();
    // Without a window above it the element stays without a control: its script members fall
    // back to the attributes.
    HWND host = nullptr;
    POINT at{};
    if (!native::FindHostWindow(this, host, at)) return S_OK;
    m_waiting = true;
    m_order = native::NextBindOrder();
    MakeControlOnceSeen();
    return S_OK;
  }
  void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) override {
    Content::UnbindFromTree(deep, nullParent);
    m_waiting = false;
    native::StopWaiting(this);
    DestroyControl();
  }
  void STDMETHODCALLTYPE Destroy() override {
    Content::Destroy();
    m_waiting = false;
    native::StopWaiting(this);
    DestroyControl();
  }
  void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) override {
    Content::MoveSize(x, y, width, height);
    PositionControl();
  }
  // The control paints its own box: nothing of the element's is drawn there.
  void STDMETHODCALLTYPE InvalidateRect(int, int, int, int) override {}
  void STDMETHODCALLTYPE SetVisible(bool visible) override {
    const bool changed = visible != this->IsVisible();
    Content::SetVisible(visible);
    if (!changed) return;
    ShowControl();
    // The document repaints what the control covered or will cover.
    if (scITextBaseContent* parent = this->ParentElement()) {
      const scRect& r = this->Rect();
      parent->InvalidateRect(r.x, r.y, r.width, r.height);
    }
  }
  void TreeVisibilityChanged() override { ShowControl(); }

  // IDOMAmbient: the control is enabled or disabled with the attribute.
  STDMETHODIMP put_disabled(VARIANT_BOOL value) override {
    RETURN_IF_FAILED(this->PutDisabledAttribute(value != VARIANT_FALSE));
    if (this->m_hWnd != nullptr) ::EnableWindow(this->m_hWnd, value == VARIANT_FALSE);
    return S_OK;
  }

  // The platform windows one control takes (counted against kMaxControlWindowsPerWindow).
  static constexpr int kPlatformWindows = 1;

  // The control, null while the element is not bound into a document or not seen yet.
  HWND Control() const { return this->m_hWnd; }
  // Whether the control is still to be made when the element is first seen.
  bool ControlWaiting() const { return m_waiting; }
  // The window the control was created in.
  HWND HostWindow() const { return m_host; }

  BEGIN_MSG_MAP(scINativeContent)
    DEFAULT_REFLECTION_HANDLER()
  END_MSG_MAP()

 protected:
  // The template's creation: the class's style over the base style, the "value" attribute (or
  // "label") as the text, the default GUI font. S_FALSE, without a control, past the window's
  // bound on controls.
  HRESULT CreateControl() {
    std::wstring text;
    if (!native::ControlText(this, L"value", text)) (void)native::ControlText(this, L"label", text);
    const HRESULT created =
        CreateControlWindow(native::BaseStyle(this) | Self()->ControlStyle(), 0, text.c_str());
    if (created != S_OK) return created;
    SetDefaultFont();
    return S_OK;
  }

  // Creates the control in the host window at the element's place. S_FALSE, without a control,
  // when the host window already holds as many controls as one window may.
  HRESULT CreateControlWindow(DWORD style, DWORD exStyle, const wchar_t* text) {
    HWND host = nullptr;
    POINT at{};
    RETURN_HR_IF(E_FAIL, !native::FindHostWindow(this, host, at));
    if (!native::ReserveControl(host, Derived::kPlatformWindows, this->NodeName())) return S_FALSE;
    native::InitControlClasses();
    const scRect& r = this->Rect();
    const RECT box{at.x, at.y, at.x + r.width, at.y + r.height};
    if (Window::Create(host, &box, text, style, exStyle) == nullptr) {
      native::ReleaseControl(host, Derived::kPlatformWindows);
      return E_FAIL;
    }
    m_host = host;
    m_placed = box;
    native::KeepInBindOrder(this->m_hWnd, host, m_order, &m_placed);
    RETURN_IF_FAILED(AcceptReflectedMessages(this->m_hWnd));
    return S_OK;
  }

  void SetDefaultFont() {
    ::SendMessageW(this->m_hWnd, WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  }

  // Makes the waiting control when its element can be seen, or at once with 'now' (members that
  // need the control, such as focus). True when the control exists.
  bool MakeControlOnceSeen(bool now = false) {
    if (this->m_hWnd != nullptr || !m_waiting) return this->m_hWnd != nullptr;
    HWND host = nullptr;
    POINT at{};
    if (!native::FindHostWindow(this, host, at)) return false;
    if (!now && !native::CanBeSeen(this, host, at, m_order, this)) return false;
    native::StopWaiting(this);
    // Tried once: an element past the window's bound on controls, or whose control the platform
    // refused, keeps to its attributes from then on.
    m_waiting = false;
    (void)Self()->CreateControl();
    return this->m_hWnd != nullptr;
  }

  void RetryControl() override { MakeControlOnceSeen(); }
  uint64_t WaitOrder() const override { return m_order; }
  scITextBaseContent* WaitingElement() override { return this; }

  // Moves the control to the element's place while it is shown and still in the window it was
  // created in; makes it when its element comes into sight.
  void PositionControl() {
    if (this->m_hWnd == nullptr) {
      MakeControlOnceSeen();
      return;
    }
    native::PlaceOverElement(this, this->m_hWnd, m_host, &m_placed);
  }

  // Shows the control when the element and all its ancestors are visible (placed first: its
  // ancestors may have moved while it was hidden), hides it otherwise.
  void ShowControl() {
    if (this->m_hWnd == nullptr) {
      MakeControlOnceSeen();
      return;
    }
    native::ShowWithElement(this, this->m_hWnd, m_host, &m_placed);
  }

  void DestroyControl() {
    if (this->m_hWnd == nullptr) return;
    // Its last message withdraws the mark, uncounts the control and forgets both handles.
    ::DestroyWindow(this->m_hWnd);
  }

  // Every control withdraws its mark and leaves its host's count here, whether destroyed by
  // DestroyControl or with its host.
  void OnFinalMessage(HWND window) override {
    RefuseReflectedMessages(window);
    native::ForgetBindOrder(window);
    native::ReleaseControl(m_host, Derived::kPlatformWindows);
    m_host = nullptr;
  }

  HWND m_host = nullptr;
  RECT m_placed{};  // where the control was last put in its host
  uint64_t m_order = 0;  // NextBindOrder at binding
  bool m_waiting = false;  // bound, its control not made yet

 private:
  Derived* Self() { return static_cast<Derived*>(this); }
};

}  // namespace velmor
