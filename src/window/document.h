// scDocument: one top-level skinned window with the document built from one XML description.
// Scripts see it as `window` (IDOMWindow) and as `document` (IDOMDocument); the content tree sees
// it as its scIContentDocument and asks it for the native window through scIWidget.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "base/bstr.h"
#include "base/com_object.h"
#include "base/control_reflection.h"
#include "base/weak_reference.h"
#include "base/window_impl.h"
#include "controls/menu_host.h"
#include "events/event_state_manager.h"
#include "events/mouse_input.h"
#include "menus/key_shortcuts_mgr.h"
#include "menus/menu_manager.h"
#include "render/paint.h"
#include "render/window_frame.h"
#include "script/dispatch_bridge.h"
#include "script/script_context.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/dom_document_impl.h"
#include "sticky/sticky_supports.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"
#include "window/timer_list.h"

namespace velmor {

class scDocument;
class scWindowContent;

// The document's node face: getElementById over the id registry, the root element as its only
// child and no parent or siblings.
template <class Derived>
class scDocumentNodeFace : public IDOMDocumentImpl<Derived, DualDispatchImpl<IDOMDocument>> {
 public:
  using ComInterface = IDOMDocument;

  STDMETHODIMP get_nodeName(BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = ::SysAllocString(L"#document");
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_parentNode(IDOMNode** node) override { return Nothing(node); }
  STDMETHODIMP get_firstChild(IDOMNode** node) override { return Root(node); }
  STDMETHODIMP get_lastChild(IDOMNode** node) override { return Root(node); }
  STDMETHODIMP get_previousSibling(IDOMNode** node) override { return Nothing(node); }
  STDMETHODIMP get_nextSibling(IDOMNode** node) override { return Nothing(node); }
  STDMETHODIMP get_ownerDocument(IDispatch** document) override { return Nothing(document); }

 private:
  template <class T>
  [[nodiscard]] static HRESULT Nothing(T** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  [[nodiscard]] HRESULT Root(IDOMNode** node) {
    if (node == nullptr) return E_POINTER;
    *node = nullptr;
    scIContent* root = static_cast<Derived*>(this)->DocumentContent().RootElement();
    if (root == nullptr) return S_FALSE;
    return SUCCEEDED(root->QueryInterface(IID_PPV_ARGS(node))) ? S_OK : S_FALSE;
  }
};

// The window, layout and paint locks of IDOMWindow.lock/unlock.
enum scWindowLock : LONG {
  kPaintLock = 1,
  kLayoutLock = 2,
  kRegionLock = 4,
};

class scDocument
    : public CWindowImpl<scDocument>,
      public ComObject<scDocument, IDispatchExImpl<scDocument>,
                       Also<IDispatch, IDispatchExImpl<scDocument>>, IDispatchImplEx<scDocument>,
                       DualDispatchImpl<IDOMWindow>, DualDispatchImpl<IDOMModalWindow>,
                       DualDispatchImpl<IDOMWindowMisc>, scDocumentNodeFace<scDocument>,
                       Also<IDOMNode, scDocumentNodeFace<scDocument>>, scIContentDocument,
                       scIWidget, scIEventStateManager, scIWindowPaintLock, scIWindowFrame,
                       scIMenuHost, scIMenuManagerHost> {
 public:
  // The native style of every document window and its extended style.
  static constexpr DWORD kWindowStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU |
                                        WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  static constexpr DWORD kWindowExStyle = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;

  // How alert shows its box; tests replace it to see the arguments.
  using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  static void SetMessageBoxFunction(MessageBoxFunction function);

  scDocument();
  ~scDocument() override;

  static const WindowClassInfo& GetWndClassInfo();

  // Reads the description, creates the hidden window when there is none yet, builds the live
  // tree and lays it out. E_FAIL for a file that cannot be read, parsed or has the wrong root.
  [[nodiscard]] HRESULT Load(const wchar_t* baseFolder, const wchar_t* documentPath);
  // Destroys the native window if it exists.
  [[nodiscard]] HRESULT Destroy();
  // Creates the hidden native window owned by 'owner' (an opener's window) before Load, which
  // then places the window relative to its owner.
  [[nodiscard]] HRESULT CreateOwnedWindow(HWND owner);

  // Centres the window over its opener's window, or with 'useScreen' over the work area of the
  // opener's screen (the primary screen without an opener). E_INVALIDARG with neither.
  virtual HRESULT CenterOnOpener(IDOMWindow* opener, bool useScreen);
  // Adjusts a new top-left corner so that the window stays on its screen's work area: wholly
  // (strict), or with at least 20 pixels of it on the work area (loose).
  [[nodiscard]] HRESULT ConstrainPosition(bool loose, LONG& x, LONG& y);

  // Installs the window's script context: closes the one it had, keeps the new one and publishes
  // the document to its scripts as "window" and as "document" (one object answering both faces),
  // and the component manager's service manager as "Components". Null only closes the old one.
  // Each native window gets a new context when it is created and closes it when it is destroyed;
  // the context is connected once the content is built, before the "load" event.
  [[nodiscard]] virtual HRESULT SetScriptContext(scIScriptContext* context);
  // The installed context (no reference added); null when there is none.
  scIScriptContext* ScriptContext() const { return m_scriptContext.Get(); }

  // The size handler: lays the root element out at (0, 0, width, height) unless minimised or
  // layout-locked, records the size type and invalidates the window. Size changes that its own
  // handlers raise run inside it up to kMaxNestedSizeChanges deep; deeper ones wait until the
  // outermost call is done, which then applies the last of them, at most kMaxDeferredSizes
  // times. A sizemode change asked for while it runs waits for its end too (see put_sizemode);
  // it then applies the last one asked for, at most kMaxDeferredSizeModes times.
  void OnSizeChanged(int sizeType, int width, int height);
  static constexpr int kMaxNestedSizeChanges = 2;
  static constexpr int kMaxDeferredSizes = 4;
  static constexpr int kMaxDeferredSizeModes = 2;

  // The base folder with 'name' appended; false when the result does not fit.
  bool ResolveFile(const wchar_t* name, std::wstring& path) const;

  scDocumentContent& DocumentContent() { return m_content; }
  scIContent* RootElement() const { return m_content.RootElement(); }
  HWND WindowHandle() const { return m_hWnd; }
  LONG SizeMode() const { return m_sizemode; }

  [[nodiscard]] virtual HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;
  IDispatchExImplBase& Bridge() { return m_bridge; }

  // IDOMWindow
  STDMETHODIMP get_document(IDOMDocument** document) override;
  STDMETHODIMP get_parent(IDOMWindow** parent) override;
  STDMETHODIMP close() override;
  STDMETHODIMP get_sizemode(LONG* mode) override;
  STDMETHODIMP put_sizemode(LONG mode) override;
  STDMETHODIMP get_visible(VARIANT_BOOL* visible) override;
  STDMETHODIMP put_visible(VARIANT_BOOL visible) override;
  STDMETHODIMP get_screen(IDOMScreen** screen) override;
  STDMETHODIMP get_outerWidth(LONG* value) override;
  STDMETHODIMP get_outerHeight(LONG* value) override;
  STDMETHODIMP get_innerWidth(LONG* value) override;
  STDMETHODIMP get_innerHeight(LONG* value) override;
  STDMETHODIMP get_screenLeft(LONG* value) override;
  STDMETHODIMP get_screenTop(LONG* value) override;
  STDMETHODIMP moveTo(LONG x, LONG y, LONG moveTime) override;
  STDMETHODIMP moveBy(LONG dx, LONG dy, LONG moveTime) override;
  STDMETHODIMP sizeTo(LONG width, LONG height, LONG moveTime) override;
  STDMETHODIMP sizeBy(LONG dWidth, LONG dHeight, LONG moveTime) override;
  STDMETHODIMP moveSizeTo(LONG x, LONG y, LONG width, LONG height, LONG moveTime) override;
  STDMETHODIMP setTimeout(BSTR expression, LONG msec, LONG* timerId) override;
  STDMETHODIMP clearTimeout(LONG timerId) override;
  STDMETHODIMP setInterval(BSTR expression, LONG msec, LONG* timerId) override;
  STDMETHODIMP clearInterval(LONG timerId) override;
  STDMETHODIMP open(BSTR url, BSTR name, BSTR features, IDOMWindow** window) override;
  STDMETHODIMP get_title(BSTR* title) override;
  STDMETHODIMP put_title(BSTR title) override;
  STDMETHODIMP lock(LONG what) override;
  STDMETHODIMP unlock(LONG what) override;
  STDMETHODIMP get_topMost(VARIANT_BOOL* topMost) override;
  STDMETHODIMP put_topMost(VARIANT_BOOL topMost) override;
  STDMETHODIMP showModalDialog(BSTR dialog, VARIANT* args, VARIANT* options,
                               VARIANT* result) override;
  STDMETHODIMP size(BSTR handle) override;
  STDMETHODIMP get_minWidth(LONG* value) override;
  STDMETHODIMP get_minHeight(LONG* value) override;
  STDMETHODIMP setMinWidthAndHeight(LONG minWidth, LONG minHeight,
                                    VARIANT_BOOL validate) override;
  STDMETHODIMP get_activated(VARIANT_BOOL* activated) override;
  STDMETHODIMP put_activated(VARIANT_BOOL activated) override;
  STDMETHODIMP alert(BSTR message, BSTR title) override;

  // IDOMModalWindow
  STDMETHODIMP get_dialogArguments(VARIANT* arguments) override;
  STDMETHODIMP get_returnValue(VARIANT* value) override;
  STDMETHODIMP put_returnValue(VARIANT* value) override;

  // Child windows and modal dialogs (child_windows.cpp, modal_loop.cpp).
  // Opens the description 'url' (resolved against this window's folders) in a new window whose
  // opener is this one, with the features of open ("modal", "center", "hidden", "owner",
  // "notdisableparent") and, when given, the dialog arguments its scripts read.
  [[nodiscard]] HRESULT OpenWindow(BSTR url, const wchar_t* features, const VARIANT* arguments,
                                   ComPtr<scDocument>& opened);
  // Runs messages until the dialog ends (closed or destroyed) or the application quits; with
  // 'disableOwner' the opener's top-level window takes no input meanwhile.
  HRESULT RunModalLoop(bool disableOwner);
  // Ends a running modal loop after the message being handled, enabling and activating the
  // opener's top-level window again.
  void EndModalLoop();
  // Enables or disables the opener's top-level window; enabling also activates it.
  void EnableOwner(bool enable);
  // The arguments a dialog's scripts read as dialogArguments; null clears them.
  HRESULT SetDialogArguments(const VARIANT* arguments);
  bool InModalLoop() const { return m_inModalLoop; }
  // Waiting and running script timers.
  const scTimerList& Timers() const { return m_timers; }
  // IDOMWindowMisc
  STDMETHODIMP shellExecute(BSTR verb, BSTR file) override;
  STDMETHODIMP showGameList(IUnknown* game, IUnknown* element) override;

  // scIContentDocument
  HRESULT STDMETHODCALLTYPE GetScriptContext(IUnknown** context) override;
  HRESULT STDMETHODCALLTYPE CreateListenerManager(scIEventListenerManager** manager) override;
  HRESULT STDMETHODCALLTYPE AddKeySet(scIContent* keySet) override;
  HRESULT STDMETHODCALLTYPE RegisterElementId(const wchar_t* id, scIContent* element) override {
    return m_content.RegisterId(id, element);
  }
  scIContent* STDMETHODCALLTYPE FindElementById(const wchar_t* id) override {
    return m_content.FindById(id);
  }

  // scIWidget
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;

  // scIEventStateManager (the mouse input keeps the active and hover elements)
  HRESULT STDMETHODCALLTYPE Reserved() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContentState(scIContent* element, ULONG* state) override {
    return m_mouse.GetContentState(element, state);
  }
  HRESULT STDMETHODCALLTYPE SetContentState(scIContent* element, ULONG state) override {
    return m_mouse.SetContentState(element, state);
  }
  scMouseInput& MouseInput() { return m_mouse; }
  // The magnetic-window core: the server of the windows sticking to this one and the client of
  // the window this one sticks to.
  scStickyCore& Sticky() { return m_sticky; }
  // The document whose native window is 'window', or null for any other window.
  static scDocument* FromWindow(HWND window);
  // scIWindowPaintLock (a count below 0, from unbalanced unlocks, also keeps painting off)
  bool STDMETHODCALLTYPE IsPaintLocked() override { return m_paintLock != 0; }
  // scIWindowFrame: what the engine changes is painted again; the rest of the frame is copied.
  void STDMETHODCALLTYPE MarkStale(const RECT& rect) override { m_frame.MarkStale(rect); }
  // The window's kept frame (tests and benchmarks look at what is stale).
  const scWindowFrame& Frame() const { return m_frame; }

  // scIMenuHost, scIMenuManagerHost
  HRESULT STDMETHODCALLTYPE RunMenu(scIContent* opener) override { return m_menus.RunMenu(opener); }
  scMenuManager* STDMETHODCALLTYPE MenuManager() override { return &m_menus; }
  // The window's keyboard shortcuts; null while it has no native window.
  scKeyShortcutsMgr* KeyShortcuts() const { return m_shortcuts.Get(); }

  BEGIN_MSG_MAP(scDocument)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_ENTERSIZEMOVE, OnStickyMessage)
    MESSAGE_HANDLER(WM_EXITSIZEMOVE, OnStickyMessage)
    MESSAGE_HANDLER(WM_MOVING, OnStickyMessage)
    MESSAGE_HANDLER(WM_SIZING, OnStickyMessage)
    MESSAGE_HANDLER(WM_MOVE, OnStickyMessage)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_SYSCOLORCHANGE, OnLookChanged)
    MESSAGE_HANDLER(WM_SETTINGCHANGE, OnLookChanged)
    MESSAGE_HANDLER(WM_THEMECHANGED, OnLookChanged)
    MESSAGE_HANDLER(WM_DPICHANGED, OnLookChanged)
    MESSAGE_HANDLER(WM_DISPLAYCHANGE, OnLookChanged)
    MESSAGE_HANDLER(WM_FONTCHANGE, OnLookChanged)
    MESSAGE_RANGE_HANDLER(WM_MOUSEMOVE, WM_RBUTTONUP, OnMouseMessage)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseMessage)
    MESSAGE_HANDLER(WM_CAPTURECHANGED, OnMouseMessage)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    CHAIN_MSG_MAP_MEMBER(m_menus)
    // What the window does not handle itself goes to the root element's own message map.
    if (ForwardToRootElement(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;
    // Then notifications and colour requests go back to the native control that sent them.
    REFLECT_NOTIFICATIONS()
    MESSAGE_HANDLER(kTimerMessage, OnTimerMessage)
  END_MSG_MAP()

 protected:
  void OnFinalMessage(HWND) override;

  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled);
  // The system's move-size loop and position changes, for the sticky core.
  LRESULT OnStickyMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  // System colours, settings, theme, resolution or fonts changed: any pixel may paint otherwise.
  // The message goes on to the root element and the default procedure.
  LRESULT OnLookChanged(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnTimerMessage(UINT, WPARAM wParam, LPARAM, BOOL&);
  LRESULT OnMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = m_mouse.HandleMessage(m_hWnd, m_content.RootElement(), message, wParam, lParam);
    return 0;
  }
  // Outside the client area the default procedure sets the frame's cursors: the next move over
  // an element sets the element's again.
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    if (LOWORD(lParam) != HTCLIENT) m_mouse.ForgetCursor();
    handled = FALSE;
    return 0;
  }

 private:
  [[nodiscard]] HRESULT CreateNativeWindow(HWND owner, DWORD exStyle);
  // The root element's message map; false when it did not handle the message.
  bool ForwardToRootElement(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result);
  // The root element as the window element, or null.
  scWindowContent* WindowElement() const;
  // Load's steps after the live tree exists.
  void ApplyInitialGeometry(scIContent* root);
  void ApplyTitle(scIContent* root);
  // Keeps 'title' whole and shows it in the native window, cut to what the platform takes.
  void SetTitle(std::wstring title);
  // Whether the native window's text is exactly 'text'.
  bool NativeTitleIs(const std::wstring& text) const;
  void ApplyIcon();
  void ApplyStickyBorder(scIContent* root);
  // The document this window sticks to: the one owning its native window (an opener's), or null.
  IUnknown* StickyParent() const;
  void DispatchDocumentEvent(scIContent* target, int eventType);
  // The size handler's work for one size change.
  void ApplySize(int sizeType, int width, int height);
  // The last size change that came too deep to run in place, at most kMaxDeferredSizes times.
  void ApplyDeferredSizes();
  // Asks the platform for sizemode 'mode' (0 restore, 1 minimise, 2 maximise) as the system menu
  // would; the window's size handler follows before it returns.
  void SendSizeModeCommand(LONG mode);
  // Lays out again at the current client size and sizemode.
  void Relayout();
  void UpdateWindowRegion();
  // Repaints the whole client area from the tree: the frame all stale, the window invalidated.
  void InvalidateAll(BOOL erase);
  // Paints the client area inside 'area' into 'target' from the tree, through the frame when
  // there is one.
  void PaintClient(HDC target, const RECT& area);

  IDispatchExImplBase m_bridge;
  scDocumentContent m_content{this};
  scMouseInput m_mouse{this};
  scStickyCore m_sticky;
  scMenuManager m_menus;
  ComPtr<scKeyShortcutsMgr> m_shortcuts;
  ComPtr<scIScriptContext> m_scriptContext;
  UniqueHIcon m_icon;
  std::wstring m_title;  // the last title set, whole
  scWindowFrame m_frame;
  LONG m_paintLock = 0;
  LONG m_layoutLock = 0;
  LONG m_regionLock = 0;
  LONG m_sizemode = -1;
  // The size handler's nesting and the last size change that came too deep to run at once.
  struct SizeChange {
    int type, width, height;
  };
  int m_sizeDepth = 0;
  std::optional<SizeChange> m_deferredSize;
  // The sizemode a script asked for while the size handler ran, applied once it is done.
  std::optional<LONG> m_deferredSizeMode;
  bool m_windowReference = false;  // the reference held for the life of the native window
  // A close() request posted and not yet handled, and a close being decided (its handler may
  // run an alert, whose message loop would otherwise take the next request and nest another).
  bool m_closePosted = false;
  bool m_closing = false;

  scTimerList m_timers;
  // The window that opened this one (null once it has closed), and this window's own weak
  // references handed to the windows it opens.
  WeakReference m_opener;
  WeakReferenceSource m_weakSource;
  bool m_modal = false;         // a modal loop runs until this is cleared
  bool m_inModalLoop = false;   // RunModalLoop is on the stack
  UniqueVariant m_dialogArguments;
  UniqueVariant m_returnValue;
};

}  // namespace velmor
