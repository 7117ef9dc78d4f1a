#include "events/dom_event.h"

#include "base/bstr.h"
#include "events/event_listener_manager.h"
#include "skin/content.h"
#include "skin/text_base_content.h"

namespace velmor {
namespace {

struct TypeName {
  uint32_t type;
  const wchar_t* name;
};

const TypeName kTypeNames[] = {
    {kEventSize, L"size"},
    {kEventClose, L"close"},
    {kEventMouseMove, L"mousemove"},
    {kEventLButtonDown, L"mousedown"},
    {kEventRButtonDown, L"mousedown"},
    {kEventMButtonDown, L"mousedown"},
    {kEventLButtonUp, L"mouseup"},
    {kEventRButtonUp, L"mouseup"},
    {kEventMButtonUp, L"mouseup"},
    {kEventDblClick, L"dblclick"},
    {kEventMouseOut, L"mouseout"},
    {kEventClick, L"click"},
    {kEventLoad, L"load"},
    {kEventUnload, L"unload"},
    {kEventMouseOver, L"mouseover"},
    {kEventSizeMode, L"sizemode"},
};

// The names initEvent recognises per record class; anything else makes a custom event.
const TypeName kMouseInitNames[] = {
    {kEventLButtonDown, L"mousedown"}, {kEventLButtonUp, L"mouseup"},
    {kEventClick, L"click"},           {kEventDblClick, L"dblclick"},
    {kEventMouseMove, L"mousemove"},   {kEventMouseOver, L"mouseover"},
    {kEventMouseOut, L"mouseout"},
};
const TypeName kPlainInitNames[] = {
    {kEventLoad, L"load"},
    {kEventUnload, L"unload"},
};

template <size_t N>
bool FindInitType(const TypeName (&table)[N], const wchar_t* name, uint32_t& type) {
  for (const TypeName& entry : table) {
    if (_wcsicmp(entry.name, name) == 0) {
      type = entry.type;
      return true;
    }
  }
  return false;
}

[[nodiscard]] HRESULT ContentAsDispatch(scIContent* content, IDispatch** out) {
  *out = nullptr;
  if (content == nullptr) return S_FALSE;
  return SUCCEEDED(content->QueryInterface(IID_PPV_ARGS(out))) ? S_OK : S_FALSE;
}

const DispInterfaceEntry kEventEntries[] = {{&IID_IDOMEvent, nullptr}};
const DispInterfaceTable kEventTable = {kEventEntries, 1};
const DispInterfaceEntry kMouseEventEntries[] = {{&IID_IDOMMouseEvent, nullptr}};
const DispInterfaceTable kMouseEventTable = {kMouseEventEntries, 1};

}  // namespace

const wchar_t* EventTypeName(uint32_t type) {
  for (const TypeName& entry : kTypeNames) {
    if (entry.type == type) return entry.name;
  }
  return nullptr;
}

bool RecordEventName(const scEventRecord& record, std::wstring& name) {
  if (record.type == kEventCustom) {
    name = record.customType;
    return true;
  }
  const wchar_t* fixed = EventTypeName(record.type);
  if (fixed == nullptr) return false;
  name = fixed;
  return true;
}

POINT AbsolutePosition(scIContent* element) {
  POINT position{0, 0};
  for (scITextBaseContent* e = scITextBaseContent::FromContent(element); e != nullptr;
       e = e->ParentElement()) {
    position.x += e->Rect().x;
    position.y += e->Rect().y;
  }
  return position;
}

// IDOMEvent

template <class Derived, class Face>
STDMETHODIMP scDOMEvent<Derived, Face>::get_type(BSTR* type) {
  if (type == nullptr) return E_POINTER;
  *type = nullptr;
  if (m_record == nullptr) return E_UNEXPECTED;
  std::wstring name;
  if (!RecordEventName(*m_record, name)) return E_FAIL;
  *type = ::SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  return *type != nullptr ? S_OK : E_OUTOFMEMORY;
}

template <class Derived, class Face>
STDMETHODIMP scDOMEvent<Derived, Face>::get_target(IDispatch** target) {
  if (target == nullptr) return E_POINTER;
  *target = nullptr;
  if (m_record == nullptr) return E_UNEXPECTED;
  if (!m_record->target) return E_FAIL;
  // Elements without a script node have no script face: the target reads as null.
  (void)ContentAsDispatch(m_record->target.Get(), target);
  return S_OK;
}

template <class Derived, class Face>
STDMETHODIMP scDOMEvent<Derived, Face>::preventDefault() {
  if (m_record == nullptr) return E_UNEXPECTED;
  if ((m_record->flags & kEventFlagNotCancelable) == 0) m_record->flags |= kEventFlagPrevented;
  return S_OK;
}

template <class Derived, class Face>
STDMETHODIMP scDOMEvent<Derived, Face>::initEvent(BSTR eventTypeArg) {
  if (m_record == nullptr) return E_UNEXPECTED;
  const wchar_t* name = eventTypeArg != nullptr ? eventTypeArg : L"";
  uint32_t type = kEventCustom;
  if (m_record->eventClass == kEventClassMouse) {
    FindInitType(kMouseInitNames, name, type);
  } else {
    FindInitType(kPlainInitNames, name, type);
  }
  try {
    // A custom event keeps the bare name, as dispatchers store it: its listeners are "on" + the
    // name and its type answers the name itself.
    if (type == kEventCustom) m_record->customType.assign(name, ::SysStringLen(eventTypeArg));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  m_record->type = type;
  return S_OK;
}

// IDOMMouseEvent

template <class Derived>
scMouseEventRecord* scDOMMouseEvent<Derived>::MouseRecord() const {
  if (this->m_record == nullptr || this->m_record->eventClass != kEventClassMouse) return nullptr;
  return static_cast<scMouseEventRecord*>(this->m_record);
}

template <class Derived>
HRESULT scDOMMouseEvent<Derived>::Screen(LONG* value, bool x) {
  if (value == nullptr) return E_POINTER;
  *value = 0;
  scMouseEventRecord* record = MouseRecord();
  if (record == nullptr) return S_OK;
  POINT point = record->point;
  if (HWND window = record->WindowHandle()) ::ClientToScreen(window, &point);
  *value = x ? point.x : point.y;
  return S_OK;
}

template <class Derived>
HRESULT scDOMMouseEvent<Derived>::Client(LONG* value, bool x) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  const POINT point = record != nullptr && record->window ? record->point : m_client;
  *value = x ? point.x : point.y;
  return S_OK;
}

template <class Derived>
HRESULT scDOMMouseEvent<Derived>::Offset(LONG* value, bool x) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  POINT point = m_offset;
  if (record != nullptr && record->window && record->target) {
    const POINT origin = AbsolutePosition(record->target.Get());
    point = {record->point.x - origin.x, record->point.y - origin.y};
  }
  *value = x ? point.x : point.y;
  return S_OK;
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::get_ctrlKey(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  *value = record != nullptr && record->ctrl ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::get_shiftKey(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  *value = record != nullptr && record->shift ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::get_altKey(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  *value = record != nullptr && record->Alt() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::get_button(LONG* value) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  *value = record != nullptr ? record->button : 0;
  return S_OK;
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::get_relatedTarget(IDispatch** value) {
  if (value == nullptr) return E_POINTER;
  scMouseEventRecord* record = MouseRecord();
  return ContentAsDispatch(record != nullptr ? record->relatedTarget.Get() : nullptr, value);
}

template <class Derived>
STDMETHODIMP scDOMMouseEvent<Derived>::initMouseEvent(BSTR typeArg, LONG aScreenX, LONG aScreenY,
                                                      LONG aClientX, LONG aClientY, LONG aOffsetX,
                                                      LONG aOffsetY, VARIANT_BOOL aCtrlKey,
                                                      VARIANT_BOOL aAltKey, VARIANT_BOOL aShiftKey,
                                                      LONG aButton, IDispatch* aRelatedTarget) {
  RETURN_IF_FAILED(this->initEvent(typeArg));
  m_client = {aClientX, aClientY};
  m_offset = {aOffsetX, aOffsetY};
  scMouseEventRecord* record = MouseRecord();
  if (record == nullptr) return S_OK;
  record->point = {aScreenX, aScreenY};
  record->ctrl = aCtrlKey != VARIANT_FALSE;
  record->SetAlt(aAltKey != VARIANT_FALSE);
  record->shift = aShiftKey != VARIANT_FALSE;
  record->button = aButton;
  ComPtr<scIContent> related;
  if (aRelatedTarget != nullptr) aRelatedTarget->QueryInterface(IID_PPV_ARGS(&related));
  record->relatedTarget = related;
  return S_OK;
}

// The objects

scDOMEventInst::scDOMEventInst(scEventRecord* record) : m_bridge(kEventTable) {
  m_record = record;
  m_bridge.Bind(GetUnknown(), static_cast<scIJSObject*>(this));
}

HRESULT scDOMEventInst::GetRecord(scEventRecord** record) {
  if (record == nullptr) return E_POINTER;
  *record = m_record;
  return m_record != nullptr ? S_OK : S_FALSE;
}

scDOMMouseEventInst::scDOMMouseEventInst(scEventRecord* record) : m_bridge(kMouseEventTable) {
  m_record = record;
  m_bridge.Bind(GetUnknown(), static_cast<scIJSObject*>(this));
}

HRESULT scDOMMouseEventInst::GetRecord(scEventRecord** record) {
  if (record == nullptr) return E_POINTER;
  *record = m_record;
  return m_record != nullptr ? S_OK : S_FALSE;
}

template class scDOMEvent<scDOMEventInst, IDOMEvent>;
template class scDOMEvent<scDOMMouseEventInst, IDOMMouseEvent>;
template class scDOMMouseEvent<scDOMMouseEventInst>;

[[nodiscard]] HRESULT CreateDOMEvent(scEventRecord* record, IDOMEvent** event) {
  if (event == nullptr) return E_POINTER;
  *event = nullptr;
  RETURN_HR_IF_NULL(E_INVALIDARG, record);
  if (record->eventClass == kEventClassMouse)
    return scDOMMouseEventInst::Create<IDOMEvent>(event, record);
  return scDOMEventInst::Create<IDOMEvent>(event, record);
}

void DetachDOMEvent(IDOMEvent* event) {
  if (event == nullptr) return;
  ComPtr<scIPrivateDOMEvent> inner;
  if (SUCCEEDED(event->QueryInterface(IID_PPV_ARGS(&inner)))) inner->DetachRecord();
}

scEventRecord* RecordOfDOMEvent(IDOMEvent* event) {
  if (event == nullptr) return nullptr;
  ComPtr<scIPrivateDOMEvent> inner;
  scEventRecord* record = nullptr;
  if (SUCCEEDED(event->QueryInterface(IID_PPV_ARGS(&inner)))) inner->GetRecord(&record);
  return record;
}

namespace {

// False when the element's listener table is still to be made from its skin's handlers and none
// of them can hear the record's event: the dispatch then need not make it.
bool NeedsListenerTable(scIContent* element, const scEventRecord& record) {
  const scITextBaseContent* content = scITextBaseContent::FromContent(element);
  if (content == nullptr || !content->HasWaitingSkinHandlers()) return true;
  if (record.flags & kEventFlagNoListeners) return false;
  std::wstring name;
  try {
    if (!RecordEventName(record, name)) return false;
    name.insert(0, L"on");
  } catch (...) {
    return true;
  }
  return content->WaitingSkinHandlerMayHear(name);
}

}  // namespace

[[nodiscard]] HRESULT DispatchEventToTarget(scIContent* element, scEventRecord* record, IDOMEvent** event,
                              LONG* status) {
  if (element == nullptr) return E_INVALIDARG;
  if (record == nullptr) record = RecordOfDOMEvent(event != nullptr ? *event : nullptr);
  if (record == nullptr) return E_INVALIDARG;
  // Handlers may drop the last other reference to the element (closing its window).
  ComPtr<scIContent> keep(element);
  LONG localStatus = kEventStatusNone;
  if (status == nullptr) status = &localStatus;
  scEventObjectSlot local;
  IDOMEvent** slot = event != nullptr ? event : local.Put();
  HRESULT hr = E_FAIL;
  ComPtr<scIEventListenerManager> manager;
  if (!NeedsListenerTable(element, *record)) {
    hr = scEventListenerManagerImp::HandleUnheardEvent(record, status);
  } else if (SUCCEEDED(element->GetListenerManager(FALSE, &manager)) && manager) {
    hr = manager->HandleEvent(record, slot, status);
  }
  element->PostHandleEvent(record, status);
  return hr;
}

}  // namespace velmor
