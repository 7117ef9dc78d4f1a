// The entry: the hand-off listener's robustness, the debug line of the run result and whole runs.
// Finding a running instance and handing it a command line across real processes is the
// end-to-end tests' (tests/e2e).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "components/component_manager.h"
#include "base/bstr.h"
#include "host/entry.h"
#include "host/message_window.h"
#include "host_doubles.h"
#include "support/debug_output.h"
#include "support/resources.h"
#include "support/test_env.h"

namespace velmor {
namespace {

constexpr const wchar_t* kConfigOther = L"software\\Velmor\\Config\\Other";

// The listener of a running instance, in this process, over the runtime's command-line service.
class InstanceListenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(components::GetService(contracts::kCommandLine, m_service), S_OK);
    ASSERT_NE(m_listener.CreateListener(), nullptr);
  }
  void TearDown() override {
    m_listener.DestroyWindow();
    m_service.Reset();
    EXPECT_HRESULT_SUCCEEDED(components::Shutdown());
  }
  // What the service was handed, as "<line>:<remote>" once processed; empty when not.
  std::wstring Handed() {
    LONG processed = 0, remote = 0;
    UniqueBstr line;
    EXPECT_EQ(m_service->get_processedCount(&processed), S_OK);
    EXPECT_EQ(m_service->get_remote(&remote), S_OK);
    EXPECT_EQ(m_service->get_commandLine(line.Put()), S_OK);
    if (processed == 0) return L"";
    EXPECT_EQ(processed, 1);
    return std::wstring(line.Get() ? line.Get() : L"") + L":" + std::to_wstring(remote);
  }
  LRESULT Send(ULONG_PTR kind, const void* data, DWORD bytes) {
    COPYDATASTRUCT record{kind, bytes, const_cast<void*>(data)};
    const LRESULT r =
        ::SendMessageW(m_listener.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    test::PumpFor(50);
    return r;
  }

  ComPtr<ICommandLineService> m_service;
  CMessageWindow m_listener;
};

struct PayloadCase {
  const char* what;
  ULONG_PTR kind;
  std::string bytes;
  const char* handed;  // a pattern over the line with other characters as "?"
};

class ListenerPayloadTest : public InstanceListenerTest,
                            public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(ListenerPayloadTest, AcknowledgesAndHandsOver) {
  const PayloadCase& c = GetParam();
  EXPECT_EQ(Send(c.kind, c.bytes.empty() ? nullptr : c.bytes.data(),
                 static_cast<DWORD>(c.bytes.size())),
            TRUE);
  // Expectations are patterns: how many replacement characters bad bytes become is the
  // platform's choice.
  EXPECT_THAT(test::Narrow(Handed().c_str()), ::testing::MatchesRegex(c.handed)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, ListenerPayloadTest,
    ::testing::Values(
        PayloadCase{"a command line with its NUL", 1, std::string("app.exe -x\0", 11),
                    "app.exe -x:1"},
        PayloadCase{"another kind is ignored", 2, std::string("app.exe\0", 8), ""},
        PayloadCase{"an empty payload", 1, "", ":1"},
        PayloadCase{"no terminating NUL: one is added", 1, "abc", "abc:1"},
        PayloadCase{"UTF-8 text", 1, "a \xE6\xB1\x89 b", "a \\? b:1"},
        PayloadCase{"bytes that are not UTF-8 become replacement characters", 1,
                    "x\xFF\xFE\xC0y", "x\\?+y:1"}));

// A megabyte is handed over whole; the forwarding message without its block is ignored.
TEST_F(InstanceListenerTest, HandlesAMegabytePayloadAndIgnoresAMissingBlock) {
  EXPECT_EQ(::SendMessageW(m_listener.m_hWnd, kForwardedCommandLineMessage, 0, 0), 0);
  EXPECT_EQ(Handed(), L"");
  std::string big(1 << 20, 'q');
  EXPECT_EQ(Send(1, big.data(), static_cast<DWORD>(big.size())), TRUE);
  EXPECT_EQ(Handed(), std::wstring(big.begin(), big.end()) + L":1");
}

// Whether the run wrote its result line: lower-case hexadecimal without leading zeros.
bool WroteResultLine(const test::DebugOutputCapture& capture, const std::string& code) {
  for (const std::string& line : capture.Lines())
    if (line == "Velmor Code = " + code) return true;
  return false;
}

// A run's result ends up as a debug line. With the one-process switch at 0 a start runs fully
// even beside a running instance.
TEST(Entry, RunsTheWholeSequenceTearsDownAndLeaksNothing) {
  test::ScopedRegistryValue oneProcess(kConfigOther, L"OneProcess");
  oneProcess.SetDword(0);
  CMessageWindow running;
  ASSERT_NE(running.CreateListener(), nullptr);
  test::CallLog log;
  test::FakeParts failing(log);
  failing.messageManagerResult = static_cast<HRESULT>(0x800A138F);
  test::DebugOutputCapture capture;
  EntryOutcome outcome = EntryMain("", SW_SHOW, failing);
  EXPECT_EQ(outcome.path, EntryPath::kRan);
  EXPECT_EQ(outcome.result, static_cast<HRESULT>(0x800A138F));
  EXPECT_TRUE(WroteResultLine(capture, "0x800a138f"));
  running.DestroyWindow();

  oneProcess.Delete();
  ::SetEnvironmentVariableW(L"VELMOR_TEST_VMNET", nullptr);
  test::FakeParts parts(log);
  parts.loopResult = 3;
  outcome = EntryMain("-x", SW_SHOW, parts);
  EXPECT_EQ(outcome.path, EntryPath::kRan);
  EXPECT_EQ(outcome.result, S_OK);  // the real preferences service's end-of-run answer
  EXPECT_TRUE(WroteResultLine(capture, "0x0"));
  EXPECT_NE(std::find(log.begin(), log.end(), "loop.run:handed"), log.end());
  // The network-tools library was started once with 0 and is freed again.
  wchar_t vmnet[16] = L"";
  ::GetEnvironmentVariableW(L"VELMOR_TEST_VMNET", vmnet, 16);
  EXPECT_STREQ(vmnet, L"0");
  EXPECT_EQ(::GetModuleHandleW(L"vmnet.dll"), nullptr);
  // The listener existed during the run and is gone afterwards; the runtime is shut down.
  EXPECT_EQ(test::FindListener(), nullptr);
  ComPtr<IServiceManager> manager;
  EXPECT_EQ(components::GetServiceManager(&manager), E_UNEXPECTED);
  // Repeated runs leave no objects, windows or GDI handles behind (the first run made the
  // first-use allocations: window classes, GDI+ caches).
  const test::ResourceSnapshot before = test::ResourceSnapshot::Take();
  const long windows = LiveObjects<test::FakeMainWindow>::Count();
  for (int i = 0; i < 20; ++i) {
    test::FakeParts again(log);
    EntryMain("", SW_SHOW, again);
  }
  EXPECT_EQ(test::ResourceSnapshot::Take(), before);
  EXPECT_EQ(LiveObjects<test::FakeMainWindow>::Count(), windows);  // the others: RunTest
}

}  // namespace
}  // namespace velmor
