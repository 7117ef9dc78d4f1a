// The component runtime through its real entry points: the service manager and registrar, the
// services scripts use (driven from real JScript), the platform timer, and the dispatch
// connector putting real script objects behind the vtable interfaces of the engine's library.
#include <gtest/gtest.h>

#include <windows.h>
#include <dispex.h>

#include <memory>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "components/component_manager.h"
#include "support/script_runner.h"
#include "support/test_env.h"
#include "typelib/type_library.h"
#include "ui_h.h"

namespace velmor {
namespace {

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    m_script = std::make_unique<test::ScriptRunner>();
    ASSERT_EQ(m_script->Ready(), S_OK);
  }
  void TearDown() override {
    m_script.reset();  // scripts let go of the services before the runtime goes
    EXPECT_EQ(components::Shutdown(), S_OK);
  }
  std::wstring Eval(const wchar_t* expression) { return m_script->Text(expression); }
  ComPtr<IDispatch> Object(const wchar_t* expression) { return m_script->Object(expression); }
  std::unique_ptr<test::ScriptRunner> m_script;
};

class Marker final : public ComObject<Marker, IUnknown> {};

class CountingFactory final : public ComObject<CountingFactory, IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** object) override {
    ++created;
    ComPtr<IUnknown> marker;
    RETURN_IF_FAILED(Marker::Create(marker));
    return marker->QueryInterface(iid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  int created = 0;
};

TEST_F(RuntimeTest, ServicesInstancesRegisteredObjectsAndFactories) {
  ComPtr<IUnknown> a, b, c, d;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&a)), S_OK);
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&b)), S_OK);
  EXPECT_EQ(a.Get(), b.Get()) << "services are shared";
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, IID_PPV_ARGS(&c)), S_OK);
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, IID_PPV_ARGS(&d)), S_OK);
  EXPECT_NE(c.Get(), d.Get()) << "instances are new";
  ComPtr<IUnknown> found;
  EXPECT_EQ(components::GetService(L"@velmor.net/none;1", IID_PPV_ARGS(&found)), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(components::CreateInstance(L"@velmor.net/none;1", IID_PPV_ARGS(&found)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(components::GetService(L"@VELMOR.NET/command-line;1", IID_PPV_ARGS(&found)),
            REGDB_E_CLASSNOTREG) << "contracts are exact";

  // Factories registered by contract: one service object, new instances.
  ComPtr<IServiceManager> manager;
  ComPtr<IServiceProvider> provider;
  ComPtr<IComponentRegistrar> registrar;
  ASSERT_EQ(components::GetServiceManager(&manager), S_OK);
  ASSERT_EQ(manager.As(&provider), S_OK);
  EXPECT_EQ(provider->QueryService(IID_IUnknown, IID_PPV_ARGS(&registrar)), E_NOINTERFACE);
  ASSERT_EQ(provider->QueryService(SID_VmrtComponentRegistrar, IID_PPV_ARGS(&registrar)), S_OK);
  CountingFactory* factory = nullptr;
  ASSERT_EQ(CountingFactory::CreateObject(&factory), S_OK);
  const CLSID cid = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
  const wchar_t* contract = L"@velmor.net/test/counting;1";
  ASSERT_EQ(registrar->registerFactory(cid, L"Counting", contract, factory), S_OK);
  ASSERT_EQ(components::GetService(contract, IID_PPV_ARGS(&a)), S_OK);
  ASSERT_EQ(components::GetService(contract, IID_PPV_ARGS(&b)), S_OK);
  ASSERT_EQ(components::CreateInstance(contract, IID_PPV_ARGS(&c)), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  EXPECT_EQ(factory->created, 2);
  EXPECT_EQ(registrar->unregisterFactory(cid, factory), S_OK);
  EXPECT_EQ(registrar->unregisterFactory(cid, factory), S_FALSE);
  factory->Release();
}

// The services as scripts see them: the command line with its handler, preferences by name and
// the frame service's resizer commands.
TEST_F(RuntimeTest, ScriptsUseTheCommandLinePreferencesAndFrameServices) {
  ComPtr<ICommandLineService> cmdline;
  ComPtr<IPreferencesService> prefs;
  ComPtr<IFrameService> frame;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, cmdline), S_OK);
  ASSERT_EQ(components::GetService(contracts::kPreferences, prefs), S_OK);
  ASSERT_EQ(components::GetService(contracts::kFrame, frame), S_OK);
  ASSERT_EQ(m_script->AddObject(L"cmdlineMgr", cmdline.Get()), S_OK);
  ASSERT_EQ(m_script->AddObject(L"prefs", prefs.Get()), S_OK);
  ASSERT_EQ(m_script->AddObject(L"frame", frame.Get()), S_OK);

  ASSERT_EQ(m_script->Execute(L"var heard = [];"
                              L"cmdlineMgr.onCommandLine = function (line, remote) {"
                              L"  heard.push(remote + ':' + line); };"),
            S_OK);
  EXPECT_FAILED(m_script->Execute(L"cmdlineMgr.onCommandLine = 1;"));
  UniqueBstr local(L"-start \"two words\"");
  UniqueBstr remote(L"\"C:\\Program Files\\Velmor\\Velmor.exe\" -open x");
  ASSERT_EQ(cmdline->ParseCommandLine(local.Get(), 0), S_OK);
  ASSERT_EQ(cmdline->ProcessCommandLine(), S_OK);
  ASSERT_EQ(cmdline->ParseCommandLine(remote.Get(), 1), S_OK);
  EXPECT_EQ(Eval(L"heard.join('|')"), L"0:-start \"two words\"") << "handed over when processed";
  EXPECT_EQ(Eval(L"[cmdlineMgr.receivedCount, cmdlineMgr.remoteCount, cmdlineMgr.processedCount,"
                 L" cmdlineMgr.remote, cmdlineMgr.argumentCount, cmdlineMgr.argument(0),"
                 L" cmdlineMgr.commandLine == '\"C:\\\\Program Files\\\\Velmor\\\\Velmor.exe\" -open x']"
                 L".join()"),
            L"2,1,1,1,3,C:\\Program Files\\Velmor\\Velmor.exe,true");
  UniqueBstr none;
  EXPECT_EQ(cmdline->argument(3, none.Put()), E_INVALIDARG);

  // Preferences are registry values; a missing one fails and leaves the value alone.
  ASSERT_EQ(prefs->ClearPref(L"test.flag"), S_OK);
  VARIANT_BOOL b = 7;
  EXPECT_FAILED(prefs->GetBoolPref(L"test.flag", &b));
  EXPECT_EQ(b, 7);
  EXPECT_EQ(Eval(L"prefs.SetBoolPref('test.flag', true), String(prefs.GETBOOLPREF('test.flag'))"), L"true");
  EXPECT_EQ(Eval(L"prefs.SetIntPref('test.flag', 0), String(prefs.getBoolPref('test.flag'))"), L"false");
  EXPECT_EQ(prefs->SavePrefs(nullptr), S_OK);
  EXPECT_EQ(prefs->ClearPref(L"test.flag"), S_OK);

  ASSERT_EQ(m_script->Execute(L"frame.ResizerCommand(5, 1);"), S_OK);
  EXPECT_EQ(Eval(L"[frame.commandCount, frame.lastCommand, frame.lastArgument].join()"), L"1,5,1");
}

struct TimerProbe {
  std::vector<DWORD> threads;
  nsITimer* timer = nullptr;
  int cancelAfter = 0;
};

void CALLBACK OnTimer(nsITimer* timer, void* closure) {
  auto* probe = static_cast<TimerProbe*>(closure);
  probe->threads.push_back(::GetCurrentThreadId());
  probe->timer = timer;
  if (probe->cancelAfter != 0 && static_cast<int>(probe->threads.size()) == probe->cancelAfter)
    timer->Cancel();
}

// One-shot and repeating timers call back on the arming thread; an armed timer keeps itself
// alive until cancelled; SetDelay changes the interval; shutting down cancels armed timers.
TEST_F(RuntimeTest, PlatformTimers) {
  ComPtr<nsITimer> once, repeating;
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, once), S_OK);
  TimerProbe onceProbe, repeatProbe, laterProbe;
  repeatProbe.cancelAfter = 3;
  EXPECT_EQ(once->InitWithFuncCallback(&OnTimer, &onceProbe, 10, 3), E_INVALIDARG);
  ASSERT_EQ(once->InitWithFuncCallback(&OnTimer, &onceProbe, 10, 0), S_OK);
  {
    ComPtr<nsITimer> timer;
    ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
    ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &repeatProbe, 10, 1), S_OK);
    ULONG type = 9;
    timer->GetType(&type);
    EXPECT_EQ(type, 1u);
  }  // the armed timer holds its own reference
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, repeating), S_OK);
  ASSERT_EQ(repeating->InitWithFuncCallback(&OnTimer, &laterProbe, 5000, 1), S_OK);
  ASSERT_EQ(repeating->SetDelay(10), S_OK);
  ULONG delay = 0;
  repeating->GetDelay(&delay);
  EXPECT_EQ(delay, 10u);
  ASSERT_TRUE(test::PumpUntil([&] { return laterProbe.threads.size() >= 2; }, 2000));
  ASSERT_EQ(repeating->Cancel(), S_OK);
  EXPECT_EQ(repeating->Cancel(), S_OK) << "cancelling twice is harmless";
  const size_t fired = laterProbe.threads.size();
  test::PumpFor(100);
  EXPECT_EQ(laterProbe.threads.size(), fired);
  ASSERT_EQ(onceProbe.threads.size(), 1u);
  EXPECT_EQ(onceProbe.threads[0], ::GetCurrentThreadId());
  EXPECT_EQ(onceProbe.timer, once.Get());
  EXPECT_EQ(repeatProbe.threads.size(), 3u);
}

// The runtime nests; the last shut-down cancels the timers still armed.
TEST(RuntimeEntries, AnswerUnexpectedOutsideInitialiseNestAndCancelArmedTimers) {
  ComPtr<IServiceManager> manager;
  EXPECT_EQ(components::GetServiceManager(&manager), E_UNEXPECTED);
  EXPECT_EQ(components::Shutdown(), E_UNEXPECTED);
  ASSERT_EQ(components::Initialize(), S_OK);
  ASSERT_EQ(components::Initialize(), S_OK);
  EXPECT_EQ(components::Shutdown(), S_OK);
  EXPECT_EQ(components::GetServiceManager(&manager), S_OK) << "alive until the last shut down";
  manager.Reset();
  TimerProbe probe;
  {
    ComPtr<nsITimer> timer;
    ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
    ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 10, 1), S_OK);
  }
  EXPECT_EQ(components::Shutdown(), S_OK);
  EXPECT_EQ(components::GetServiceManager(&manager), E_UNEXPECTED);
  test::PumpFor(100);
  EXPECT_TRUE(probe.threads.empty());
}

// ---- the dispatch connector ------------------------------------------------------------------

class ConnectorTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ASSERT_EQ(components::GetService(contracts::kDispatchConnector, m_connector), S_OK);
    ASSERT_EQ(m_script->Execute(L"var calls = [], kept = null;"), S_OK);
  }
  void TearDown() override {
    m_connector.Reset();
    RuntimeTest::TearDown();
  }
  template <class I>
  HRESULT Connect(IUnknown* object, ComPtr<I>& out) {
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetEngineTypeInfo(__uuidof(I), &info));
    return m_connector->ConnectDispatch(object, info.Get(), __uuidof(I),
                                        reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
  }
  ComPtr<IDispatchConnector> m_connector;
};

// A filter's answer: its result when it gives one, else msg.bProcessed, else the value the
// caller passed in; the message is a copy the script may keep.
TEST_F(ConnectorTest, FilterAnswersAndTheMessageObject) {
  ComPtr<IDispatch> script = Object(
      L"({ PreTranslateMessage: function (msg, processed) {"
      L"  calls.push([msg.hwnd, msg.message, msg.wParam, msg.lParam, msg.time, msg.pt.x, msg.pt.y,"
      L"              processed].join());"
      L"  kept = msg;"
      L"  if (msg.wParam == 1) return true;"
      L"  if (msg.wParam == 2) return false;"
      L"  if (msg.wParam == 3) return 5;"
      L"  if (msg.wParam == 4) msg.bProcessed = true;"
      L"  if (msg.wParam == 5) { msg.bProcessed = true; return false; }"
      L"} })");
  ComPtr<IMsgFilter> filter;
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  const struct {
    WPARAM wParam;
    BOOL before, after;
  } cases[] = {{0, FALSE, FALSE}, {0, TRUE, TRUE}, {1, FALSE, TRUE}, {2, TRUE, FALSE},
               {3, FALSE, 5},     {4, FALSE, TRUE}, {5, FALSE, FALSE},
               {sizeof(WPARAM) == 8 ? static_cast<WPARAM>(0x123456789ull) : 0x80000000u, 0, 0}};
  for (const auto& c : cases) {
    MSG msg{reinterpret_cast<HWND>(static_cast<INT_PTR>(0x2a)), 0x100, c.wParam, -7, 99, {3, -4}};
    BOOL processed = c.before;
    EXPECT_EQ(filter->PreTranslateMessage(&msg, &processed), S_OK);
    EXPECT_EQ(processed, c.after) << "case " << (&c - cases);
    msg.message = 0;  // the record changes after the call; the script's copy does not
  }
  EXPECT_EQ(Eval(L"calls[2]"), L"42,256,1,-7,99,3,-4,0");
  EXPECT_EQ(Eval(L"calls[1]"), L"42,256,0,-7,99,3,-4,1");
  EXPECT_EQ(Eval(L"calls[7]"), sizeof(WPARAM) == 8 ? L"42,256,4886718345,-7,99,3,-4,0"
                                                   : L"42,256,2147483648,-7,99,3,-4,0")
      << "wide values reach the script whole";
  EXPECT_EQ(Eval(L"kept.message + ',' + kept.pt.y"), L"256,-4");
}

// What cannot be called is refused when connecting; a script's failure comes back as one, and
// an object without the member is called itself, which works only for a function.
TEST_F(ConnectorTest, RefusesWhatItCannotCallAndPassesFailuresOn) {
  ComPtr<IDispatch> thrower = Object(
      L"({ PreTranslateMessage: function () { throw new Error('no'); },"
      L"   OnIdle: function () { throw new Error('no'); } })");
  ComPtr<ITypeInfo> description;
  ASSERT_EQ(GetEngineTypeInfo(IID_IIdleHandler, &description), S_OK);
  void* out = nullptr;
  ComPtr<IUnknown> marker;
  ASSERT_EQ(Marker::Create(marker), S_OK);
  EXPECT_EQ(m_connector->ConnectDispatch(marker.Get(), description.Get(), IID_IIdleHandler, &out),
            E_NOINTERFACE) << "nothing to call";
  EXPECT_EQ(m_connector->ConnectDispatch(thrower.Get(), description.Get(), IID_IMsgFilter, &out),
            E_INVALIDARG) << "the description must be the wanted interface's";
  // A DATE travels in a floating-point register on x64: such signatures are refused.
  ComPtr<IDOMDateTimePicker> picker;
  EXPECT_EQ(Connect(thrower.Get(), picker), E_NOTIMPL);

  ComPtr<IMsgFilter> filter;
  ComPtr<IIdleHandler> idle;
  ASSERT_EQ(Connect(thrower.Get(), filter), S_OK);
  MSG msg{};
  BOOL processed = FALSE;
  EXPECT_FAILED(filter->PreTranslateMessage(&msg, &processed));
  EXPECT_EQ(processed, FALSE);
  for (const wchar_t* object : {L"({ OnIdle: function () { throw new Error('no'); } })", L"({})",
                                L"(function () { calls.push('called'); })"}) {
    ASSERT_EQ(Connect(Object(object).Get(), idle), S_OK);
    EXPECT_EQ(SUCCEEDED(idle->OnIdle()), object[1] == L'f') << object;
  }
  EXPECT_EQ(Eval(L"calls.join()"), L"called");
}

TEST_F(ConnectorTest, DualInterfacesForwardPropertiesAndResults) {
  ComPtr<IDispatch> script = Object(
      L"({ Tile: false, alert: function (m, t) { calls.push(m + '/' + t); },"
      L"   echoTickCount: function () { return 42; } })");
  ComPtr<IMainWindow> window;
  ASSERT_EQ(Connect(script.Get(), window), S_OK);
  EXPECT_EQ(window->put_Tile(VARIANT_TRUE), S_OK);
  VARIANT_BOOL tile = VARIANT_FALSE;
  EXPECT_EQ(window->get_Tile(&tile), S_OK);
  EXPECT_EQ(tile, VARIANT_TRUE);
  UniqueBstr message(L"hello"), title(L"t");
  EXPECT_EQ(window->alert(message.Get(), title.Get()), S_OK);
  long ticks = 0;
  EXPECT_EQ(window->echoTickCount(&ticks), S_OK);
  EXPECT_EQ(ticks, 42);
  EXPECT_EQ(Eval(L"calls.join()"), L"hello/t");
  // The interface's IDispatch part reaches the script object's members.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(window.As(&dispatch), S_OK);
  std::wstring name(L"echoTickCount");
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  DISPPARAMS none{};
  UniqueVariant result;
  ASSERT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, result.Put(), nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.lVal, 42);
}

// An object with IDispatch only (no IDispatchEx), answering "OnIdle" by name.
class PlainDispatch final : public ComObject<PlainDispatch, IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    *id = 1;
    return std::wstring(names[0]) == L"OnIdle" ? S_OK : DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    calls += id == 1;
    return id == 1 ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  int calls = 0;
};

TEST_F(ConnectorTest, AdaptersAnswerForTheirScriptObjectAndReleaseIt) {
  ComPtr<IDispatch> script = Object(L"({ OnIdle: function () {}, PreTranslateMessage: function () {} })");
  ComPtr<IDispatch> other = Object(L"({ OnIdle: function () {} })");
  ComPtr<IIdleHandler> idle;
  ComPtr<IMsgFilter> filter;
  ASSERT_EQ(Connect(script.Get(), idle), S_OK);
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  ComPtr<IObjectIdentity> identity;
  ASSERT_EQ(idle.As(&identity), S_OK);
  EXPECT_EQ(identity->IsEqualObject(script.Get()), S_OK);
  EXPECT_EQ(identity->IsEqualObject(filter.Get()), S_OK) << "another adapter of the same object";
  EXPECT_EQ(identity->IsEqualObject(other.Get()), S_FALSE);
  // The adapter is a COM object of its own: one identity for its interfaces.
  EXPECT_TRUE(IsSameObject(idle.Get(), identity.Get()));
  EXPECT_FALSE(IsSameObject(idle.Get(), script.Get()));
  ComPtr<IMsgFilter> wrong;
  EXPECT_EQ(idle.As(&wrong), E_NOINTERFACE);
  // Objects with IDispatch only are called by name, and released with their adapter.
  PlainDispatch* plain = nullptr;
  ASSERT_EQ(PlainDispatch::CreateObject(&plain), S_OK);
  ASSERT_EQ(Connect(plain, idle), S_OK);
  EXPECT_EQ(idle->OnIdle(), S_OK);
  EXPECT_EQ(idle->OnIdle(), S_OK);
  EXPECT_EQ(plain->calls, 2);
  plain->Release();
  EXPECT_EQ(LiveObjects<PlainDispatch>::Count(), 1);
  idle.Reset();
  EXPECT_EQ(LiveObjects<PlainDispatch>::Count(), 0);
}

}  // namespace
}  // namespace velmor
