// The message manager and its loop: filter order and swallowing, adding and removing entries
// (also during a walk), idle processing once per empty queue, Quit; then the manager as scripts
// use it ("msgManager" in real JScript), with plain script objects as filters and idle handlers
// adapted through the component runtime's dispatch connector.
#include <gtest/gtest.h>

#include <windows.h>
#include <dispex.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/bstr.h"
#include "components/component_manager.h"
#include "host/app_parts.h"
#include "host/message_manager.h"
#include "host/message_window.h"
#include "host/module.h"
#include "support/script_runner.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using Log = std::vector<std::string>;

std::string MessageEntry(const char* who, UINT message, WPARAM wParam) {
  return std::string(who) + ":" + std::to_string(message) + ":" + std::to_string(wParam);
}

// Removes every message left in this thread's queue (a WM_QUIT included).
void DrainQueue() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// A message-only window that logs key, mouse and WM_USER-and-above messages as
// "window:<message>:<wParam>"; 'onMessage' runs for each of them.
class RecordingWindow {
 public:
  explicit RecordingWindow(Log& log) : m_log(log) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{sizeof(wc)};
      wc.lpfnWndProc = &RecordingWindow::WindowProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"VelmorLoopTestWindow";
      return ::RegisterClassExW(&wc);
    }();
    m_hwnd = ::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), this);
  }
  ~RecordingWindow() { ::DestroyWindow(m_hwnd); }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;
  HWND Get() const { return m_hwnd; }
  std::function<void(UINT message, WPARAM wParam)> onMessage;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const bool recorded = message >= WM_USER || message == WM_NCMOUSEMOVE ||
                          (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                          (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    if (self != nullptr && recorded) {
      self->m_log.push_back(MessageEntry("window", message, wParam));
      if (self->onMessage) self->onMessage(message, wParam);
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  Log& m_log;
  HWND m_hwnd = nullptr;
};

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

// A filter that claims, through IObjectIdentity, to be the same object as another.
class StandIn final : public ComObject<StandIn, IMsgFilter, IObjectIdentity> {
 public:
  explicit StandIn(IUnknown* other) : m_other(other) {}
  STDMETHODIMP PreTranslateMessage(MSG*, BOOL*) override { return S_OK; }
  STDMETHODIMP IsEqualObject(IUnknown* candidate) override {
    return IsSameObject(candidate, m_other) ? S_OK : S_FALSE;
  }

 private:
  IUnknown* m_other;
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

class NativeFilter final : public CMessageFilter, public CIdleHandler {
 public:
  NativeFilter(Log& log, std::string name, UINT swallow = 0)
      : m_log(log), m_name(std::move(name)), m_swallow(swallow) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    m_log.push_back(MessageEntry(m_name.c_str(), msg->message, msg->wParam));
    return msg->message == m_swallow;
  }
  BOOL OnIdle() override {
    m_log.push_back("idle:" + m_name);
    if (action) std::exchange(action, nullptr)();
    return FALSE;
  }
  std::function<void()> action;

 private:
  Log& m_log;
  std::string m_name;
  UINT m_swallow;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainQueue();
    ASSERT_EQ(CMessageManager::CreateObject(&m_manager), S_OK);
  }
  void TearDown() override {
    if (m_manager) m_manager->Release();
    DrainQueue();
  }
  ComPtr<TestFilter> MakeFilter(const char* name, UINT swallow = 0) {
    TestFilter* raw = nullptr;
    EXPECT_EQ(TestFilter::CreateObject(&raw, m_log, name, swallow), S_OK);
    return AdoptRef(raw);
  }
  static ComPtr<IUnknown> MakeStandIn(IUnknown* other) {
    StandIn* raw = nullptr;
    EXPECT_EQ(StandIn::CreateObject(&raw, other), S_OK);
    return AdoptRef(raw->GetUnknown());
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
  int RunWith(HWND hwnd, std::initializer_list<std::pair<UINT, WPARAM>> messages) {
    for (auto [message, wParam] : messages) ::PostMessageW(hwnd, message, wParam, 0);
    return Loop().Run();
  }

  Log m_log;
  CMessageManager* m_manager = nullptr;
};

TEST_F(MessageLoopTest, LastAddedFilterSeesEachMessageFirstAndProcessedMessagesStop) {
  RecordingWindow window(m_log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == kMsgStop) Manager()->Quit(FALSE);
  };
  auto a = MakeFilter("A", kMsgA);
  auto b = MakeFilter("B", kMsgB);
  auto failing = MakeFilter("F", kMsgC);
  failing->result = E_FAIL;  // claims the message but fails: not processed
  for (auto* f : {a.Get(), failing.Get(), b.Get()}) ASSERT_EQ(Manager()->AddMsgFilter(f), S_OK);
  EXPECT_EQ(RunWith(window.Get(), {{kMsgA, 1}, {kMsgB, 2}, {kMsgC, 3}, {kMsgStop, 4}}), 4);
  const Log expected = {
      MessageEntry("B", kMsgA, 1), MessageEntry("F", kMsgA, 1), MessageEntry("A", kMsgA, 1),
      MessageEntry("B", kMsgB, 2),
      MessageEntry("B", kMsgC, 3), MessageEntry("F", kMsgC, 3), MessageEntry("A", kMsgC, 3),
      MessageEntry("window", kMsgC, 3),
      MessageEntry("B", kMsgStop, 4), MessageEntry("F", kMsgStop, 4), MessageEntry("A", kMsgStop, 4),
      MessageEntry("window", kMsgStop, 4),
  };
  EXPECT_EQ(m_log, expected);
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

TEST_F(MessageLoopTest, RemovalFindsTheLaterEntryAlsoThroughObjectIdentity) {
  auto idle = MakeIdle("I");
  EXPECT_EQ(Manager()->AddMsgFilter(nullptr), E_POINTER);
  EXPECT_EQ(Manager()->AddIdleHandler(nullptr), E_POINTER);
  // Neither the interface nor a reachable connector (no component runtime here).
  EXPECT_EQ(Manager()->AddMsgFilter(idle.Get()), E_NOINTERFACE);
  EXPECT_EQ(Manager()->RemoveMsgFilter(nullptr), S_FALSE);

  auto f = MakeFilter("F");
  auto g = MakeFilter("G");
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_FALSE);
  for (auto* filter : {f.Get(), g.Get(), f.Get()}) ASSERT_EQ(Manager()->AddMsgFilter(filter), S_OK);
  Offer(kMsgA, 1);                                                        // F G F
  EXPECT_EQ(Manager()->RemoveMsgFilter(f->GetUnknown()), S_OK);           // F G
  Offer(kMsgA, 2);
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_OK);                  // G
  EXPECT_EQ(Manager()->RemoveMsgFilter(f.Get()), S_FALSE);
  Offer(kMsgA, 3);
  EXPECT_EQ(m_log, (Log{MessageEntry("F", kMsgA, 1), MessageEntry("G", kMsgA, 1),
                        MessageEntry("F", kMsgA, 1), MessageEntry("G", kMsgA, 2),
                        MessageEntry("F", kMsgA, 2), MessageEntry("G", kMsgA, 3)}));

  // An entry that answers IObjectIdentity for a key, and a key answering it for an entry.
  m_log.clear();
  ComPtr<IUnknown> key = idle;
  ASSERT_EQ(Manager()->AddMsgFilter(MakeStandIn(key.Get()).Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(key.Get()), S_OK);
  ComPtr<IUnknown> claim = MakeStandIn(g->GetUnknown());
  EXPECT_EQ(Manager()->RemoveMsgFilter(claim.Get()), S_OK);
  EXPECT_EQ(Manager()->RemoveMsgFilter(claim.Get()), S_FALSE);
  Offer(kMsgA);
  EXPECT_TRUE(m_log.empty());
}

TEST_F(MessageLoopTest, EntriesChangingTheListsDuringTheirCallDoNotBreakTheWalk) {
  auto a = MakeFilter("A");
  auto b = MakeFilter("B");
  auto c = MakeFilter("C");
  auto d = MakeFilter("D");
  for (auto* f : {a.Get(), b.Get(), c.Get()}) ASSERT_EQ(Manager()->AddMsgFilter(f), S_OK);
  // C adds D (above it: not part of this walk) and removes A (below it); B removes itself and,
  // with its entry, the list's reference.
  c->action = [&] {
    EXPECT_EQ(Manager()->AddMsgFilter(d.Get()), S_OK);
    EXPECT_EQ(Manager()->RemoveMsgFilter(a.Get()), S_OK);
  };
  TestFilter* bRaw = b.Get();
  b->action = [this, bRaw] { EXPECT_EQ(Manager()->RemoveMsgFilter(bRaw), S_OK); };
  b.Reset();
  Offer(kMsgA, 1);
  Offer(kMsgA, 2);
  // D removes every entry: the walk ends without touching what is gone.
  d->action = [&] {
    for (auto* f : {c.Get(), d.Get()}) EXPECT_EQ(Manager()->RemoveMsgFilter(f), S_OK);
  };
  Offer(kMsgA, 3);
  Offer(kMsgA, 4);
  EXPECT_EQ(m_log, (Log{MessageEntry("C", kMsgA, 1), MessageEntry("B", kMsgA, 1),
                        MessageEntry("D", kMsgA, 2), MessageEntry("C", kMsgA, 2),
                        MessageEntry("D", kMsgA, 3)}));
  EXPECT_EQ(LiveObjects<TestFilter>::Count(), 3) << "B is gone";
}

// Native idle handlers first to last, then script ones last to first, once per call; a handler
// may change the lists while it runs.
TEST_F(MessageLoopTest, IdleHandlersRunInTheirOrderOncePerCall) {
  NativeFilter n1(m_log, "N1"), n2(m_log, "N2"), n3(m_log, "N3");
  for (NativeFilter* n : {&n1, &n2}) ASSERT_TRUE(Loop().AddIdleHandler(n));
  auto s1 = MakeIdle("S1");
  auto s2 = MakeIdle("S2");
  ASSERT_EQ(Manager()->AddIdleHandler(s1.Get()), S_OK);
  ASSERT_EQ(Manager()->AddIdleHandler(s2.Get()), S_OK);
  EXPECT_FALSE(Loop().OnIdle(0));
  EXPECT_EQ(m_log, (Log{"idle:N1", "idle:N2", "idle:S2", "idle:S1"}));
  m_log.clear();
  // N1 removes itself and adds N3 (which runs in this walk); S2 removes itself.
  n1.action = [&] {
    EXPECT_TRUE(Loop().RemoveIdleHandler(&n1));
    EXPECT_TRUE(Loop().AddIdleHandler(&n3));
  };
  s2->action = [&] { EXPECT_EQ(Manager()->RemoveIdleHandler(s2.Get()), S_OK); };
  Loop().OnIdle(0);
  Loop().OnIdle(1);
  EXPECT_EQ(m_log, (Log{"idle:N1", "idle:N2", "idle:N3", "idle:S2", "idle:S1", "idle:N2",
                        "idle:N3", "idle:S1"}));
  EXPECT_EQ(Manager()->RemoveIdleHandler(s2.Get()), S_FALSE);
}

TEST_F(MessageLoopTest, MouseMovesDoNotRunIdleHandlersButAKeyPressDoesOnceTheQueueIsEmpty) {
  RecordingWindow window(m_log);
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
    const struct {
      UINT message;
      WPARAM wParam;
      int brings;
    } steps[] = {{WM_MOUSEMOVE, 0, 1}, {WM_NCMOUSEMOVE, 0, 1}, {WM_MOUSEMOVE, 0, 1},
                 {WM_KEYDOWN, 'K', 2},  {WM_MOUSEMOVE, 0, 1},   {kMsgStop, 5, 1}};
    int expected = 0;
    for (const auto& step : steps) {
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
  EXPECT_EQ(seen, (Log{"idle:I", MessageEntry("window", WM_MOUSEMOVE, 0),
                       MessageEntry("window", WM_NCMOUSEMOVE, 0),
                       MessageEntry("window", WM_MOUSEMOVE, 0),
                       MessageEntry("window", WM_KEYDOWN, 'K'),
                       MessageEntry("window", WM_CHAR, 'k'),  // posted by TranslateMessage
                       "idle:I", MessageEntry("window", WM_MOUSEMOVE, 0),
                       MessageEntry("window", kMsgStop, 5)}));
}

TEST_F(MessageLoopTest, QuitEndsTheLoopAfterTheHandlerAndDestroysTheListener) {
  RecordingWindow window(m_log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == kMsgB) EXPECT_EQ(Manager()->Quit(FALSE), S_OK);
  };
  const HWND listener = ListenerWindow().CreateListener();
  ASSERT_NE(CMessageWindow().OtherInstance(), nullptr);
  EXPECT_EQ(RunWith(window.Get(), {{kMsgA, 11}, {kMsgB, 22}, {kMsgC, 33}}), 22);
  EXPECT_EQ(m_log, (Log{MessageEntry("window", kMsgA, 11), MessageEntry("window", kMsgB, 22)}));
  EXPECT_TRUE(Loop().IsQuitting());
  EXPECT_FALSE(::IsWindow(listener)) << "a later start must run as a full instance";
  EXPECT_EQ(CMessageWindow().OtherInstance(), nullptr);
  // Quit posted WM_QUIT behind the message that was not handled.
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kMsgC);
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
  // A WM_QUIT posted by anyone ends the loop with its code.
  ::PostQuitMessage(7);
  EXPECT_EQ(Loop().Run(), 7);
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

TEST_F(MessageLoopTest, TheEnginesPartsCreateItAndItDescribesItsClass) {
  ComPtr<IAppMessageManager> app;
  ASSERT_EQ(EngineParts().CreateMessageManager(&app), S_OK);
  EXPECT_NE(dynamic_cast<CMessageLoopEx*>(app->GetMessageLoop()), nullptr);
  ASSERT_EQ(Module().Init(EngineObjectMap(), ::GetModuleHandleW(nullptr), &LIBID_UILib), S_OK);
  ComPtr<IMessageManager> created;
  EXPECT_EQ(Module().CreateInstance(CLSID_MessageManager, IID_PPV_ARGS(&created)), S_OK);
  Module().Term();
  ComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(created.As(&info), S_OK);
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(info->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_MessageManager));
  coclass->ReleaseTypeAttr(attr);
  GUID source = IID_IUnknown;
  EXPECT_FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_TRUE(IsEqualGUID(source, GUID_NULL));
  EXPECT_TRUE(IsSameObject(info.Get(), created.Get()));
}

// ---- "msgManager" in real JScript ----------------------------------------------------------

constexpr const wchar_t* kScript = LR"JS(
var seen = [], idleCount = 0, ticks = 0;
var filter = {
  PreTranslateMessage: function (msg, processed) {
    seen.push([msg.hwnd, msg.message, msg.wParam, msg.lParam, msg.time, msg.pt.x, msg.pt.y,
               processed].join(','));
    if (msg.message == 0x8001) return true;            // answers through its result
    if (msg.message == 0x8002) msg.bProcessed = true;  // answers through the message
    if (msg.message == 0x8009) msgManager.quit(true);
  }
};
var idle = { OnIdle: function () { idleCount++; } };
function tick() { ticks++; }
var silent = { unrelated: 1 };
var thrower = { PreTranslateMessage: function () { throw new Error('no'); } };
)JS";

class ScriptFilterTest : public MessageLoopTest {
 protected:
  void SetUp() override {
    MessageLoopTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
    m_script = std::make_unique<test::ScriptRunner>();
    ASSERT_EQ(m_script->AddObject(L"msgManager", Manager()), S_OK);
    ASSERT_EQ(m_script->Execute(kScript), S_OK);
  }
  void TearDown() override {
    // The manager and the engine go before the runtime that made the adapters.
    m_manager->Release();
    m_manager = nullptr;
    m_script.reset();
    EXPECT_EQ(components::Shutdown(), S_OK);
    MessageLoopTest::TearDown();
  }
  std::wstring Eval(const wchar_t* expression) {
    UniqueVariant v;
    if (FAILED(m_script->Evaluate(expression, v.Put()))) return m_script->LastError();
    if (FAILED(::VariantChangeType(&v, &v, 0, VT_BSTR))) return L"?";
    return v.bstrVal != nullptr ? v.bstrVal : L"";
  }
  BOOL OfferMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, POINT pt) {
    MSG msg{hwnd, message, wParam, lParam, time, pt};
    return Loop().PreTranslateMessage(&msg);
  }
  std::unique_ptr<test::ScriptRunner> m_script;
};

TEST_F(ScriptFilterTest, ScriptObjectSeesTheMessageAndAnswersProcessed) {
  ASSERT_EQ(m_script->Execute(L"msgManager.ADDMSGFILTER(filter);"), S_OK);
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  EXPECT_TRUE(OfferMessage(hwnd, 0x8001, 7, -5, 1000, {10, -20}));
  EXPECT_TRUE(OfferMessage(hwnd, 0x8002, 8, 6, 1001, {0, 0}));
  EXPECT_FALSE(OfferMessage(hwnd, 0x8003, 9, 0, 1002, {1, 2}));
  // Wide values reach the script whole.
  const WPARAM wide = sizeof(WPARAM) == 8 ? static_cast<WPARAM>(0x123456789ull) : 0x80000000u;
  EXPECT_FALSE(OfferMessage(nullptr, 0x8004, wide, 0, 0xFFFFFFFFu, {0, 0}));
  EXPECT_EQ(Eval(L"seen.join('|')"),
            std::wstring(L"4660,32769,7,-5,1000,10,-20,0|4660,32770,8,6,1001,0,0,0|"
                         L"4660,32771,9,0,1002,1,2,0|0,32772,") +
                (sizeof(WPARAM) == 8 ? L"4886718345" : L"2147483648") + L",0,4294967295,0,0,0");
  EXPECT_EQ(m_script->LastError(), L"");
  // Removing finds the adapter through the script object, evaluated again.
  ASSERT_EQ(m_script->Execute(L"msgManager.RemoveMsgFilter(idle); msgManager.removeMsgFilter(filter);"
                             L"seen = [];"),
            S_OK);
  EXPECT_FALSE(OfferMessage(nullptr, 0x8001, 0, 0, 0, {0, 0}));
  EXPECT_EQ(Eval(L"seen.length"), L"0");
}

TEST_F(ScriptFilterTest, ScriptFilterSwallowsMessagesAndQuitsTheRunningLoop) {
  Log log;
  RecordingWindow window(log);
  ASSERT_EQ(m_script->Execute(L"msgManager.AddMsgFilter(filter);"), S_OK);
  for (UINT message : {0x8001u, 0x8002u, 0x8003u, 0x8009u})
    ::PostMessageW(window.Get(), message, 0, 0);
  EXPECT_EQ(Loop().Run(), 0);
  EXPECT_EQ(log, (Log{MessageEntry("window", 0x8003, 0),
                                           MessageEntry("window", 0x8009, 0)}));
  EXPECT_EQ(Eval(L"seen.length"), L"4");
}

TEST_F(ScriptFilterTest, IdleHandlersObjectsOrFunctionsAndFiltersThatFail) {
  ASSERT_EQ(m_script->Execute(L"msgManager.AddIdleHandler(idle); msgManager.AddIdleHandler(tick);"),
            S_OK);
  Loop().OnIdle(0);
  Loop().OnIdle(0);
  EXPECT_EQ(Eval(L"idleCount + ',' + ticks"), L"2,2");
  ASSERT_EQ(m_script->Execute(L"msgManager.RemoveIdleHandler(idle);"), S_OK);
  Loop().OnIdle(0);
  EXPECT_EQ(Eval(L"idleCount + ',' + ticks"), L"2,3");
  // Objects without the member, or whose member throws, are accepted and never swallow.
  ASSERT_EQ(m_script->Execute(L"msgManager.AddMsgFilter(silent); msgManager.AddMsgFilter(thrower);"
                             L"msgManager.AddMsgFilter(filter);"),
            S_OK);
  EXPECT_FALSE(OfferMessage(nullptr, 0x8003, 0, 0, 0, {0, 0}));
  EXPECT_TRUE(OfferMessage(nullptr, 0x8001, 0, 0, 0, {0, 0}));
  EXPECT_EQ(Eval(L"seen.length"), L"2");
  // Without a connector under its contract, script objects are refused.
  ASSERT_EQ(components::RegisterObject(contracts::kDispatchConnector, Manager()), S_OK);
  UniqueVariant filter;
  ASSERT_EQ(m_script->Evaluate(L"filter", filter.Put()), S_OK);
  EXPECT_EQ(Manager()->AddMsgFilter(filter.pdispVal), E_NOINTERFACE);
  components::UnregisterObject(contracts::kDispatchConnector);
}

}  // namespace
}  // namespace velmor
