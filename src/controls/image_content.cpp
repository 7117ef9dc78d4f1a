#include "controls/image_content.h"

#include <new>

#include "render/paint_context.h"
#include "skin/attribute_readers.h"

namespace velmor {

scImageContent::~scImageContent() { StopObserving(); }

HRESULT scImageContent::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  // Parsing again re-reads the source; an element without "src" shows nothing.
  std::wstring src;
  (void)GetStringAttr(this, L"src", src);
  if (m_src.View() != src) {
    StopObserving();
    try {
      m_src.Assign(src);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    m_prepared = false;
  }
  ReadImageBoxDrawing(this, L"stretchMode", m_drawing);
  return S_OK;
}

void scImageContent::Destroy() {
  StopObserving();
  scITextBaseContent::Destroy();
}

bool scImageContent::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (!m_prepared) Prepare();
  if (m_src.Empty() || context == nullptr || context->graphics == nullptr) return true;
  // A missing or undecodable file draws nothing, silently.
  (void)DrawImageInBox(context->graphics, m_src.CStr(), m_rect.width, m_rect.height, m_drawing);
  return true;
}

void scImageContent::Prepare() {
  m_prepared = true;  // tried once per source change, found or not
  m_watch.Watch(m_src.CStr(), static_cast<imgIContainerObserver*>(this));
}

void scImageContent::StopObserving() { m_watch.Stop(static_cast<imgIContainerObserver*>(this)); }

void scImageContent::SetSource(const wchar_t* path) {
  // The old image's animation no longer concerns this element.
  StopObserving();
  if (path == nullptr) return;
  m_src.Assign(path);
  m_prepared = false;
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
}

HRESULT scImageContent::OnImageFrameChanged(imgIContainer*) {
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
  return S_OK;
}

STDMETHODIMP scImageContent::get_src(BSTR* src) {
  if (src == nullptr) return E_POINTER;
  *src = nullptr;
  if (m_src.Empty()) return S_OK;
  *src = ::SysAllocString(m_src.CStr());
  return *src != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP scImageContent::put_src(BSTR src) {
  try {
    // A null string from script is an empty path: the element shows nothing.
    SetSource(src != nullptr ? src : L"");
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

}  // namespace velmor
