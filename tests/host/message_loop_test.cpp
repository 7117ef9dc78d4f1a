// The message manager and its loop as scripts use it ("msgManager" in real JScript): filter order
// and swallowing, adding and removing entries (also during a walk), native entries before script
// ones, idle processing once per empty queue and Quit. What a script filter sees of a message and
// how its answer is read are the dispatch connector's (tests/runtime).
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

// A native filter and idle handler; 'record' receives "<name>:<message - WM_APP>:<wParam>" and
// "idle:<name>".
class NativeFilter final : public CMessageFilter, public CIdleHandler {
 public:
  NativeFilter(std::function<void(const std::string&)> record, std::string name, UINT swallow = 0)
      : m_record(std::move(record)), m_name(std::move(name)), m_swallow(swallow) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    m_record(m_name + ":" + std::to_string(msg->message - WM_APP) + ":" +
             std::to_string(msg->wParam));
    return msg->message == m_swallow;
  }
  BOOL OnIdle() override {
    m_record("idle:" + m_name);
    if (action) std::exchange(action, nullptr)();
    return FALSE;
  }
  std::function<void()> action;

 private:
  std::function<void(const std::string&)> m_record;
  std::string m_name;
  UINT m_swallow;
};

// A filter and idle handler that only counts its instances.
class CountedEntry final : public ComObject<CountedEntry, IMsgFilter, IIdleHandler> {
 public:
  STDMETHODIMP PreTranslateMessage(MSG*, BOOL*) override { return S_OK; }
  STDMETHODIMP OnIdle() override { return S_OK; }
};

// Script filters and idle handlers as skins write them: F(name, swallow) logs every message it
// sees and swallows one; I(name) logs its idle calls; either runs its 'then' once while called.
constexpr const wchar_t* kScript = LR"JS(
var log = [];
function once(o) { if (o.then) { var t = o.then; o.then = null; t(); } }
function F(name, swallow) {
  var f = { PreTranslateMessage: function (msg) {
    log.push(name + ':' + (msg.message - 0x8000) + ':' + msg.wParam);
    once(f);
    return msg.message == swallow;
  } };
  return f;
}
function I(name) {
  var h = { OnIdle: function () { log.push('idle:' + name); once(h); } };
  return h;
}
var thrower = { PreTranslateMessage: function (msg) {
  log.push('T:' + (msg.message - 0x8000) + ':' + msg.wParam);
  throw new Error('no');
} };
)JS";

// The message manager with "msgManager" published to real JScript; script objects become
// filters and idle handlers through the component runtime's dispatch connector.
class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainQueue();
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(CMessageManager::CreateObject(&m_manager), S_OK);
    m_script = std::make_unique<test::ScriptRunner>();
    ASSERT_EQ(m_script->AddObject(L"msgManager", Manager()), S_OK);
    ASSERT_EQ(m_script->Execute(kScript), S_OK);
  }
  void TearDown() override {
    // The manager and the engine go before the runtime that made the adapters.
    if (m_manager) m_manager->Release();
    m_manager = nullptr;
    m_script.reset();
    EXPECT_EQ(components::Shutdown(), S_OK);
    DrainQueue();
  }
  IMessageManager* Manager() { return m_manager; }
  CMessageLoopEx& Loop() { return m_manager->Loop(); }
  void Run(const wchar_t* code) { ASSERT_EQ(m_script->Execute(code), S_OK) << m_script->LastError(); }
  std::wstring Eval(const wchar_t* expression) { return m_script->Text(expression); }
  ComPtr<IDispatch> Object(const wchar_t* name) { return m_script->Object(name); }
  // Native entries write into the script's log, so one log shows the order of both kinds.
  std::function<void(const std::string&)> ScriptLog() {
    return [this](const std::string& entry) {
      const std::wstring wide(entry.begin(), entry.end());
      EXPECT_EQ(m_script->Execute((L"log.push('" + wide + L"');").c_str()), S_OK);
    };
  }
  // Offers one message to the filters; answers whether it was swallowed.
  BOOL Offer(UINT message, WPARAM wParam = 0) {
    MSG msg{nullptr, message, wParam};
    return Loop().PreTranslateMessage(&msg);
  }
  int RunWith(HWND hwnd, std::initializer_list<std::pair<UINT, WPARAM>> messages) {
    for (auto [message, wParam] : messages) ::PostMessageW(hwnd, message, wParam, 0);
    return Loop().Run();
  }

  Log m_log;
  CMessageManager* m_manager = nullptr;
  std::unique_ptr<test::ScriptRunner> m_script;
};

// Native filters run first (the last added first), then script filters the same way; a filter
// that processes a message ends its walk and keeps it from the window.
TEST_F(MessageLoopTest, FiltersRunNativeFirstLastAddedFirstAndProcessedMessagesStop) {
  RecordingWindow window(m_log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == kMsgStop) Manager()->Quit(FALSE);
  };
  NativeFilter n1(ScriptLog(), "N1"), n2(ScriptLog(), "N2", kMsgC);
  Run(L"msgManager.AddMsgFilter(F('A', 0x8001)); msgManager.AddMsgFilter(thrower);"
      L"msgManager.AddMsgFilter(F('B', 0x8002));");
  ASSERT_TRUE(Loop().AddMessageFilter(&n1));
  ASSERT_TRUE(Loop().AddMessageFilter(&n2));
  EXPECT_EQ(RunWith(window.Get(), {{kMsgA, 1}, {kMsgB, 2}, {kMsgC, 3}, {kMsgStop, 4}}), 4);
  ASSERT_TRUE(Loop().RemoveMessageFilter(&n2));
  EXPECT_FALSE(Loop().RemoveMessageFilter(&n2));
  EXPECT_FALSE(Offer(kMsgC, 5));
  ASSERT_TRUE(Loop().RemoveMessageFilter(&n1));
  EXPECT_EQ(Eval(L"log.join(' ')"),
            L"N2:1:1 N1:1:1 B:1:1 T:1:1 A:1:1 N2:2:2 N1:2:2 B:2:2 N2:3:3 "
            L"N2:9:4 N1:9:4 B:9:4 T:9:4 A:9:4 N1:3:5 B:3:5 T:3:5 A:3:5");
  EXPECT_EQ(m_log, (Log{MessageEntry("window", kMsgStop, 4)}));
}

// Removing takes the latest entry for the object, found through the adapter's identity; entries
// that change the list while they are called do not break the walk.
TEST_F(MessageLoopTest, RemovalFindsTheLaterEntryAndChangesDuringAWalkAreSafe) {
  Run(L"var f = F('F'), g = F('G');");
  EXPECT_EQ(Manager()->RemoveMsgFilter(Object(L"f").Get()), S_FALSE);
  // Script member names are not case-sensitive.
  Run(L"msgManager.ADDMSGFILTER(f); msgManager.addMsgFilter(g); msgManager.AddMsgFilter(f);");
  Offer(kMsgA, 1);                                                   // F G F
  EXPECT_EQ(Manager()->RemoveMsgFilter(Object(L"f").Get()), S_OK);  // F G
  Offer(kMsgA, 2);
  EXPECT_EQ(Manager()->RemoveMsgFilter(Object(L"f").Get()), S_OK);  // G
  EXPECT_EQ(Manager()->RemoveMsgFilter(Object(L"f").Get()), S_FALSE);
  Offer(kMsgA, 3);
  // C adds D (above it: not part of this walk) and removes A (below it); B removes itself. Then
  // D removes every entry: the walk ends without touching what is gone.
  Run(L"msgManager.RemoveMsgFilter(g); var a = F('A'), b = F('B'), c = F('C'), d = F('D');"
      L"msgManager.AddMsgFilter(a); msgManager.AddMsgFilter(b); msgManager.AddMsgFilter(c);"
      L"c.then = function () { msgManager.AddMsgFilter(d); msgManager.RemoveMsgFilter(a); };"
      L"b.then = function () { msgManager.RemoveMsgFilter(b); };");
  Offer(kMsgA, 4);
  Offer(kMsgA, 5);
  Run(L"d.then = function () { msgManager.RemoveMsgFilter(c); msgManager.RemoveMsgFilter(d); };");
  Offer(kMsgA, 6);
  Offer(kMsgA, 7);
  EXPECT_EQ(Eval(L"log.join(' ')"),
            L"F:1:1 G:1:1 F:1:1 G:1:2 F:1:2 G:1:3 C:1:4 B:1:4 D:1:5 C:1:5 D:1:6");
  // Without a connector under its contract, script objects are refused.
  ASSERT_EQ(components::RegisterObject(contracts::kDispatchConnector, Manager()), S_OK);
  EXPECT_EQ(Manager()->AddMsgFilter(Object(L"f").Get()), E_NOINTERFACE);
  EXPECT_HRESULT_SUCCEEDED(components::UnregisterObject(contracts::kDispatchConnector));
}

// Native idle handlers first to last, then script ones last to first, once per call; a handler
// may change the lists while it runs.
TEST_F(MessageLoopTest, IdleHandlersRunInTheirOrderOncePerCall) {
  NativeFilter n1(ScriptLog(), "N1"), n2(ScriptLog(), "N2"), n3(ScriptLog(), "N3");
  for (NativeFilter* n : {&n1, &n2}) ASSERT_TRUE(Loop().AddIdleHandler(n));
  Run(L"var s1 = I('S1'), s2 = I('S2');"
      L"msgManager.AddIdleHandler(s1); msgManager.AddIdleHandler(s2);");
  EXPECT_FALSE(Loop().OnIdle(0));
  EXPECT_EQ(Eval(L"log.join(' ')"), L"idle:N1 idle:N2 idle:S2 idle:S1");
  // N1 removes itself and adds N3 (which runs in this walk); S2 removes itself.
  Run(L"log = []; s2.then = function () { msgManager.RemoveIdleHandler(s2); };");
  n1.action = [&] {
    EXPECT_TRUE(Loop().RemoveIdleHandler(&n1));
    EXPECT_TRUE(Loop().AddIdleHandler(&n3));
  };
  Loop().OnIdle(0);
  Loop().OnIdle(1);
  EXPECT_EQ(Eval(L"log.join(' ')"),
            L"idle:N1 idle:N2 idle:N3 idle:S2 idle:S1 idle:N2 idle:N3 idle:S1");
  EXPECT_EQ(Manager()->RemoveIdleHandler(Object(L"s2").Get()), S_FALSE);
}

TEST_F(MessageLoopTest, MouseMovesDoNotRunIdleHandlersButAKeyPressDoesOnceTheQueueIsEmpty) {
  RecordingWindow window(m_log);
  std::atomic<int> delivered{0};
  window.onMessage = [this, &delivered](UINT message, WPARAM) {
    ++delivered;
    if (message == kMsgStop) Manager()->Quit(TRUE);
  };
  NativeFilter idle([this](const std::string& entry) { m_log.push_back(entry); }, "I");
  ASSERT_TRUE(Loop().AddIdleHandler(&idle));
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
  EXPECT_EQ(m_log, (Log{"idle:I", MessageEntry("window", WM_MOUSEMOVE, 0),
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
    if (message == kMsgB) {
      EXPECT_EQ(Manager()->Quit(FALSE), S_OK);
    }
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

// A manager made through the engine's class, as scripts and start-up make it, releases every
// entry when it goes.
TEST_F(MessageLoopTest, DestroyingTheManagerReleasesEveryEntry) {
  ASSERT_EQ(Module().Init(EngineObjectMap(), ::GetModuleHandleW(nullptr), &LIBID_UILib), S_OK);
  ComPtr<IMessageManager> created;
  ASSERT_EQ(Module().CreateInstance(CLSID_MessageManager, IID_PPV_ARGS(&created)), S_OK);
  Module().Term();
  {
    ComPtr<CountedEntry> entry;
    ASSERT_EQ(CountedEntry::CreateObject(entry.GetAddressOf()), S_OK);
    ASSERT_EQ(created->AddMsgFilter(static_cast<IMsgFilter*>(entry.Get())), S_OK);
    ASSERT_EQ(created->AddMsgFilter(static_cast<IMsgFilter*>(entry.Get())), S_OK);
    ASSERT_EQ(created->AddIdleHandler(static_cast<IIdleHandler*>(entry.Get())), S_OK);
  }
  EXPECT_EQ(LiveObjects<CountedEntry>::Count(), 1);
  created.Reset();
  EXPECT_EQ(LiveObjects<CountedEntry>::Count(), 0);
}

}  // namespace
}  // namespace velmor
