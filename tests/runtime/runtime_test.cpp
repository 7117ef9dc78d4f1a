// The component runtime through its real entry points: service manager, registrar, and the
// command-line, preferences, frame and timer services.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "components/component_manager.h"
#include "support/test_env.h"

namespace velmor {
namespace {

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(components::Initialize(), S_OK); }
  void TearDown() override { EXPECT_EQ(components::Shutdown(), S_OK); }
};

TEST(RuntimeEntries, AnswerUnexpectedOutsideInitialise) {
  ComPtr<IServiceManager> manager;
  EXPECT_EQ(components::GetServiceManager(&manager), E_UNEXPECTED);
  EXPECT_EQ(components::Shutdown(), E_UNEXPECTED);
  EXPECT_EQ(components::GetServiceManager(nullptr), E_POINTER);
  // Nested initialise needs as many shut downs; the manager lives until the last.
  ASSERT_EQ(components::Initialize(), S_OK);
  ASSERT_EQ(components::Initialize(), S_OK);
  EXPECT_EQ(components::Shutdown(), S_OK);
  EXPECT_EQ(components::GetServiceManager(&manager), S_OK);
  manager.Reset();
  EXPECT_EQ(components::Shutdown(), S_OK);
  EXPECT_EQ(components::GetServiceManager(&manager), E_UNEXPECTED);
}

TEST_F(RuntimeTest, ServicesAreSharedAndInstancesAreNew) {
  ComPtr<IUnknown> a, b, c, d;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&a)), S_OK);
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&b)), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, IID_PPV_ARGS(&c)), S_OK);
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, IID_PPV_ARGS(&d)), S_OK);
  EXPECT_NE(c.Get(), d.Get());
}

TEST_F(RuntimeTest, UnknownContractsAndWrongInterfacesFail) {
  ComPtr<IUnknown> object;
  EXPECT_EQ(components::GetService(L"@velmor.net/none;1", IID_PPV_ARGS(&object)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(components::CreateInstance(L"@velmor.net/none;1", IID_PPV_ARGS(&object)),
            REGDB_E_CLASSNOTREG);
  ComPtr<nsITimer> timer;
  EXPECT_EQ(components::GetService(contracts::kCommandLine, timer), E_NOINTERFACE);
  EXPECT_EQ(components::GetService(nullptr, IID_PPV_ARGS(&object)), E_INVALIDARG);
  // Contracts are exact: another letter case is another contract.
  EXPECT_EQ(components::GetService(L"@VELMOR.NET/command-line;1", IID_PPV_ARGS(&object)),
            REGDB_E_CLASSNOTREG);
}

class Marker final : public ComObject<Marker, IUnknown> {};

TEST_F(RuntimeTest, RegisteredObjectsAreServedUntilUnregistered) {
  ComPtr<IUnknown> marker;
  ASSERT_EQ(Marker::Create(marker), S_OK);
  ASSERT_EQ(components::RegisterObject(L"thing", marker.Get()), S_OK);
  ComPtr<IUnknown> found;
  ASSERT_EQ(components::GetService(L"thing", IID_PPV_ARGS(&found)), S_OK);
  EXPECT_EQ(found.Get(), marker.Get());
  found.Reset();
  // A registered name takes precedence over a contract of the same name.
  ASSERT_EQ(components::RegisterObject(contracts::kCommandLine, marker.Get()), S_OK);
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&found)), S_OK);
  EXPECT_EQ(found.Get(), marker.Get());
  found.Reset();
  EXPECT_EQ(components::UnregisterObject(contracts::kCommandLine), S_OK);
  EXPECT_EQ(components::UnregisterObject(L"thing"), S_OK);
  EXPECT_EQ(components::UnregisterObject(L"thing"), S_FALSE);
  EXPECT_FAILED(components::GetService(L"thing", IID_PPV_ARGS(&found)));
  EXPECT_EQ(LiveObjects<Marker>::Count(), 1);
  marker.Reset();
  EXPECT_EQ(LiveObjects<Marker>::Count(), 0);
}

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

TEST_F(RuntimeTest, RegistrarAddsFactoriesByContract) {
  ComPtr<IServiceManager> manager;
  ASSERT_EQ(components::GetServiceManager(&manager), S_OK);
  ComPtr<IServiceProvider> provider;
  ASSERT_EQ(manager.As(&provider), S_OK);
  ComPtr<IComponentRegistrar> registrar;
  EXPECT_EQ(provider->QueryService(IID_IUnknown, IID_PPV_ARGS(&registrar)), E_NOINTERFACE);
  ASSERT_EQ(provider->QueryService(SID_VmrtComponentRegistrar, IID_PPV_ARGS(&registrar)), S_OK);

  CountingFactory* factory = nullptr;
  ASSERT_EQ(CountingFactory::CreateObject(&factory), S_OK);
  const CLSID cid = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
  ASSERT_EQ(registrar->registerFactory(cid, L"Counting", L"@velmor.net/test/counting;1", factory),
            S_OK);
  ComPtr<IUnknown> a, b, c;
  ASSERT_EQ(components::GetService(L"@velmor.net/test/counting;1", IID_PPV_ARGS(&a)), S_OK);
  ASSERT_EQ(components::GetService(L"@velmor.net/test/counting;1", IID_PPV_ARGS(&b)), S_OK);
  ASSERT_EQ(components::CreateInstance(L"@velmor.net/test/counting;1", IID_PPV_ARGS(&c)), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  EXPECT_EQ(factory->created, 2);
  EXPECT_EQ(registrar->unregisterFactory(cid, factory), S_OK);
  EXPECT_EQ(registrar->unregisterFactory(cid, factory), S_FALSE);
  factory->Release();
}

// A script-like handler: records the arguments it is invoked with.
class RecordingHandler final : public ComObject<RecordingHandler, IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (id != DISPID_VALUE || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    lines.emplace_back(params->rgvarg[1].bstrVal);
    remotes.push_back(params->rgvarg[0].lVal);
    return S_OK;
  }
  std::vector<std::wstring> lines;
  std::vector<LONG> remotes;
};

TEST_F(RuntimeTest, CommandLineServiceKeepsAndCountsWhatItReceives) {
  ComPtr<ICommandLineService> service;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, service), S_OK);
  RecordingHandler* raw = nullptr;
  ASSERT_EQ(RecordingHandler::CreateObject(&raw), S_OK);
  ComPtr<RecordingHandler> handler = AdoptRef(raw);
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = handler.Get();
  ASSERT_EQ(service->put_onCommandLine(v), S_OK);
  VARIANT bad;
  bad.vt = VT_I4;
  bad.lVal = 1;
  EXPECT_EQ(service->put_onCommandLine(bad), E_INVALIDARG);

  UniqueBstr local(L"-start \"two words\"");
  UniqueBstr remote(L"\"C:\\Program Files\\Velmor\\Velmor.exe\" -open x");
  ASSERT_EQ(service->ParseCommandLine(local.Get(), 0), S_OK);
  ASSERT_EQ(service->ProcessCommandLine(), S_OK);
  ASSERT_EQ(service->ParseCommandLine(remote.Get(), 1), S_OK);

  LONG received = 0, remotes = 0, processed = 0, flag = 0, args = 0;
  service->get_receivedCount(&received);
  service->get_remoteCount(&remotes);
  service->get_processedCount(&processed);
  service->get_remote(&flag);
  service->get_argumentCount(&args);
  EXPECT_EQ(received, 2);
  EXPECT_EQ(remotes, 1);
  EXPECT_EQ(processed, 1);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(args, 3);
  UniqueBstr text, arg0;
  service->get_commandLine(text.Put());
  EXPECT_EQ(text.View(), remote.View());
  service->argument(0, arg0.Put());
  EXPECT_EQ(arg0.View(), L"C:\\Program Files\\Velmor\\Velmor.exe");
  UniqueBstr none;
  EXPECT_EQ(service->argument(3, none.Put()), E_INVALIDARG);
  ASSERT_EQ(handler->lines.size(), 1u);
  EXPECT_EQ(handler->lines[0], L"-start \"two words\"");
  EXPECT_EQ(handler->remotes[0], 0);
}

TEST_F(RuntimeTest, PreferencesAreRegistryDwordsAndMissingOnesFail) {
  ComPtr<IPreferencesService> prefs;
  ASSERT_EQ(components::GetService(contracts::kPreferences, prefs), S_OK);
  ASSERT_EQ(prefs->ClearPref(L"test.flag"), S_OK);
  VARIANT_BOOL b = 7;
  EXPECT_FAILED(prefs->GetBoolPref(L"test.flag", &b));
  EXPECT_EQ(b, 7);  // untouched on failure
  ASSERT_EQ(prefs->SetBoolPref(L"test.flag", VARIANT_TRUE), S_OK);
  ASSERT_EQ(prefs->GetBoolPref(L"test.flag", &b), S_OK);
  EXPECT_EQ(b, VARIANT_TRUE);
  ASSERT_EQ(prefs->SetIntPref(L"test.flag", 0), S_OK);
  ASSERT_EQ(prefs->GetBoolPref(L"test.flag", &b), S_OK);
  EXPECT_EQ(b, VARIANT_FALSE);
  EXPECT_EQ(prefs->SavePrefs(nullptr), S_OK);

  // Scripts reach the same values by name.
  ComPtr<IDispatch> disp;
  ASSERT_EQ(prefs.As(&disp), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"GETBOOLPREF");
  DISPID id = 0;
  ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  VARIANT arg;
  arg.vt = VT_BSTR;
  arg.bstrVal = ::SysAllocString(L"test.flag");
  DISPPARAMS params{&arg, nullptr, 1, 0};
  UniqueVariant result;
  ASSERT_EQ(disp->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_OK);
  ::VariantClear(&arg);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
  EXPECT_EQ(prefs->ClearPref(L"test.flag"), S_OK);
}

TEST_F(RuntimeTest, FrameServiceRecordsResizerCommandsByName) {
  ComPtr<IDispatch> frame;
  ASSERT_EQ(components::GetService(contracts::kFrame, frame), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"ResizerCommand");
  DISPID id = 0;
  ASSERT_EQ(frame->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  VARIANT args[2];
  args[1].vt = VT_I4;
  args[1].lVal = 5;
  args[0].vt = VT_I4;
  args[0].lVal = 1;
  DISPPARAMS params{args, nullptr, 2, 0};
  ASSERT_EQ(frame->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  ComPtr<IFrameService> service;
  ASSERT_EQ(frame.As(&service), S_OK);
  LONG count = 0, command = 0, argument = 0;
  service->get_commandCount(&count);
  service->get_lastCommand(&command);
  service->get_lastArgument(&argument);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(command, 5);
  EXPECT_EQ(argument, 1);
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

TEST_F(RuntimeTest, OneShotTimerFiresOnceOnTheArmingThread) {
  ComPtr<nsITimer> timer;
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
  TimerProbe probe;
  EXPECT_EQ(timer->InitWithFuncCallback(nullptr, &probe, 10, 0), E_POINTER);
  EXPECT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 10, 3), E_INVALIDARG);
  ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 10, 0), S_OK);
  test::PumpFor(200);
  ASSERT_EQ(probe.threads.size(), 1u);
  EXPECT_EQ(probe.threads[0], ::GetCurrentThreadId());
  EXPECT_EQ(probe.timer, timer.Get());
}

TEST_F(RuntimeTest, RepeatingTimerRunsUntilCancelledAndKeepsItselfAlive) {
  TimerProbe probe;
  probe.cancelAfter = 3;
  {
    ComPtr<nsITimer> timer;
    ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
    ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 10, 1), S_OK);
    ULONG type = 9;
    timer->GetType(&type);
    EXPECT_EQ(type, 1u);
  }  // the armed timer holds its own reference
  ASSERT_TRUE(test::PumpUntil([&] { return probe.threads.size() >= 3; }, 2000));
  test::PumpFor(100);
  EXPECT_EQ(probe.threads.size(), 3u);
}

TEST_F(RuntimeTest, SetDelayChangesTheIntervalAndCancelStops) {
  ComPtr<nsITimer> timer;
  ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
  TimerProbe probe;
  ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 5000, 1), S_OK);
  ASSERT_EQ(timer->SetDelay(10), S_OK);
  ULONG delay = 0;
  timer->GetDelay(&delay);
  EXPECT_EQ(delay, 10u);
  ASSERT_TRUE(test::PumpUntil([&] { return probe.threads.size() >= 2; }, 2000));
  ASSERT_EQ(timer->Cancel(), S_OK);
  const size_t fired = probe.threads.size();
  test::PumpFor(100);
  EXPECT_EQ(probe.threads.size(), fired);
  EXPECT_EQ(timer->Cancel(), S_OK);  // cancelling twice is harmless
}

TEST(RuntimeShutdown, CancelsArmedTimers) {
  ASSERT_EQ(components::Initialize(), S_OK);
  TimerProbe probe;
  {
    ComPtr<nsITimer> timer;
    ASSERT_EQ(components::CreateInstance(contracts::kTimer, timer), S_OK);
    ASSERT_EQ(timer->InitWithFuncCallback(&OnTimer, &probe, 10, 1), S_OK);
  }
  ASSERT_EQ(components::Shutdown(), S_OK);
  test::PumpFor(100);
  EXPECT_TRUE(probe.threads.empty());
}

}  // namespace
}  // namespace velmor
