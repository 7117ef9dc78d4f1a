// IDOMWindowMisc on every document window: starting a document or program through the shell, and
// handing an element's screen rectangle to an outside game-list object.
#include <windows.h>
#include <shellapi.h>

#include "base/bstr.h"
#include "skin/text_base_content.h"
#include "window/document.h"

namespace velmor {
namespace {

// The element's rectangle in client coordinates of its window.
bool ElementClientRect(scIContent* element, RECT& rect) {
  scITextBaseContent* impl = scITextBaseContent::FromContent(element);
  if (impl == nullptr) return false;
  const scRect own = impl->Rect();
  LONG x = 0, y = 0;
  for (scITextBaseContent* e = impl; e != nullptr; e = e->ParentElement()) {
    x += e->Rect().x;
    y += e->Rect().y;
  }
  rect = {x, y, x + own.width, y + own.height};
  return true;
}

}  // namespace

STDMETHODIMP scDocument::shellExecute(BSTR verb, BSTR file) {
  // The shell's own answer is not the script's business: a file that cannot be opened shows the
  // shell's message, if any.
  if (file == nullptr) return S_OK;
  (void)::ShellExecuteW(m_hWnd, verb, file, nullptr, nullptr, SW_SHOWNORMAL);
  return S_OK;
}

STDMETHODIMP scDocument::showGameList(IUnknown* game, IUnknown* element) {
  ComPtr<IDispatch> list;
  ComPtr<scIContent> content;
  if (game == nullptr || element == nullptr || FAILED(game->QueryInterface(IID_PPV_ARGS(&list))) ||
      FAILED(element->QueryInterface(IID_PPV_ARGS(&content))))
    return S_OK;
  RECT box{};
  if (m_hWnd == nullptr || !ElementClientRect(content.Get(), box)) return S_OK;
  // Client coordinates include the frame's offset once mapped to the screen.
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&box), 2);
  const LONG width = box.right - box.left;
  const LONG height = box.bottom - box.top;
  OLECHAR name[] = L"showGameList";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(list->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return S_OK;
  // The point below the element's bottom-left corner, then the element's rectangle; arguments go
  // last to first.
  const LONG values[] = {static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_hWnd)),
                         box.left, box.top + height, box.left, box.top, width, height};
  constexpr UINT kCount = sizeof(values) / sizeof(values[0]);
  VARIANT args[kCount];
  for (UINT i = 0; i < kCount; ++i) {
    ::VariantInit(&args[i]);
    args[i].vt = VT_I4;
    args[i].lVal = values[kCount - 1 - i];
  }
  DISPPARAMS params{args, nullptr, kCount, 0};
  UniqueVariant result;
  (void)list->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.Put(),
                     nullptr, nullptr);
  return S_OK;
}

}  // namespace velmor
