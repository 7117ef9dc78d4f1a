#include "window/document.h"

#include <cstdio>

#include <shlwapi.h>

#include <utility>

#include "base/bstr.h"
#include "components/component_manager.h"
#include "events/dom_event.h"
#include "events/event_listener_manager.h"
#include "base/module_instance.h"
#include "render/double_buffer.h"
#include "render/window_region.h"
#include "skin/attribute_readers.h"
#include "script/script_context_object.h"
#include "window/element_class_table.h"

namespace velmor {
namespace {

// What scripts reach on `window`, in lookup order.
const DispInterfaceEntry kDocumentEntries[] = {
    {&IID_IDOMDocument, nullptr},
    {&IID_IDOMModalWindow, nullptr},
    {&IID_IDOMWindow, nullptr},
    {&IID_IDOMWindowMisc, nullptr},
};
const DispInterfaceTable kDocumentTable = {kDocumentEntries, 4};

}  // namespace

scDocument::scDocument() : m_bridge(kDocumentTable) {
  m_bridge.Bind(GetUnknown(), static_cast<scIJSObject*>(this));
  m_content.SetElementClasses(EngineElementClasses());
}

scDocument::~scDocument() {
  // The native window goes first (its WM_DESTROY still needs the content); the icon goes with
  // the members.
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  m_content.Clear();
}

const WindowClassInfo& scDocument::GetWndClassInfo() {
  // No brush (the window paints itself) and no class cursor (set per element).
  static const WindowClassInfo s_info{L"VelmorGUI", CS_DBLCLKS, nullptr, nullptr};
  return s_info;
}

HRESULT scDocument::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  // Windows sticking to this one find its server through the document.
  if (IsEqualIID(riid, __uuidof(scIStickySupports))) return m_sticky.QueryServer(ppv);
  return E_NOINTERFACE;
}

scDocument* scDocument::FromWindow(HWND window) {
  wchar_t name[16] = L"";
  if (window == nullptr || ::GetClassNameW(window, name, 16) == 0 ||
      ::lstrcmpW(name, GetWndClassInfo().name) != 0 ||
      ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
    return nullptr;
  // Every window of the class on this thread is a document's (its object in the user data).
  auto* impl = reinterpret_cast<CWindowImpl<scDocument>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return static_cast<scDocument*>(impl);
}

HRESULT scDocument::CreateNativeWindow(HWND owner, DWORD exStyle) {
  RECT rect{0, 0, 100, 100};
  if (CWindowImpl<scDocument>::Create(owner, &rect, L"Velmor", kWindowStyle, exStyle) == nullptr)
    return HResultFromLastError();
  return S_OK;
}

HRESULT scDocument::CreateOwnedWindow(HWND owner) {
  RETURN_HR_IF(E_UNEXPECTED, m_hWnd != nullptr);
  RETURN_HR_IF(E_INVALIDARG, owner == nullptr || !::IsWindow(owner));
  return CreateNativeWindow(owner, 0);
}

HRESULT scDocument::Load(const wchar_t* baseFolder, const wchar_t* documentPath) {
  try {
    RETURN_HR_IF_NULL(E_INVALIDARG, documentPath);
    // A document shows one description; a destroyed window may be loaded again.
    RETURN_HR_IF(E_UNEXPECTED, m_content.RootElement() != nullptr);
    RETURN_IF_FAILED(m_content.ReadSkin(documentPath));
    const bool created = m_hWnd == nullptr;
    if (created) RETURN_IF_FAILED(CreateNativeWindow(nullptr, kWindowExStyle));
    m_content.SetPaths(baseFolder, documentPath);
    const HRESULT built = m_content.BuildContent();
    if (FAILED(built)) {
      if (created) LOG_IF_FAILED(Destroy());
      return built;
    }
    // Scripts ran in the STARTED engine while the content was built; from here on the window's
    // listeners, "load" first, run in a connected one.
    if (m_scriptContext) (void)m_scriptContext->Connect();
    scIContent* root = m_content.RootElement();
    ApplyInitialGeometry(root);
    ApplyTitle(root);
    ApplyIcon();
    ApplyStickyBorder(root);
    DispatchDocumentEvent(root, kEventLoad);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE |
                       SWP_FRAMECHANGED);
    RECT outer{};
    ::GetWindowRect(m_hWnd, &outer);
    OnSizeChanged(m_sizemode, outer.right - outer.left, outer.bottom - outer.top);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

HRESULT scDocument::Destroy() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  return S_OK;
}

HRESULT scDocument::SetScriptContext(scIScriptContext* context) {
  if (m_scriptContext) {
    // Take it out first: closing releases the objects its scripts held, this one included.
    ComPtr<scIScriptContext> old = std::move(m_scriptContext);
    CloseScriptContext(old.Get());
  }
  if (context == nullptr) return S_OK;
  m_scriptContext = context;
  // Scripts see the window and the document as one object: a property set on `window` is seen on
  // `document`.
  RETURN_IF_FAILED(context->AddObject(L"window", GetUnknown()));
  RETURN_IF_FAILED(context->AddObject(L"document", GetUnknown()));
  ComPtr<IServiceManager> components;
  if (SUCCEEDED(components::GetServiceManager(&components)) && components)
    (void)context->AddObject(L"Components", components.Get());
  return S_OK;
}

void scDocument::ApplyTitle(scIContent* root) {
  UniqueVariant title;
  if (root->GetAttr(L"title", title.Put()) && title.vt == VT_BSTR && title.bstrVal != nullptr)
    SetTitle(std::wstring(title.bstrVal, ::SysStringLen(title.bstrVal)));
}

void scDocument::ApplyIcon() {
  // The product icon lives with the default skin, whichever skin is loaded.
  wchar_t path[MAX_PATH] = L"";
  HICON icon = nullptr;
  if (GetPathBesideModule(L"skins\\default", path, MAX_PATH) &&
      ::PathAppendW(path, L"icon\\Velmor.ico")) {
    icon = static_cast<HICON>(
        ::LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  }
  // The old icon goes only after the window has taken the new one.
  UniqueHIcon old(m_icon.Release());
  m_icon.Reset(icon);
  if (icon == nullptr && !old) return;
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void scDocument::ApplyStickyBorder(scIContent* root) {
  int32_t width = 0;
  if (!GetIntAttr(root, L"stickyBorderWidth", width) || width <= 0) return;
  (void)m_sticky.Attach(width, StickyParent());
}

IUnknown* scDocument::StickyParent() const {
  // A window sticks to the window that opened it, which owns its native window.
  scDocument* parent = FromWindow(::GetWindow(m_hWnd, GW_OWNER));
  return parent != nullptr ? parent->GetUnknown() : nullptr;
}

void scDocument::DispatchDocumentEvent(scIContent* target, int eventType) {
  scEventRecord record(false, kEventClassPlain, static_cast<uint32_t>(eventType));
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(target, &record, nullptr, &status);
}

void scDocument::UpdateWindowRegion() {
  if (m_regionLock != 0 || m_hWnd == nullptr) return;
  // Held during the walk so that nothing it triggers rebuilds the shape again.
  m_regionLock = 1;
  (void)ApplyWindowRegion(m_hWnd, RootElement());
  m_regionLock = 0;
}

bool scDocument::ResolveFile(const wchar_t* name, std::wstring& path) const {
  if (name == nullptr) return false;
  return m_content.ResolveScriptPath(name, path);
}

// The size handler. Its layout runs the skin's size handlers, which may resize the window,
// unlock its layout or change its sizemode: each of those comes back here before the layout that
// caused it is done. One level of that runs in place, as a skin that corrects its own size
// expects; a deeper one is only remembered, and the outermost call applies the last size it was
// given once its own layout is over. Handlers that keep resizing the window are left at the
// layout of the last pass the outermost call runs, instead of recursing until the stack ends.
// Sizemode changes wait for the outermost call to finish its layout in any case: each costs the
// platform a round of window-state messages, and handlers that flip the mode of a window with
// many elements would otherwise run one per handler per layout, tens of thousands in a cascade.
// The last mode asked for is applied; handlers that ask again from the layout that change
// causes get kMaxDeferredSizeModes changes in all, the rest is traced and dropped.
void scDocument::OnSizeChanged(int sizeType, int width, int height) {
  if (m_sizeDepth >= kMaxNestedSizeChanges) {
    m_deferredSize = SizeChange{sizeType, width, height};
    return;
  }
  ++m_sizeDepth;
  ApplySize(sizeType, width, height);
  if (m_sizeDepth == 1) {
    ApplyDeferredSizes();
    for (int changes = 0; m_deferredSizeMode && m_hWnd != nullptr; ++changes) {
      const LONG mode = *std::exchange(m_deferredSizeMode, std::nullopt);
      if (mode == m_sizemode) continue;
      if (changes == kMaxDeferredSizeModes) {
        wchar_t line[160];
        std::swprintf(line, sizeof(line) / sizeof(line[0]),
                      L"Velmor: size handlers changed the sizemode of a window more than %d times "
                      L"in a row; sizemode %ld is not applied\n",
                      kMaxDeferredSizeModes, static_cast<long>(mode));
        ::OutputDebugStringW(line);
        break;
      }
      SendSizeModeCommand(mode);
      ApplyDeferredSizes();
    }
    m_deferredSize.reset();
    m_deferredSizeMode.reset();
  }
  --m_sizeDepth;
}

void scDocument::ApplyDeferredSizes() {
  for (int pass = 0; pass < kMaxDeferredSizes && m_deferredSize; ++pass) {
    const SizeChange next = *std::exchange(m_deferredSize, std::nullopt);
    ApplySize(next.type, next.width, next.height);
  }
  m_deferredSize.reset();
}

void scDocument::ApplySize(int sizeType, int width, int height) {
  scIContent* root = m_content.RootElement();
  if (sizeType != SIZE_MINIMIZED && m_layoutLock == 0 && root != nullptr) {
    // The paint lock spares the native invalidations of every moved element: its release
    // invalidates the whole client area once.
    lock(kRegionLock | kPaintLock);
    root->MoveSize(0, 0, width, height);
    unlock(kRegionLock | kPaintLock);
  }
  if (sizeType != m_sizemode && sizeType >= 0 && sizeType <= 2) {
    m_sizemode = sizeType;
    if (root != nullptr) DispatchDocumentEvent(root, kEventSizeMode);
  }
  // A minimised window shows none of its pixels: the frame is made again when it is restored.
  if (sizeType == SIZE_MINIMIZED) m_frame.Drop();
  InvalidateAll(TRUE);
  if (sizeType != SIZE_MINIMIZED) m_sticky.OnResized();
}

void scDocument::InvalidateAll(BOOL erase) {
  m_frame.MarkAllStale();
  if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, erase);
}

void scDocument::Relayout() {
  if (m_hWnd == nullptr) return;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  OnSizeChanged(m_sizemode, client.right - client.left, client.bottom - client.top);
}

// Message handlers.

LRESULT scDocument::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  // The window keeps the document alive until its last message.
  AddRef();
  m_windowReference = true;
  AddTermWindow(m_hWnd);
  m_sticky.SetWindow(m_hWnd);
  m_menus.Attach(m_hWnd);
  // The window's shortcuts filter the application's loop while the window lives.
  if (SUCCEEDED(scKeyShortcutsMgr::CreateObject(m_shortcuts.ReleaseAndGetAddressOf())))
    (void)m_shortcuts->Register(m_hWnd);
  // Every native window runs its scripts in an engine of its own. Without one (no script engine
  // on the machine) the window still works; its script elements are skipped.
  ComPtr<scIScriptContext> context;
  if (SUCCEEDED(CreateDocumentScriptContext(&context))) (void)SetScriptContext(context.Get());
  return 0;
}

LRESULT scDocument::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  RemoveTermWindow(m_hWnd);
  if (ComPtr<scKeyShortcutsMgr> shortcuts = std::move(m_shortcuts)) shortcuts->Unregister();
  m_menus.Detach();
  if (scIContent* root = m_content.RootElement()) DispatchDocumentEvent(root, kEventUnload);
  // After "unload", so that timers its handlers set never run either.
  m_timers.CancelAll(m_hWnd);
  m_mouse.Reset();
  m_sticky.Detach();
  m_sticky.SetWindow(nullptr);
  m_content.Clear();
  m_frame.Drop();
  EndModalLoop();
  // The windows this one opened see no parent from now on.
  m_weakSource.Revoke();
  // Script values may hold this window: let go of them, except the value a dialog's caller is
  // still to read.
  m_dialogArguments.Clear();
  if (!m_inModalLoop) m_returnValue.Clear();
  // Closing the context lets go of the objects its scripts published, this window among them.
  (void)SetScriptContext(nullptr);
  return 0;
}

LRESULT scDocument::OnTimerMessage(UINT, WPARAM wParam, LPARAM, BOOL&) {
  // The expression may destroy the window, which lets go of the context and this document.
  ComPtr<scDocument> keep(this);
  ComPtr<scIScriptContext> context = m_scriptContext;
  m_timers.OnTimerMessage(wParam, context.Get());
  return 0;
}

void scDocument::OnFinalMessage(HWND) {
  // Released after WM_NCDESTROY rather than in WM_DESTROY: the window procedure still runs on
  // this object until the last message has been handled.
  if (std::exchange(m_windowReference, false)) Release();
}

LRESULT scDocument::OnSize(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  OnSizeChanged(static_cast<int>(wParam), static_cast<short>(LOWORD(lParam)),
                static_cast<short>(HIWORD(lParam)));
  return 0;
}

LRESULT scDocument::OnStickyMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  switch (message) {
    case WM_ENTERSIZEMOVE: m_sticky.OnEnterSizeMove(); return 0;
    case WM_EXITSIZEMOVE: m_sticky.OnExitSizeMove(); return 0;
    case WM_MOVE: m_sticky.OnMoved(); return 0;
    case WM_MOVING: return m_sticky.OnMoving(reinterpret_cast<RECT*>(lParam)) ? TRUE : FALSE;
    case WM_SIZING:
      return m_sticky.OnSizing(static_cast<UINT>(wParam), reinterpret_cast<RECT*>(lParam)) ? TRUE
                                                                                           : FALSE;
    default: return 0;
  }
}

LRESULT scDocument::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
  // Without a root element there is nobody to agree to closing: the window stays.
  m_closePosted = false;
  if (m_content.RootElement() == nullptr || m_closing) return 0;
  // The window element hears first ("close") and may keep the window open.
  LRESULT kept = 0;
  m_closing = true;
  const bool handled = ForwardToRootElement(m_hWnd, WM_CLOSE, 0, 0, kept);
  m_closing = false;
  if (handled) return 0;
  // The opener is enabled again before this window goes, so that it becomes the active one.
  EndModalLoop();
  ::DestroyWindow(m_hWnd);
  return 0;
}

bool scDocument::ForwardToRootElement(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
  scIContent* root = m_content.RootElement();
  auto* map = dynamic_cast<CMessageMap*>(root);
  if (map == nullptr) return false;
  // Handlers may close the window, which lets go of the tree.
  ComPtr<scIContent> keep(root);
  return map->ProcessWindowMessage(window, message, wParam, lParam, result) != FALSE;
}

LRESULT scDocument::OnPaint(UINT, WPARAM wParam, LPARAM, BOOL&) {
  // A device context in wParam (WM_PRINTCLIENT, or WM_PAINT sent with one) gets the client area
  // within its clip box, whatever the locks say. Native controls paint their parent's background
  // under them through such a context clipped to their own box, once per control and paint: the
  // whole window each time would make a window of many controls quadratic to paint.
  if (HDC target = reinterpret_cast<HDC>(wParam)) {
    if (RootElement() == nullptr) return 0;
    RECT area{};
    ::GetClientRect(m_hWnd, &area);
    RECT clip{};
    const int clipped = ::GetClipBox(target, &clip);
    if (clipped == NULLREGION) return 0;
    if (clipped != ERROR && !::IntersectRect(&area, &area, &clip)) return 0;
    if (m_paintLock != 0) {
      // The frame may not hold what a locked tree has become: paint the tree as it is now.
      scDoubleBuffer buffer(target, area);
      (void)PaintIntoBuffer(buffer, RootElement(), m_hWnd);
      return 0;
    }
    PaintClient(target, area);
    return 0;
  }
  // Requests still kept by this message belong to this paint.
  FlushDeferredInvalidations();
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  // While the paint lock is held the update region is only validated: the old pixels stay until
  // the unlock repaints everything.
  if (dc != nullptr && m_paintLock == 0 && RootElement() != nullptr) PaintClient(dc, ps.rcPaint);
  ::EndPaint(m_hWnd, &ps);
  return 0;
}

void scDocument::PaintClient(HDC target, const RECT& area) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  // Only what the engine changed since the last paint is painted from the tree; a repaint the
  // platform asks for on its own is one copy. Without a frame (no memory for it), the area is
  // painted as a one-off buffer.
  if (m_frame.Prepare(target, client.right - client.left, client.bottom - client.top)) {
    m_frame.PaintTo(target, area, RootElement(), m_hWnd);
    return;
  }
  scDoubleBuffer buffer(target, area);
  (void)PaintIntoBuffer(buffer, RootElement(), m_hWnd);
}

LRESULT scDocument::OnLookChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
  InvalidateAll(FALSE);
  handled = FALSE;
  return 0;
}

// scIContentDocument

HRESULT scDocument::GetScriptContext(IUnknown** context) {
  if (context == nullptr) return E_POINTER;
  *context = m_scriptContext.Get();
  if (*context == nullptr) return S_FALSE;
  (*context)->AddRef();
  return S_OK;
}

HRESULT scDocument::CreateListenerManager(scIEventListenerManager** manager) {
  if (manager == nullptr) return E_POINTER;
  *manager = nullptr;
  return scEventListenerManager::Create(manager);
}

HRESULT scDocument::AddKeySet(scIContent* keySet) {
  RETURN_HR_IF(E_UNEXPECTED, !m_shortcuts);
  return m_shortcuts->AddKeySet(keySet);
}

// scIWidget

HRESULT scDocument::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = m_hWnd;
  return m_hWnd != nullptr ? S_OK : E_FAIL;
}

}  // namespace velmor
