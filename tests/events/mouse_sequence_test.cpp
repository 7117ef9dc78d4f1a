// Mouse messages sent to a real document window turn into the exact DOM event sequences the
// skin's handlers record: clicks, drags off an element, hover changes, pass-through, disabled
// and invisible elements, leaving the window, the right button and double clicks; and the
// element cursors that moves set.
#include "events/dom_event.h"
#include "support/document_fixture.h"

namespace velmor::events_test {
namespace {

using test::CallbackListener;
using test::kRecorderScript;
using EventsTest = test::DocumentTest;

#define RECORD_ALL                                                                           \
  " onmousedown='rec(event)' onmouseup='rec(event)' onclick='rec(event)'"                   \
  " ondblclick='rec(event)' onmouseover='rec(event)' onmouseout='rec(event)'"               \
  " onmousemove='rec(event)'"

// Client coordinates: A (10,10)-(70,50); B (100,10)-(160,50); pass-through P (10,80)-(130,160)
// holding C (20,90)-(60,130); disabled D (190,90)-(230,130) in front of E (180,80)-(280,160);
// invisible G (250,10)-(290,50). Everywhere else is the root W.
const char kSkin[] =
    "<window id='W' width='320' height='240'" RECORD_ALL ">"
    "<script>%SCRIPT%</script>"
    "<button id='A' left='10' top='10' width='60' height='40'" RECORD_ALL "/>"
    "<button id='B' left='100' top='10' width='60' height='40'" RECORD_ALL "/>"
    "<subwindow id='P' left='10' top='80' width='120' height='80' passThrough='true'" RECORD_ALL
    ">"
    "<button id='C' left='10' top='10' width='40' height='40'" RECORD_ALL "/>"
    "</subwindow>"
    "<button id='D' left='190' top='90' width='40' height='40' disabled='true'" RECORD_ALL "/>"
    "<button id='E' left='180' top='80' width='100' height='80'" RECORD_ALL "/>"
    "<button id='G' left='250' top='10' width='40' height='40' visible='false'" RECORD_ALL "/>"
    "</window>";

// A key set and its key lie over B and come first: the mouse passes through both.
const char kKeySetSkin[] =
    "<window id='W' width='320' height='240'" RECORD_ALL ">"
    "<script>%SCRIPT%</script>"
    "<keyset id='S' left='90' top='0' width='100' height='60'" RECORD_ALL ">"
    "<key id='K' left='0' top='0' width='100' height='60'" RECORD_ALL "/>"
    "</keyset>"
    "<button id='B' left='100' top='10' width='60' height='40'" RECORD_ALL "/>"
    "</window>";

std::string SkinWithRecorder(const char* xml = kSkin) {
  std::string skin = xml;
  skin.replace(skin.find("%SCRIPT%"), 8, kRecorderScript);
  return skin;
}

struct Step {
  UINT message;
  int x, y;
};
constexpr UINT kMove = WM_MOUSEMOVE, kDown = WM_LBUTTONDOWN, kUp = WM_LBUTTONUP,
               kDbl = WM_LBUTTONDBLCLK, kRDown = WM_RBUTTONDOWN, kRUp = WM_RBUTTONUP,
               kLeave = WM_MOUSELEAVE, kCapture = WM_CAPTURECHANGED;

struct SequenceCase {
  const char* name;
  std::vector<Step> steps;
  const wchar_t* expected;
};

const SequenceCase kCases[] = {
    {"PressAndReleaseOnA",
     {{kMove, 40, 30}, {kDown, 40, 30}, {kUp, 40, 30}},
     L"A.mouseover A.mousemove A.mousedown A.mouseup A.click"},
    {"PressOnAReleaseOnB",
     {{kMove, 40, 30}, {kDown, 40, 30}, {kMove, 130, 30}, {kMove, 140, 35}, {kUp, 130, 30}},
     L"A.mouseover A.mousemove A.mousedown A.mousemove A.mousemove A.mouseup"},
    {"HoverFromAToB",
     {{kMove, 40, 30}, {kMove, 45, 30}, {kMove, 130, 30}},
     L"A.mouseover A.mousemove A.mousemove A.mouseout<B B.mouseover<A B.mousemove"},
    {"PassThroughParentNeverTarget",
     {{kMove, 30, 100}, {kMove, 100, 140}, {kDown, 100, 140}, {kUp, 100, 140}},
     L"C.mouseover C.mousemove C.mouseout<W W.mouseover<C W.mousemove W.mousedown W.mouseup "
     L"W.click"},
    {"DisabledLetsEventsThrough",
     {{kMove, 200, 100}, {kDown, 200, 100}, {kUp, 200, 100}},
     L"E.mouseover E.mousemove E.mousedown E.mouseup E.click"},
    {"InvisibleIsNeverHit",
     {{kMove, 260, 20}, {kDown, 260, 20}},
     L"W.mouseover W.mousemove W.mousedown"},
    {"LeavingTheWindow",
     {{kMove, 40, 30}, {kLeave, 0, 0}, {kMove, 130, 30}},
     L"A.mouseover A.mousemove A.mouseout B.mouseover B.mousemove"},
    {"RightButton",
     {{kMove, 40, 30}, {kRDown, 40, 30}, {kRUp, 40, 30}},
     L"A.mouseover A.mousemove A.mousedown/b2"},
    {"DoubleClick",
     {{kMove, 40, 30}, {kDown, 40, 30}, {kUp, 40, 30}, {kDbl, 40, 30}, {kUp, 40, 30}},
     L"A.mouseover A.mousemove A.mousedown A.mouseup A.click A.dblclick A.mouseup"},
    {"CaptureLostBeforeRelease",
     {{kMove, 40, 30}, {kDown, 40, 30}, {kCapture, 0, 0}, {kUp, 40, 30}},
     L"A.mouseover A.mousemove A.mousedown A.mouseup"},
    {"ReleaseOnAnotherElementAfterDoubleClick",
     {{kDbl, 40, 30}, {kUp, 130, 30}},
     L"A.dblclick B.mouseup"},
};

class MouseSequenceTest : public EventsTest,
                          public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(MouseSequenceTest, RecordsTheExactEvents) {
  ASSERT_EQ(Load(SkinWithRecorder(), 320, 240), S_OK);
  for (const Step& step : GetParam().steps) Send(step.message, step.x, step.y);
  EXPECT_EQ(TakeTrace(), GetParam().expected);
}

TEST_F(EventsTest, KeySetsAndKeysAreNeverHit) {
  ASSERT_EQ(Load(SkinWithRecorder(kKeySetSkin), 320, 240), S_OK);
  Send(kMove, 130, 30);
  Send(kDown, 130, 30);
  Send(kUp, 130, 30);
  Send(kMove, 95, 55);  // inside the key set only
  EXPECT_EQ(TakeTrace(),
            L"B.mouseover B.mousemove B.mousedown B.mouseup B.click B.mouseout<W W.mouseover<B "
            L"W.mousemove");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, MouseSequenceTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The hover and active bits as the state manager answers them, observed from inside the
// handlers: B is the hover element during its own "mouseover", A still is during its "mouseout".
TEST_F(EventsTest, HoverBitMovesWithMouseover) {
  ASSERT_EQ(Load(SkinWithRecorder(), 320, 240), S_OK);
  std::vector<std::wstring> seen;
  auto watch = [&](const wchar_t* id, const wchar_t* name) {
    ComPtr<CallbackListener> listener;
    CallbackListener::CreateObject(&listener, [&, id, name](IDOMEvent*) {
      seen.push_back(std::wstring(id) + L"." + name + L": A=" + std::to_wstring(State(L"A")) +
                     L" B=" + std::to_wstring(State(L"B")));
    });
    Listeners(id)->AddEventListener(listener.Get(), name, 0);
  };
  watch(L"A", L"onmouseout");
  watch(L"B", L"onmouseover");
  Send(kMove, 40, 30);
  Send(kMove, 130, 30);
  const std::vector<std::wstring> expected = {L"A.onmouseout: A=4 B=0",
                                              L"B.onmouseover: A=0 B=4"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(State(L"B"), 4u);
  Send(kLeave, 0, 0);
  EXPECT_EQ(State(L"B"), 0u);
}

TEST_F(EventsTest, ActiveBitFromLeftPressUntilRelease) {
  ASSERT_EQ(Load(SkinWithRecorder(), 320, 240), S_OK);
  Send(kMove, 40, 30);
  Send(kDown, 40, 30);
  EXPECT_EQ(State(L"A"), 0x05u);  // active and hover
  EXPECT_EQ(::GetCapture(), Window());
  Send(kUp, 40, 30);
  EXPECT_EQ(State(L"A"), 0x04u);
  EXPECT_NE(::GetCapture(), Window());
  // The right button never makes an active element.
  Send(kRDown, 130, 30);
  EXPECT_EQ(State(L"B"), 0x00u);
  Send(kRUp, 130, 30);
  // A disabled element reports its bit.
  EXPECT_EQ(State(L"D"), 0x40u);
  // The window answers the state manager interface; its reserved operation is not implemented.
  ComPtr<scIEventStateManager> states;
  ASSERT_EQ(m_document->QueryInterface(IID_PPV_ARGS(&states)), S_OK);
  EXPECT_EQ(states->Reserved(), E_NOTIMPL);
  ULONG state = 0;
  EXPECT_EQ(states->GetContentState(Element(L"A"), nullptr), E_POINTER);
  EXPECT_EQ(states->GetContentState(nullptr, &state), E_INVALIDARG);
  // Set from outside: the active element moves, then clears.
  EXPECT_EQ(states->SetContentState(Element(L"B"), 0x01), S_OK);
  EXPECT_EQ(State(L"B"), 0x01u);
  EXPECT_EQ(states->SetContentState(nullptr, 0x01), S_OK);
  EXPECT_EQ(State(L"B"), 0x00u);
}

TEST_F(EventsTest, LeavingStartsANewLeaveRequestOnTheNextMove) {
  ASSERT_EQ(Load(SkinWithRecorder(), 320, 240), S_OK);
  scMouseInput& mouse = m_document->MouseInput();
  EXPECT_FALSE(mouse.TrackingLeave());
  Send(kMove, 40, 30);
  EXPECT_TRUE(mouse.TrackingLeave());
  Send(kLeave, 0, 0);
  EXPECT_FALSE(mouse.TrackingLeave());
  EXPECT_EQ(mouse.HoverElement(), nullptr);
  Send(kMove, 40, 30);
  EXPECT_TRUE(mouse.TrackingLeave());
}

// Mouse members of the event object: client, offset and screen positions, modifier keys.
TEST_F(EventsTest, MouseEventMembers) {
  ASSERT_EQ(Load("<window id='W'><script>var pos = '';</script>"
                     "<subwindow id='S' left='90' top='5' width='100' height='60'>"
                     "<button id='M' left='10' top='5' width='60' height='40' onmousedown='pos ="
                     " [event.clientX, event.clientY, event.offsetX, event.offsetY,"
                     " event.screenX - event.clientX, event.screenY - event.clientY,"
                     " event.ctrlKey, event.shiftKey, event.altKey, event.button].join(\",\")'/>"
                     "</subwindow></window>", 320, 240),
            S_OK);
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  BYTE saved[256];
  memcpy(saved, keys, sizeof(keys));
  // Shift and Ctrl travel in the message's MK_ flags, Alt only in the key state.
  keys[VK_MENU] = 0x80;
  ::SetKeyboardState(keys);
  Send(kDown, 130, 35, MK_LBUTTON | MK_SHIFT);
  ::SetKeyboardState(saved);
  POINT origin{0, 0};
  ::ClientToScreen(Window(), &origin);
  const std::wstring expected = L"130,35,30,25," + std::to_wstring(origin.x) + L"," +
                                std::to_wstring(origin.y) + L",false,true,true,0";
  EXPECT_EQ(Eval(L"pos"), expected);
}


// An element that notes when the state manager tells it its state changed.
class NotedContent final : public scContentClass<NotedContent> {
 public:
  NotedContent(std::wstring& log, const wchar_t* name) : m_log(log), m_name(name) {}
  const wchar_t* NodeName() const override { return L"noted"; }
  void STDMETHODCALLTYPE ContentStateChanged() override { m_log += m_name; }

 private:
  std::wstring& m_log;
  const wchar_t* m_name;
};

struct NotifyCase {
  const wchar_t* element;  // "a", "b" or null
  ULONG bits;
  const wchar_t* expected;  // names of the elements told, in order
};

// Each step starts from the state the previous ones left: new active, old active, new hover, old
// hover, skipping nobody and the unchanged.
const NotifyCase kNotifySteps[] = {
    {L"a", 0x01, L"a"},      // a active
    {L"a", 0x01, L""},       // unchanged
    {L"b", 0x05, L"bab"},    // b active (a was), b hover (nobody was)
    {L"a", 0x05, L"abab"},   // a active and hover, b both before
    {L"a", 0x04, L""},       // unchanged
    {nullptr, 0x04, L"a"},   // hover cleared: only the old one is told
    {nullptr, 0x05, L"a"},   // active cleared
    {L"b", 0x02, L""},       // bits it does not keep change nothing
};

TEST_F(EventsTest, SetContentStateTellsElementsInOrder) {
  ASSERT_EQ(Load("<window/>", 320, 240), S_OK);
  std::wstring log;
  NotedContent* a = nullptr;
  NotedContent* b = nullptr;
  ASSERT_EQ(NotedContent::CreateObject(&a, log, L"a"), S_OK);
  ASSERT_EQ(NotedContent::CreateObject(&b, log, L"b"), S_OK);
  for (const NotifyCase& step : kNotifySteps) {
    log.clear();
    scIContent* element = step.element == nullptr ? nullptr : (step.element[0] == L'a' ? a : b);
    EXPECT_EQ(m_document->SetContentState(element, step.bits), S_OK);
    EXPECT_EQ(log, step.expected) << (step.element ? step.element : L"null") << " " << step.bits;
  }
  ULONG state = 0;
  EXPECT_EQ(m_document->GetContentState(b, &state), S_OK);
  EXPECT_EQ(state, 0u);
  a->Release();
  b->Release();
}

struct CursorReplacement {
  const char* what;
  UINT message;
  LPARAM lParam;
};

// What may put another cursor up while the pointer stays over one element.
const CursorReplacement kCursorReplacements[] = {
    {"the frame's own cursor", WM_SETCURSOR, MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)},
    {"leaving the client area", WM_MOUSELEAVE, 0},
    {"a capture change", WM_CAPTURECHANGED, 0},
};

TEST_F(EventsTest, MovesSetTheElementCursorWhenItChangesOrMayHaveBeenReplaced) {
  ASSERT_EQ(Load("<window width='320' height='240'>"
                 "<button id='H' left='0' top='0' width='50' height='50' cursor='hand'/>"
                 "<button id='N' left='50' top='0' width='50' height='50'/>"
                 "<button id='A' left='100' top='0' width='50' height='50' cursor='system'/>"
                 "</window>",
                 320, 240),
            S_OK);
  const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR other = ::LoadCursorW(nullptr, IDC_WAIT);
  Send(WM_MOUSEMOVE, 10, 10);
  EXPECT_EQ(::GetCursor(), hand);
  Send(WM_MOUSEMOVE, 60, 10);
  EXPECT_EQ(::GetCursor(), arrow) << "an element without a cursor gets the arrow";
  ::SetCursor(other);
  Send(WM_MOUSEMOVE, 110, 10);
  EXPECT_EQ(::GetCursor(), other) << "another element with the same cursor needs no call";
  Send(WM_MOUSEMOVE, 10, 10);
  ::SetCursor(other);
  Send(WM_MOUSEMOVE, 12, 10);
  EXPECT_EQ(::GetCursor(), other) << "the same element and cursor need no call";
  for (const CursorReplacement& c : kCursorReplacements) {
    ::SetCursor(other);
    ::SendMessageW(Window(), c.message, reinterpret_cast<WPARAM>(Window()), c.lParam);
    Send(WM_MOUSEMOVE, 14, 10);
    EXPECT_EQ(::GetCursor(), hand) << c.what;
  }
  // Over the client area the window keeps what the element set.
  ::SendMessageW(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), hand);
  UniqueBstr sizewe(L"sizewe");
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = sizewe.Get();
  ASSERT_EQ(Element(L"H")->SetAttr(L"cursor", value, FALSE), S_OK);
  Send(WM_MOUSEMOVE, 16, 10);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE)) << "the element's cursor changed";
}

}  // namespace
}  // namespace velmor::events_test
