// Real input on a shown window: the pointer moved with SetCursorPos and the button pressed with
// SendInput reach the window through the platform's own queue, and leaving the window is
// reported by the leave tracking the first move asked for.
#include "events/dom_event.h"
#include "support/document_fixture.h"

namespace velmor::events_test {
namespace {

using test::kRecorderScript;
using EventsTest = test::DocumentTest;

std::string Skin() {
  return std::string("<window id='W' onmouseout='rec(event)'><script>") + kRecorderScript +
         "</script>"
         // The background panel gives the shown window its shape and its mouse input.
         "<subwindow left='0' top='0' width='320' height='240' backgroundColor='#808080'>"
         "<button id='A' left='20' top='20' width='100' height='60'"
         " onmouseover='rec(event)' onmouseout='rec(event)' onmousedown='rec(event)'"
         " onmouseup='rec(event)' onclick='rec(event)'/></subwindow></window>";
}

void SendButton(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(input));
}

TEST_F(EventsTest, RealPointerAndButtonGiveTheSameSequence) {
  ASSERT_EQ(Load(Skin(), 320, 240), S_OK);
  ::SetWindowPos(Window(), HWND_TOP, 200, 150, 320, 240, SWP_SHOWWINDOW);
  ::SetForegroundWindow(Window());
  test::PumpFor(300);
  TakeTrace();

  POINT over{60, 50};
  ::ClientToScreen(Window(), &over);
  ::SetCursorPos(over.x, over.y);
  test::PumpFor(300);
  SendButton(MOUSEEVENTF_LEFTDOWN);
  test::PumpFor(200);
  SendButton(MOUSEEVENTF_LEFTUP);
  test::PumpFor(300);
  EXPECT_EQ(TakeTrace(), L"A.mouseover A.mousedown A.mouseup A.click");
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

}  // namespace
}  // namespace velmor::events_test
