// Native controls end to end: check boxes, radios, text boxes and date-time pickers in a shown
// document window, driven by real mouse and keyboard input and by the window's own JScript, and
// read back from the controls and the screen.
//
// Splitters end to end: the pane rules read back through IDOMSplitter and the elements' script
// geometry in a real window, and the bar dragged with real mouse input, live and with the ghost
// bar.
//
// Widgets end to end with the component runtime's list widget: its window kept over the
// element's box, instance and service components, the component's events reaching the element's
// handler from a real click, its members called from script through the element; an animated
// subwindow background on screen; and a thousand windows with a splitter and a widget opened and
// closed.
#include <windows.h>
// windows.h first: the common controls header needs its types.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "components/component_manager.h"
#include "controls/check_box_content.h"
#include "controls/date_time_picker_content.h"
#include "controls/splitter.h"
#include "controls/text_box_content.h"
#include "controls/widget_wrapper.h"
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
  // The text a control shows, and its element's "value" attribute as the skin wrote it.
  std::pair<std::wstring, std::wstring> TextAndValue(const wchar_t* id) {
    wchar_t shown[64] = L"";
    ::GetWindowTextW(Control(id), shown, 64);
    UniqueVariant value;
    const bool has = Element(id)->GetAttr(L"value", value.Put()) && value.vt == VT_BSTR;
    return {shown, has ? value.bstrVal : L"(none)"};
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
    test::SendKeys({}, static_cast<WORD>(::toupper(*c)));
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
  static const Case kCases[] = {{L"t", L"ab1c2"}, {L"p", L"ab1c2"}};
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
  EXPECT_EQ(TextAndValue(L"t"), std::make_pair(std::wstring(L"new"), std::wstring(L"old")));
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
  EXPECT_GT(Ink(L"hint"), 0) << "the hint shows while the box is empty";
  EXPECT_EQ(Ink(L"empty"), 0);
  ASSERT_EQ(Run(L"$('empty').emptyText = 'Later';"), S_OK);
  test::PumpFor(100);
  EXPECT_GT(Ink(L"empty"), 0) << "a hint set by script shows at once";
  EXPECT_EQ(Eval(L"$('empty').emptyText + ',' + $('hint').emptyText"), L"Later,Find");
}

TEST_F(NativeControlsTest, AttributesChooseTheControlsStyles) {
  // Side by side: a control wholly under another would not be made.
  const char* const kElements[] = {
      "textbox id='single'", "textbox id='multi' multiline='true'",
      "textbox id='wrap' multiline='true' wordWrap='true'", "textbox id='wrapOnly' wordWrap='true'",
      "textbox id='num' type='number'", "textbox id='pw' type='password'",
      "textbox id='ro' readOnly='true' border='true'",
      "textbox id='bars' multiline='true' verticalScrollBar='true' horizontalScrollBar='true'",
      "textbox id='off' disabled='true'", "checkbox id='c'", "radio id='r'", "datepicker id='d'",
      "timepicker id='tm'"};
  std::string body;
  int left = 0;
  for (const char* element : kElements)
    body += "<" + std::string(element) + " left='" + std::to_string(left++ * 15) +
            "' width='14' height='9'/>";
  ASSERT_EQ(LoadShown(body, 200, 100), S_OK);
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
      {L"off", kChild | WS_DISABLED, 0, 0},
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
  };
  for (const Member& m : kMembers) EXPECT_EQ(Eval(m.expression), m.expected) << m.expression;
  EXPECT_EQ(::GetWindowLongPtrW(Control(L"ro"), GWL_STYLE) & ES_READONLY, 0);
  EXPECT_EQ(::SendMessageW(Control(L"single"), EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
}

// A skin asking for more controls than a window may hold loads all its elements: the first ones
// get controls, a picker counting with the windows it makes; the rest keep their state in their
// attributes, as scripts read and set it.
TEST_F(NativeControlsTest, ControlsPastTheWindowsBoundKeepToTheirAttributes) {
  const int boxes = native::kMaxControlWindowsPerWindow - scTimePickerContent::kPlatformWindows;
  std::string body;
  for (int i = 0; i < boxes; ++i)
    body += "<checkbox left='" + std::to_string(i % 90) + "' top='" + std::to_string(i / 90 * 5) +
            "' width='4' height='4'/>";
  ASSERT_EQ(LoadShown(body + "<timepicker id='last' left='0' top='40' width='90' height='20'/>"
                             "<textbox id='past' value='kept' top='80' width='90' height='20'/>"
                             "<checkbox id='late' top='120' width='90' height='20'/>"),
            S_OK);
  int children = 0;
  for (HWND child = ::GetWindow(Window(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT))
    ++children;
  EXPECT_EQ(children, boxes + 1);
  EXPECT_NE(Control(L"last"), nullptr);
  EXPECT_EQ(Control(L"past"), nullptr);
  EXPECT_EQ(Control(L"late"), nullptr);
  EXPECT_EQ(Eval(L"var p = $('past'), was = p.value; p.value = 'set'; var l = $('late');"
                 L"l.checked = true; var mark = l.checked; l.checked = false;"
                 L"[was, p.value, mark, l.checked, $('last').nodeName].join()"),
            L"kept,set,-1,0,timepicker");
}

// Controls nobody can see yet (outside the client area, or hidden) are made when they come into
// sight, with what scripts set meanwhile, stacked in their elements' order.
TEST_F(NativeControlsTest, ControlsAreMadeWhenSeenWithWhatScriptsSet) {
  ASSERT_EQ(LoadShown("<subwindow width='200' height='100' horizontalAlignment='stretch'"
                      " backgroundColor='#ffffff'/>"
                      "<textbox id='t' left='300' top='0' width='60' height='20' value='skin'/>"
                      "<checkbox id='c' left='300' top='30' width='60' height='20'/>"
                      "<radio id='r1' left='300' top='60' width='60' height='20'/>"
                      "<datepicker id='d' left='10' top='0' width='90' height='20'"
                      " visible='false'/>"
                      "<radio id='r2' left='10' top='60' width='60' height='20'/>",
                      200, 100),
            S_OK);
  const wchar_t* const kIds[] = {L"t", L"c", L"r1", L"d", L"r2"};
  for (const wchar_t* id : kIds) EXPECT_EQ(Control(id) == nullptr, id != kIds[4]) << id;
  const wchar_t kRead[] = L"[t.value, c.checked, r1.checked, r2.checked,"
                          L" new Date(d.dateValue).getDate()].join()";
  ASSERT_EQ(Run(L"var t = $('t'), c = $('c'), r1 = $('r1'), r2 = $('r2'), d = $('d');"
                L"t.value = 'typed'; c.checked = true; r1.checked = true; d.dateValue = 44322;"),
            S_OK);
  EXPECT_EQ(Eval(kRead), L"typed,-1,-1,0,6");
  ClickControl(L"r2");  // unchecks every other radio of the window, made or not
  ASSERT_EQ(Run(L"d.visible = true;"), S_OK);
  ::SetWindowPos(Window(), nullptr, 0, 0, 420, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::vector<HWND> made;
  for (const wchar_t* id : kIds) made.push_back(Control(id));
  std::vector<HWND> stacked;
  for (HWND child = ::GetWindow(Window(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT))
    stacked.push_back(child);
  EXPECT_EQ(stacked, made);
  EXPECT_EQ(Eval(kRead), L"typed,-1,0,-1,6");
  // As with a box made at once, the skin's attribute stays as written.
  EXPECT_EQ(TextAndValue(L"t"), std::make_pair(std::wstring(L"typed"), std::wstring(L"skin")));
  EXPECT_EQ(::SendMessageW(Control(L"c"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageW(Control(L"r1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SYSTEMTIME date{};
  ::SendMessageW(Control(L"d"), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
  EXPECT_EQ(date.wYear * 10000 + date.wMonth * 100 + date.wDay, 20210506);
}

// A control wholly under one made before it cannot be seen either: it is made, with its value,
// when the one above moves off it or hides.
TEST_F(NativeControlsTest, ControlsUnderOthersAreMadeWhenUncovered) {
  ASSERT_EQ(LoadShown("<textbox id='a1' left='10' top='10' width='80' height='20'/>"
                      "<textbox id='a2' left='20' top='10' width='60' height='20' value='u'/>"
                      "<checkbox id='b1' left='10' top='50' width='80' height='20'/>"
                      "<checkbox id='b2' left='10' top='50' width='80' height='20'/>"),
            S_OK);
  struct Step {
    const wchar_t* script;
    bool a2, b2;  // made
  };
  static const Step kSteps[] = {
      {L"", false, false},
      {L"$('a1').left = 150;", true, false},
      {L"$('b1').visible = false;", true, true},
  };
  for (const Step& step : kSteps) {
    ASSERT_EQ(Run(step.script), S_OK) << step.script;
    EXPECT_EQ(Control(L"a2") != nullptr, step.a2) << step.script;
    EXPECT_EQ(Control(L"b2") != nullptr, step.b2) << step.script;
  }
  EXPECT_EQ(TextAndValue(L"a2").first, L"u");
  EXPECT_TRUE(::IsWindowVisible(Control(L"b2")));
}

// Covered controls look again once the layout that moved the control above them has ended, in
// their elements' order: a resize that moves a stack of controls together makes none of those
// under the first, and of two uncovered at one place only the earlier is made.
TEST_F(NativeControlsTest, CoveredControlsLookAgainAfterTheLayoutInTheirOrder) {
  std::string stack;
  for (int i = 0; i < 3; ++i)
    stack += "<checkbox id='s" + std::to_string(i) +
             "' left='10' top='50' width='80' height='20' horizontalAlignment='right'/>";
  ASSERT_EQ(LoadShown(stack +
                          "<checkbox id='a' left='10' top='10' width='80' height='20'"
                          " horizontalAlignment='right'/>"
                          "<checkbox id='b' left='10' top='10' width='80' height='20'/>"
                          "<checkbox id='c' left='10' top='10' width='80' height='20'/>",
                      200, 100),
            S_OK);
  struct Step {
    int width;  // of the window, 0 to keep it
    const wchar_t* script;
    const char* made;  // per element s0 s1 s2 a b c
  };
  static const Step kSteps[] = {
      {0, L"", "100100"},
      {400, L"", "100110"},
      {0, L"$('b').visible = false;", "100111"},
  };
  const wchar_t* const kIds[] = {L"s0", L"s1", L"s2", L"a", L"b", L"c"};
  for (const Step& step : kSteps) {
    if (step.width != 0)
      ::SetWindowPos(Window(), nullptr, 0, 0, step.width, 100,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(Run(step.script), S_OK) << step.script;
    std::string made;
    for (const wchar_t* id : kIds) made += Control(id) != nullptr ? '1' : '0';
    EXPECT_EQ(made, step.made) << step.width << " " << step.script;
  }
}

namespace splitters {
using test::DocumentTest;

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;

// A 500 x 300 window split at x 100 by a 5-pixel bar (or at y 60 by a 4-pixel bar when
// horizontal); the splitter stretches with the window over a panel that gives the window its
// shape. g() gives the panes as "start+length" along the split ('!' before a hidden one), then
// the position.
std::string SplitterSkin(const std::string& splitterAttributes, bool horizontal = false) {
  const std::string bar = horizontal ? "<splitterbar id='bar' left='0' top='60' width='500' height='4'/>"
                                     : "<splitterbar id='bar' left='100' top='0' width='5' height='300'/>";
  return "<script>"
         "var trace = '';"
         "function $(id) { return document.getElementById(id); }"
         "function p(e, h) { return (e.visible ? '' : '!') +"
         "  (h ? e.top + '+' + e.height : e.left + '+' + e.width); }"
         "function g() { var s = $('s'), h = s.horizontal;"
         "  return [p($('a'), h), p($('b'), h), s.splitterPos].join(' '); }"
         "</script>"
         "<subwindow left='0' top='0' width='500' height='300' backgroundColor='#808080' passThrough='true'"
         " horizontalAlignment='stretch' verticalAlignment='stretch'/>"
         "<splitter id='s' left='0' top='0' width='500' height='300' horizontalAlignment='stretch'"
         " verticalAlignment='stretch' " +
         splitterAttributes +
         ">"
         "<subwindow id='a' backgroundColor='#FFFFFF'/>" +
         bar +
         "<subwindow id='b' backgroundColor='#FFFFFF'/>"
         "</splitter>";
}

struct PaneCase {
  const char* attributes;
  bool horizontal;
  const wchar_t* script;  // run before the window is resized
  int width;              // the client width afterwards (0: not resized)
  const wchar_t* expected;
};

const PaneCase kPaneCases[] = {
    {"", false, L"", 0, L"0+100 100+5 105+395 100"},
    {"", false, L"$('s').splitterPos = -1", 0, L"0+247 247+5 252+248 247"},
    {"leftPaneMinSize='50' rightPaneMinSize='80'", false, L"$('s').splitterPos = 10", 0,
     L"0+50 50+5 55+445 50"},
    {"leftPaneMinSize='50' rightPaneMinSize='80'", false, L"$('s').splitterPos = 480", 0,
     L"0+415 415+5 420+80 415"},
    // The first pane keeps its size, or the second, or both their proportion.
    {"", false, L"", 1000, L"0+100 100+5 105+895 100"},
    {"rightAligned='true'", false, L"", 1000, L"0+600 600+5 605+395 600"},
    {"proportional='true'", false, L"", 1000, L"0+201 201+5 206+794 201"},
    {"rightAligned='true' proportional='true'", false, L"", 1000, L"0+201 201+5 206+794 201"},
    // Minimums given from script re-clamp at once when asked to.
    {"", false, L"$('s').setPaneMinSize(1, 450, true)", 0, L"0+45 45+5 50+450 45"},
    {"", false, L"$('s').setPaneMinSize(1, 450, false)", 0, L"0+100 100+5 105+395 100"},
    // One pane fills the box; the bar and the other pane are hidden, and come back.
    {"", false, L"$('s').singlePaneMode = 1", 0, L"!0+100 !100+5 0+500 100"},
    {"", false, L"$('s').singlePaneMode = 0; $('s').singlePaneMode = -1", 0,
     L"0+100 100+5 105+395 100"},
    {"", false, L"$('s').singlePaneMode = 7", 0, L"0+100 100+5 105+395 100"},
    // Swapped panes: the second pane comes first and the bar mirrors; pane indexes follow.
    {"", false, L"$('s').panePlace = false", 0, L"405+95 400+5 0+400 400"},
    {"", false, L"$('s').panePlace = false; $('s').singlePaneMode = 0", 0,
     L"0+500 !400+5 !0+400 400"},
    {"", false, L"$('s').panePlace = false; $('s').panePlace = true", 0,
     L"0+100 100+5 105+395 100"},
    // Horizontal: the bar's height and top give the thickness and the position.
    {"horizontal='true'", true, L"", 0, L"0+60 60+4 64+236 60"},
    {"horizontal='true' topPaneMinSize='80'", true, L"$('s').splitterPos = 0", 0,
     L"0+80 80+4 84+216 80"},
};

// Both panes and the bar (which is no script object), as g() writes them.
class SplitterGeometryTest : public DocumentTest {
 protected:
  std::wstring Geometry() {
    const std::wstring panes = Eval(L"g()");
    const size_t gap = panes.find(L' ');
    if (gap == std::wstring::npos) return panes;
    scITextBaseContent* bar = Impl(L"bar");
    const bool horizontal = Eval(L"$('s').horizontal ? 1 : 0") == L"1";
    const scRect& r = bar->Rect();
    const std::wstring text = std::wstring(bar->IsVisible() ? L"" : L"!") +
                              std::to_wstring(horizontal ? r.y : r.x) + L"+" +
                              std::to_wstring(horizontal ? r.height : r.width);
    return panes.substr(0, gap + 1) + text + panes.substr(gap);
  }
};

class SplitterPaneTest : public SplitterGeometryTest,
                         public ::testing::WithParamInterface<PaneCase> {};

TEST_P(SplitterPaneTest, PlacesThePanesByTheRuleInForce) {
  const PaneCase& c = GetParam();
  ASSERT_EQ(LoadBody(SplitterSkin(c.attributes, c.horizontal), 500, 300), S_OK);
  ASSERT_EQ(Run(c.script), S_OK);
  if (c.width != 0) SetClientSize(c.width, 300);
  EXPECT_EQ(Geometry(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, SplitterPaneTest, ::testing::ValuesIn(kPaneCases));

class SplitterTest : public SplitterGeometryTest {
 protected:
  void TearDown() override {
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_fullDrag, nullptr, 0);
    SplitterGeometryTest::TearDown();
  }
  // Loads the splitter skin with drag-full-windows set as asked (read when the splitter is made).
  void LoadWithFullDrag(bool fullDrag) {
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &m_fullDrag, 0);
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullDrag, nullptr, 0);
    // The first pane logs its width whenever it is resized.
    std::string skin = SplitterSkin("");
    const std::string pane = "<subwindow id='a'";
    skin.replace(skin.find(pane), pane.size(),
                 pane + " onsize=\"trace += ' ' + this.width\"");
    ASSERT_EQ(LoadBody(skin, 500, 300), S_OK);
    ASSERT_EQ(Run(L"var trace = '';"), S_OK);
    ShowAt(40, 40);
    ::SetForegroundWindow(Window());
    test::PumpFor(100);
  }
  POINT ScreenPoint(int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(Window(), &p);
    return p;
  }
  BOOL m_fullDrag = TRUE;
};

TEST_F(SplitterTest, LiveDragMovesThePanesWithTheMouse) {
  LoadWithFullDrag(true);
  // The bar shows the sizing cursor.
  Send(WM_MOUSEMOVE, 102, 150);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
  test::RealMouse(ScreenPoint(102, 150), ScreenPoint(262, 150));
  EXPECT_EQ(Geometry(), L"0+260 260+5 265+235 260");
  // The first pane was resized on the way, not only at the end.
  const std::wstring widths = Eval(L"trace");
  EXPECT_GT(std::count(widths.begin(), widths.end(), L' '), 2) << widths;
}

TEST_F(SplitterTest, GhostBarDragMovesThePanesOnRelease) {
  LoadWithFullDrag(false);
  const POINT from = ScreenPoint(102, 150);
  ::SetCursorPos(from.x, from.y);
  test::PumpFor(100);
  test::SendMouseButton(MOUSEEVENTF_LEFTDOWN);
  test::PumpFor(100);
  const POINT to = ScreenPoint(302, 150);
  ::SetCursorPos(to.x, to.y);
  test::PumpFor(250);

  // Meanwhile the panes stay and an inverted halftone bar lies over the second pane.
  EXPECT_EQ(Geometry(), L"0+100 100+5 105+395 300");
  RECT ghost{300, 40, 305, 260};
  ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&ghost), 2);
  const test::Picture during = test::ReadScreen(ghost);
  EXPECT_EQ(during.Count({0, 0, 5, 220}, kBlack), 550);
  EXPECT_EQ(during.Count({0, 0, 5, 220}, kWhite), 550);

  test::SendMouseButton(MOUSEEVENTF_LEFTUP);
  test::PumpFor(250);
  EXPECT_EQ(Geometry(), L"0+300 300+5 305+195 300");
  EXPECT_EQ(Eval(L"trace"), L" 300") << "one resize, on release";
  // The ghost is gone: the first pane is white where it was drawn.
  ghost = RECT{296, 40, 300, 260};
  ::MapWindowPoints(Window(), nullptr, reinterpret_cast<POINT*>(&ghost), 2);
  const test::Picture after = test::ReadScreen(ghost);
  EXPECT_EQ(after.Count({0, 0, 4, 220}, kWhite), 880);
}

}  // namespace splitters

namespace widgets {
using test::DocumentTest;

constexpr wchar_t kListContract[] = L"@velmor.net/widgets/list;1";

const char kListSkin[] =
    "<script>var trace = ''; function $(id) { return document.getElementById(id); }</script>"
    "<subwindow id='panel' left='0' top='0' width='300' height='200' backgroundColor='#E0E0E0'"
    " horizontalAlignment='stretch'>"
    "<widget id='w' left='20' top='30' width='200' height='120' horizontalAlignment='stretch'"
    " contractId='@velmor.net/widgets/list;1'"
    " onselect=\"trace += arguments[0] + ':' + arguments[1] + ' '\"/>"
    "</subwindow>";

// Documents with the component runtime running (widgets find their components through it and
// animations their timers).
class RuntimeDocumentTest : public DocumentTest {
 protected:
  static void SetUpTestSuite() {
    DocumentTest::SetUpTestSuite();
    ASSERT_EQ(components::Initialize(), S_OK);
  }
  static void TearDownTestSuite() { (void)components::Shutdown(); }

  scWidgetWrapper* Widget(const wchar_t* id) { return dynamic_cast<scWidgetWrapper*>(Impl(id)); }
  // A window's rectangle in the document window's client coordinates.
  RECT InClient(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

using WidgetTest = RuntimeDocumentTest;

TEST_F(WidgetTest, AnInstanceFollowsItsElementAndRaisesItsEvents) {
  ASSERT_EQ(LoadBody(kListSkin, 300, 200), S_OK);
  ShowAt(60, 60);
  HWND list = Widget(L"w")->ComponentWindow();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(::GetParent(list), Window());
  EXPECT_EQ(::GetWindowLongPtrW(list, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
  EXPECT_EQ(InClient(list), (RECT{20, 30, 220, 150}));

  // The component's own members, through the element.
  EXPECT_EQ(Eval(L"var w = $('w'); w.addItem('one'); w.addItem('two'); w.addItem('three');"
                 L" [w.count, w.item(1), w.contractId].join()"),
            L"3,two,@velmor.net/widgets/list;1");

  // Moves, window resizes and visibility of an ancestor.
  ASSERT_EQ(Run(L"w.moveTo(30, 40)"), S_OK);
  EXPECT_EQ(InClient(list), (RECT{30, 40, 230, 160}));
  SetClientSize(400, 200);
  EXPECT_EQ(InClient(list), (RECT{30, 40, 320, 160}));
  ASSERT_EQ(Run(L"$('panel').visible = false"), S_OK);
  EXPECT_FALSE(::IsWindowVisible(list));
  ASSERT_EQ(Run(L"w.moveTo(10, 10); $('panel').visible = true"), S_OK);
  EXPECT_TRUE(::IsWindowVisible(list));
  EXPECT_EQ(InClient(list), (RECT{10, 10, 320, 130}));

  // A real click on the second line and a selection from script both reach "onselect".
  HWND box = ::FindWindowExW(list, nullptr, L"ListBox", nullptr);
  ASSERT_NE(box, nullptr);
  RECT item{};
  ::SendMessageW(box, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(box, &at);
  ::SetForegroundWindow(Window());
  test::RealMouse(at, at);
  ASSERT_EQ(Run(L"w.selectedIndex = 2"), S_OK);
  EXPECT_EQ(Eval(L"trace"), L"1:two 2:three ");

  // An unknown contract changes nothing; closing the window destroys the instance's window.
  EXPECT_EQ(Eval(L"w.setContractId('@velmor.net/nothing;1', false); w.contractId + ',' + w.count"),
            L"@velmor.net/widgets/list;1,3");
  EXPECT_EQ(Widget(L"w")->ComponentWindow(), list);
  LOG_IF_FAILED(m_document->Destroy());
  EXPECT_FALSE(::IsWindow(list));
}

TEST_F(WidgetTest, AServiceWindowIsAdoptedAndOutlivesTheHost) {
  ComPtr<IWidgetWindow> service;
  ASSERT_EQ(components::GetService(kListContract, service), S_OK);
  HWND popup = service->Create(nullptr, 0);
  ASSERT_NE(popup, nullptr);
  ::ShowWindow(popup, SW_SHOWNA);
  std::string skin = kListSkin;
  skin.insert(skin.find(" contractId="), " useService='true'");
  ASSERT_EQ(LoadBody(skin, 300, 200), S_OK);
  ShowAt(60, 60);

  EXPECT_EQ(Widget(L"w")->ComponentWindow(), popup);
  EXPECT_EQ(::GetParent(popup), Window());
  EXPECT_EQ(::GetWindowLongPtrW(popup, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
  EXPECT_EQ(InClient(popup), (RECT{20, 30, 220, 150}));
  EXPECT_TRUE(::IsWindowVisible(popup));
  EXPECT_EQ(Eval(L"$('w').selectedIndex"), L"-1") << "the service's members through the element";

  // Closing the window hides the service's window and hands it back; an instance replaces it.
  LOG_IF_FAILED(m_document->Destroy());
  EXPECT_TRUE(::IsWindow(popup));
  EXPECT_FALSE(::IsWindowVisible(popup));
  EXPECT_EQ(::GetParent(popup), nullptr);
  ASSERT_EQ(LoadBody(skin, 300, 200), S_OK);
  EXPECT_EQ(::GetParent(popup), Window());
  ASSERT_EQ(Run(L"$('w').setContractId('@velmor.net/widgets/list;1', false)"), S_OK);
  EXPECT_NE(Widget(L"w")->ComponentWindow(), popup);
  EXPECT_FALSE(::IsWindowVisible(popup));
  EXPECT_EQ(Eval(L"$('w').count"), L"0");
  LOG_IF_FAILED(m_document->Destroy());
  EXPECT_EQ(service->Destroy(), S_OK);
}

TEST_F(RuntimeDocumentTest, AnAnimatedSubwindowBackgroundChangesFramesOnScreen) {
  const std::wstring path = test::FixturePath(L"images\\endless.gif");
  const std::string gif(path.begin(), path.end());
  ASSERT_EQ(LoadBody("<subwindow left='0' top='0' width='40' height='40' backgroundColor='#808080' "
                     "backgroundImageStretchMode='stretch' backgroundImage='" + gif + "'/>",
                     40, 40),
            S_OK);
  ShowAt(60, 60);
  POINT centre{20, 20};
  ::ClientToScreen(Window(), &centre);
  // The three frames are red, green and blue.
  const std::set<COLORREF> frames{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  std::set<COLORREF> seen;
  test::PumpUntil(
      [&] {
        const COLORREF shown = test::ScreenPixel(centre.x, centre.y);
        if (frames.count(shown) != 0) seen.insert(shown);
        return seen.size() == frames.size();
      },
      5000);
  EXPECT_EQ(seen, frames);
}

// Each native control is made once, goes with its window, and the brush it was answered with
// goes with it; nothing of the process grows.
TEST_F(RuntimeDocumentTest, AThousandWindowsWithControlsASplitterAndAWidgetLeaveNothingBehind) {
  std::string skin =
      "<splitter left='0' top='0' width='300' height='200'>"
      "<subwindow backgroundColor='#FFFFFF'/><splitterbar left='80' width='4'/>"
      "<widget id='w' contractId='@velmor.net/widgets/list;1' onselect='n = event'/>"
      "</splitter>";
  const char* const kControls[] = {"checkbox", "radio", "textbox", "datepicker", "timepicker"};
  for (const char* const& tag : kControls)
    skin += std::string("<") + tag + " top='200' width='36' height='20' backgroundColor='#ff0000'"
            " left='" + std::to_string(40 * (&tag - kControls)) + "'/>";
  HDC dc = ::CreateCompatibleDC(nullptr);
  auto cycle = [&] {
    ASSERT_EQ(LoadBody(skin, 300, 220), S_OK);
    ASSERT_NE(Widget(L"w")->ComponentWindow(), nullptr);
    ASSERT_TRUE(Widget(L"w")->HasEventSink());
    std::vector<HWND> children;
    std::vector<HGDIOBJ> brushes;
    for (HWND child = ::GetWindow(Window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      children.push_back(child);
      // Colour requests as the controls make them, reflected to their elements.
      wchar_t name[16] = L"";
      ::GetClassNameW(child, name, 16);
      if (wcscmp(name, L"Velmor.Button") == 0 || wcscmp(name, L"Velmor.Edit") == 0)
        brushes.push_back(reinterpret_cast<HGDIOBJ>(::SendMessageW(
            Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child))));
    }
    ASSERT_EQ(children.size(), 1 + std::size(kControls));
    ASSERT_EQ(brushes.size(), 3u);
    for (HGDIOBJ brush : brushes) ASSERT_EQ(::GetObjectType(brush), DWORD{OBJ_BRUSH});
    LOG_IF_FAILED(m_document->Destroy());
    for (HWND child : children) ASSERT_FALSE(::IsWindow(child));
    for (HGDIOBJ brush : brushes) ASSERT_EQ(::GetObjectType(brush), 0u);
  };
  cycle();  // caches warm, control classes registered
  const test::ResourceSnapshot before = test::ResourceSnapshot::Take();
  const long sinks = LiveObjects<CDispEvent>::Count();
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_EQ(test::ResourceSnapshot::Take(), before);
  EXPECT_EQ(LiveObjects<CDispEvent>::Count(), sinks);
  ::DeleteDC(dc);
}

}  // namespace widgets

}  // namespace
}  // namespace velmor
