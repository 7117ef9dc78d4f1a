// Elements as script objects, end to end: a skin with one element of every script-visible class
// loaded into a real document window, and the window's own JScript reading and writing each
// element's members through the dispatch bridge (geometry, flags, alignment, locks, expandos,
// methods read as values, constructors, descriptors and accessors), the same object whichever
// path gave it to the script, and the bridge's exact answers to native callers.
//
// Element repaints reach the window through the root, in window coordinates: locks, visibility
// and moves.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "script/dispatch_bridge.h"
#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

const char kEveryClassSkin[] =
    "<window id='root' width='400' height='300'>"
    "<image id='img' src='a.png'/><subwindow id='sub'/><button id='btn'/>"
    "<checkbox id='chk'/><radio id='rad'/>"
    "<menupopup id='popup'><menuitem id='item'/><menuseparator id='sep'/></menupopup>"
    "<splitter id='split'/><label id='lbl'/><widget id='wid'/><textbox id='txt'/>"
    "<datepicker id='date'/><timepicker id='time'/><keyset id='keys'><key id='key'/></keyset>"
    "</window>";

// run(f): what f returns as text, or "error" and the failure code in hexadecimal.
// box(el): the element's rectangle.
const wchar_t kHelpers[] =
    L"function run(f) {"
    L"  try { return String(f()); }"
    L"  catch (e) { return 'error ' + (e.number < 0 ? e.number + 0x100000000 : e.number)"
    L"      .toString(16); }"
    L"}"
    L"function box(el) { return [el.left, el.top, el.width, el.height].join(); }";

struct ElementRow {
  const wchar_t* id;
  const wchar_t* nodeName;
  const wchar_t* firstInterface;  // what the IDispatchEx face's type information describes
  int ambientPosition;            // IDOMAmbient's place in the interface table (1-based)
  const wchar_t* classMember;     // an expression over the class's own interface
  const wchar_t* classResult;
};

// Classes whose own members are not built yet have no class row (the skin authors' guide lists
// them).
const ElementRow kRows[] = {
    {L"root", L"window", L"IDOMNode", 2, L"el.lastChild.ID + ',' + el.firstChild.nodeName",
     L"keys,image"},
    {L"img", L"image", L"IDOMImage", 2, L"(el.src = 'b.png', el.SRC)", L"b.png"},
    {L"sub", L"subwindow", L"IDOMAmbient", 1, L"el.parentNode.ID", L"root"},
    {L"btn", L"button", L"IDOMButton", 2,
     L"[el.checked, (el.Checked = true, el.checked), (el.checked = 1, el.CHECKED)].join()",
     L"0,-1,0"},
    {L"chk", L"checkbox", L"IDOMAmbient", 1, L"(el.checked = true, el.checked) + ',' + el.Checked",
     L"-1,-1"},
    {L"rad", L"radio", L"IDOMAmbient", 1, L"(el.checked = 1, el.checked)", L"0"},
    {L"popup", L"menupopup", L"IDOMAmbient", 1, L"el.firstChild.ID", L"item"},
    {L"item", L"menuitem", L"IDOMMenuItem", 2, L"(el.defaultItem = 1, el.DefaultItem)", L"-1"},
    {L"sep", L"menuitem", L"IDOMMenuItem", 2, L"el.previousSibling.ID + ',' + el.parentNode.ID",
     L"item,popup"},
    {L"split", L"splitter", L"IDOMAmbient", 1,
     L"[el.horizontal, el.bar === null, el.panePlace, el.getPaneMinSize(1), el.splitterPos,"
     L" run(function () { return el.getPaneMinSize(2); })].join()",
     L"false,true,true,0,-1,error 80070057"},
    {L"lbl", L"label", L"IDOMLabel", 2, L"run(function () { el.value = 'x'; return el.VALUE; })",
     L"x"},
    {L"wid", L"widget", L"IDOMWidgetWrapper", 2, L"run(function () { return el.contractId; })",
     L""},
    {L"txt", L"textbox", L"IDOMAmbient", 1,
     L"(el.EmptyText = 'hint', el.emptyText) + ',' + (el.value = 'v', el.VALUE) + ',' +"
     L" run(function () { el.focus(); })",
     L"hint,v,undefined"},
    // Automation dates: days since 30 December 1899, the time of day as a fraction.
    {L"date", L"datepicker", L"IDOMAmbient", 1,
     L"(el.dateValue = 44354, new Date(el.DateValue).toDateString())", L"Mon Jun 7 2021"},
    {L"time", L"timepicker", L"IDOMAmbient", 1,
     L"(el.dateValue = 43832.5732639, new Date(el.dateValue).toTimeString().substr(0, 8))",
     L"13:45:30"},
    {L"keys", L"keyset", L"IDOMNode", 2, L"el.firstChild.ID", L"key"},
    {L"key", L"key", L"IDOMKeyShortcut", 2, L"(el.keycode = 'VK_F5', el.KeyCode)", L"VK_F5"},
};

#define NOTIMPL L"error 80004001"
// What every element answers, in this order (later cases build on the expandos and the
// accessor of earlier ones). "%i" stands for the row's id and "%n" for its node name.
struct MemberCase {
  const wchar_t* expression;
  const wchar_t* expected;
};
const MemberCase kMemberCases[] = {
    {L"el.id + ',' + el.ID + ',' + el.nodeName + ',' + el.NODENAME", L"%i,%i,%n,%n"},
    {L"(el.moveSizeTo(10, 20, 30, 40, 0),"
     L" [el.left, el.top, el.right, el.bottom, el.width, el.height].join())",
     L"10,20,40,60,30,40"},
    {L"(el.Left = 5, el.TOP = 6, el.Width = 7, el.height = 8, box(el))", L"5,6,7,8"},
    {L"(el.moveSizeTo(0, 0, 30, 40), el.right = 100, el.Bottom = 50, box(el))", L"70,10,30,40"},
    {L"(el.moveTo(1, 2), el.moveBy(3, 4, 0), el.sizeTo(50, 60, 0), el.SizeBy(-5, 5), box(el))",
     L"4,6,45,65"},
    // A move time is refused before anything changes.
    {L"[run(function () { el.moveTo(9, 9, 1); }), run(function () { el.moveBy(9, 9, 1); }),"
     L" run(function () { el.sizeTo(9, 9, 1); }), run(function () { el.sizeBy(9, 9, 1); }),"
     L" run(function () { el.moveSizeTo(9, 9, 9, 9, 1); }), box(el)].join(' ')",
     NOTIMPL L" " NOTIMPL L" " NOTIMPL L" " NOTIMPL L" " NOTIMPL L" 4,6,45,65"},
    {L"run(function () { return el.clippingImage; }) + ',' +"
     L" run(function () { el.clippingColor = 1; })",
     NOTIMPL L"," NOTIMPL},
    {L"(el.visible = false, String(el.visible)) + ',' + (el.Visible = 1, String(el.VISIBLE))",
     L"false,true"},
    {L"(el.disabled = true, String(el.Disabled)) + ',' + (el.DISABLED = 0, String(el.disabled))",
     L"true,false"},
    {L"(el.passThrough = true, String(el.passthrough)) + ',' +"
     L" (el.PassThrough = false, String(el.passThrough))",
     L"true,false"},
    {L"(el.horizontalAlignment = 'center', el.verticalAlignment = 'bottom',"
     L" el.horizontalalignment + '/' + el.VERTICALALIGNMENT) + ',' +"
     L" (el.horizontalAlignment = 'Right', el.horizontalAlignment + '/' + el.verticalAlignment) +"
     L" ',' + (el.horizontalAlignment = 'stretch', el.verticalAlignment = 'middle',"
     L" [el.horizontalAlignment, el.verticalAlignment, box(el)].join('/'))",
     L"center/bottom,left/bottom,stretch/top/4,6,45,65"},
    {L"(el.lock(3), el.Lock(1), el.UNLOCK(1), el.unlock(3), 'unlocked')", L"unlocked"},
    // Expandos are case-sensitive, native names are not.
    {L"(el.foo = 1, el.Foo = 'two', el.foo + ',' + el.Foo + ',' + typeof el.FOO)",
     L"1,two,undefined"},
    {L"(el.twice = function (x) { return this.ID + x * 2; }, el.twice(21))", L"%i42"},
    // A method read as a value takes its target as its first argument, directly or by call.
    {L"(function () { var f = el.moveTo; f(el, 7, 8, 0); var a = box(el); f.call(el, 1, 2, 0);"
     L"  return [a, box(el), run(function () { f(7, 8, 0); }), box(el)].join(' '); })()",
     L"7,8,45,65 1,2,45,65 error 80070057 1,2,45,65"},
    {L"run(function () { new el(); return 'constructed'; })", L"constructed"},
    {L"(function () { var d = el.GetOwnProperty('left'); d.set(el, 11);"
     L"  return [d.get(el), el.left, el.getownproperty('nothing') === null].join(); })()",
     L"11,11,true"},
    // A read-only member written becomes an expando of that exact name.
    {L"(el.id = 'mine', el.id + ',' + el.ID + ',' + el.Id)", L"mine,%i,%i"},
    // One object whichever path found it: an expando set through getElementById is seen
    // through the parent's child links and 'el' itself.
    {L"(function () { document.getElementById(el.ID).mark = 'm-' + el.ID;"
     L"  var p = el.parentNode || document, c = p.firstChild, back = p.lastChild;"
     L"  while (c && c !== el) c = c.nextSibling;"
     L"  while (back && back !== el) back = back.previousSibling;"
     L"  return [c.mark, back.mark, el.mark, el.ownerDocument === document].join(); })()",
     L"m-%i,m-%i,m-%i,true"},
    {L"(el.moveSizeTo(0, 0, 30, 40, 0), el.DefineOwnProperty('width', {"
     L"  get: function () { return this.ID + ':' + this.WIDTH; },"
     L"  set: function (v) { this.sizeTo(v, v, 0); } }, false),"
     L" [el.width, (el.width = 12, el.WIDTH + 'x' + el.height), el.width].join(' '))",
     L"%i:30 12x12 %i:12"},
};
#undef NOTIMPL

std::wstring Expand(std::wstring text, const ElementRow& row) {
  for (size_t at; (at = text.find(L"%i")) != std::wstring::npos;) text.replace(at, 2, row.id);
  for (size_t at; (at = text.find(L"%n")) != std::wstring::npos;) text.replace(at, 2, row.nodeName);
  return text;
}

class ElementScriptTest : public test::DocumentTest {
 protected:
  HRESULT LoadWithHelpers(const std::string& xml) {
    RETURN_IF_FAILED(Load(xml));
    return Run(kHelpers);
  }
  // 'expression' evaluated with 'el' bound to the element with that id.
  std::wstring On(const wchar_t* id, const std::wstring& expression) {
    return Eval(L"(function (el) { return " + expression + L"; })(document.getElementById('" + id +
                L"'))");
  }
  ComPtr<IDispatchEx> Dispatch(const wchar_t* id) {
    ComPtr<IDispatchEx> ex;
    if (scIContent* element = Element(id)) element->QueryInterface(IID_PPV_ARGS(&ex));
    return ex;
  }
};

TEST_F(ElementScriptTest, EveryClassAnswersItsMembersToTheWindowsScripts) {
  ASSERT_EQ(LoadWithHelpers(kEveryClassSkin), S_OK);
  for (const ElementRow& row : kRows) {
    SCOPED_TRACE(testing::Message() << row.id);
    for (const MemberCase& c : kMemberCases)
      EXPECT_EQ(On(row.id, c.expression), Expand(c.expected, row)) << c.expression;
    if (row.classMember != nullptr) {
      EXPECT_EQ(On(row.id, row.classMember), row.classResult);
    }

    ComPtr<IDispatchEx> ex = Dispatch(row.id);
    ASSERT_TRUE(ex);
    ComPtr<ITypeInfo> info;
    UniqueBstr name;
    ASSERT_EQ(ex->GetTypeInfo(0, 0, &info), S_OK);
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.View(), row.firstInterface);
    UniqueBstr height(L"HEIGHT");
    DISPID id = 0;
    ASSERT_EQ(ex->GetDispID(height.Get(), fdexNameCaseSensitive, &id), S_OK);
    EXPECT_EQ(static_cast<ULONG>(id), (static_cast<ULONG>(row.ambientPosition) << 28) | 0x56);
    // Declared in the library, answered by no element.
    ComPtr<IUnknown> none;
    EXPECT_EQ(ex->QueryInterface(IID_IDOMElement, &none), E_NOINTERFACE);
    EXPECT_EQ(ex->QueryInterface(IID_IDOMEventTarget, &none), E_NOINTERFACE);
  }
}

TEST_F(ElementScriptTest, ElementLayoutLockHoldsTheChildrenWhileTheWindowIsResized) {
  ASSERT_EQ(LoadWithHelpers("<window width='400' height='300'>"
                 "<subwindow id='panel' width='400' height='300' horizontalAlignment='stretch'"
                 " verticalAlignment='stretch'>"
                 "<image id='corner' left='380' top='280' width='20' height='20'"
                 " horizontalAlignment='right' verticalAlignment='bottom'/>"
                 "</subwindow></window>"),
            S_OK);
  ASSERT_EQ(Run(L"var panel = document.getElementById('panel');"), S_OK);
  struct Step {
    const wchar_t* script;
    int width, height;      // the window's new client size, 0: not resized
    const wchar_t* boxes;  // the panel's and its child's
  };
  static const Step kSteps[] = {
      {L"", 400, 300, L"0,0,400,300 380,280,20,20"},
      {L"panel.lock(2); panel.lock(2);", 500, 350, L"0,0,500,350 380,280,20,20"},  // child waits
      {L"panel.unlock(2);", 0, 0, L"0,0,500,350 380,280,20,20"},                   // locks count
      {L"panel.unlock(2);", 0, 0, L"0,0,500,350 480,330,20,20"},  // the unlock lays it out
      {L"", 450, 320, L"0,0,450,320 430,300,20,20"},
  };
  for (const Step& step : kSteps) {
    ASSERT_EQ(Run(step.script), S_OK);
    if (step.width != 0) SendSize(SIZE_RESTORED, step.width, step.height);
    EXPECT_EQ(Eval(L"box(panel) + ' ' + box(document.getElementById('corner'))"), step.boxes)
        << step.script << " " << step.width;
  }
}

TEST_F(ElementScriptTest, HandlersSeeTheSameObjectAsThisTargetAndRelatedTarget) {
  ASSERT_EQ(LoadWithHelpers("<window id='root' width='300' height='200'>"
                 "<button id='a' left='10' top='10' width='50' height='50' onclick=\""
                 "seen = [this === document.getElementById('a'), event.target === this,"
                 " this.tag, event.target.tag].join();\"/>"
                 "<button id='b' left='100' top='10' width='50' height='50' onmouseover=\""
                 "from = event.relatedTarget.tag + ',' + (event.relatedTarget ==="
                 " document.getElementById('a'));\"/>"
                 "</window>"),
            S_OK);
  ::SetWindowPos(Window(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(Run(L"var seen = '', from = ''; document.getElementById('a').tag = 'set by id';"),
            S_OK);
  Send(WM_MOUSEMOVE, 20, 20);
  Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  Send(WM_LBUTTONUP, 20, 20);
  Send(WM_MOUSEMOVE, 110, 20);
  EXPECT_EQ(Eval(L"seen"), L"true,true,set by id,set by id");
  EXPECT_EQ(Eval(L"from"), L"set by id,true");
}

// The bridge's exact answers, as native callers see them on a real element.
TEST_F(ElementScriptTest, BridgeAnswersNativeCallersExactly) {
  ASSERT_EQ(LoadWithHelpers(kEveryClassSkin), S_OK);
  ComPtr<IDispatchEx> ex = Dispatch(L"btn");
  ASSERT_TRUE(ex);
  UniqueBstr checked(L"CHECKED"), foo(L"foo");
  DISPID id = 0;
  EXPECT_EQ(ex->GetDispID(foo.Get(), 0, &id), DISP_E_UNKNOWNNAME);
  // Expando identifiers count from 3 and are never reused.
  ASSERT_EQ(ex->GetDispID(foo.Get(), fdexNameEnsure, &id), S_OK);
  EXPECT_EQ(id, 3);
  UniqueBstr name;
  ASSERT_EQ(ex->GetMemberName(3, name.Put()), S_OK);
  EXPECT_EQ(name.View(), L"foo");
  EXPECT_EQ(ex->GetMemberName(99, name.Put()), E_FAIL);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  UniqueVariant result;
  EXPECT_EQ(ex->InvokeEx(3, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
            DISP_E_BADPARAMCOUNT)
      << "an expando never given a value";
  ASSERT_EQ(ex->DeleteMemberByName(foo.Get(), 0), S_OK);
  ASSERT_EQ(ex->GetDispID(foo.Get(), fdexNameEnsure, &id), S_OK);
  EXPECT_EQ(id, 4);
  EXPECT_EQ(ex->DeleteMemberByDispID(4), S_OK);
  EXPECT_EQ(ex->DeleteMemberByDispID(4), S_FALSE);

  LPOLESTR names[1] = {checked.Get()};
  EXPECT_EQ(ex->GetIDsOfNames(IID_IDOMButton, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(ex->GetIDsOfNames(IID_NULL, names, 0, 0, &id), E_INVALIDARG);
  VARIANT self;
  self.vt = VT_UNKNOWN;
  self.punkVal = ex.Get();
  DISPID thisId = DISPID_THIS;
  DISPPARAMS withThis{&self, &thisId, 1, 1};
  EXPECT_EQ(ex->InvokeEx(0x2000003c, 0, DISPATCH_METHOD, &withThis, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(
      ex->InvokeEx(0x0ABCDEF0, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
      DISP_E_MEMBERNOTFOUND);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(ex->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);

  // Descriptors: argument checks, and nothing left behind once the script lets go.
  ComPtr<IJSObject> js;
  ASSERT_EQ(ex.As(&js), S_OK);
  UniqueBstr left(L"left");
  ComPtr<IDispatch> descriptor;
  ASSERT_EQ(js->GetOwnProperty(left.Get(), &descriptor), S_OK);
  ASSERT_TRUE(descriptor);
  EXPECT_EQ(LiveObjects<CDispFunction>::Count(), 2);
  descriptor.Reset();
  EXPECT_EQ(LiveObjects<CEmptyDispatchEx>::Count(), 0);
  EXPECT_EQ(LiveObjects<CDispFunction>::Count(), 0);
}

namespace element_classes {
using test::DocumentTest;

// Every tag is built as its own class: its node name (above), its native control's styles
// (native_controls_test), menus and splitters working end to end.
// Elements invalidate through the root into the document window, in window coordinates.
TEST_F(DocumentTest, ElementInvalidationsReachTheWindow) {
  // The background gives the shown window its shape.
  ASSERT_EQ(LoadBody("<subwindow width=\"400\" height=\"300\" backgroundColor=\"#808080\"/>"
                     "<image id=\"panel\" left=\"100\" top=\"50\" width=\"200\" height=\"200\">"
                     "<button id=\"b\" left=\"10\" top=\"20\" width=\"30\" height=\"40\"/></image>",
                     400, 300),
            S_OK);
  ShowAt(0, 0);
  auto update = [&] {
    RECT r{};
    ::GetUpdateRect(Window(), &r, FALSE);
    ::ValidateRect(Window(), nullptr);
    return r;
  };
  update();
  ASSERT_EQ(Run(L"var b = document.getElementById('b');"), S_OK);
  const RECT kNone{0, 0, 0, 0}, kBox{110, 70, 140, 110};
  struct Step {
    const wchar_t* script;
    RECT update;
  };
  const Step kSteps[] = {
      {L"b.lock(1); b.lock(1); b.unlock(1);", kNone},  // locks count; locking does not repaint
      {L"b.unlock(1);", kBox},
      {L"b.unlock(1);", kNone},  // below zero nothing happens...
      {L"b.lock(1);", kBox},     // ...and coming back to zero acts again
      {L"b.visible = false;", kBox},
      {L"b.visible = false;", kNone},  // visibility repaints on a change only
      {L"b.visible = true;", kBox},
      {L"b.moveTo(0, 0, 0);", RECT{100, 50, 140, 110}},  // the old and the new rectangle
  };
  for (const Step& step : kSteps) {
    ASSERT_EQ(Run(step.script), S_OK);
    EXPECT_EQ(update(), step.update) << step.script;
  }
}

}  // namespace element_classes

}  // namespace
}  // namespace velmor::window_test
