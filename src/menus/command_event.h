// The "command" event menu items and keyboard shortcuts fire at themselves when chosen.
#pragma once
#include "events/dom_event.h"
#include "skin/event_record.h"

namespace velmor {

// Dispatches a plain custom event named "command" at 'target'; its "oncommand" handlers run now.
inline HRESULT FireCommandEvent(scIContent* target) {
  scEventRecord record(false, kEventClassPlain, kEventCustom);
  record.customType = L"command";
  LONG status = kEventStatusNone;
  return DispatchEventToTarget(target, &record, nullptr, &status);
}

}  // namespace velmor
