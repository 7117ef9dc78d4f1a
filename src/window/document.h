// scDocument: one top-level skinned window with the document built from one XML description.
// Scripts see it as `window` (IDOMWindow) and as `document` (IDOMDocument); the content tree sees
// it as its scIContentDocument and asks it for the native window through scIWidget.
#pragma once
#include <windows.h>

#include <string>

#include "base/com_object.h"
#include "base/control_reflection.h"
#include "base/window_impl.h"
#include "controls/menu_host.h"
#include "events/event_state_manager.h"
#include "events/mouse_input.h"
#include "menus/key_shortcuts_mgr.h"
#include "menus/menu_manager.h"
#include "render/paint.h"
#include "script/dispatch_bridge.h"
#include "script/script_context.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/dom_document_impl.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

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
  static HRESULT Nothing(T** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  HRESULT Root(IDOMNode** node) {
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
                       scIWidget, scIEventStateManager, scIWindowPaintLock, scIMenuHost,
                       scIMenuManagerHost> {
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
  HRESULT Destroy();
  // Creates the hidden native window owned by 'owner' (an opener's window) before Load, which
  // then places the window relative to its owner.
  [[nodiscard]] HRESULT CreateOwnedWindow(HWND owner);

  // Centres the window over its opener's window, or with 'useScreen' over the work area of the
  // opener's screen (the primary screen without an opener). E_INVALIDARG with neither.
  virtual HRESULT CenterOnOpener(IDOMWindow* opener, bool useScreen);
  // Adjusts a new top-left corner so that the window stays on its screen's work area: wholly
  // (strict), or with at least 20 pixels of it on the work area (loose).
  HRESULT ConstrainPosition(bool loose, LONG& x, LONG& y);

  // Installs the window's script context: closes the one it had, keeps the new one and publishes
  // the document to its scripts as "window" and as "document" (one object answering both faces),
  // and the component manager's service manager as "Components". Null only closes the old one.
  // Each native window gets a new context when it is created and closes it when it is destroyed;
  // the context is connected once the content is built, before the "load" event.
  virtual HRESULT SetScriptContext(scIScriptContext* context);
  // The installed context (no reference added); null when there is none.
  scIScriptContext* ScriptContext() const { return m_scriptContext.Get(); }

  // The size handler: lays the root element out at (0, 0, width, height) unless minimised or
  // layout-locked, records the size type and invalidates the window.
  void OnSizeChanged(int sizeType, int width, int height);

  // The base folder with 'name' appended; false when the result does not fit.
  bool ResolveFile(const wchar_t* name, std::wstring& path) const;

  scDocumentContent& DocumentContent() { return m_content; }
  scIContent* RootElement() const { return m_content.RootElement(); }
  HWND WindowHandle() const { return m_hWnd; }
  LONG SizeMode() const { return m_sizemode; }

  virtual HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;
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

  // IDOMModalWindow (dialog arguments and return values come with dialogs)
  STDMETHODIMP get_dialogArguments(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_returnValue(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP put_returnValue(VARIANT*) override { return E_NOTIMPL; }
  // IDOMWindowMisc (the shell and game-list services come with the main-frame services)
  STDMETHODIMP shellExecute(BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP showGameList(IUnknown*, IUnknown*) override { return E_NOTIMPL; }

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
  // scIWindowPaintLock (a count below 0, from unbalanced unlocks, also keeps painting off)
  bool STDMETHODCALLTYPE IsPaintLocked() override { return m_paintLock != 0; }

  // scIMenuHost, scIMenuManagerHost
  HRESULT STDMETHODCALLTYPE RunMenu(scIContent* opener) override { return m_menus.RunMenu(opener); }
  scMenuManager* STDMETHODCALLTYPE MenuManager() override { return &m_menus; }
  // The window's keyboard shortcuts; null while it has no native window.
  scKeyShortcutsMgr* KeyShortcuts() const { return m_shortcuts.Get(); }

  BEGIN_MSG_MAP(scDocument)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_RANGE_HANDLER(WM_MOUSEMOVE, WM_RBUTTONUP, OnMouseMessage)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseMessage)
    MESSAGE_HANDLER(WM_CAPTURECHANGED, OnMouseMessage)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    CHAIN_MSG_MAP_MEMBER(m_menus)
    // What the window does not handle itself goes to the root element's own message map.
    if (ForwardToRootElement(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;
    // Then notifications and colour requests go back to the native control that sent them.
    REFLECT_NOTIFICATIONS()
  END_MSG_MAP()

 protected:
  void OnFinalMessage(HWND) override;

  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL& handled);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
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
  HRESULT CreateNativeWindow(HWND owner, DWORD exStyle);
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
  void DispatchDocumentEvent(scIContent* target, int eventType);
  // Lays out again at the current client size and sizemode.
  void Relayout();
  void UpdateWindowRegion();

  IDispatchExImplBase m_bridge;
  scDocumentContent m_content{this};
  scMouseInput m_mouse{this};
  scMenuManager m_menus;
  ComPtr<scKeyShortcutsMgr> m_shortcuts;
  ComPtr<scIScriptContext> m_scriptContext;
  UniqueHIcon m_icon;
  std::wstring m_title;  // the last title set, whole
  LONG m_paintLock = 0;
  LONG m_layoutLock = 0;
  LONG m_regionLock = 0;
  LONG m_sizemode = -1;
  bool m_windowReference = false;  // the reference held for the life of the native window
};

}  // namespace velmor
