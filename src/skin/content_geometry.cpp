// Geometry of the shared content implementation: the common attributes read at initialisation,
// move/size with its event, layout and invalidation, the anchoring layout of the children,
// invalidation up to the root element, visibility, state and the two lock counters.
#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "skin/anchor_layout.h"
#include "skin/attribute_readers.h"
#include "skin/event_record.h"
#include "skin/layout_pass.h"
#include "skin/prototype.h"
#include "skin/text_base_content.h"
#include "skin/value_grammar.h"

namespace velmor {
namespace {

// The size events being dispatched, one inside another, on the UI thread (where every element
// lives): only handlers nest them, by moving elements while they run.
int s_sizeEventDepth = 0;
// The nested size events that reached listeners since the outermost one began.
int s_nestedSizeEvents = 0;

// The prototype's texts of the attributes every element reads when it is made; null where the
// skin does not give one.
struct CommonTexts {
  const wchar_t* disabled = nullptr;
  const wchar_t* height = nullptr;
  const wchar_t* horizontalAlignment = nullptr;
  const wchar_t* left = nullptr;
  const wchar_t* passThrough = nullptr;
  const wchar_t* top = nullptr;
  const wchar_t* verticalAlignment = nullptr;
  const wchar_t* visible = nullptr;
  const wchar_t* width = nullptr;
};

// Their names in the code unit order of the prototype's attribute list, so that one walk over
// the list finds them all.
constexpr struct {
  std::wstring_view name;
  const wchar_t* CommonTexts::*text;
} kCommonAttributes[] = {
    {L"disabled", &CommonTexts::disabled},
    {L"height", &CommonTexts::height},
    {L"horizontalAlignment", &CommonTexts::horizontalAlignment},
    {L"left", &CommonTexts::left},
    {L"passThrough", &CommonTexts::passThrough},
    {L"top", &CommonTexts::top},
    {L"verticalAlignment", &CommonTexts::verticalAlignment},
    {L"visible", &CommonTexts::visible},
    {L"width", &CommonTexts::width},
};
static_assert(std::is_sorted(std::begin(kCommonAttributes), std::end(kCommonAttributes),
                             [](const auto& a, const auto& b) { return a.name < b.name; }));

CommonTexts FindCommonTexts(const scPrototypeElement& prototype) {
  CommonTexts texts;
  auto it = prototype.m_attributes.begin();
  const auto end = prototype.m_attributes.end();
  for (const auto& common : kCommonAttributes) {
    while (it != end && it->first < common.name) ++it;
    if (it == end) break;
    if (it->first == common.name) texts.*common.text = (it++)->second.data();
  }
  return texts;
}

// A geometry value: decimal, and an absent attribute leaves the value alone.
void ReadDecimal(const wchar_t* text, int32_t& value) {
  if (text != nullptr) ParseDecimalInt(text, value);
}

}  // namespace

void scITextBaseContent::ReadCommonAttributes(const scPrototypeElement& prototype) {
  const CommonTexts texts = FindCommonTexts(prototype);
  m_design = scRect{};
  ReadDecimal(texts.left, m_design.x);
  ReadDecimal(texts.top, m_design.y);
  ReadDecimal(texts.width, m_design.width);
  ReadDecimal(texts.height, m_design.height);

  uint32_t horizontal = 0;
  uint32_t vertical = 0;
  ParseHorizontalAlignment(texts.horizontalAlignment, horizontal);
  ParseVerticalAlignment(texts.verticalAlignment, vertical);
  SetAlignment((horizontal & kAlignHorizontalMask) | (vertical & kAlignVerticalMask));

  // The current rectangle starts as designed.
  SetPositionRaw(m_design.x, m_design.y);
  SetWidthRaw(m_design.width);
  SetHeightRaw(m_design.height);

  m_visible = true;
  ParseBool(texts.visible, m_visible);

  // The disabled state lives in the attribute store, where script changes go too.
  bool disabled = false;
  if (ParseBool(texts.disabled, disabled) && disabled) {
    VARIANT value;
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = VARIANT_TRUE;
    (void)SetAttr(L"disabled", value, FALSE);
  }

  if (const wchar_t* text = texts.passThrough) {
    bool passThrough = false;
    ParseBool(text, passThrough);  // anything but "true"/"false" counts as false
    SetPassThrough(passThrough);
  }
}

void scITextBaseContent::SetPositionRaw(int x, int y) {
  m_rect.x = x;
  m_rect.y = y;
}

void scITextBaseContent::SetPassThrough(bool passThrough) {
  if (passThrough) {
    m_flags |= kPassThrough;
  } else {
    m_flags &= ~kPassThrough;
  }
}

bool scITextBaseContent::FireSizeEvent() {
  scEventRecord record(false, kEventClassPlain, kEventSize);
  LONG status = kEventStatusNone;
  // A handler that moves its own element, or handlers that move each other's elements (or the
  // window, whose layout moves them again), would nest size events until the stack runs out.
  // Past a depth no sensible skin reaches, the element still moves, lays out and repaints; only
  // its listeners stay silent, which ends the cycle.
  if (s_sizeEventDepth == 0) {
    s_nestedSizeEvents = 0;
  } else if (s_sizeEventDepth >= kMaxNestedSizeEvents ||
             ++s_nestedSizeEvents > kMaxSizeEventsPerCascade) {
    record.flags |= kEventFlagNoListeners;
  }
  struct Depth {
    Depth() { ++s_sizeEventDepth; }
    ~Depth() { --s_sizeEventDepth; }
  } depth;
  // Handlers may drop the last other reference to this element (closing its window). Without
  // an event-object slot the listener table makes one that ends with its walk.
  ComPtr<scIContent> keep(this);
  // Layout sends every element its size event: a skin's handlers that cannot hear it leave the
  // element without a listener table (nothing would run and the status stays as it is).
  if (!HasWaitingSkinHandlers() || WaitingSkinHandlerMayHear(L"onsize"))
    (void)DispatchToListeners(&record, nullptr, &status);
  (void)PostHandleEvent(&record, &status);
  return status == kEventStatusPrevented;
}

void scITextBaseContent::MoveSize(int x, int y, int width, int height) {
  // No comparison with the old rectangle: a move to the same place still lays out and repaints.
  const scRect old = m_rect;
  m_rect = scRect{x, y, width, height};
  if (!FireSizeEvent()) LayoutChildren();
  if (scITextBaseContent* parent = ParentElement()) {
    parent->InvalidateRect(old.x, old.y, old.width, old.height);
    parent->InvalidateRect(x, y, width, height);
  }
}

namespace layout_pass {
namespace {

struct PassState {
  int depth = 0;
  std::vector<void (*)()> waiting;
};

PassState& State() {
  thread_local PassState s_state;
  return s_state;
}

}  // namespace

scScope::scScope() { ++State().depth; }

scScope::~scScope() {
  PassState& state = State();
  if (--state.depth != 0) return;
  // The work may lay out again (and ask again): each round takes what waits at its start.
  while (!state.waiting.empty()) {
    std::vector<void (*)()> work;
    work.swap(state.waiting);
    for (void (*run)() : work) run();
  }
}

bool Running() { return State().depth > 0; }

void AtEnd(void (*work)()) {
  auto& waiting = State().waiting;
  if (std::find(waiting.begin(), waiting.end(), work) == waiting.end()) waiting.push_back(work);
}

}  // namespace layout_pass

bool scITextBaseContent::LayoutChildren() {
  const layout_pass::scScope pass;
  // The lock is checked before every child: a child's size handler may take it.
  for (scITextBaseContent* child = m_firstChild; child != nullptr && LayoutLockCount() == 0;
       child = child->m_nextSibling) {
    const scRect placed = AnchorChild(child->m_rect, child->m_design, child->m_alignment,
                                      m_rect.width, m_rect.height, m_design.width, m_design.height);
    child->MoveSize(placed.x, placed.y, placed.width, placed.height);
  }
  return true;
}

void scITextBaseContent::InvalidateRect(int x, int y, int width, int height) {
  // Up the chain in the parent's coordinates; the root element turns it into a native
  // invalidation (scWindowContent), any other top element drops it.
  if (scITextBaseContent* parent = ParentElement())
    parent->InvalidateRect(anchor::Add(x, m_rect.x), anchor::Add(y, m_rect.y), width, height);
}

void scITextBaseContent::ContentStateChanged() {
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
}

ULONG scITextBaseContent::IntrinsicState() {
  bool disabled = false;
  return m_state | (GetBoolAttr(this, L"disabled", disabled) && disabled ? 0x40u : 0u);
}

void scITextBaseContent::SetVisible(bool visible) {
  const bool changed = visible != m_visible;
  if (changed) {
    // An element being shown places its children before it is repainted.
    if (visible) LayoutChildren();
    InvalidateRect(0, 0, m_rect.width, m_rect.height);
  }
  m_visible = visible;
  // Native windows inside follow the element (they are not painted with it).
  if (changed && (m_flags & kNativeWindowPath) != 0) {
    for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling)
      if ((child->m_flags & kNativeWindowPath) != 0) child->TreeVisibilityChanged();
  }
}

void scITextBaseContent::TreeVisibilityChanged() {
  for (scITextBaseContent* child = m_firstChild; child != nullptr; child = child->m_nextSibling)
    if ((child->m_flags & kNativeWindowPath) != 0) child->TreeVisibilityChanged();
}

void scITextBaseContent::MarkNativeWindowPath() {
  // Stops at the first element already on a path: everything above it is too.
  for (scITextBaseContent* element = this;
       element != nullptr && (element->m_flags & kNativeWindowPath) == 0;
       element = element->ParentElement())
    element->m_flags |= kNativeWindowPath;
}

bool scITextBaseContent::IsShownInTree() const {
  for (const scITextBaseContent* element = this; element != nullptr;
       element = element->ParentElement())
    if (!element->m_visible) return false;
  return true;
}

int32_t scITextBaseContent::PaintLock(bool increment) {
  Extras* extras = MakeExtras();
  if (extras == nullptr) return 0;
  int32_t& count = extras->paintLock;
  count = increment ? anchor::Add(count, 1) : anchor::Sub(count, 1);
  if (count == 0) InvalidateRect(0, 0, m_rect.width, m_rect.height);
  return count;
}

int32_t scITextBaseContent::LayoutLock(bool increment) {
  Extras* extras = MakeExtras();
  if (extras == nullptr) return 0;
  int32_t& count = extras->layoutLock;
  count = increment ? anchor::Add(count, 1) : anchor::Sub(count, 1);
  if (count == 0) LayoutChildren();
  return count;  // the extras stay while the element lives
}

}  // namespace velmor
