// Element geometry where scripts cannot see it: the common attributes read at initialisation,
// the anchoring rule, how moves, visibility and locks lay out and invalidate (counted by a probe
// element at the top of a tree), and IDOMAmbient's native answers (out pointers, repaints,
// alignment bits without a relayout). Scripts reach the members through real elements in a real
// window (tests/window/element_script_test.cpp).
#include <windows.h>

#include <vector>

#include "content_fixture.h"
#include "skin/anchor_layout.h"

namespace velmor {

inline std::ostream& operator<<(std::ostream& out, const scRect& r) {
  return out << "{" << r.x << "," << r.y << "," << r.width << "," << r.height << "}";
}

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
    if (ParentElement() == nullptr)
      invalidations.push_back(scRect{x, y, width, height});
    else
      scITextBaseContent::InvalidateRect(x, y, width, height);
  }
  int moves = 0;
  int layouts = 0;
  std::vector<scRect> invalidations;
};

using Attributes = std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>;

class GeometryTest : public test::ContentTest {
 protected:
  void TearDown() override {
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
  ProbeContent* Root400x300() { return Probe({{L"width", L"400"}, {L"height", L"300"}}); }
  // A real element (with IDOMAmbient) under 'parent'.
  ComPtr<IDOMAmbient> Ambient(Attributes attributes, ProbeContent* parent) {
    ComPtr<scIContent> element = Create(Prototype(L"button", attributes));
    EXPECT_EQ(parent->AppendChildTo(element.Get(), FALSE), S_OK);
    ComPtr<IDOMAmbient> ambient;
    EXPECT_EQ(element.As(&ambient), S_OK);
    return ambient;
  }
  static scITextBaseContent* Impl(IDOMAmbient* a) {
    ComPtr<scIContent> content;
    a->QueryInterface(IID_PPV_ARGS(&content));
    return scITextBaseContent::FromContent(content.Get());
  }

  std::vector<ProbeContent*> m_probes;
};

TEST_F(GeometryTest, InitialisationReadsTheCommonAttributes) {
  struct Case {
    Attributes attributes;
    scRect design;
    uint32_t alignment;
    bool visible, passThrough, disabled;
  } const cases[] = {
      {{{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}},
       {10, 20, 30, 40}, 0, true, false, false},
      {{}, {0, 0, 0, 0}, 0, true, false, false},
      // Decimal only, wrapping to the 32-bit limits.
      {{{L"left", L"010"}, {L"top", L"0x10"}, {L"width", L" -7px"}, {L"height", L"abc"}},
       {10, 0, -7, 0}, 0, true, false, false},
      {{{L"width", L"99999999999"}, {L"height", L"-99999999999"}},
       {0, 0, INT32_MAX, INT32_MIN}, 0, true, false, false},
      {{{L"horizontalAlignment", L"right"}, {L"verticalAlignment", L"bottom"}}, {}, 2 | 32, true,
       false, false},
      {{{L"horizontalAlignment", L"center"}, {L"verticalAlignment", L"stretch"}}, {}, 4 | 16, true,
       false, false},
      {{{L"horizontalAlignment", L"Right"}, {L"verticalAlignment", L"center"}}, {}, 64, true,
       false, false},
      {{{L"visible", L"false"}, {L"passThrough", L"true"}, {L"disabled", L"true"}}, {}, 0, false,
       true, true},
      {{{L"visible", L"FALSE"}, {L"passThrough", L"yes"}, {L"disabled", L"1"}}, {}, 0, true,
       false, false},
  };
  for (const Case& c : cases) {
    ProbeContent* probe = Probe(c.attributes);
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(probe->DesignRect(), c.design);
    EXPECT_EQ(probe->Rect(), c.design) << "the current rectangle starts as designed";
    EXPECT_EQ(probe->Alignment(), c.alignment);
    EXPECT_EQ(probe->IsVisible(), c.visible);
    EXPECT_EQ(probe->IsPassThrough(), c.passThrough);
    // "disabled" becomes a live boolean and a state bit; other text stays text.
    test::Var value;
    const bool live = probe->GetAttr(L"disabled", &value) && V_VT(&value) == VT_BOOL;
    EXPECT_EQ(live, c.disabled);
    EXPECT_EQ(probe->IntrinsicState() & 0x40, c.disabled ? 0x40u : 0u);
  }
}

// Parent designed 400 x 300, child designed at (300, 200) 80 x 50, parent resized.
TEST(AnchorRule, ChildrenFollowTheirAlignment) {
  struct Case {
    uint32_t alignment;
    int parentWidth, parentHeight;
    scRect expected;
  } const cases[] = {
      {2, 500, 300, {400, 200, 80, 50}},     // right
      {1, 500, 300, {300, 200, 180, 50}},    // stretch
      {4, 500, 300, {210, 200, 80, 50}},     // center
      {0, 500, 300, {300, 200, 80, 50}},     // left
      {32, 500, 360, {300, 260, 80, 50}},    // bottom
      {16, 500, 360, {300, 200, 80, 110}},   // stretch down
      {64, 500, 360, {300, 155, 80, 50}},    // centre down
      {2 | 32, 450, 250, {350, 150, 80, 50}},
      // Shrinking below the design size: widths may reach zero and go negative.
      {1, 320, 300, {300, 200, 0, 50}},
      {1 | 16, 100, 100, {300, 200, -220, -150}},
      {2, 100, 300, {0, 200, 80, 50}},
      // Centring truncates toward zero: (51 - 80) / 2 = -14.
      {4 | 64, 51, 41, {-14, -4, 80, 50}},
  };
  const scRect design{300, 200, 80, 50};
  for (const Case& c : cases) {
    EXPECT_EQ(AnchorChild(design, design, c.alignment, c.parentWidth, c.parentHeight, 400, 300),
              c.expected)
        << "alignment " << c.alignment << " in " << c.parentWidth << "x" << c.parentHeight;
  }
  // Arithmetic wraps instead of overflowing; the width is R - L in the same arithmetic.
  const scRect huge{INT32_MAX - 10, 0, 20, 10};
  const scRect placed = AnchorChild(huge, huge, 1, 100, 10, 0, 10);
  EXPECT_EQ(placed.x, huge.x);
  EXPECT_EQ(placed.width, 120);
}

TEST_F(GeometryTest, LayoutStartsFromTheCurrentRectangleAndCascadesToInvisibleChildren) {
  ProbeContent* root = Root400x300();
  ProbeContent* panel = Probe({{L"left", L"10"}, {L"top", L"10"}, {L"width", L"380"},
                               {L"height", L"280"}, {L"horizontalAlignment", L"stretch"},
                               {L"verticalAlignment", L"stretch"}},
                              root);
  ProbeContent* moved = Probe({{L"left", L"5"}, {L"width", L"20"}, {L"height", L"20"}}, panel);
  ProbeContent* corner = Probe({{L"left", L"350"}, {L"top", L"250"}, {L"width", L"20"},
                                {L"height", L"20"}, {L"horizontalAlignment", L"right"},
                                {L"verticalAlignment", L"bottom"}, {L"visible", L"false"}},
                               panel);
  moved->MoveSize(40, 50, 20, 20);  // moved by a script: left alignment keeps it there
  root->MoveSize(0, 0, 600, 500);
  EXPECT_EQ(panel->Rect(), (scRect{10, 10, 580, 480}));
  EXPECT_EQ(moved->Rect(), (scRect{40, 50, 20, 20}));
  EXPECT_EQ(corner->Rect(), (scRect{550, 450, 20, 20}));
  EXPECT_EQ(corner->DesignRect(), (scRect{350, 250, 20, 20})) << "design never changes";
  EXPECT_EQ(corner->moves, 1) << "each child is moved once per layout";
}

TEST_F(GeometryTest, MovesAndVisibilityInvalidateInTheParentAndUpTheChain) {
  ProbeContent* root = Root400x300();
  ProbeContent* child =
      Probe({{L"left", L"10"}, {L"top", L"20"}, {L"width", L"30"}, {L"height", L"40"}}, root);
  child->MoveSize(50, 60, 70, 80);
  EXPECT_EQ(root->invalidations, (std::vector<scRect>{{10, 20, 30, 40}, {50, 60, 70, 80}}));
  EXPECT_EQ(child->layouts, 1);
  // The same rectangle again still lays out and repaints; resizing the top element moves its
  // (left-aligned) child in place, which repaints itself: the top has no parent to repaint it.
  child->MoveSize(50, 60, 70, 80);
  root->MoveSize(0, 0, 10, 10);
  EXPECT_EQ(root->invalidations.size(), 6u);
  EXPECT_EQ(child->layouts, 3);
  // Visibility acts only on changes; hiding does not lay out, showing does.
  root->invalidations.clear();
  child->SetVisible(true);
  child->SetVisible(false);
  child->SetVisible(false);
  EXPECT_FALSE(child->IsVisible());
  EXPECT_EQ(child->layouts, 3);
  child->SetVisible(true);
  EXPECT_EQ(child->layouts, 4);
  EXPECT_EQ(root->invalidations, (std::vector<scRect>{{50, 60, 70, 80}, {50, 60, 70, 80}}));
  // Invalidations of a grandchild are translated into each parent's coordinates.
  root->invalidations.clear();
  ProbeContent* item =
      Probe({{L"left", L"7"}, {L"top", L"9"}, {L"width", L"30"}, {L"height", L"12"}}, child);
  item->InvalidateRect(1, 2, 3, 4);
  item->ContentStateChanged();
  EXPECT_EQ(root->invalidations, (std::vector<scRect>{{58, 71, 3, 4}, {57, 69, 30, 12}}));
}

TEST_F(GeometryTest, LocksCountAndActWheneverTheyReachZero) {
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
  EXPECT_EQ(parent->LayoutLock(false), 1);
  EXPECT_EQ(child->moves, 0) << "still held";
  EXPECT_EQ(parent->LayoutLock(false), 0);
  EXPECT_EQ(child->moves, 1) << "one layout at the unlock";
  EXPECT_EQ(child->Rect().x, 420);

  root->invalidations.clear();
  EXPECT_EQ(child->PaintLock(true), 1);
  EXPECT_EQ(child->PaintLock(true), 2);
  EXPECT_EQ(child->PaintLock(false), 1);
  EXPECT_FALSE(child->Paint(nullptr)) << "painting is held";
  EXPECT_TRUE(root->invalidations.empty());
  EXPECT_EQ(child->PaintLock(false), 0);
  EXPECT_EQ(root->invalidations, (std::vector<scRect>{{420, 0, 80, 10}}));
  // Unbalanced: going below zero does nothing, coming back to zero acts again.
  EXPECT_EQ(child->PaintLock(false), -1);
  EXPECT_EQ(child->PaintLock(true), 0);
  EXPECT_EQ(root->invalidations.size(), 2u);
  const int layouts = child->layouts;
  EXPECT_EQ(child->LayoutLock(false), -1);
  EXPECT_EQ(child->LayoutLock(true), 0);
  EXPECT_EQ(child->layouts, layouts + 1);
}

TEST_F(GeometryTest, AmbientPutsRepaintOrKeepTheLayout) {
  ProbeContent* root = Root400x300();
  ComPtr<IDOMAmbient> a =
      Ambient({{L"left", L"1"}, {L"top", L"2"}, {L"width", L"3"}, {L"height", L"4"}}, root);
  // A state change repaints the element and keeps a live boolean.
  EXPECT_EQ(a->put_disabled(5), S_OK);
  EXPECT_EQ(root->invalidations, (std::vector<scRect>{{1, 2, 3, 4}}));
  test::Var stored;
  ASSERT_TRUE(Impl(a.Get())->GetAttr(L"disabled", &stored));
  EXPECT_EQ(V_VT(&stored), VT_BOOL);
  EXPECT_EQ(Impl(a.Get())->IntrinsicState() & 0x40, 0x40u);
  EXPECT_EQ(a->put_disabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(Impl(a.Get())->IntrinsicState() & 0x40, 0u);

  // Alignment puts change one axis and never lay out or repaint.
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
      {L"center", L"bottom", false, L"middle", L"center", L"top"},
      {L"left", L"center", false, nullptr, L"left", L"center"},
      {L"", L"", true, L"right", L"right", L"top"},
  };
  for (const Case& c : cases) {
    ProbeContent* parent = Root400x300();
    ComPtr<IDOMAmbient> e = Ambient(
        {{L"horizontalAlignment", c.skinH}, {L"verticalAlignment", c.skinV}, {L"width", L"10"}},
        parent);
    UniqueBstr value(c.put ? c.put : L"");
    BSTR argument = c.put ? value.Get() : nullptr;
    EXPECT_EQ(c.horizontal ? e->put_horizontalAlignment(argument) : e->put_verticalAlignment(argument),
              S_OK);
    UniqueBstr h, v;
    ASSERT_EQ(e->get_horizontalAlignment(h.Put()), S_OK);
    ASSERT_EQ(e->get_verticalAlignment(v.Put()), S_OK);
    EXPECT_EQ(std::wstring(h.View()) + L"/" + std::wstring(v.View()),
              std::wstring(c.expectedH) + L"/" + c.expectedV)
        << c.skinH << "/" << c.skinV << " put " << (c.put ? c.put : L"(null)");
    EXPECT_EQ(Impl(e.Get())->Rect(), (scRect{0, 0, 10, 0})) << "no relayout";
    EXPECT_TRUE(parent->invalidations.empty());
  }
  // With several bits the getter prefers right, then center, then stretch.
  const struct {
    uint32_t flags;
    const wchar_t* text;
  } bits[] = {{7, L"right/top"}, {5, L"center/top"}, {0x70, L"left/bottom"},
              {0x50, L"left/center"}, {0x46, L"right/center"}};
  for (const auto& b : bits) {
    Impl(a.Get())->SetAlignment(b.flags);
    UniqueBstr h, v;
    a->get_horizontalAlignment(h.Put());
    a->get_verticalAlignment(v.Put());
    EXPECT_EQ(std::wstring(h.View()) + L"/" + std::wstring(v.View()), b.text) << b.flags;
  }
}

}  // namespace
}  // namespace velmor
