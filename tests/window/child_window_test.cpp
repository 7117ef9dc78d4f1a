// Windows opened by scripts, in real windows with real JScript: window.showModalDialog hands arguments
// in and the dialog's return value out once the dialog has closed, the opener takes no input
// meanwhile (real mouse and keys) and Enter and Escape answer the dialog; open places, shows and
// owns new windows as its features say, and a new window's parent is its opener until that
// closes; a thousand dialogs with timers and images leave nothing behind.
//
// Script timers in real document windows, driven by the platform timer of the component runtime:
// timeouts run once, later, in their own window's engine; intervals repeat until cleared from
// outside or from their own expression; a failing expression keeps its interval; delays below
// the minimum are raised; a timer whose message is already queued when it is cleared or its
// window closes never runs, and no timer record outlives its window.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "components/component_manager.h"
#include "components/generic_factory.h"
#include "screens/screen_manager.h"
#include "script/script_context_object.h"
#include "support/document_fixture.h"
#include "support/resources.h"
#include "support/test_env.h"
#include "window/timer_list.h"

namespace velmor::test {
namespace {

// The opener: a grey 1000 x 300 window that counts clicks.
const char kOpener[] =
    "<window title='Opener' width='1000' height='300'>"
    "<subwindow id='pad' left='0' top='0' width='1000' height='300' backgroundColor='#808080'"
    " onclick='clicks++;'/><script>var clicks = 0; window.order = [];</script></window>";

// Answers dialogArguments.make (evaluated) once a timer has run, and closes.
const char kAnsweringDialog[] =
    "<window title='Dialog' width='300' height='200' onload=\"window.setTimeout('finish()', 0);\""
    " onunload=\"window.parent.order.push('unload');\">"
    "<subwindow left='0' top='0' width='300' height='200' backgroundColor='#2060c0'/>"
    "<script>function finish() {\n"
    "  var a = window.dialogArguments;\n"
    "  window.parent.order.push(a.kind + (window.visible ? '' : ' hidden'));\n"
    "  window.returnValue = eval(a.make);\n"
    "  window.close();\n"
    "}</script></window>";

class ChildWindowTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(RegisterModuleFactories(&kScreenManagerComponent, 1), S_OK);
    ASSERT_EQ(Load(kOpener), S_OK);
    Show(0, 100, 1000, 300);
  }
  void TearDown() override {
    DocumentTest::TearDown();
    (void)components::Shutdown();
  }
  static HWND Find(const wchar_t* title) { return ::FindWindowW(L"VelmorGUI", title); }
};

TEST_F(ChildWindowTest, ShowModalDialogAnswersWhatTheDialogLeftOnceItClosed) {
  WriteFile(L"dialog.xml", kAnsweringDialog);
  struct Case {
    const wchar_t* kind;
    const wchar_t* make;
    const wchar_t* options;
    const wchar_t* answer;
  };
  static const Case kCases[] = {
      {L"number", L"6 * 7", L"", L"number:42"},
      {L"string", L"'te' + 'xt'", L"center", L"string:text"},
      // An object made by the dialog's engine, read after that engine has closed; "hidden"
      // does not hide a modal dialog.
      {L"object", L"({n: 42, s: 'x'})", L"hidden", L"object:42x"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.kind);
    ASSERT_EQ(Run((std::wstring(L"window.order = [];\n"
                                L"var r = window.showModalDialog('dialog.xml', {kind: '") + c.kind +
                   L"', make: \"" + c.make + L"\"}, '" + c.options + L"');\n"
                   L"window.order.push('returned');\n"
                   L"var shown = typeof r + ':' + (typeof r == 'object' ? r.n + r.s : r);")
                      .c_str()),
              S_OK);
    EXPECT_EQ(Eval(L"shown"), c.answer);
    EXPECT_EQ(Eval(L"window.order.join()"), std::wstring(c.kind) + L",unload,returned");
    EXPECT_TRUE(::IsWindowEnabled(Window()));
    EXPECT_EQ(Find(L"Dialog"), nullptr);
  }
  // A dialog that cannot be found answers nothing; open fails; the main window has no parent.
  EXPECT_EQ(Eval(L"typeof window.showModalDialog('missing.xml')"), L"undefined");
  EXPECT_EQ(Eval(L"window.open('missing.xml')"), L"<failed>");
  EXPECT_EQ(Eval(L"window.parent"), L"<failed>");
}

TEST_F(ChildWindowTest, OpenPlacesShowsAndOwnsAsTheFeaturesSay) {
  WriteFile(L"child.xml",
             "<window title='Child' width='300' height='200'><script>window.setInterval(\"window.title ="
             " window.parent == null ? 'orphan' : 'child of ' + window.parent.title\", 10);</script></window>");
  struct Case {
    const wchar_t* features;
    bool visible;
    bool owned;
    bool centred;  // 300 wide over the 1000-pixel opener at x = 0: x = 350
  };
  static const Case kCases[] = {
      {L"center", true, false, true},
      {L"hidden,owner", false, true, false},
      {L" HIDDEN ; Owner=0 ", false, true, false},
      {L"", true, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - kCases));
    ASSERT_EQ(Run((std::wstring(L"var w = window.open('child.xml', 'ignored', '") + c.features + L"');")
                      .c_str()),
              S_OK);
    HWND child = Find(L"Child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::IsWindowVisible(child) != FALSE, c.visible);
    EXPECT_EQ(::GetWindow(child, GW_OWNER), c.owned ? Window() : nullptr);
    RECT r{};
    ::GetWindowRect(child, &r);
    if (c.centred) {
      EXPECT_EQ(r, (RECT{350, 150, 650, 350}));
    }
    EXPECT_EQ(Eval(L"String(w.parent == window)"), L"true");
    ASSERT_EQ(Run(L"w.close();"), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(child); }, 2000));
  }
  // A window sees its opener as parent until the opener closes.
  ASSERT_EQ(Run(L"window.open('child.xml', '', '');"), S_OK);
  HWND child = Find(L"Child");
  auto titled = [child](const wchar_t* title) {
    return PumpUntil([&] { return Find(title) == child; }, 2000);
  };
  EXPECT_TRUE(titled(L"child of Opener"));
  LOG_IF_FAILED(Document()->Destroy());
  EXPECT_TRUE(titled(L"orphan"));
  ::DestroyWindow(child);
}

// Real clicks on the opener while its dialog runs, then Enter or Escape in the dialog.
TEST_F(ChildWindowTest, TheOpenerTakesNoInputUntilTheDialogIsAnswered) {
  WriteFile(L"keys.xml",
             "<window title='Keys' width='300' height='150' onok=\"done('ok');\""
             " oncancel=\"done('cancel');\"><subwindow left='0' top='0' width='300' height='150'"
             " backgroundColor='#2060c0'/><script>function done(answer) {"
             " window.returnValue = answer; window.close(); }\n"
             "window.setTimeout(\"done('no key came')\", 8000);</script></window>");
  struct Case {
    const wchar_t* options;
    WORD key;
    const wchar_t* answer;
    const wchar_t* clicks;
  };
  static const Case kCases[] = {
      {L"", VK_ESCAPE, L"cancel", L"0"},
      {L"", VK_RETURN, L"ok", L"0"},
      {L"notdisableparent", VK_RETURN, L"ok", L"1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key);
    ASSERT_EQ(Run(L"clicks = 0;"), S_OK);
    std::atomic<bool> enabledMeanwhile{true};
    std::thread input([&] {
      HWND dialog = nullptr;
      // The modal loop starts once the dialog is shown.
      for (int i = 0; i < 250 && !((dialog = Find(L"Keys")) && ::IsWindowVisible(dialog)); ++i)
        ::Sleep(20);
      if (dialog == nullptr) return;
      ::Sleep(100);
      enabledMeanwhile = ::IsWindowEnabled(Window()) != FALSE;
      MouseWithRealInput({100, 120}, {100, 120});  // on the opener, beside the dialog
      // An opener left enabled took the keyboard with that click (and, with no window manager
      // here, came up over the dialog): hand it back.
      ::SetForegroundWindow(dialog);
      RECT r{};
      ::GetWindowRect(dialog, &r);
      ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      ::Sleep(100);
      SendKeys({}, c.key);
    });
    const HRESULT ran = Run((std::wstring(L"var answer = window.showModalDialog('keys.xml', null, '") +
                             c.options + L"');")
                                .c_str());
    input.join();
    ASSERT_EQ(ran, S_OK);
    EXPECT_EQ(Eval(L"answer"), c.answer);
    EXPECT_EQ(Eval(L"clicks"), c.clicks);
    EXPECT_EQ(enabledMeanwhile.load(), c.clicks[0] == L'1');
    EXPECT_TRUE(::IsWindowEnabled(Window()));
  }
}

// A dialog opens a dialog from a timer. Answered, the inner one closes from its own timer and its
// answer reaches the outer one; left open, a quit ends both loops (innermost first) and hands the
// opener back, while both dialogs stay until their owner goes, closed by a third dialog.
TEST_F(ChildWindowTest, NestedDialogsAnswerInTurnAndAQuitEndsEveryLoop) {
  WriteFile(L"outer.xml",
             "<window title='Outer' width='300' height='200' onload=\"window.setTimeout('nest()', 0);\">"
             "<script>function nest() { var a = window.showModalDialog(window.dialogArguments);"
             " if (a) { window.returnValue = a + \"!\"; window.close(); } }</script></window>");
  WriteFile(L"inner.xml",
             "<window title='Inner' width='200' height='100' onload=\"window.setTimeout('window.returnValue"
             " = window.parent.parent.title; window.close();', 0);\"/>");
  WriteFile(L"stay.xml", "<window title='Inner' width='200' height='100'/>");
  EXPECT_EQ(Eval(L"window.showModalDialog('outer.xml', 'inner.xml')"), L"Opener!");
  const DWORD thread = ::GetCurrentThreadId();
  std::thread quitter([&] {
    HWND inner = nullptr;
    for (int i = 0; i < 250 && !((inner = Find(L"Inner")) && ::IsWindowVisible(inner)); ++i)
      ::Sleep(20);
    ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
  });
  EXPECT_EQ(Eval(L"typeof window.showModalDialog('outer.xml', 'stay.xml')"), L"undefined");
  quitter.join();
  MSG quit;
  EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "quit left over";
  EXPECT_TRUE(::IsWindowEnabled(Window()));
  EXPECT_NE(Find(L"Outer"), nullptr);
  EXPECT_NE(Find(L"Inner"), nullptr);

  // The opener closes while another modal dialog runs: every dialog goes with it and the script
  // that opened the last one gets its answer (none) without harm.
  WriteFile(L"closer.xml", "<window title='Closer' width='200' height='100'"
                           " onload=\"window.setTimeout('window.parent.close()', 0);\"/>");
  EXPECT_EQ(Run(L"var r = window.showModalDialog('closer.xml');"), S_OK);
  EXPECT_FALSE(::IsWindow(Window()));
  for (const wchar_t* title : {L"Closer", L"Outer", L"Inner"})
    EXPECT_EQ(Find(title), nullptr) << title;
}

TEST_F(ChildWindowTest, AThousandDialogsWithTimersAndImagesLeaveNothingBehind) {
  const std::wstring fixtures = FixturePath(L"images\\");
  const std::string images(fixtures.begin(), fixtures.end());
  WriteFile(L"leak.xml",
             "<window title='Leak' width='200' height='100' onload=\"window.setInterval('ticks++', 10);"
             " window.setTimeout('ticks = -1', 60000); if (window.dialogArguments % 10 == 0)"
             " window.setTimeout('window.close()', 0); else window.close();\">"
             "<subwindow left='0' top='0' width='200' height='100' backgroundColor='#808080'>"
             "<image src='" + images + "endless.gif' left='0' top='0' width='50' height='50'/>"
             "<image src='" + images + "grad10.png' left='50' top='0' width='50' height='50'/>"
             "</subwindow><script>var ticks = 0;</script></window>");
  auto cycles = [&](int count) {
    const std::wstring script = L"for (var i = 0; i < " + std::to_wstring(count) +
                                L"; i++) window.showModalDialog('leak.xml', i);";
    ASSERT_EQ(Run(script.c_str()), S_OK);
    PumpFor(50);
  };
  cycles(10);  // the image cache, the window class and the engine's own first-use state
  // Documents, elements and script contexts are counted by the fixture.
  const ResourceSnapshot before = ResourceSnapshot::Take();
  const long records = scTimerList::LiveRecords();
  cycles(1000);
  EXPECT_EQ(ResourceSnapshot::Take(), before);
  EXPECT_EQ(scTimerList::LiveRecords(), records);
}

namespace timers {
class TimerTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
    m_records = scTimerList::LiveRecords();
  }
  void TearDown() override {
    DocumentTest::TearDown();
    EXPECT_EQ(scTimerList::LiveRecords(), m_records) << "timer records leaked";
    (void)components::Shutdown();
  }

  long m_records = 0;
};

TEST_F(TimerTest, TimeoutsAndIntervalsRunLaterInTheirOwnWindow) {
  const char* skin = "<window><script>var log = [], n = 0, failing = 0;</script></window>";
  scDocument* other = nullptr;
  ASSERT_EQ(scDocument::CreateObject(&other), S_OK);
  ASSERT_EQ(other->Load(m_dir.c_str(), WriteFile(L"other.xml", skin).c_str()), S_OK);
  ASSERT_EQ(other->ScriptContext()->ExecuteScript(L"window.setTimeout(\"log.push('other')\", 0);", nullptr),
            S_OK);
  ASSERT_EQ(Load(skin), S_OK);
  ASSERT_EQ(Run(L"var ids = [window.setTimeout(\"log.push('once')\", 0),\n"
                L"           window.setTimeout(\"log.push('negative delay')\", -5),\n"
                L"           window.setTimeout(\"log.push('cleared')\", 30)];\n"
                L"window.clearTimeout(ids[2]);\n"
                L"window.clearTimeout(12345);\n"
                L"var selfId = window.setInterval('if (++n == 3) window.clearInterval(selfId)', 10);\n"
                L"var failId = window.setInterval('failing++; throw new Error(\"ignored\")', 10);\n"
                L"var atOnce = log.length;"),
            S_OK);
  // Identifiers count from 2 per window, timeouts and intervals alike; nothing ran at once.
  EXPECT_EQ(Eval(L"ids.join() + ',' + selfId + ',' + failId + ',' + atOnce"), L"2,3,4,5,6,0");
  EXPECT_TRUE(PumpUntil(
      [&] { return Eval(L"String(n == 3 && failing >= 4 && log.length == 2)") == L"true"; }, 5000))
      << Eval(L"n + ';' + failing + ';' + log");
  ASSERT_EQ(Run(L"window.clearInterval(failId); var stoppedAt = failing;"), S_OK);
  PumpFor(150);
  EXPECT_EQ(Eval(L"n + ';' + (failing - stoppedAt) + ';' + log.sort()"),
            L"3;0;negative delay,once");
  EXPECT_EQ(Document()->Timers().Count(), 0u);
  UniqueVariant otherLog;
  ASSERT_EQ(other->ScriptContext()->EvaluateString(L"log.join()", nullptr, otherLog.Put()), S_OK);
  EXPECT_STREQ(otherLog.bstrVal, L"other");
  LOG_IF_FAILED(other->Destroy());
  other->Release();
}

// The platform timer has fired and its message waits in the queue when the timer is cleared or
// its window closes: the message is ignored and its reference given back.
TEST_F(TimerTest, ATimerWithItsMessageQueuedNeverRunsOnceClearedOrClosed) {
  for (const bool closeWindow : {false, true}) {
    SCOPED_TRACE(closeWindow ? "window closed" : "timer cleared");
    ASSERT_EQ(Load("<window><script>var late = 0;</script></window>"), S_OK);
    ASSERT_EQ(Run(L"var id = window.setTimeout('late = 1', 10);"), S_OK);
    // Only the platform's timer messages are handled until the timer message is queued.
    MSG message;
    const DWORD start = ::GetTickCount();
    bool queued = false;
    while (!(queued = ::PeekMessageW(&message, Window(), kTimerMessage, kTimerMessage,
                                     PM_NOREMOVE) != FALSE) &&
           ::GetTickCount() - start < 2000) {
      if (::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
        ::DispatchMessageW(&message);
      else
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_TIMER | QS_POSTMESSAGE);
    }
    ASSERT_TRUE(queued);
    if (closeWindow) {
      LOG_IF_FAILED(Document()->Destroy());
      EXPECT_FALSE(::PeekMessageW(&message, nullptr, kTimerMessage, kTimerMessage, PM_NOREMOVE));
    } else {
      ASSERT_EQ(Run(L"window.clearTimeout(id);"), S_OK);
      PumpFor(50);
      EXPECT_EQ(Eval(L"late"), L"0");
    }
    EXPECT_EQ(scTimerList::LiveRecords(), m_records);
  }
}

}  // namespace timers

}  // namespace
}  // namespace velmor::test
