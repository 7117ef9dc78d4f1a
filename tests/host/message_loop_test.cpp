// The message manager and its loop: filter order and swallowing, adding and removing entries
// (also during a walk), idle processing once per empty queue, Quit, the dispatch interface.
#include <gtest/gtest.h>

#include <windows.h>
#include <dispex.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/bstr.h"
#include "host/app_parts.h"
#include "host/message_manager.h"
#include "host/message_window.h"
#include "host/module.h"
#include "host_doubles.h"
#include "loop_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::MessageEntry;
using Log = std::vector<std::string>;

constexpr UINT kMsgA = WM_APP + 1;
constexpr UINT kMsgB = WM_APP + 2;
constexpr UINT kMsgC = WM_APP + 3;
constexpr UINT kMsgStop = WM_APP + 9;

// A filter object: records each message, swallows one chosen message and may run an action
// (once) while it is being called.
class TestFilter final : public ComObject<TestFilter, IMsgFilter> {
 public:
  TestFilter(Log& log, std::string name, UINT swallow = 0)
      : m_log(log), m_name(std::move(name)), m_swallow(swallow) {}
  STDMETHODIMP PreTranslateMessage(MSG* msg, BOOL* processed) override {
    m_log.push_back(MessageEntry(m_name.c_str(), msg->message, msg->wParam));
    if (action) std::exchange(action, nullptr)();
    if (msg->message == m_swallow) *processed = TRUE;
    return result;
  }
  std::function<void()> action;
  HRESULT result = S_OK;

 private:
  Log& m_log;
  std::string m_name;
  UINT m_swallow;
};

class TestIdle final : public ComObject<TestIdle, IIdleHandler> {
 public:
  TestIdle(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}
  STDMETHODIMP OnIdle() override {
    m_log.push_back("idle:" + m_name);
    if (action) std::exchange(action, nullptr)();
    return S_OK;
  }
  std::function<void()> action;

 private:
  Log& m_log;
  std::string m_name;
};

class NativeFilter final : public CMessageFilter {
 public:
  NativeFilter(Log& log, std::string name, UINT swallow = 0)
      : m_log(log), m_name(std::move(name)), m_swallow(swallow) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    m_log.push_back(MessageEntry(m_name.c_str(), msg->message, msg->wParam));
    return msg->message == m_swallow;
  }

 private:
  Log& m_log;
  std::string m_name;
  UINT m_swallow;
};

class NativeIdle final : public CIdleHandler {
 public:
  NativeIdle(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}
  BOOL OnIdle() override {
    m_log.push_back("idle:" + m_name);
    if (action) std::exchange(action, nullptr)();
    return FALSE;
  }
  std::function<void()> action;

 private:
  Log& m_log;
  std::string m_name;
};

// An object that claims, through IObjectIdentity, to be the same as 'other'.
class IdentityOf final : public ComObject<IdentityOf, IObjectIdentity> {
 public:
  explicit IdentityOf(IUnknown* other) : m_other(other) {}
  STDMETHODIMP IsEqualObject(IUnknown* candidate) override {
    return IsSameObject(candidate, m_other) ? S_OK : S_FALSE;
  }

 private:
  IUnknown* m_other;
};

// A filter that also answers IObjectIdentity for another object.
class FilterStandingFor final : public ComObject<FilterStandingFor, IMsgFilter, IObjectIdentity> {
 public:
  FilterStandingFor(Log& log, IUnknown* other) : m_log(log), m_other(other) {}
  STDMETHODIMP PreTranslateMessage(MSG* msg, BOOL*) override {
    m_log.push_back(MessageEntry("standin", msg->message, msg->wParam));
    return S_OK;
  }
  STDMETHODIMP IsEqualObject(IUnknown* candidate) override {
    return IsSameObject(candidate, m_other) ? S_OK : S_FALSE;
  }

 private:
  Log& m_log;
  IUnknown* m_other;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DrainQueue();
    ASSERT_EQ(CMessageManager::CreateObject(&m_manager), S_OK);
  }
  void TearDown() override {
    if (m_manager) m_manager->Release();
    test::DrainQueue();
  }

  ComPtr<TestFilter> MakeFilter(const char* name, UINT swallow = 0) {
    TestFilter* raw = nullptr;
    EXPECT_EQ(TestFilter::CreateObject(&raw, m_log, name, swallow), S_OK);
    return AdoptRef(raw);
  }
  ComPtr<TestIdle> MakeIdle(const char* name) {
    TestIdle* raw = nullptr;
    EXPECT_EQ(TestIdle::CreateObject(&raw, m_log, name), S_OK);
    return AdoptRef(raw);
  }
  IMessageManager* Manager() { return m_manager; }
  CMessageLoopEx& Loop() { return m_manager->Loop(); }
  // Offers one message to the filters; answers whether it was swallowed.
  BOOL Offer(UINT message, WPARAM wParam = 0) {
    MSG msg{nullptr, message, wParam, 0, 0, {0, 0}};
    return Loop().PreTranslateMessage(&msg);
  }
  // Posts the messages to the window, then a stop message that quits; runs the loop.
  int RunWith(HWND hwnd, std::initializer_list<std::pair<UINT, WPARAM>> messages) {
    for (auto [message, wParam] : messages) ::PostMessageW(hwnd, message, wParam, 0);
    return Loop().Run();
  }

  Log m_log;
  CMessageManager* m_manager = nullptr;
};

TEST_F(MessageLoopTest, LastAddedFilterSeesEachMessageFirstAndProcessedMessagesStop) {
  Log& log = m_log;
  test::RecordingWindow window(log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == kMsgStop) Manager()->Quit(FALSE);
  };
  auto a = MakeFilter("A", kMsgA);
  auto b = MakeFilter("B", kMsgB);
  ASSERT_EQ(Manager()->AddMsgFilter(a.Get()), S_OK);
  ASSERT_EQ(Manager()->AddMsgFilter(b.Get()), S_OK);
  EXPECT_EQ(RunWith(window.Get(), {{kMsgA, 1}, {kMsgB, 2}, {kMsgC, 3}, {kMsgStop, 4}}), 4);
  const Log expected = {
      // A swallows its message: it never reaches the window.
      MessageEntry("B", kMsgA, 1), MessageEntry("A", kMsgA, 1),
      // B swallows its message: A never sees it.
      MessageEntry("B", kMsgB, 2),
      MessageEntry("B", kMsgC, 3), MessageEntry("A", kMsgC, 3), MessageEntry("window", kMsgC, 3),
      MessageEntry("B", kMsgStop, 4), MessageEntry("A", kMsgStop, 4),
      MessageEntry("window", kMsgStop, 4),
  };
  EXPECT_EQ(log, expected);
}

TEST_F(MessageLoopTest, NativeFiltersRunBeforeScriptFiltersAndCanSwallow) {
  NativeFilter n1(m_log, "N1"), n2(m_log, "N2", kMsgB);
  auto s = MakeFilter("S");
  ASSERT_EQ(Manager()->AddMsgFilter(s.Get()), S_OK);
  ASSERT_TRUE(Loop().AddMessageFilter(&n1));
  ASSERT_TRUE(Loop().AddMessageFilter(&n2));
  EXPECT_FALSE(Offer(kMsgA));
  EXPECT_TRUE(Offer(kMsgB));
  ASSERT_TRUE(Loop().RemoveMessageFilter(&n2));
  EXPECT_FALSE(Loop().RemoveMessageFilter(&n2));
  EXPECT_FALSE(Offer(kMsgB));
  const Log expected = {MessageEntry("N2", kMsgA, 0), MessageEntry("N1", kMsgA, 0),
                        MessageEntry("S", kMsgA, 0),  MessageEntry("N2", kMsgB, 0),
                        MessageEntry("N1", kMsgB, 0), MessageEntry("S", kMsgB, 0)};
  EXPECT_EQ(m_log, expected);
}

TEST_F(MessageLoopTest, FailingFilterCountsAsNotProcessed) {
  auto a = MakeFilter("A");
  auto b = MakeFilter("B", kMsgA);
  b->result = E_FAIL;  // claims the message but fails
  ASSERT_EQ(Manager()->AddMsgFilter(a.Get()), S_OK);
  ASSERT_EQ(Manager()->AddMsgFilter(b.Get()), S_OK);
  EXPECT_FALSE(Offer(kMsgA));
  EXPECT_EQ(m_log, (Log{MessageEntry("B", kMsgA, 0), MessageEntry("A", kMsgA, 0)}));
}

TEST_F(MessageLoopTest, AddingChecksItsArgument) {
  EXPECT_EQ(Manager()->AddMsgFilter(nullptr), E_POINTER);
  EXPECT_EQ(Manager()->AddIdleHandler(nullptr), E_POINTER);
  // Neither the interface nor a reachable connector (no component runtime here).
  auto idle = MakeIdle("I");
  EXPECT_EQ(Manager()->AddMsgFilter(idle.Get()), E_NOINTERFACE);
  auto filter = MakeFilter("F");
  EXPECT_EQ(Manager()->AddIdleHandler(filter.Get()), E_NOINTERFACE);
  EXPECT_EQ(Manager()->RemoveMsgFilter(nullptr), S_FALSE);
}

TEST_F(MessageLoopTest, RemovingNeverAddedGivesSFalseAndTwiceAddedRemovesTheLaterEntry) {
  auto f = MakeFilter("F");
  auto g = MakeFilter("G");
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_FALSE);
  ASSERT_EQ(Manager()->AddMsgFilter(f.Get()), S_OK);
  ASSERT_EQ(Manager()->AddMsgFilter(g.Get()), S_OK);
  ASSERT_EQ(Manager()->AddMsgFilter(f.Get()), S_OK);  // F G F
  Offer(kMsgA, 1);
  // Through another interface pointer of the same object.
  ComPtr<IUnknown> fUnknown;
  ASSERT_EQ(f.As(&fUnknown), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(fUnknown.Get()), S_OK);  // F G
  Offer(kMsgA, 2);
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_OK);  // G
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_FALSE);
  Offer(kMsgA, 3);
  const Log expected = {MessageEntry("F", kMsgA, 1), MessageEntry("G", kMsgA, 1),
                        MessageEntry("F", kMsgA, 1), MessageEntry("G", kMsgA, 2),
                        MessageEntry("F", kMsgA, 2), MessageEntry("G", kMsgA, 3)};
  EXPECT_EQ(m_log, expected);
}

TEST_F(MessageLoopTest, RemovalMatchesThroughObjectIdentityEitherWay) {
  auto target = MakeFilter("T");
  // The entry answers IObjectIdentity for a key object that is not itself a filter.
  ComPtr<IObjectIdentity> key;
  ASSERT_EQ(IdentityOf::Create(key, nullptr), S_OK);
  FilterStandingFor* standIn = nullptr;
  ASSERT_EQ(FilterStandingFor::CreateObject(&standIn, m_log, key.Get()), S_OK);
  ComPtr<IMsgFilter> standInFilter = AdoptRef<IMsgFilter>(standIn);
  ASSERT_EQ(Manager()->AddMsgFilter(standInFilter.Get()), S_OK);
  ASSERT_EQ(Manager()->AddMsgFilter(target.Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(key.Get()), S_OK);
  // The argument answers IObjectIdentity for an entry.
  ComPtr<IObjectIdentity> claim;
  ASSERT_EQ(IdentityOf::Create(claim, target.Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(claim.Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(claim.Get()), S_FALSE);
  Offer(kMsgA);
  EXPECT_TRUE(m_log.empty());
}

TEST_F(MessageLoopTest, FilterRemovingItselfDuringItsCallDoesNotBreakTheWalk) {
  auto a = MakeFilter("A");
  auto b = MakeFilter("B");
  auto c = MakeFilter("C");
  for (auto* f : {a.Get(), b.Get(), c.Get()}) ASSERT_EQ(Manager()->AddMsgFilter(f), S_OK);
  // B drops its own entry, and with it the list's reference, while it runs.
  TestFilter* bRaw = b.Get();
  b->action = [this, bRaw] { EXPECT_EQ(Manager()->RemoveMsgFilter(bRaw), S_OK); };
  b.Reset();
  Offer(kMsgA, 1);
  Offer(kMsgA, 2);
  const Log expected = {MessageEntry("C", kMsgA, 1), MessageEntry("B", kMsgA, 1),
                        MessageEntry("A", kMsgA, 1), MessageEntry("C", kMsgA, 2),
                        MessageEntry("A", kMsgA, 2)};
  EXPECT_EQ(m_log, expected);
  EXPECT_EQ(LiveObjects<TestFilter>::Count(), 2);  // B is gone
}

TEST_F(MessageLoopTest, FilterAddingOrRemovingOthersDuringItsCallDoesNotBreakTheWalk) {
  auto a = MakeFilter("A");
  auto b = MakeFilter("B");
  auto c = MakeFilter("C");
  auto d = MakeFilter("D");
  for (auto* f : {a.Get(), b.Get(), c.Get()}) ASSERT_EQ(Manager()->AddMsgFilter(f), S_OK);
  // C adds D (above it: not part of this walk) and removes A (below it): the walk goes on
  // with B, and nobody is called twice.
  c->action = [&] {
    EXPECT_EQ(Manager()->AddMsgFilter(d.Get()), S_OK);
    EXPECT_EQ(Manager()->RemoveMsgFilter(a.Get()), S_OK);
  };
  Offer(kMsgA, 1);
  Offer(kMsgA, 2);
  // D removes every entry: the walk ends without touching what is gone.
  d->action = [&] {
    for (auto* f : {b.Get(), c.Get(), d.Get()}) EXPECT_EQ(Manager()->RemoveMsgFilter(f), S_OK);
  };
  Offer(kMsgA, 3);
  Offer(kMsgA, 4);
  const Log expected = {MessageEntry("C", kMsgA, 1), MessageEntry("B", kMsgA, 1),
                        MessageEntry("D", kMsgA, 2), MessageEntry("C", kMsgA, 2),
                        MessageEntry("B", kMsgA, 2), MessageEntry("D", kMsgA, 3)};
  EXPECT_EQ(m_log, expected);
}

TEST_F(MessageLoopTest, IdleHandlersRunNativeFirstThenScriptLastToFirstOncePerCall) {
  NativeIdle n1(m_log, "N1"), n2(m_log, "N2");
  auto s1 = MakeIdle("S1");
  auto s2 = MakeIdle("S2");
  ASSERT_TRUE(Loop().AddIdleHandler(&n1));
  ASSERT_TRUE(Loop().AddIdleHandler(&n2));
  ASSERT_EQ(Manager()->AddIdleHandler(s1.Get()), S_OK);
  ASSERT_EQ(Manager()->AddIdleHandler(s2.Get()), S_OK);
  EXPECT_FALSE(Loop().OnIdle(0));
  EXPECT_EQ(m_log, (Log{"idle:N1", "idle:N2", "idle:S2", "idle:S1"}));
  m_log.clear();
  EXPECT_EQ(Manager()->RemoveIdleHandler(s2.Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveIdleHandler(s2.Get()), S_FALSE);
  EXPECT_TRUE(Loop().RemoveIdleHandler(&n1));
  Loop().OnIdle(1);
  EXPECT_EQ(m_log, (Log{"idle:N2", "idle:S1"}));
}

TEST_F(MessageLoopTest, IdleHandlersChangingTheListsDuringTheirCallDoNotBreakTheWalk) {
  NativeIdle n1(m_log, "N1"), n2(m_log, "N2"), n3(m_log, "N3");
  for (NativeIdle* n : {&n1, &n2}) ASSERT_TRUE(Loop().AddIdleHandler(n));
  // N1 removes itself and adds N3: N2 still runs, and N3 (added at the end) too.
  n1.action = [&] {
    EXPECT_TRUE(Loop().RemoveIdleHandler(&n1));
    EXPECT_TRUE(Loop().AddIdleHandler(&n3));
  };
  auto s1 = MakeIdle("S1");
  auto s2 = MakeIdle("S2");
  ASSERT_EQ(Manager()->AddIdleHandler(s1.Get()), S_OK);
  ASSERT_EQ(Manager()->AddIdleHandler(s2.Get()), S_OK);
  s2->action = [&] { EXPECT_EQ(Manager()->RemoveIdleHandler(s2.Get()), S_OK); };
  Loop().OnIdle(0);
  Loop().OnIdle(1);
  EXPECT_EQ(m_log, (Log{"idle:N1", "idle:N2", "idle:N3", "idle:S2", "idle:S1", "idle:N2",
                        "idle:N3", "idle:S1"}));
}

TEST_F(MessageLoopTest, MouseMovesDoNotRunIdleHandlersButAKeyPressDoesOnceTheQueueIsEmpty) {
  test::RecordingWindow window(m_log);
  std::atomic<int> delivered{0};
  window.onMessage = [this, &delivered](UINT message, WPARAM) {
    ++delivered;
    if (message == kMsgStop) Manager()->Quit(TRUE);
  };
  auto idle = MakeIdle("I");
  ASSERT_EQ(Manager()->AddIdleHandler(idle.Get()), S_OK);
  // Another thread feeds the queue one message at a time and waits until the window has it
  // (a key press brings its WM_CHAR along), so the queue runs empty in between.
  const HWND hwnd = window.Get();
  std::thread feeder([hwnd, &delivered] {
    struct Step {
      UINT message;
      WPARAM wParam;
      int brings;
    };
    const Step steps[] = {{WM_MOUSEMOVE, 0, 1}, {WM_NCMOUSEMOVE, 0, 1}, {WM_MOUSEMOVE, 0, 1},
                          {WM_KEYDOWN, 'K', 2},  {WM_MOUSEMOVE, 0, 1},   {kMsgStop, 5, 1}};
    int expected = 0;
    for (const Step& step : steps) {
      ::Sleep(50);
      ::PostMessageW(hwnd, step.message, step.wParam, 0);
      expected += step.brings;
      for (int waited = 0; delivered.load() < expected && waited < 5000; waited += 5) ::Sleep(5);
    }
  });
  const int result = Loop().Run();
  feeder.join();
  EXPECT_EQ(result, 5);
  Log seen;  // mouse and key messages and idle calls, in order
  for (const std::string& entry : m_log)
    if (entry.rfind("idle", 0) == 0 || entry.rfind("window", 0) == 0) seen.push_back(entry);
  const Log expected = {"idle:I",
                        MessageEntry("window", WM_MOUSEMOVE, 0),
                        MessageEntry("window", WM_NCMOUSEMOVE, 0),
                        MessageEntry("window", WM_MOUSEMOVE, 0),
                        MessageEntry("window", WM_KEYDOWN, 'K'),
                        MessageEntry("window", WM_CHAR, 'k'),  // posted by TranslateMessage
                        "idle:I",
                        MessageEntry("window", WM_MOUSEMOVE, 0),
                        MessageEntry("window", kMsgStop, 5)};
  EXPECT_EQ(seen, expected);
}

TEST_F(MessageLoopTest, QuitInsideAHandlerEndsTheLoopAfterItWithThatMessagesWParam) {
  test::RecordingWindow window(m_log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == kMsgB) {
      EXPECT_EQ(Manager()->Quit(FALSE), S_OK);
    }
  };
  EXPECT_EQ(RunWith(window.Get(), {{kMsgA, 11}, {kMsgB, 22}, {kMsgC, 33}}), 22);
  EXPECT_EQ(m_log, (Log{MessageEntry("window", kMsgA, 11), MessageEntry("window", kMsgB, 22)}));
  EXPECT_TRUE(Loop().IsQuitting());
  // Quit posted WM_QUIT behind the message that was not handled.
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kMsgC);
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(MessageLoopTest, WmQuitEndsTheLoopWithItsCode) {
  test::RecordingWindow window(m_log);
  ::PostMessageW(window.Get(), kMsgA, 1, 0);
  ::PostQuitMessage(7);
  EXPECT_EQ(Loop().Run(), 7);
  EXPECT_FALSE(Loop().IsQuitting());
}

TEST_F(MessageLoopTest, QuitDestroysTheListenerSoALaterStartRunsAsAFullInstance) {
  const HWND listener = ListenerWindow().CreateListener();
  ASSERT_TRUE(::IsWindow(listener));
  EXPECT_NE(CMessageWindow().OtherInstance(), nullptr);
  EXPECT_EQ(Manager()->Quit(TRUE), S_OK);
  EXPECT_FALSE(::IsWindow(listener));
  // What a later start looks for is gone.
  EXPECT_EQ(CMessageWindow().OtherInstance(), nullptr);
}

// Real later starts: before Quit the probe hands its line to this process; after it, it runs.
TEST_F(MessageLoopTest, AfterQuitALaterStartRunsAsAFullInstance) {
  const std::wstring dir = test::MakeTempDir(L"quit");
  ASSERT_TRUE(::IsWindow(ListenerWindow().CreateListener()));
  auto start = [&dir](const wchar_t* tag) {
    const std::wstring out = dir + L"\\" + tag + L".txt";
    HANDLE process = test::StartProcess(L"\"" + test::TestBinDir() + L"\\instance_probe.exe\" --out \"" +
                                        out + L"\" --hold 100");
    EXPECT_NE(process, nullptr);
    if (process == nullptr) return std::string();
    // Pump while waiting: the listener answers the hand-over on this thread.
    test::PumpUntil([process] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; },
                    30000);
    ::CloseHandle(process);
    return test::ReadFileText(out);
  };
  EXPECT_NE(start(L"before").find("path=forwarded"), std::string::npos);
  EXPECT_EQ(Manager()->Quit(FALSE), S_OK);
  test::DrainQueue();
  EXPECT_NE(start(L"after").find("path=ran"), std::string::npos);
}

TEST_F(MessageLoopTest, DestroyingTheManagerReleasesEveryEntry) {
  {
    auto f = MakeFilter("F");
    auto i = MakeIdle("I");
    ASSERT_EQ(Manager()->AddMsgFilter(f.Get()), S_OK);
    ASSERT_EQ(Manager()->AddMsgFilter(f.Get()), S_OK);
    ASSERT_EQ(Manager()->AddIdleHandler(i.Get()), S_OK);
  }
  EXPECT_EQ(LiveObjects<TestFilter>::Count(), 1);
  EXPECT_EQ(LiveObjects<TestIdle>::Count(), 1);
  m_manager->Release();
  m_manager = nullptr;
  EXPECT_EQ(LiveObjects<TestFilter>::Count(), 0);
  EXPECT_EQ(LiveObjects<TestIdle>::Count(), 0);
}

// ---- the COM face -----------------------------------------------------------------------------

class MessageManagerObject : public MessageLoopTest {
 protected:
  test::ScopedEngineModule m_module;
};

TEST_F(MessageManagerObject, ScriptsReachItsMembersByNameInAnyCase) {
  ASSERT_TRUE(m_module.Loaded());
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(m_manager->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  struct Name {
    const wchar_t* name;
    DISPID id;
  };
  for (const Name& n : {Name{L"AddMsgFilter", 1}, Name{L"removemsgfilter", 2},
                        Name{L"ADDIDLEHANDLER", 3}, Name{L"RemoveIdleHandler", 4},
                        Name{L"quit", 5}}) {
    std::wstring text(n.name);
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, n.id) << test::Narrow(n.name);
  }
  // AddMsgFilter and Quit through Invoke.
  auto f = MakeFilter("F");
  VARIANT arg;
  arg.vt = VT_UNKNOWN;
  arg.punkVal = static_cast<IMsgFilter*>(f.Get());
  DISPPARAMS params{&arg, nullptr, 1, 0};
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                             nullptr, nullptr),
            S_OK);
  Offer(kMsgA, 1);
  EXPECT_EQ(m_log, (Log{MessageEntry("F", kMsgA, 1)}));
  VARIANT attempt;
  attempt.vt = VT_I4;
  attempt.lVal = 1;
  DISPPARAMS quitParams{&attempt, nullptr, 1, 0};
  EXPECT_EQ(dispatch->Invoke(5, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &quitParams,
                             nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_TRUE(Loop().IsQuitting());
}

TEST_F(MessageManagerObject, DescribesItsClass) {
  ASSERT_TRUE(m_module.Loaded());
  ComPtr<IProvideClassInfo2> info2;
  ASSERT_EQ(m_manager->QueryInterface(IID_PPV_ARGS(&info2)), S_OK);
  ComPtr<IProvideClassInfo> info;
  ASSERT_EQ(m_manager->QueryInterface(IID_PPV_ARGS(&info)), S_OK);
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(info->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_MessageManager));
  coclass->ReleaseTypeAttr(attr);
  UniqueBstr help;
  ASSERT_EQ(coclass->GetDocumentation(-1, nullptr, help.Put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(help.View(), L"MessageManager Class");
  GUID source = IID_IUnknown;
  EXPECT_FAILED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_TRUE(IsEqualGUID(source, GUID_NULL));
  // One identity for every interface.
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(info->QueryInterface(IID_PPV_ARGS(&a)), S_OK);
  ASSERT_EQ(m_manager->QueryInterface(IID_PPV_ARGS(&b)), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
}

TEST_F(MessageManagerObject, TheEnginesPartsAndObjectMapCreateIt) {
  ComPtr<IAppMessageManager> app;
  ASSERT_EQ(EngineParts().CreateMessageManager(&app), S_OK);
  ASSERT_NE(app->GetMessageLoop(), nullptr);
  EXPECT_NE(dynamic_cast<CMessageLoopEx*>(app->GetMessageLoop()), nullptr);
  ASSERT_EQ(Module().Init(EngineObjectMap(), ::GetModuleHandleW(nullptr), &LIBID_UILib), S_OK);
  ComPtr<IMessageManager> created;
  EXPECT_EQ(Module().CreateInstance(CLSID_MessageManager, IID_PPV_ARGS(&created)), S_OK);
  EXPECT_TRUE(created);
  created.Reset();
  Module().Term();
}

}  // namespace
}  // namespace velmor
