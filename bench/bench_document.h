// The document the element-tree benchmarks load into: the content tree's view of a document
// with no script context, listener tables or shortcut manager. It answers a window when one is
// set, and a paint lock when asked to hold one. With the engine's element classes its root is the
// window element that turns invalidations into the native window's. BenchWindow is
// an engine window that runs a piece of code inside one of its messages, as script handlers run.
#pragma once
#include <windows.h>

#include <functional>

#include "base/com_object.h"
#include "base/window_impl.h"
#include "render/paint.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "window/element_class_table.h"

namespace velmor::bench {

class BenchWindow final : public velmor::CWindowImpl<BenchWindow> {
 public:
  static constexpr UINT kRunMessage = WM_APP + 1;
  static const velmor::WindowClassInfo& GetWndClassInfo() {
    static const velmor::WindowClassInfo s_info{L"VelmorBenchWindow", 0, nullptr, nullptr};
    return s_info;
  }
  HWND Create(bool shown) {
    RECT rect{0, 0, 800, 600};
    HWND window = CWindowImpl::Create(nullptr, &rect, L"", WS_POPUP,
                                      WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
    if (window != nullptr && shown) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
  }
  // Runs 'body' inside a message of the window.
  void RunInMessage(const std::function<void()>& body) {
    ::SendMessageW(m_hWnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&body));
  }

  BEGIN_MSG_MAP(BenchWindow)
    MESSAGE_HANDLER(kRunMessage, OnRun)
  END_MSG_MAP()

 private:
  LRESULT OnRun(UINT, WPARAM, LPARAM lParam, BOOL&) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
};

class BenchDocument final
    : public velmor::ComObject<BenchDocument, scIContentDocument, scIWidget,
                               scIWindowPaintLock> {
 public:
  bool STDMETHODCALLTYPE IsPaintLocked() override { return m_paintLocked; }
  bool m_paintLocked = false;
  HRESULT STDMETHODCALLTYPE GetScriptContext(IUnknown** context) override {
    *context = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE CreateListenerManager(scIEventListenerManager** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddKeySet(scIContent*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RegisterElementId(const wchar_t* id, scIContent* e) override {
    return m_content.RegisterId(id, e);
  }
  scIContent* STDMETHODCALLTYPE FindElementById(const wchar_t* id) override {
    return m_content.FindById(id);
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
  }
  velmor::scDocumentContent& Content() { return m_content; }
  HWND m_window = nullptr;

 private:
  velmor::scDocumentContent m_content{this};

 public:
  // Builds the engine's element classes instead of the content tree's plain ones.
  void UseEngineClasses() { m_content.SetElementClasses(velmor::EngineElementClasses()); }
};

}  // namespace velmor::bench
