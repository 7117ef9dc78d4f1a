// The script members of IDOMWindow on a document window.
#include <utility>

#include "base/bstr.h"
#include "base/platform.h"
#include "base/platform_text.h"
#include "window/document.h"

namespace velmor {
namespace {

scDocument::MessageBoxFunction s_messageBox = &::MessageBoxW;

}  // namespace

void scDocument::SetMessageBoxFunction(MessageBoxFunction function) {
  s_messageBox = function != nullptr ? function : &::MessageBoxW;
}

STDMETHODIMP scDocument::get_document(IDOMDocument** document) {
  if (document == nullptr) return E_POINTER;
  *document = static_cast<IDOMDocument*>(static_cast<scDocumentNodeFace<scDocument>*>(this));
  (*document)->AddRef();
  return S_OK;
}

STDMETHODIMP scDocument::close() {
  // Requests made before the posted one is handled, or while a close is being decided, are
  // that same close: a skin asking thousands of times gets one close handler run, not thousands
  // of alerts each inside the one before.
  if (m_hWnd != nullptr && !m_closePosted && !m_closing)
    m_closePosted = ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0) != FALSE;
  return S_OK;
}

STDMETHODIMP scDocument::get_sizemode(LONG* mode) {
  if (mode == nullptr) return E_POINTER;
  // A change asked for during the size handler reads back at once, as one applied there would.
  *mode = m_deferredSizeMode ? *m_deferredSizeMode : m_sizemode;
  return S_OK;
}

STDMETHODIMP scDocument::put_sizemode(LONG mode) {
  if (mode < 0 || mode > 2 || m_hWnd == nullptr) return S_OK;
  // From inside the size handler (a size or sizemode event), the change waits for it to end.
  if (m_sizeDepth > 0) {
    m_deferredSizeMode = mode;
    return S_OK;
  }
  if (mode != m_sizemode) SendSizeModeCommand(mode);
  return S_OK;
}

void scDocument::SendSizeModeCommand(LONG mode) {
  static const WPARAM kCommands[] = {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE};
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  POINT cursor{};
  ::GetCursorPos(&cursor);
  ::SendMessageW(m_hWnd, WM_SYSCOMMAND, kCommands[mode], MAKELPARAM(cursor.x, cursor.y));
}

STDMETHODIMP scDocument::get_visible(VARIANT_BOOL* visible) {
  if (visible == nullptr) return S_OK;
  *visible = m_hWnd != nullptr && ::IsWindowVisible(m_hWnd) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scDocument::put_visible(VARIANT_BOOL visible) {
  if (m_hWnd == nullptr) return S_OK;
  const bool shown = ::IsWindowVisible(m_hWnd) != FALSE;
  if (visible != VARIANT_FALSE && !shown)
    ::ShowWindow(m_hWnd, ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
  else if (visible == VARIANT_FALSE && shown)
    ::ShowWindow(m_hWnd, SW_HIDE);
  return S_OK;
}

STDMETHODIMP scDocument::get_title(BSTR* title) {
  if (title == nullptr) return E_POINTER;
  *title = nullptr;
  if (m_hWnd == nullptr) return S_OK;
  // A title cut for the platform reads back whole while the window still shows its cut form.
  if (m_title.size() > kMaxPlatformText && NativeTitleIs(BoundedText(m_title))) {
    *title = ::SysAllocStringLen(m_title.data(), static_cast<UINT>(m_title.size()));
    RETURN_IF_NULL_ALLOC(*title);
    return S_OK;
  }
  return WindowTextBstr(m_hWnd, title);
}

STDMETHODIMP scDocument::put_title(BSTR title) {
  try {
    SetTitle(std::wstring(title != nullptr ? title : L"", ::SysStringLen(title)));
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

void scDocument::SetTitle(std::wstring title) {
  m_title = std::move(title);
  if (m_hWnd == nullptr) return;
  // Setting the title a window already shows costs Wine a round trip to the X server for
  // nothing; a skin setting a long title hundreds of times spent seconds on it.
  const std::wstring shown = BoundedText(m_title);
  if (!NativeTitleIs(shown)) ::SetWindowTextW(m_hWnd, shown.c_str());
}

bool scDocument::NativeTitleIs(const std::wstring& text) const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  if (length < 0 || static_cast<size_t>(length) != text.size()) return false;
  std::wstring native(text.size() + 1, L'\0');
  const int copied = ::GetWindowTextW(m_hWnd, native.data(), length + 1);
  native.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return native == text;
}

STDMETHODIMP scDocument::lock(LONG what) {
  if (what & kPaintLock) ++m_paintLock;
  if (what & kLayoutLock) ++m_layoutLock;
  if (what & kRegionLock) ++m_regionLock;
  return S_OK;
}

STDMETHODIMP scDocument::unlock(LONG what) {
  if (what & kPaintLock) {
    if (--m_paintLock == 0) InvalidateAll(FALSE);
  }
  const bool layout = (what & kLayoutLock) != 0;
  const bool region = (what & kRegionLock) != 0;
  if (layout) --m_layoutLock;
  if (region) --m_regionLock;
  // A layout rebuilds the shape itself, so a combined unlock does not update it twice.
  if (layout && m_layoutLock == 0)
    Relayout();
  else if (region && m_regionLock == 0)
    UpdateWindowRegion();
  return S_OK;
}

STDMETHODIMP scDocument::get_topMost(VARIANT_BOOL* topMost) {
  if (topMost == nullptr) return E_POINTER;
  const LONG_PTR exStyle = m_hWnd != nullptr ? ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) : 0;
  *topMost = (exStyle & WS_EX_TOPMOST) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scDocument::put_topMost(VARIANT_BOOL topMost) {
  if (m_hWnd == nullptr) return S_OK;
  const bool wasTopMost = (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (wasTopMost == (topMost != VARIANT_FALSE)) return S_OK;
  ::SetWindowPos(m_hWnd, topMost != VARIANT_FALSE ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
  return S_OK;
}

STDMETHODIMP scDocument::get_activated(VARIANT_BOOL* activated) {
  if (activated == nullptr) return E_POINTER;
  *activated =
      m_hWnd != nullptr && ::GetForegroundWindow() == m_hWnd ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP scDocument::put_activated(VARIANT_BOOL activated) {
  // Scripts may bring a window forward, never push it back.
  if (activated == VARIANT_TRUE && m_hWnd != nullptr) ::SetForegroundWindow(m_hWnd);
  return S_OK;
}

STDMETHODIMP scDocument::alert(BSTR message, BSTR title) {
  try {
    const std::wstring caption = title != nullptr && title[0] != L'\0'
                                     ? BoundedText(title, ::SysStringLen(title))
                                     : std::wstring(L"Velmor");
    const std::wstring text = BoundedText(message, ::SysStringLen(message));
    // The box's modal loop may run long: what changed before it is shown behind it.
    FlushDeferredInvalidations();
    s_messageBox(m_hWnd, text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

// Script timers.

STDMETHODIMP scDocument::setTimeout(BSTR expression, LONG msec, LONG* timerId) {
  return m_timers.Add(m_hWnd, expression, msec, false, timerId);
}

STDMETHODIMP scDocument::setInterval(BSTR expression, LONG msec, LONG* timerId) {
  return m_timers.Add(m_hWnd, expression, msec, true, timerId);
}

STDMETHODIMP scDocument::clearTimeout(LONG timerId) {
  m_timers.Clear(timerId);
  return S_OK;
}

STDMETHODIMP scDocument::clearInterval(LONG timerId) { return clearTimeout(timerId); }

}  // namespace velmor
