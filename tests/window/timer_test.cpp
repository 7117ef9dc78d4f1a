// Script timers in real document windows, driven by the platform timer of the component runtime:
// timeouts run once, later, in their own window's engine; intervals repeat until cleared from
// outside or from their own expression; a failing expression keeps its interval; delays below
// the minimum are raised; a timer whose message is already queued when it is cleared or its
// window closes never runs, and no timer record outlives its window.
#include <gtest/gtest.h>

#include "components/component_manager.h"
#include "support/document_fixture.h"
#include "support/test_env.h"
#include "window/timer_list.h"

namespace velmor::test {
namespace {

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
  bool PumpUntilTrue(const wchar_t* expression, DWORD ms) {
    return PumpUntil([&] { return Eval(L"String(" + std::wstring(expression) + L")") == L"true"; }, ms);
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
  EXPECT_TRUE(PumpUntilTrue(L"n == 3 && failing >= 4 && log.length == 2", 5000))
      << Eval(L"n + ';' + failing + ';' + log");
  ASSERT_EQ(Run(L"window.clearInterval(failId); var stoppedAt = failing;"), S_OK);
  PumpFor(150);
  EXPECT_EQ(Eval(L"n + ';' + (failing - stoppedAt) + ';' + log.sort()"),
            L"3;0;negative delay,once");
  EXPECT_EQ(Document()->Timers().Count(), 0u);
  UniqueVariant otherLog;
  ASSERT_EQ(other->ScriptContext()->EvaluateString(L"log.join()", nullptr, otherLog.Put()), S_OK);
  EXPECT_STREQ(otherLog.bstrVal, L"other");
  other->Destroy();
  other->Release();
}

TEST_F(TimerTest, AFiftyMillisecondIntervalRunsAboutTwentyTimesASecond) {
  ASSERT_EQ(Load("<window><script>var ticks = 0;</script></window>"), S_OK);
  ASSERT_EQ(Run(L"var id = window.setInterval('ticks++', 50);"), S_OK);
  PumpFor(1000);
  ASSERT_EQ(Run(L"window.clearInterval(id); var counted = ticks;"), S_OK);
  PumpFor(200);
  const int counted = std::stoi(Eval(L"counted"));
  // Each run is armed after the previous one ended: about 20 in a second, never many more.
  EXPECT_GE(counted, 10);
  EXPECT_LE(counted, 21);
  EXPECT_EQ(Eval(L"String(ticks == counted)"), L"true") << "runs after clearInterval";
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
      Document()->Destroy();
      EXPECT_FALSE(::PeekMessageW(&message, nullptr, kTimerMessage, kTimerMessage, PM_NOREMOVE));
    } else {
      ASSERT_EQ(Run(L"window.clearTimeout(id);"), S_OK);
      PumpFor(50);
      EXPECT_EQ(Eval(L"late"), L"0");
    }
    EXPECT_EQ(scTimerList::LiveRecords(), m_records);
  }
}

}  // namespace
}  // namespace velmor::test
