// Native controls end to end: check boxes, radios, text boxes and date-time pickers in a shown
// document window, driven by real mouse and keyboard input and by the window's own JScript, and
// read back from the controls and the screen.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "controls/check_box_content.h"
#include "controls/date_time_picker_content.h"
#include "controls/text_box_content.h"
#include "support/document_fixture.h"
#include "support/resources.h"

namespace velmor {
namespace {

using test::DocumentTest;
using test::kRecorderScript;

// Check boxes, radios and text boxes on one panel; handlers log what they read.
const std::string kSettingsSkin =
    std::string("<script>") + kRecorderScript +
    "</script>"
    "<subwindow id='panel' left='0' top='0' width='320' height='240' backgroundColor='#f4f6fa'>"
    "<checkbox id='c1' left='10' top='10' width='120' height='20' value='Sound'"
    " onclick=\"log('c1:' + this.checked)\"/>"
    "<radio id='r1' left='10' top='40' width='120' height='20' value='One'"
    " onclick=\"log('r1:' + this.checked)\"/>"
    "<radio id='r2' left='10' top='64' width='120' height='20' value='Two'"
    " onclick=\"log('r2:' + this.checked)\"/>"
    "<radio id='r3' left='10' top='88' width='120' height='20' value='Three'"
    " onclick=\"log('r3:' + this.checked)\"/>"
    "<checkbox id='off' left='10' top='112' width='120' height='20' disabled='true'"
    " onclick=\"log('off')\"/>"
    "<textbox id='t' left='150' top='10' width='150' height='22' border='true'/>"
    "<textbox id='n' left='150' top='40' width='150' height='22' type='number'/>"
    "<textbox id='p' left='150' top='70' width='150' height='22' type='password'/>"
    "</subwindow>";

class NativeControlsTest : public DocumentTest {
 protected:
  HRESULT LoadShown(const std::string& body, int width = 320, int height = 240) {
    RETURN_IF_FAILED(LoadBody(body, width, height));
    ShowAt(40, 40);
    ::SetForegroundWindow(Window());
    test::PumpFor(100);
    return Run(L"function $(id) { return document.getElementById(id); }");
  }
  HWND Control(const wchar_t* id) {
    scITextBaseContent* element = Impl(id);
    if (auto* box = dynamic_cast<scCheckBoxContent*>(element)) return box->Control();
    if (auto* text = dynamic_cast<scTextBoxContent*>(element)) return text->Control();
    if (auto* date = dynamic_cast<scDatePickerContent*>(element)) return date->Control();
    if (auto* time = dynamic_cast<scTimePickerContent*>(element)) return time->Control();
    return nullptr;
  }
  // A control's rectangle in the document window's client coordinates.
  RECT ControlRect(const wchar_t* id) {
    RECT r{};
    ::GetWindowRect(Control(id), &r);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // The screen picture of a control's client area.
  test::Picture ScreenOf(const wchar_t* id) {
    RECT r{};
    ::GetClientRect(Control(id), &r);
    ::MapWindowPoints(Control(id), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return test::ReadScreen(r);
  }
  // How many pixels of a control differ from its background (the colour in its last column).
  int Ink(const wchar_t* id) {
    const test::Picture picture = ScreenOf(id);
    const DWORD background = picture.At(picture.width - 2, picture.height / 2);
    return picture.width * picture.height -
           picture.Count({0, 0, picture.width, picture.height}, background);
  }
  // A real click in the middle of the control's left part (where a check box has its mark).
  void ClickControl(const wchar_t* id) {
    RECT r{};
    ::GetWindowRect(Control(id), &r);
    const POINT at{r.left + 8, (r.top + r.bottom) / 2};
    test::RealMouse(at, at);
  }
};

TEST_F(NativeControlsTest, ClicksChangeTheMarkBeforeClickFires) {
  ASSERT_EQ(LoadShown(kSettingsSkin), S_OK);
  ASSERT_EQ(Run(L"$('r1').checked = true;"), S_OK);
  struct Step {
    const wchar_t* click;
    const wchar_t* trace;
    const wchar_t* marks;  // c1 r1 r2 r3 off as read by script
  };
  static const Step kSteps[] = {
      {L"c1", L"c1:-1", L"-1 -1 0 0 0"},
      {L"r2", L"r2:-1", L"-1 0 -1 0 0"},
      {L"c1", L"c1:0", L"0 0 -1 0 0"},
      {L"r3", L"r3:-1", L"0 0 0 -1 0"},
      {L"r3", L"r3:-1", L"0 0 0 -1 0"},  // a checked radio stays checked
      {L"off", L"", L"0 0 0 -1 0"},      // a disabled one takes no click
  };
  for (const Step& step : kSteps) {
    ClickControl(step.click);
    EXPECT_EQ(TakeTrace(), step.trace) << step.click;
    EXPECT_EQ(Eval(L"[$('c1').checked, $('r1').checked, $('r2').checked, $('r3').checked,"
                   L" $('off').checked].join(' ')"),
              step.marks)
        << step.click;
  }
}

// Real key strokes through the platform's input queue, to whichever window has the focus.
void Type(const char* keys) {
  for (const char* c = keys; *c != '\0'; ++c) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(::toupper(*c));
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    test::PumpFor(20);
  }
  test::PumpFor(100);
}

TEST_F(NativeControlsTest, TypedKeysAreReadBackThroughValue) {
  ASSERT_EQ(LoadShown(kSettingsSkin), S_OK);
  struct Case {
    const wchar_t* id;
    const wchar_t* value;  // after typing "ab1c2"
  };
  static const Case kCases[] = {{L"t", L"ab1c2"}, {L"n", L"12"}, {L"p", L"ab1c2"}};
  for (const Case& c : kCases) {
    ASSERT_EQ(Run(std::wstring(L"$('") + c.id + L"').focus();"), S_OK);
    EXPECT_EQ(::GetFocus(), Control(c.id)) << c.id;
    Type("ab1c2");
    EXPECT_EQ(Eval(std::wstring(L"$('") + c.id + L"').value"), c.value) << c.id;
  }
}

TEST_F(NativeControlsTest, ControlsFollowTheirElementsPlaceVisibilityAndState) {
  ASSERT_EQ(LoadShown("<subwindow left='0' top='0' width='320' height='240'"
                      " backgroundColor='#f4f6fa'/>"
                      "<subwindow id='panel' left='20' top='30' width='200' height='100'>"
                      "<textbox id='t' left='10' top='5' width='100' height='22' value='old'/>"
                      "</subwindow>"),
            S_OK);
  struct Step {
    const wchar_t* script;
    bool visible;
    bool enabled;
    RECT rect;  // client coordinates of the document window
  };
  static const Step kSteps[] = {
      {L"", true, true, {30, 35, 130, 57}},
      // A hidden control stays where it was while its parent moves...
      {L"$('t').visible = false; $('panel').moveTo(50, 60);", false, true, {30, 35, 130, 57}},
      // ...and is placed at the new position when shown again.
      {L"$('t').visible = true;", true, true, {60, 65, 160, 87}},
      {L"$('panel').visible = false;", false, true, {60, 65, 160, 87}},
      {L"$('panel').moveBy(10, 0); $('panel').visible = true;", true, true, {70, 65, 170, 87}},
      {L"$('t').disabled = true;", true, false, {70, 65, 170, 87}},
      {L"$('t').sizeTo(80, 30); $('t').disabled = false;", true, true, {70, 65, 150, 95}},
      {L"$('t').value = 'new';", true, true, {70, 65, 150, 95}},
  };
  for (const Step& step : kSteps) {
    ASSERT_EQ(Run(step.script), S_OK) << step.script;
    HWND control = Control(L"t");
    EXPECT_EQ(::IsWindowVisible(control) != FALSE, step.visible) << step.script;
    EXPECT_EQ(::IsWindowEnabled(control) != FALSE, step.enabled) << step.script;
    EXPECT_EQ(ControlRect(L"t"), step.rect) << step.script;
  }
  // The value set on the live box is what it shows; the skin's attribute stays as written.
  wchar_t shown[16] = L"";
  ::GetWindowTextW(Control(L"t"), shown, 16);
  EXPECT_STREQ(shown, L"new");
  UniqueVariant attribute;
  ASSERT_TRUE(Element(L"t")->GetAttr(L"value", attribute.Put()));
  EXPECT_STREQ(attribute.bstrVal, L"old");
}

// What the controls show on screen: skin colours answered to their reflected colour requests,
// the system's colours without them, bullets for passwords, hints while a box is empty.
TEST_F(NativeControlsTest, ColoursHintsAndPasswordsShowOnScreen) {
  ASSERT_EQ(LoadShown("<subwindow left='0' top='0' width='320' height='240'"
                      " backgroundColor='#ffffff'>"
                      "<checkbox id='c' left='10' top='10' width='140' height='20' value='Box'"
                      " backgroundColor='#ff0000'/>"
                      "<radio id='r' left='10' top='40' width='140' height='20' value='Radio'"
                      " backgroundColor='#00ff00'/>"
                      "<textbox id='b' left='10' top='70' width='140' height='22'"
                      " backgroundColor='#0000ff' value='x'/>"
                      "<textbox id='f' left='10' top='100' width='140' height='22'"
                      " foregroundColor='#ff0000' value='WWWWWW'/>"
                      "<textbox id='d' left='10' top='130' width='140' height='22' disabled='true'"
                      " backgroundColor='#0000ff' disabledBackgroundColor='#00ffff'/>"
                      "<checkbox id='plain' left='10' top='160' width='140' height='20'/>"
                      "<textbox id='text' left='170' top='10' width='140' height='22' value='WWWW'/>"
                      "<textbox id='secret' left='170' top='40' width='140' height='22'"
                      " type='password' value='WWWW'/>"
                      "<textbox id='hint' left='170' top='70' width='140' height='22'"
                      " emptyText='Find'/>"
                      "<textbox id='empty' left='170' top='100' width='140' height='22'/>"
                      "</subwindow>"),
            S_OK);
  struct Case {
    const wchar_t* id;
    DWORD rgb;
    int atLeast;  // pixels of that colour in the control
  };
  static const Case kCases[] = {
      {L"c", 0xff0000, 500}, {L"r", 0x00ff00, 500}, {L"b", 0x0000ff, 1000},
      {L"f", 0xff0000, 10},  {L"d", 0x00ffff, 1000},
  };
  for (const Case& c : kCases) {
    const test::Picture picture = ScreenOf(c.id);
    EXPECT_GE(picture.Count({0, 0, picture.width, picture.height}, c.rgb), c.atLeast) << c.id;
  }
  const test::Picture plain = ScreenOf(L"plain");
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(plain.At(plain.width - 2, plain.height / 2),
            static_cast<DWORD>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));

  EXPECT_EQ(Eval(L"$('secret').value"), L"WWWW") << "the text itself is kept";
  EXPECT_GT(Ink(L"secret"), 0);
  EXPECT_NE(ScreenOf(L"text").pixels, ScreenOf(L"secret").pixels) << "other characters show";
  EXPECT_GT(Ink(L"hint"), 0) << "the hint shows while the box is empty";
  EXPECT_EQ(Ink(L"empty"), 0);
  ASSERT_EQ(Run(L"$('empty').emptyText = 'Later';"), S_OK);
  test::PumpFor(100);
  EXPECT_GT(Ink(L"empty"), 0) << "a hint set by script shows at once";
  EXPECT_EQ(Eval(L"$('empty').emptyText + ',' + $('hint').emptyText"), L"Later,Find");
}

TEST_F(NativeControlsTest, AttributesChooseTheControlsStyles) {
  ASSERT_EQ(LoadBody("<textbox id='single'/>"
                     "<textbox id='multi' multiline='true'/>"
                     "<textbox id='wrap' multiline='true' wordWrap='true'/>"
                     "<textbox id='wrapOnly' wordWrap='true'/>"
                     "<textbox id='num' type='number'/>"
                     "<textbox id='pw' type='password'/>"
                     "<textbox id='ro' readOnly='true' border='true'/>"
                     "<textbox id='bars' multiline='true' verticalScrollBar='true'"
                     " horizontalScrollBar='true'/>"
                     "<textbox id='off' disabled='true' visible='false'/>"
                     "<checkbox id='c'/><radio id='r'/>"
                     "<datepicker id='d'/><timepicker id='tm'/>",
                     200, 100),
            S_OK);
  ASSERT_EQ(Run(L"function $(id) { return document.getElementById(id); }"), S_OK);
  struct Case {
    const wchar_t* id;
    DWORD set;    // style bits the control has
    DWORD clear;  // and does not have
    DWORD exStyle;
  };
  constexpr DWORD kAuto = ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
  static const Case kCases[] = {
      {L"single", kChild | kAuto, ES_MULTILINE | ES_NUMBER | ES_PASSWORD | WS_DISABLED, 0},
      {L"multi", kChild | kAuto | ES_MULTILINE | ES_WANTRETURN, WS_VSCROLL, 0},
      {L"wrap", kChild | ES_MULTILINE | ES_WANTRETURN, ES_AUTOHSCROLL, 0},
      {L"wrapOnly", kChild | kAuto, ES_MULTILINE, 0},
      {L"num", kChild | ES_NUMBER, ES_PASSWORD, 0},
      {L"pw", kChild | ES_PASSWORD, ES_NUMBER, 0},
      {L"ro", kChild | ES_READONLY, 0, WS_EX_CLIENTEDGE},
      {L"bars", kChild | WS_VSCROLL | WS_HSCROLL, 0, 0},
      {L"off", WS_CHILD | WS_DISABLED, WS_VISIBLE, 0},
      {L"c", kChild | BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON & ~BS_AUTOCHECKBOX, 0},
      {L"r", kChild | BS_AUTORADIOBUTTON, 0, 0},
      // The pickers draw their own sunken edge.
      {L"d", kChild, DTS_TIMEFORMAT, WS_EX_CLIENTEDGE},
      {L"tm", kChild | DTS_TIMEFORMAT, 0, WS_EX_CLIENTEDGE},
  };
  for (const Case& c : kCases) {
    HWND control = Control(c.id);
    ASSERT_NE(control, nullptr) << c.id;
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
    EXPECT_EQ(style & c.set, c.set) << c.id;
    EXPECT_EQ(style & c.clear, 0u) << c.id;
    EXPECT_EQ(::GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, LONG_PTR{c.exStyle})
        << c.id;
  }

  struct Member {
    const wchar_t* expression;
    const wchar_t* expected;
  };
  static const Member kMembers[] = {
      {L"$('ro').readOnly + ',' + $('single').readOnly", L"true,false"},
      {L"($('ro').readOnly = false, '' + $('ro').readOnly)", L"false"},
      {L"($('single').value = 'abc', $('single').select(), 'selected')", L"selected"},
      {L"$('single').clickSelectsAll + ',' + ($('single').clickSelectsAll = 5,"
       L" $('single').clickSelectsAll)",
       L"false,true"},
      // Automation dates: days since 30 December 1899, the time of day as a fraction.
      {L"($('d').dateValue = 44354, new Date($('d').dateValue)).toDateString()",
       L"Mon Jun 7 2021"},
      {L"($('tm').dateValue = 43832.5732639, new Date($('tm').dateValue)).toTimeString()"
       L".substr(0, 8)",
       L"13:45:30"},
  };
  for (const Member& m : kMembers) EXPECT_EQ(Eval(m.expression), m.expected) << m.expression;
  EXPECT_EQ(::GetWindowLongPtrW(Control(L"ro"), GWL_STYLE) & ES_READONLY, 0);
  EXPECT_EQ(::SendMessageW(Control(L"single"), EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
  // The time picker's time is changed with an up-down control.
  wchar_t name[32] = L"";
  ::GetClassNameW(::GetWindow(Control(L"tm"), GW_CHILD), name, 32);
  EXPECT_STREQ(name, UPDOWN_CLASSW);
}

// A window full of native controls, opened and closed a hundred times: each control is made once,
// goes with its window, and its brush with it; nothing of the process grows.
TEST_F(NativeControlsTest, OpenCloseCyclesLeaveNothingBehind) {
  std::string body;
  for (int i = 0; i < 4; ++i) {
    const std::string at = " left='" + std::to_string(i * 40) + "' width='36' height='20'";
    body += "<checkbox id='c" + std::to_string(i) + "'" + at + " top='0' backgroundColor='#ff0000'/>"
            "<radio id='r" + std::to_string(i) + "'" + at + " top='30' backgroundColor='#00ff00'/>"
            "<textbox id='t" + std::to_string(i) + "'" + at + " top='60' backgroundColor='#0000ff'/>"
            "<datepicker" + at + " top='90'/><timepicker" + at + " top='120'/>";
  }
  // Colour requests as the controls make them, reflected to the elements: each answers its brush.
  HDC dc = ::CreateCompatibleDC(nullptr);
  auto brushOf = [&](const std::wstring& id, UINT request) {
    return reinterpret_cast<HGDIOBJ>(::SendMessageW(Window(), request, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(Control(id.c_str()))));
  };
  ASSERT_EQ(LoadBody(body, 200, 150), S_OK);  // the first load registers the control classes
  ASSERT_EQ(LoadBody("", 200, 150), S_OK);
  const test::ResourceSnapshot before = test::ResourceSnapshot::Take();
  for (int cycle = 0; cycle < 100; ++cycle) {
    ASSERT_EQ(LoadBody(body, 200, 150), S_OK);
    std::vector<HWND> controls;
    for (HWND child = ::GetWindow(Window(), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
      controls.push_back(child);
    ASSERT_EQ(controls.size(), 20u) << cycle;
    std::vector<HGDIOBJ> brushes;
    for (int i = 0; i < 4; ++i) {
      const std::wstring n = std::to_wstring(i);
      brushes.push_back(brushOf(L"c" + n, WM_CTLCOLORBTN));
      brushes.push_back(brushOf(L"r" + n, WM_CTLCOLORSTATIC));
      brushes.push_back(brushOf(L"t" + n, WM_CTLCOLOREDIT));
    }
    for (HGDIOBJ brush : brushes) ASSERT_EQ(::GetObjectType(brush), DWORD{OBJ_BRUSH}) << cycle;
    ASSERT_EQ(LoadBody("", 200, 150), S_OK);
    for (HWND control : controls) ASSERT_FALSE(::IsWindow(control)) << cycle;
    for (HGDIOBJ brush : brushes) ASSERT_EQ(::GetObjectType(brush), 0u) << cycle;
  }
  EXPECT_EQ(test::ResourceSnapshot::Take(), before);
  ::DeleteDC(dc);
}

}  // namespace
}  // namespace velmor
