#include "controls/content_state.h"

namespace velmor {

ULONG FullContentState(scITextBaseContent* element) {
  if (element == nullptr) return 0;
  scIContentDocument* document = element->IsInDocument() ? element->OwnerDocument() : nullptr;
  ComPtr<scIEventStateManager> states;
  ULONG state = 0;
  if (document != nullptr && SUCCEEDED(document->QueryInterface(IID_PPV_ARGS(&states))) &&
      SUCCEEDED(states->GetContentState(element, &state)))
    return state;
  return element->IntrinsicState();
}

}  // namespace velmor
