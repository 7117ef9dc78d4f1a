// Mouse messages sent to a real document window turn into the exact DOM event sequences the
// skin's handlers record: clicks, drags off an element, hover changes, pass-through, disabled
// and invisible elements, leaving the window, the right button and double clicks; the element
// cursors that moves set; and the same with the real pointer on a shown window (SetCursorPos and
// SendInput through the platform's own queue), with element tooltips.
#include <windows.h>
// windows.h first: the common controls header needs its types.
#include <commctrl.h>

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
  const char* skin = kSkin;
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
    // The last move is inside the key set only.
    {"KeySetsAndKeysAreNeverHit",
     {{kMove, 130, 30}, {kDown, 130, 30}, {kUp, 130, 30}, {kMove, 95, 55}},
     L"B.mouseover B.mousemove B.mousedown B.mouseup B.click B.mouseout<W W.mouseover<B "
     L"W.mousemove",
     kKeySetSkin},
};

class MouseSequenceTest : public EventsTest,
                          public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(MouseSequenceTest, RecordsTheExactEvents) {
  ASSERT_EQ(Load(SkinWithRecorder(GetParam().skin), 320, 240), S_OK);
  for (const Step& step : GetParam().steps) Send(step.message, step.x, step.y);
  EXPECT_EQ(TakeTrace(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, MouseSequenceTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The hover and active bits as the state manager answers them, observed from inside the
// handlers: B is the hover element during its own "mouseover", A still is during its "mouseout".
// A leave clears the hover element and the next move asks for the leave report again.
TEST_F(EventsTest, HoverAndActiveBitsFollowTheMouse) {
  ASSERT_EQ(Load(SkinWithRecorder(), 320, 240), S_OK);
  std::vector<std::wstring> seen;
  auto watch = [&](const wchar_t* id, const wchar_t* name) {
    ComPtr<CallbackListener> listener = test::MakeListener([&, id, name](IDOMEvent*) {
      seen.push_back(std::wstring(id) + L"." + name + L": A=" + std::to_wstring(State(L"A")) +
                     L" B=" + std::to_wstring(State(L"B")));
    });
    Listeners(id)->AddEventListener(listener.Get(), name, 0);
  };
  watch(L"A", L"onmouseout");
  watch(L"B", L"onmouseover");
  scMouseInput& mouse = m_document->MouseInput();
  EXPECT_FALSE(mouse.TrackingLeave());
  Send(kMove, 40, 30);
  EXPECT_TRUE(mouse.TrackingLeave());
  Send(kMove, 130, 30);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"A.onmouseout: A=4 B=0", L"B.onmouseover: A=0 B=4"}));
  EXPECT_EQ(State(L"B"), 4u);
  Send(kLeave, 0, 0);
  EXPECT_EQ(State(L"B"), 0u);
  EXPECT_FALSE(mouse.TrackingLeave());
  EXPECT_EQ(mouse.HoverElement(), nullptr);

  Send(kMove, 40, 30);
  EXPECT_TRUE(mouse.TrackingLeave());
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

// Every cursor word on one element each, 20 pixels apart (no two neighbours share a cursor):
// words are matched in any letter case, unknown words and no word give the arrow.
struct CursorWord {
  const char* word;
  LPCWSTR id;
};
const CursorWord kCursorWords[] = {
    {"HAND", IDC_HAND},         {nullptr, IDC_ARROW},     {"sizewe", IDC_SIZEWE},
    {"System", IDC_ARROW},      {"uparrow", IDC_UPARROW}, {"pointer", IDC_ARROW},
    {"help", IDC_HELP},         {"sizeall", IDC_SIZEALL}, {"sizenesw", IDC_SIZENESW},
    {"sizens", IDC_SIZENS},     {"sizenwse", IDC_SIZENWSE},
};

TEST_F(EventsTest, MovesSetTheElementCursorWhenItChangesOrMayHaveBeenReplaced) {
  std::string skin = "<window width='320' height='240'>";
  for (size_t i = 0; i < std::size(kCursorWords); ++i) {
    skin += "<button id='c" + std::to_string(i) + "' left='" + std::to_string(20 * i) +
            "' top='0' width='20' height='20'" +
            (kCursorWords[i].word ? std::string(" cursor='") + kCursorWords[i].word + "'" : "") +
            "/>";
  }
  ASSERT_EQ(Load(skin + "</window>", 320, 240), S_OK);
  for (size_t i = 0; i < std::size(kCursorWords); ++i) {
    Send(WM_MOUSEMOVE, 20 * static_cast<int>(i) + 10, 10);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, kCursorWords[i].id))
        << (kCursorWords[i].word ? kCursorWords[i].word : "no cursor");
  }
  const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  const HCURSOR other = ::LoadCursorW(nullptr, IDC_WAIT);
  Send(WM_MOUSEMOVE, 30, 10);
  ::SetCursor(other);
  Send(WM_MOUSEMOVE, 70, 10);
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
  ASSERT_EQ(Element(L"c0")->SetAttr(L"cursor", value, FALSE), S_OK);
  Send(WM_MOUSEMOVE, 16, 10);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE)) << "the element's cursor changed";
}

namespace real_input {

// The background panel gives the shown window its shape and its mouse input (a window without
// one has an empty shape and gets none).
std::string Skin() {
  return std::string("<window id='W' onmouseout='rec(event)'><script>") + kRecorderScript +
         "</script><subwindow left='0' top='0' width='320' height='240' backgroundColor='#808080'>"
         "<button id='A' left='20' top='20' width='100' height='60' tooltip='Tip text'"
         " onmouseover='rec(event)' onmouseout='rec(event)' onmousedown='rec(event)'"
         " onmouseup='rec(event)' onclick='rec(event)'/>"
         "<button id='N' left='140' top='20' width='80' height='60'/></subwindow></window>";
}

class RealInputTest : public EventsTest {
 protected:
  // Puts the pointer over a client point, sends the move, then pumps messages for 'ms'.
  void HoverAt(int x, int y, DWORD ms) {
    POINT screen{x, y};
    ::ClientToScreen(Window(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    Send(WM_MOUSEMOVE, x, y);
    test::PumpFor(ms);
  }
};

// The real pointer and button give the same sequence as sent messages. The tooltip control
// shows (TTN_SHOW reaches the window) over an element with a "tooltip" attribute once the
// initial delay has passed, never over one without; leaving the window is reported by the leave
// tracking the first move asked for.
TEST_F(RealInputTest, PointerButtonTooltipsAndLeavingTheWindow) {
  ASSERT_EQ(Load(Skin(), 320, 240), S_OK);
  Show(200, 150, 320, 240);
  test::MessageCounter watcher(Window(), WM_NOTIFY, [](WPARAM, LPARAM lParam) {
    return reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TTN_SHOW);
  });
  const UINT delay = 2 * ::GetDoubleClickTime();  // well past the initial delay
  // Over the element without a tooltip: nothing shows.
  HoverAt(170, 40, delay);
  EXPECT_EQ(watcher.Count(), 0);
  HWND tooltip = m_document->MouseInput().TooltipWindow();
  ASSERT_NE(tooltip, nullptr);
  wchar_t className[64] = L"";
  ::GetClassNameW(tooltip, className, 64);
  EXPECT_STREQ(className, L"tooltips_class32");
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), Window());
  // Over the element with one: the tool is registered with its text and shown.
  HoverAt(60, 50, delay);
  EXPECT_GE(watcher.Count(), 1);
  RECT box{};
  EXPECT_EQ(ToolText(L"A", &box), L"Tip text");
  EXPECT_EQ(box, (RECT{20, 20, 120, 80}));
  // Back over the element without one: the tooltip is deactivated but its tool stays
  // registered, and returning to the same element only relays to the inactive tooltip.
  watcher.Reset();
  HoverAt(170, 40, delay);
  EXPECT_EQ(watcher.Count(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  HoverAt(60, 50, delay);
  EXPECT_EQ(watcher.Count(), 0);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

  HoverAt(170, 40, 0);  // from N to A with the real pointer and button
  TakeTrace();
  test::RealMouse({260, 200}, {260, 200});  // client (60, 50)
  EXPECT_EQ(TakeTrace(), L"A.mouseover<N A.mousedown A.mouseup A.click");
  EXPECT_NE(::GetCapture(), Window()) << "the release gave the capture back";
  // Off the window: the platform reports the leave and the hover element hears "mouseout".
  RECT window{};
  ::GetWindowRect(Window(), &window);
  ::SetCursorPos(window.right + 100, window.bottom + 100);
  test::PumpFor(800);
  EXPECT_EQ(TakeTrace(), L"A.mouseout");
  EXPECT_FALSE(m_document->MouseInput().TrackingLeave());
  EXPECT_EQ(State(L"A"), 0u);
}

}  // namespace real_input

}  // namespace
}  // namespace velmor::events_test
