// The state an element shows: its own bits with the disabled bit, plus active and hover as its
// document's event-state manager answers them.
#pragma once
#include <windows.h>

#include "events/event_state_manager.h"
#include "skin/text_base_content.h"

namespace velmor {

// The element's full state word (0x01 active, 0x04 hover, 0x20 checked, 0x40 disabled). An
// element outside a document, or in one without an event-state manager, has only its own bits.
ULONG FullContentState(scITextBaseContent* element);

}  // namespace velmor
