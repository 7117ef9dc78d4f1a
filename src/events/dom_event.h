// The script event objects: scDOMEventInst (IDOMEvent) over a plain record and
// scDOMMouseEventInst (IDOMMouseEvent) over a mouse record, both scriptable through the dispatch
// bridge, plus the dispatch of one record to one element.
//
// An event object only borrows its record: the record belongs to the code that dispatches it
// and lives on that code's stack. When the dispatch that created the object ends, the object is
// detached from its record (scIPrivateDOMEvent::DetachRecord) and never reads or writes it
// again. A script that keeps the object sees, after the dispatch: E_UNEXPECTED from type,
// target, preventDefault and initEvent (a script error), and for a mouse event the values that
// need no record: screenX/screenY 0, clientX/clientY and offsetX/offsetY as last given to
// initMouseEvent, the modifier keys false, button 0 and relatedTarget null.
#pragma once
#include <windows.h>

#include <string>

#include "base/com_object.h"
#include "skin/event_record.h"
#include "events/mouse_event_record.h"
#include "script/dispatch_bridge.h"
#include "typelib/dual_dispatch.h"
#include "ui_h.h"

struct scIContent;

// How native code reaches the record behind an event object.
struct scIPrivateDOMEvent : public IUnknown {
  // The record, or null (S_FALSE) once the object has been detached.
  virtual HRESULT STDMETHODCALLTYPE GetRecord(scEventRecord** record) = 0;
  // Forgets the record for good: the dispatch that owned it has ended.
  virtual void STDMETHODCALLTYPE DetachRecord() = 0;
};
__CRT_UUID_DECL(scIPrivateDOMEvent, 0xefb0e559, 0xd266, 0x4927, 0xaf, 0x9d, 0x21, 0x11, 0x5e, 0x5c,
                0x2d, 0x26)

namespace velmor {

// The name of an event type ("click" for 0x402), or null for a number without a name. The
// custom type 0x401 has no fixed name: its name is the record's custom type text.
const wchar_t* EventTypeName(uint32_t type);
// The name a record's listeners are found by: the type's name or the custom text. False when
// the type has no name.
bool RecordEventName(const scEventRecord& record, std::wstring& name);

// The IDOMEvent members over a borrowed record, shared by the plain and the mouse objects.
template <class Derived, class Face>
class scDOMEvent : public DualDispatchImpl<Face> {
 public:
  using ComInterface = Face;

  STDMETHODIMP get_type(BSTR* type) override;
  STDMETHODIMP get_target(IDispatch** target) override;
  STDMETHODIMP preventDefault() override;
  STDMETHODIMP initEvent(BSTR eventTypeArg) override;

 protected:
  scEventRecord* m_record = nullptr;  // borrowed from the dispatcher; null once detached
};

class scDOMEventInst final
    : public ComObject<scDOMEventInst, IDispatchExImpl<scDOMEventInst>,
                       Also<IDispatch, IDispatchExImpl<scDOMEventInst>>,
                       IDispatchImplEx<scDOMEventInst>, scDOMEvent<scDOMEventInst, IDOMEvent>,
                       scIPrivateDOMEvent> {
 public:
  explicit scDOMEventInst(scEventRecord* record);
  IDispatchExImplBase& Bridge() { return m_bridge; }

  HRESULT STDMETHODCALLTYPE GetRecord(scEventRecord** record) override;
  void STDMETHODCALLTYPE DetachRecord() override { m_record = nullptr; }

 private:
  IDispatchExImplBase m_bridge;
};

// The IDOMMouseEvent members.
template <class Derived>
class scDOMMouseEvent : public scDOMEvent<Derived, IDOMMouseEvent> {
 public:
  STDMETHODIMP get_screenX(LONG* value) override { return Screen(value, true); }
  STDMETHODIMP get_screenY(LONG* value) override { return Screen(value, false); }
  STDMETHODIMP get_clientX(LONG* value) override { return Client(value, true); }
  STDMETHODIMP get_clientY(LONG* value) override { return Client(value, false); }
  STDMETHODIMP get_offsetX(LONG* value) override { return Offset(value, true); }
  STDMETHODIMP get_offsetY(LONG* value) override { return Offset(value, false); }
  STDMETHODIMP get_ctrlKey(VARIANT_BOOL* value) override;
  STDMETHODIMP get_shiftKey(VARIANT_BOOL* value) override;
  STDMETHODIMP get_altKey(VARIANT_BOOL* value) override;
  STDMETHODIMP get_button(LONG* value) override;
  STDMETHODIMP get_relatedTarget(IDispatch** value) override;
  STDMETHODIMP initMouseEvent(BSTR typeArg, LONG aScreenX, LONG aScreenY, LONG aClientX,
                              LONG aClientY, LONG aOffsetX, LONG aOffsetY, VARIANT_BOOL aCtrlKey,
                              VARIANT_BOOL aAltKey, VARIANT_BOOL aShiftKey, LONG aButton,
                              IDispatch* aRelatedTarget) override;

 protected:
  scMouseEventRecord* MouseRecord() const;
  [[nodiscard]] HRESULT Screen(LONG* value, bool x);
  [[nodiscard]] HRESULT Client(LONG* value, bool x);
  [[nodiscard]] HRESULT Offset(LONG* value, bool x);

  POINT m_client{0, 0};  // as given to initMouseEvent
  POINT m_offset{0, 0};
};

class scDOMMouseEventInst final
    : public ComObject<scDOMMouseEventInst, IDispatchExImpl<scDOMMouseEventInst>,
                       Also<IDispatch, IDispatchExImpl<scDOMMouseEventInst>>,
                       IDispatchImplEx<scDOMMouseEventInst>, scDOMMouseEvent<scDOMMouseEventInst>,
                       Also<IDOMEvent, scDOMMouseEvent<scDOMMouseEventInst>>, scIPrivateDOMEvent> {
 public:
  explicit scDOMMouseEventInst(scEventRecord* record);
  IDispatchExImplBase& Bridge() { return m_bridge; }

  HRESULT STDMETHODCALLTYPE GetRecord(scEventRecord** record) override;
  void STDMETHODCALLTYPE DetachRecord() override { m_record = nullptr; }

 private:
  IDispatchExImplBase m_bridge;
};

// Creates the event object for a record: a mouse event object for class 10, else a plain one.
[[nodiscard]] HRESULT CreateDOMEvent(scEventRecord* record, IDOMEvent** event);
// Detaches an event object from its record (nothing for null or foreign objects).
void DetachDOMEvent(IDOMEvent* event);
// The record behind an event object, or null.
scEventRecord* RecordOfDOMEvent(IDOMEvent* event);

// An event-object slot owned by a dispatcher: whatever object lands in it is detached from the
// record and released when the slot goes, so no script can reach the record afterwards.
class scEventObjectSlot {
 public:
  scEventObjectSlot() = default;
  ~scEventObjectSlot() { Reset(); }
  scEventObjectSlot(const scEventObjectSlot&) = delete;
  scEventObjectSlot& operator=(const scEventObjectSlot&) = delete;
  IDOMEvent** Put() {
    Reset();
    return &m_event;
  }
  IDOMEvent* Get() const { return m_event; }
  void Reset() {
    if (m_event == nullptr) return;
    DetachDOMEvent(m_event);
    m_event->Release();
    m_event = nullptr;
  }

 private:
  IDOMEvent* m_event = nullptr;
};

// Runs a record's listeners on one element, then the element's default action
// (PostHandleEvent). E_INVALIDARG for a null element or neither record nor event object; the
// result is the listener table's, or E_FAIL when the element has none (the default action runs
// in every case). When 'event' is null, an event object created here is detached and released
// before returning.
[[nodiscard]] HRESULT DispatchEventToTarget(scIContent* element, scEventRecord* record, IDOMEvent** event,
                              LONG* status);

// The absolute position of an element in its window: its x and y plus those of its ancestors.
POINT AbsolutePosition(scIContent* element);

}  // namespace velmor
