// The document the element-tree benchmarks load into: the content tree's view of a document
// with no script context, listener tables or shortcut manager. It answers a window when one is
// set, and a paint lock when asked to hold one.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "render/paint.h"
#include "skin/content.h"
#include "skin/document_content.h"

namespace velmor::bench {

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
};

}  // namespace velmor::bench
