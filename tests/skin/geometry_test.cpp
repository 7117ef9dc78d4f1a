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

// The design rectangle is read as decimal (the integer grammar's own cases are in
// value_grammar_test) and is where the current one starts; layout starts from the current one.
TEST_F(GeometryTest, LayoutStartsFromTheCurrentRectangleAndCascadesToInvisibleChildren) {
  EXPECT_EQ(Probe({{L"top", L"0x10"}, {L"width", L" -7px"}, {L"height", L"abc"}})->DesignRect(),
            (scRect{0, 0, -7, 0}));
  ProbeContent* root = Root400x300();
  ProbeContent* panel = Probe({{L"left", L"10"}, {L"top", L"10"}, {L"width", L"380"},
                               {L"height", L"280"}, {L"horizontalAlignment", L"stretch"},
                               {L"verticalAlignment", L"stretch"}},
                              root);
  ProbeContent* moved = Probe({{L"left", L"5"}, {L"width", L"20"}, {L"height", L"20"}}, panel);
  ProbeContent* corner = Probe({{L"left", L"0350"}, {L"top", L"250px"}, {L"width", L"20"},
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

// Alignment puts from scripts (one axis each, no relayout) are in element_script_test.
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
