#include "controls/splitter.h"

#include "controls/native_content.h"
#include "events/mouse_event_record.h"
#include "render/paint_context.h"
#include "skin/attribute_readers.h"

namespace velmor {
namespace {

bool BoolAttr(scIContent* element, const wchar_t* name) {
  bool value = false;
  return GetBoolAttr(element, name, value) && value;
}

}  // namespace

HRESULT scSplitter::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_vertical = !BoolAttr(this, L"horizontal");
  int32_t size = 0;
  if (GetIntAttr(this, m_vertical ? L"leftPaneMinSize" : L"topPaneMinSize", size))
    SetMinSize(0, size);
  size = 0;
  if (GetIntAttr(this, m_vertical ? L"rightPaneMinSize" : L"bottomPaneMinSize", size))
    SetMinSize(1, size);
  if (BoolAttr(this, m_vertical ? L"rightAligned" : L"bottomAligned")) m_style = kSecondPaneKept;
  // Read after the alignment: a proportional splitter keeps no side.
  if (BoolAttr(this, L"proportional")) m_style = kProportional;
  return S_OK;
}

HRESULT scSplitter::InsertChildAt(scIContent* child, UINT index, BOOL notify) {
  RETURN_IF_FAILED(scITextBaseContent::InsertChildAt(child, index, notify));
  if (IsSetUp() || GetChildCount() != 3) return S_OK;
  scITextBaseContent* first = FirstChild();
  scITextBaseContent* bar = first->NextSibling();
  // Without a bar in the middle the splitter places nothing.
  if (dynamic_cast<scSplitterBar*>(bar) == nullptr) return S_OK;
  SetUpPanes(first, bar, bar->NextSibling(), Box());
  return S_OK;
}

bool scSplitter::LayoutChildren() {
  if (IsSetUp()) SetSplitterRect(Box(), true);
  return true;
}

bool scSplitter::GhostBarHost(HWND& host, POINT& at) {
  return native::FindHostWindow(this, host, at);
}

void scSplitter::OnBarEvent(uint32_t type, POINT client) {
  HWND host = nullptr;
  POINT at{};
  if (!native::FindHostWindow(this, host, at)) return;
  OnBarMouse(type, client.x - at.x, client.y - at.y);
}

STDMETHODIMP scSplitter::get_horizontal(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = IsVertical() ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP scSplitter::get_splitterPos(long* value) {
  if (value == nullptr) return E_POINTER;
  *value = SplitterPos();
  return S_OK;
}

STDMETHODIMP scSplitter::put_splitterPos(long value) {
  SetSplitterPos(value, true);
  return S_OK;
}

STDMETHODIMP scSplitter::get_singlePaneMode(long* value) {
  if (value == nullptr) return E_POINTER;
  *value = SinglePane() == -1 ? -1 : PaneIndex(SinglePane());
  return S_OK;
}

STDMETHODIMP scSplitter::put_singlePaneMode(long value) {
  // Values other than -1, 0 and 1 are ignored.
  if (!SetSinglePaneMode(value == -1 ? -1 : (value == 0 || value == 1 ? PaneIndex(value) : 2)))
    return S_OK;
  if (Bar() != nullptr) Bar()->SetVisible(SinglePane() == -1);
  return S_OK;
}

STDMETHODIMP scSplitter::setPaneMinSize(long pane, long minSize, VARIANT_BOOL update) {
  if (pane != 0 && pane != 1) return E_INVALIDARG;
  SetMinSize(PaneIndex(pane), minSize);
  if (update != VARIANT_FALSE) SetSplitterRect(Box(), true);
  return S_OK;
}

STDMETHODIMP scSplitter::getPaneMinSize(long pane, long* minSize) {
  if (pane != 0 && pane != 1) return E_INVALIDARG;
  if (minSize == nullptr) return E_POINTER;
  *minSize = MinSize(PaneIndex(pane));
  return S_OK;
}

STDMETHODIMP scSplitter::get_panePlace(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = m_swapped ? VARIANT_FALSE : VARIANT_TRUE;
  return m_swapped ? S_FALSE : S_OK;
}

STDMETHODIMP scSplitter::put_panePlace(VARIANT_BOOL value) {
  // True asks for the written order.
  if ((value != VARIANT_FALSE) != m_swapped) return S_OK;
  SwapPanes();
  m_swapped = !m_swapped;
  return S_OK;
}

STDMETHODIMP scSplitter::get_bar(IDOMNode** value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (Bar() != nullptr) (void)Bar()->QueryInterface(IID_PPV_ARGS(value));
  return S_OK;
}

HRESULT scSplitterBar::InitFromPrototype(scPrototypeElement* prototype) {
  RETURN_IF_FAILED(scITextBaseContent::InitFromPrototype(prototype));
  m_image.clear();
  (void)GetStringAttr(this, L"backgroundImage", m_image);
  ReadImageBoxDrawing(this, L"backgroundImageStretchMode", m_drawing);
  if (!HasAttr(L"backgroundImageStretchMode")) m_drawing.mode = scImageBoxDrawing::kStretch;
  return S_OK;
}

bool scSplitterBar::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (m_image.empty() || context == nullptr || context->graphics == nullptr) return true;
  (void)DrawImageInBox(context->graphics, m_image.c_str(), m_rect.width, m_rect.height, m_drawing);
  return true;
}

HRESULT scSplitterBar::PostHandleEvent(scEventRecord* record, LONG* status) {
  scSplitter* splitter = Splitter();
  if (splitter == nullptr || record == nullptr || record->eventClass != kEventClassMouse)
    return S_OK;
  const auto* mouse = static_cast<const scMouseEventRecord*>(record);
  splitter->OnBarEvent(mouse->type, mouse->point);
  return S_OK;
}

bool scSplitterBar::GetAttr(const wchar_t* name, VARIANT* value) {
  if (scITextBaseContent::GetAttr(name, value)) return true;
  scSplitter* splitter = Splitter();
  if (splitter == nullptr || name == nullptr || value == nullptr || wcscmp(name, L"cursor") != 0)
    return false;
  V_VT(value) = VT_BSTR;
  V_BSTR(value) = ::SysAllocString(splitter->IsVertical() ? L"sizewe" : L"sizens");
  return V_BSTR(value) != nullptr;
}

}  // namespace velmor
