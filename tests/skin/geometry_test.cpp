// Element geometry: the common attributes read at initialisation, the anchoring layout rule,
// move/size with its invalidations, invalidation up to the native window, visibility, the lock
// counters, and what the IDOMAmbient interface does natively that scripts cannot observe (out
// pointers, repaints, state bits, alignment bits without a relayout). Scripts reach the members
// through real elements in a real window (tests/window/element_script_test.cpp).
#include <windows.h>

#include <vector>

#include "content_fixture.h"
#include "skin/anchor_layout.h"

namespace velmor {

// Rectangles in failure messages.
inline std::ostream& operator<<(std::ostream& out, const scRect& r) {
  return out << "{" << r.x << "," << r.y << "," << r.width << "," << r.height << "}";
}

namespace skin_test {
namespace {

// An element that counts its moves and layouts and, at the top of a tree, records the
// invalidations that reach it instead of passing them to a window.
class ProbeContent final : public scContentClass<ProbeContent> {
 public:
  const wchar_t* NodeName() const override { return L"probe"; }
  void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) override {
    ++moves;
    scITextBaseContent::MoveSize(x, y, width, height);
  }
  bool STDMETHODCALLTYPE LayoutChildren() override {
    ++layouts;
    return scITextBaseContent::LayoutChildren();
  }
  void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) override {
    if (ParentElement() == nullptr) {
      invalidations.push_back(scRect{x, y, width, height});
    } else {
      scITextBaseContent::InvalidateRect(x, y, width, height);
    }
  }
  int moves = 0;
  int layouts = 0;
  std::vector<scRect> invalidations;
};

using Attributes = std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>;

class GeometryTest : public ContentTest {
 protected:
  void TearDown() override {
    DestroyElements();
    for (ProbeContent* p : m_probes) {
      p->Destroy();
      p->Release();
    }
    m_probes.clear();
    ContentTest::TearDown();
  }

  // A probe initialised from a prototype and, when 'parent' is given, appended to it.
  ProbeContent* Probe(Attributes attributes, ProbeContent* parent = nullptr) {
    ProbeContent* probe = nullptr;
    EXPECT_EQ(ProbeContent::CreateObject(&probe), S_OK);
    EXPECT_EQ(probe->InitFromPrototype(Prototype(L"probe", attributes)), S_OK);
    if (parent != nullptr) {
      EXPECT_EQ(parent->AppendChildTo(probe, FALSE), S_OK);
      probe->Release();  // the parent's list holds it
    } else {
      m_probes.push_back(probe);
    }
    return probe;
  }
  static ComPtr<IDOMAmbient> Ambient(scIContent* element) {
    ComPtr<IDOMAmbient> ambient;
    EXPECT_EQ(element->QueryInterface(IID_PPV_ARGS(&ambient)), S_OK);
    return ambient;
  }
  // A real element (with IDOMAmbient) created from a prototype, optionally under a probe root.
  ComPtr<scIContent> Element(Attributes attributes, ProbeContent* parent = nullptr) {
    ComPtr<scIContent> element = Create(Prototype(L"button", attributes));
    if (element && parent != nullptr) {
      EXPECT_EQ(parent->AppendChildTo(element.Get(), FALSE), S_OK);
    }
    if (element && parent == nullptr) m_elements.push_back(element);
    return element;
  }
  void DestroyElements() {
    for (auto& e : m_elements) e->Destroy();
    m_elements.clear();
  }

  std::vector<ProbeContent*> m_probes;
  std::vector<ComPtr<scIContent>> m_elements;
};

// ---------------------------------------------------------------------------------------------
// Common attributes

TEST_F(GeometryTest, InitialisationReadsTheDesignRectangleAsDecimal) {
  struct Case {
    Attributes attributes;
    scRect design;
  } const cases[] = {
      {{{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}}, {10, 20, 30, 40}},
      {{}, {0, 0, 0, 0}},
      {{{L"left", L"010"}, {L"top", L"0x10"}, {L"width", L" -7px"}, {L"height", L"abc"}},
       {10, 0, -7, 0}},
      {{{L"width", L"99999999999"}, {L"height", L"-99999999999"}}, {0, 0, INT32_MAX, INT32_MIN}},
  };
  for (const Case& c : cases) {
    ProbeContent* probe = Probe(c.attributes);
    EXPECT_EQ(probe->DesignRect(), c.design);
    EXPECT_EQ(probe->Rect(), c.design) << "the current rectangle starts as designed";
  }
}

TEST_F(GeometryTest, InitialisationReadsAlignmentVisibilityAndPassThrough) {
  struct Case {
    Attributes attributes;
    uint32_t alignment;
    bool visible;
    bool passThrough;
  } const cases[] = {
      {{}, 0, true, false},
      {{{L"horizontalAlignment", L"right"}, {L"verticalAlignment", L"bottom"}}, 2 | 32, true, false},
      {{{L"horizontalAlignment", L"center"}, {L"verticalAlignment", L"center"}}, 4 | 64, true, false},
      {{{L"horizontalAlignment", L"stretch"}, {L"verticalAlignment", L"stretch"}}, 1 | 16, true,
       false},
      {{{L"horizontalAlignment", L"Right"}, {L"verticalAlignment", L"top"}}, 0, true, false},
      {{{L"visible", L"false"}}, 0, false, false},
      {{{L"visible", L"FALSE"}}, 0, true, false},
      {{{L"visible", L"true"}, {L"passThrough", L"true"}}, 0, true, true},
      {{{L"passThrough", L"yes"}}, 0, true, false},
      {{{L"passThrough", L"false"}}, 0, true, false},
  };
  for (const Case& c : cases) {
    ProbeContent* probe = Probe(c.attributes);
    EXPECT_EQ(probe->Alignment(), c.alignment);
    EXPECT_EQ(probe->IsVisible(), c.visible);
    EXPECT_EQ(probe->IsPassThrough(), c.passThrough);
  }
}

TEST_F(GeometryTest, DisabledInTheSkinBecomesALiveBooleanAndAState) {
  struct Case {
    const wchar_t* text;
    bool live;
  } const cases[] = {{L"true", true}, {L"false", false}, {L"1", false}, {nullptr, false}};
  for (const Case& c : cases) {
    ProbeContent* probe = c.text ? Probe({{L"disabled", c.text}}) : Probe({});
    // Only a live value is a VT_BOOL; the prototype's text reads as a string.
    Var value;
    const bool found = probe->GetAttr(L"disabled", &value);
    EXPECT_EQ(found && V_VT(&value) == VT_BOOL, c.live) << (c.text ? c.text : L"(absent)");
    if (c.live) {
      EXPECT_EQ(V_BOOL(&value), VARIANT_TRUE);
    }
    EXPECT_EQ(probe->IntrinsicState() & 0x40, c.live ? 0x40u : 0u);
  }
}

// ---------------------------------------------------------------------------------------------
// The anchoring rule

// Parent designed 400 x 300, child designed at (300, 200) 80 x 50, parent resized.
TEST_F(GeometryTest, ChildrenFollowTheirAlignmentWhenTheParentIsResized) {
  struct Case {
    const wchar_t* horizontal;
    const wchar_t* vertical;
    int parentWidth, parentHeight;
    scRect expected;
  } const cases[] = {
      {L"right", L"top", 500, 300, {400, 200, 80, 50}},
      {L"stretch", L"top", 500, 300, {300, 200, 180, 50}},
      {L"center", L"top", 500, 300, {210, 200, 80, 50}},
      {L"left", L"top", 500, 300, {300, 200, 80, 50}},
      {L"left", L"bottom", 500, 360, {300, 260, 80, 50}},
      {L"left", L"stretch", 500, 360, {300, 200, 80, 110}},
      {L"left", L"center", 500, 360, {300, 155, 80, 50}},
      {L"right", L"bottom", 450, 250, {350, 150, 80, 50}},
      // Shrinking below the design size: widths may reach zero and go negative.
      {L"stretch", L"top", 320, 300, {300, 200, 0, 50}},
      {L"stretch", L"stretch", 100, 100, {300, 200, -220, -150}},
      {L"right", L"top", 100, 300, {0, 200, 80, 50}},
      // Centring truncates toward zero: (51 - 80) / 2 = -14.
      {L"center", L"center", 51, 41, {-14, -4, 80, 50}},
  };
  for (const Case& c : cases) {
    ProbeContent* parent = Probe({{L"width", L"400"}, {L"height", L"300"}});
    ProbeContent* child = Probe({{L"left", L"300"},
                                 {L"top", L"200"},
                                 {L"width", L"80"},
                                 {L"height", L"50"},
                                 {L"horizontalAlignment", c.horizontal},
                                 {L"verticalAlignment", c.vertical}},
                                parent);
    parent->MoveSize(0, 0, c.parentWidth, c.parentHeight);
    EXPECT_EQ(child->Rect(), c.expected)
        << c.horizontal << "/" << c.vertical << " in " << c.parentWidth << "x" << c.parentHeight;
    EXPECT_EQ(child->DesignRect(), (scRect{300, 200, 80, 50})) << "design never changes";
  }
}

TEST_F(GeometryTest, LayoutStartsFromTheCurrentRectangleAndCascades) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* panel = Probe({{L"left", L"10"},
                               {L"top", L"10"},
                               {L"width", L"380"},
                               {L"height", L"280"},
                               {L"horizontalAlignment", L"stretch"},
                               {L"verticalAlignment", L"stretch"}},
                              root);
  ProbeContent* leftAligned = Probe({{L"left", L"5"}, {L"width", L"20"}, {L"height", L"20"}}, panel);
  ProbeContent* corner = Probe({{L"left", L"350"},
                                {L"top", L"250"},
                                {L"width", L"20"},
                                {L"height", L"20"},
                                {L"horizontalAlignment", L"right"},
                                {L"verticalAlignment", L"bottom"}},
                               panel);
  leftAligned->MoveSize(40, 50, 20, 20);  // moved by a script: left alignment keeps it there
  root->MoveSize(0, 0, 600, 500);
  EXPECT_EQ(panel->Rect(), (scRect{10, 10, 580, 480}));
  EXPECT_EQ(leftAligned->Rect(), (scRect{40, 50, 20, 20}));
  EXPECT_EQ(corner->Rect(), (scRect{550, 450, 20, 20}));
  // A child's size handler gets no chance to interfere: each child is moved once per layout.
  EXPECT_EQ(corner->moves, 1);
}

TEST(AnchorRule, ArithmeticWrapsInsteadOfOverflowing) {
  const scRect design{INT32_MAX - 10, 0, 20, 10};
  const scRect placed = AnchorChild(design, design, 1, 100, 10, 0, 10);
  // R = 100 - 0 + (INT32_MAX - 10) + 20 wraps around; the width is R - L in the same arithmetic.
  EXPECT_EQ(placed.x, design.x);
  EXPECT_EQ(placed.width, 120);
}

// ---------------------------------------------------------------------------------------------
// Move/size, invalidation, visibility and locks

TEST_F(GeometryTest, MoveSizeInvalidatesTheOldAndTheNewRectangleInTheParent) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* child =
      Probe({{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}}, root);
  child->MoveSize(50, 60, 70, 80);
  ASSERT_EQ(root->invalidations.size(), 2u);
  EXPECT_EQ(root->invalidations[0], (scRect{10, 20, 30, 40}));
  EXPECT_EQ(root->invalidations[1], (scRect{50, 60, 70, 80}));
  EXPECT_EQ(child->layouts, 1);
  // The same rectangle again still lays out and repaints.
  child->MoveSize(50, 60, 70, 80);
  EXPECT_EQ(root->invalidations.size(), 4u);
  EXPECT_EQ(child->layouts, 2);
  // Resizing the top element moves its (left-aligned) child in place, which repaints itself;
  // the top element has no parent to repaint it.
  root->MoveSize(0, 0, 10, 10);
  ASSERT_EQ(root->invalidations.size(), 6u);
  EXPECT_EQ(root->invalidations[4], (scRect{50, 60, 70, 80}));
  EXPECT_EQ(root->invalidations[5], (scRect{50, 60, 70, 80}));
}

TEST_F(GeometryTest, InvalidationsAreTranslatedUpTheChain) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* panel =
      Probe({{L"left", L"100"}, {L"top", L"50"}, {L"width", L"200"}, {L"height", L"200"}}, root);
  ProbeContent* item =
      Probe({{L"left", L"7"}, {L"top", L"9"}, {L"width", L"30"}, {L"height", L"12"}}, panel);
  item->InvalidateRect(1, 2, 3, 4);
  item->ContentStateChanged();
  ASSERT_EQ(root->invalidations.size(), 2u);
  EXPECT_EQ(root->invalidations[0], (scRect{108, 61, 3, 4}));
  EXPECT_EQ(root->invalidations[1], (scRect{107, 59, 30, 12}));
}

TEST_F(GeometryTest, SetVisibleActsOnlyOnChanges) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* child =
      Probe({{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}}, root);
  child->SetVisible(true);
  EXPECT_TRUE(root->invalidations.empty());
  EXPECT_EQ(child->layouts, 0);
  child->SetVisible(false);
  EXPECT_FALSE(child->IsVisible());
  ASSERT_EQ(root->invalidations.size(), 1u);
  EXPECT_EQ(child->layouts, 0) << "hiding does not lay out";
  child->SetVisible(false);
  EXPECT_EQ(root->invalidations.size(), 1u);
  child->SetVisible(true);
  EXPECT_TRUE(child->IsVisible());
  EXPECT_EQ(child->layouts, 1);
  ASSERT_EQ(root->invalidations.size(), 2u);
  EXPECT_EQ(root->invalidations[1], (scRect{10, 20, 30, 40}));
}

TEST_F(GeometryTest, InvisibleChildrenAreLaidOutToo) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* hidden = Probe(
      {{L"left", L"300"}, {L"width", L"80"}, {L"horizontalAlignment", L"right"}, {L"visible", L"false"}},
      root);
  root->MoveSize(0, 0, 500, 300);
  EXPECT_EQ(hidden->Rect().x, 400);
}

TEST_F(GeometryTest, LayoutLockDefersChildLayoutToTheLastUnlock) {
  ProbeContent* root = Probe({{L"width", L"1000"}, {L"height", L"1000"}});
  ProbeContent* parent = Probe({{L"width", L"400"}, {L"height", L"300"}}, root);
  ProbeContent* child = Probe(
      {{L"left", L"300"}, {L"width", L"80"}, {L"height", L"10"}, {L"horizontalAlignment", L"right"}},
      parent);
  EXPECT_EQ(parent->LayoutLock(true), 1);
  EXPECT_EQ(parent->LayoutLock(true), 2);
  for (int width : {450, 500, 520}) parent->MoveSize(0, 0, width, 300);
  EXPECT_EQ(parent->Rect().width, 520) << "the locked element itself still moves";
  EXPECT_EQ(root->invalidations.size(), 6u) << "and still repaints old and new rectangles";
  EXPECT_EQ(child->moves, 0);
  EXPECT_EQ(child->Rect().x, 300);
  EXPECT_EQ(parent->LayoutLock(false), 1);
  EXPECT_EQ(child->moves, 0) << "still held";
  EXPECT_EQ(parent->LayoutLock(false), 0);
  EXPECT_EQ(child->moves, 1) << "one layout at the unlock";
  EXPECT_EQ(child->Rect().x, 420);
}

TEST_F(GeometryTest, LockCountsRunTheirActionWheneverTheyReachZero) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ProbeContent* child =
      Probe({{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}}, root);
  EXPECT_EQ(child->PaintLock(true), 1);
  EXPECT_EQ(child->PaintLock(true), 2);
  EXPECT_EQ(child->PaintLock(false), 1);
  EXPECT_TRUE(root->invalidations.empty());
  EXPECT_FALSE(child->Paint(nullptr)) << "painting is held";
  EXPECT_EQ(child->PaintLock(false), 0);
  ASSERT_EQ(root->invalidations.size(), 1u);
  EXPECT_EQ(root->invalidations[0], (scRect{10, 20, 30, 40}));
  // Unbalanced: going below zero does nothing, coming back to zero acts again.
  EXPECT_EQ(child->PaintLock(false), -1);
  EXPECT_EQ(child->PaintLock(true), 0);
  EXPECT_EQ(root->invalidations.size(), 2u);
  const int layouts = child->layouts;
  EXPECT_EQ(child->LayoutLock(false), -1);
  EXPECT_EQ(child->LayoutLock(true), 0);
  EXPECT_EQ(child->layouts, layouts + 1);
}

// ---------------------------------------------------------------------------------------------
// IDOMAmbient

TEST_F(GeometryTest, AmbientGettersCheckTheirOutPointers) {
  ComPtr<IDOMAmbient> a = Ambient(Element({}).Get());
  EXPECT_EQ(a->get_id(nullptr), E_POINTER);
  EXPECT_EQ(a->get_left(nullptr), E_POINTER);
  EXPECT_EQ(a->get_right(nullptr), E_POINTER);
  EXPECT_EQ(a->get_visible(nullptr), E_POINTER);
  EXPECT_EQ(a->get_disabled(nullptr), E_POINTER);
  EXPECT_EQ(a->get_passThrough(nullptr), E_POINTER);
  EXPECT_EQ(a->get_horizontalAlignment(nullptr), E_POINTER);
  EXPECT_EQ(a->get_verticalAlignment(nullptr), E_POINTER);
  DestroyElements();
}

TEST_F(GeometryTest, AlignmentPutsKeepTheOtherAxis) {
  struct Case {
    const wchar_t* skinH;
    const wchar_t* skinV;
    bool horizontal;  // which property is put
    const wchar_t* put;
    const wchar_t* expectedH;
    const wchar_t* expectedV;
  } const cases[] = {
      {L"left", L"bottom", true, L"center", L"center", L"bottom"},
      {L"right", L"stretch", true, L"stretch", L"stretch", L"stretch"},
      {L"center", L"center", true, L"Right", L"left", L"center"},
      {L"right", L"bottom", true, nullptr, L"right", L"bottom"},
      {L"right", L"top", false, L"bottom", L"right", L"bottom"},
      {L"stretch", L"center", false, L"stretch", L"stretch", L"stretch"},
      {L"center", L"bottom", false, L"middle", L"center", L"top"},
      {L"left", L"center", false, nullptr, L"left", L"center"},
      {L"", L"", true, L"right", L"right", L"top"},
  };
  for (const Case& c : cases) {
    ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
    ComPtr<scIContent> e = Element(
        {{L"horizontalAlignment", c.skinH}, {L"verticalAlignment", c.skinV}, {L"width", L"10"}},
        root);
    ComPtr<IDOMAmbient> a = Ambient(e.Get());
    UniqueBstr value(c.put ? c.put : L"");
    BSTR argument = c.put ? value.Get() : nullptr;
    EXPECT_EQ(c.horizontal ? a->put_horizontalAlignment(argument)
                           : a->put_verticalAlignment(argument),
              S_OK);
    UniqueBstr h, v;
    ASSERT_EQ(a->get_horizontalAlignment(h.Put()), S_OK);
    ASSERT_EQ(a->get_verticalAlignment(v.Put()), S_OK);
    EXPECT_STREQ(h.Get(), c.expectedH) << c.skinH << "/" << c.skinV << " put " << c.put;
    EXPECT_STREQ(v.Get(), c.expectedV) << c.skinH << "/" << c.skinV << " put " << c.put;
    EXPECT_EQ(Impl(e)->Rect(), (scRect{0, 0, 10, 0})) << "no relayout";
    EXPECT_TRUE(root->invalidations.empty());
  }
}

TEST_F(GeometryTest, AlignmentGetterPrefersRightThenCenterThenStretch) {
  struct Case {
    uint32_t flags;
    const wchar_t* horizontal;
    const wchar_t* vertical;
  } const cases[] = {
      {0, L"left", L"top"},          {7, L"right", L"top"},       {5, L"center", L"top"},
      {1, L"stretch", L"top"},       {0x70, L"left", L"bottom"},  {0x50, L"left", L"center"},
      {0x10, L"left", L"stretch"},   {0x46, L"right", L"center"},
  };
  ComPtr<scIContent> e = Element({});
  ComPtr<IDOMAmbient> a = Ambient(e.Get());
  for (const Case& c : cases) {
    Impl(e)->SetAlignment(c.flags);
    UniqueBstr h, v;
    a->get_horizontalAlignment(h.Put());
    a->get_verticalAlignment(v.Put());
    EXPECT_STREQ(h.Get(), c.horizontal) << c.flags;
    EXPECT_STREQ(v.Get(), c.vertical) << c.flags;
  }
  DestroyElements();
}

TEST_F(GeometryTest, AmbientFlagsVisibleDisabledAndPassThrough) {
  ProbeContent* root = Probe({{L"width", L"400"}, {L"height", L"300"}});
  ComPtr<scIContent> e =
      Element({{L"left", L"1"}, {L"top", L"2"}, {L"width", L"3"}, {L"height", L"4"}}, root);
  ComPtr<IDOMAmbient> a = Ambient(e.Get());
  VARIANT_BOOL flag = 1;
  EXPECT_EQ(a->get_disabled(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE) << "absent means enabled";
  EXPECT_EQ(a->put_disabled(5), S_OK);
  EXPECT_EQ(a->get_disabled(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);
  Var stored;
  ASSERT_TRUE(e->GetAttr(L"disabled", &stored));
  EXPECT_EQ(V_VT(&stored), VT_BOOL);
  EXPECT_EQ(V_BOOL(&stored), VARIANT_TRUE);
  EXPECT_EQ(e->IntrinsicState() & 0x40, 0x40u);
  ASSERT_EQ(root->invalidations.size(), 1u) << "state change repaints the element";
  EXPECT_EQ(root->invalidations[0], (scRect{1, 2, 3, 4}));
  EXPECT_EQ(a->put_disabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(e->IntrinsicState() & 0x40, 0u);

  EXPECT_EQ(a->put_visible(VARIANT_FALSE), S_OK);
  EXPECT_EQ(a->get_visible(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  EXPECT_EQ(a->put_visible(2), S_OK);
  EXPECT_EQ(a->get_visible(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);

  EXPECT_EQ(a->put_passThrough(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(Impl(e)->IsPassThrough());
  EXPECT_EQ(a->get_passThrough(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);
  EXPECT_EQ(a->put_passThrough(VARIANT_FALSE), S_OK);
  EXPECT_FALSE(Impl(e)->IsPassThrough());
}

}  // namespace
}  // namespace skin_test
}  // namespace velmor
