// The event record: what the code that notices something fills and dispatches to one element.
// Mouse records and paint contexts extend it with their own fields.
#pragma once
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

struct scIContent;

namespace velmor {

enum : uint8_t {
  kEventClassPlain = 1,
  kEventClassPaint = 7,
  kEventClassMouse = 10,
};

enum : uint32_t {
  kEventFlagCreatedTrue = 0x1,     // created with its first argument true; nothing reads it
  kEventFlagNoListeners = 0x2,     // listeners are not run
  kEventFlagPrevented = 0x4,       // the default action is prevented
  kEventFlagNotCancelable = 0x8,   // the event cannot be prevented
  kEventFlagInListeners = 0x800,   // set while the record's listeners run
};

// Event type numbers (those of the matching window messages where one exists).
enum : uint32_t {
  kEventSize = 5,
  kEventClose = 16,
  kEventPaint = 15,
  kEventMouseMove = 0x200,
  kEventLButtonDown = 0x201,
  kEventLButtonUp = 0x202,
  kEventDblClick = 0x203,
  kEventRButtonDown = 0x204,
  kEventRButtonUp = 0x205,
  kEventMButtonDown = 0x207,
  kEventMButtonUp = 0x208,
  kEventMouseOut = 0x2A3,
  kEventCustom = 0x401,
  kEventClick = 0x402,
  kEventLoad = 0x404,
  kEventUnload = 0x405,
  kEventMouseOver = 0x406,
  kEventSizeMode = 0x407,
};

// Dispatch status passed in and out along a dispatch.
enum : LONG {
  kEventStatusNone = 0,
  kEventStatusPrevented = 1,       // on return: the default action is prevented
  kEventStatusStartPrevented = 2,  // given by the dispatcher: start default-prevented
};

}  // namespace velmor

// Owned by the code that dispatches it and passed by pointer; never outlives that code's scope.
struct scEventRecord {
  scEventRecord(bool createdTrue, uint8_t eventClass, uint32_t eventType)
      : eventClass(eventClass),
        type(eventType),
        flags(createdTrue ? velmor::kEventFlagCreatedTrue : 0u) {}
  virtual ~scEventRecord() = default;
  scEventRecord(const scEventRecord&) = delete;
  scEventRecord& operator=(const scEventRecord&) = delete;

  uint8_t eventClass;
  uint32_t type;
  uint32_t flags;
  std::wstring customType;                   // for type 0x401: the name without "on"
  Microsoft::WRL::ComPtr<scIContent> target;  // the element whose listeners run
};
