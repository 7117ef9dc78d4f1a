// The application script host with the real JScript engine: named items, the site, parsing,
// calling global functions by name, closing, and the prelude in every engine.
#include <gtest/gtest.h>

#include <string>

#include "script/app_script_host.h"
#include "script/dispatch_bridge.h"
#include "typelib/type_library.h"
#include "script/sub_script_loader.h"
#include "script_test_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::CProbe;
using test::MakeProbe;
using test::ScriptHost;

TEST(ScriptHostIdentity, SiteIsIdentityAndDispatchIsTheLoaders) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<IUnknown> identity, site, fromLoader;
  ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  ASSERT_EQ(
      host->QueryInterface(IID_IActiveScriptSite, reinterpret_cast<void**>(site.GetAddressOf())),
      S_OK);
  EXPECT_EQ(identity.Get(), site.Get());

  ComPtr<IJSSubScriptLoader> loader;
  ComPtr<IDispatch> hostDispatch, loaderDispatch;
  ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&loader)), S_OK);
  ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&hostDispatch)), S_OK);
  ASSERT_EQ(loader->QueryInterface(IID_PPV_ARGS(&loaderDispatch)), S_OK);
  EXPECT_EQ(hostDispatch.Get(), loaderDispatch.Get());
  // The aggregated loader answers IUnknown with its owner's identity.
  ASSERT_EQ(loader->QueryInterface(IID_PPV_ARGS(&fromLoader)), S_OK);
  EXPECT_EQ(fromLoader.Get(), identity.Get());
  // Debugging is off: the debug support's interfaces are not answered.
  ComPtr<IScriptControlDebug> debug;
  EXPECT_EQ(host->QueryInterface(IID_PPV_ARGS(&debug)), E_NOINTERFACE);
  EXPECT_EQ(debug.Get(), nullptr);
}

TEST(ScriptHostSite, LocaleAndOutPointers) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<IActiveScriptSite> site;
  ComPtr<IActiveScriptSiteWindow> window;
  ASSERT_EQ(
      host->QueryInterface(IID_IActiveScriptSite, reinterpret_cast<void**>(site.GetAddressOf())),
      S_OK);
  ASSERT_EQ(host->QueryInterface(IID_IActiveScriptSiteWindow,
                                 reinterpret_cast<void**>(window.GetAddressOf())),
            S_OK);
  LCID lcid = 0;
  EXPECT_EQ(site->GetLCID(nullptr), E_POINTER);
  EXPECT_EQ(site->GetLCID(&lcid), S_OK);
  EXPECT_EQ(lcid, ::GetUserDefaultLCID());
  BSTR version = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(site->GetDocVersionString(nullptr), E_POINTER);
  EXPECT_EQ(site->GetDocVersionString(&version), E_NOTIMPL);
  EXPECT_EQ(version, nullptr);
  HWND hwnd = reinterpret_cast<HWND>(1);
  EXPECT_EQ(window->GetWindow(nullptr), E_POINTER);
  EXPECT_EQ(window->GetWindow(&hwnd), E_NOTIMPL);
  EXPECT_EQ(hwnd, nullptr);
}

TEST(ScriptHostObjects, DuplicatesFailAndKeepTheFirstObject) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<CProbe> first = MakeProbe(11), second = MakeProbe(22), other = MakeProbe(33);
  EXPECT_EQ(host->AddObject(L"probe", first->GetUnknown()), S_OK);
  EXPECT_EQ(host->AddObject(L"probe", second->GetUnknown()), E_FAIL);
  // Another letter case is another item.
  EXPECT_EQ(host->AddObject(L"Probe", other->GetUnknown()), S_OK);
  EXPECT_EQ(host.EvalLong(L"probe.value"), 11);
  EXPECT_EQ(host.EvalLong(L"Probe.value"), 33);
  EXPECT_EQ(second->calls(), 0);
}

TEST(ScriptHostObjects, NullArgumentsAndMissingEngine) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<CProbe> probe = MakeProbe(1);
  EXPECT_EQ(host->AddObject(nullptr, probe->GetUnknown()), E_POINTER);
  EXPECT_EQ(host->AddObject(L"probe", nullptr), E_POINTER);
  EXPECT_EQ(host->AddCode(nullptr, L""), E_POINTER);
  EXPECT_EQ(host->Evaluate(nullptr, L"", nullptr), E_POINTER);
  EXPECT_EQ(host->Run(nullptr, nullptr, 0, nullptr), E_POINTER);

  // A host whose engine was never created.
  CJScript* bare = nullptr;
  ASSERT_EQ(CJScript::CreateObject(&bare), S_OK);
  ComPtr<IScriptControl> control(static_cast<IScriptControl*>(bare));
  bare->Release();
  UniqueVariant result;
  EXPECT_EQ(control->AddObject(L"probe", probe->GetUnknown()), E_UNEXPECTED);
  EXPECT_EQ(control->AddCode(L"1", L""), E_UNEXPECTED);
  EXPECT_EQ(control->Evaluate(L"1", L"", result.Put()), E_UNEXPECTED);
  EXPECT_EQ(control->Run(L"MainStartup", nullptr, 0, result.Put()), E_UNEXPECTED);
}

TEST(ScriptHostObjects, CloseEngineThenEveryCallIsUnexpected) {
  const long hostsBefore = LiveObjects<CJScript>::Count();
  const long loadersBefore = LiveObjects<CJSSubScriptLoader>::Count();
  {
    ScriptHost host;
    ASSERT_EQ(host.created(), S_OK);
    ASSERT_EQ(host->AddCode(L"function MainStartup() { return 1; }", L""), S_OK);
    ComPtr<IAppScriptHost> app;
    ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&app)), S_OK);
    EXPECT_EQ(app->CloseEngine(), S_OK);
    EXPECT_EQ(app->CloseEngine(), S_OK);  // a second close finds nothing to close
    ComPtr<CProbe> probe = MakeProbe(1);
    UniqueVariant result;
    EXPECT_EQ(host->AddObject(L"late", probe->GetUnknown()), E_UNEXPECTED);
    EXPECT_EQ(host->AddCode(L"var x = 1;", L""), E_UNEXPECTED);
    EXPECT_EQ(host->Evaluate(L"1 + 1", L"", result.Put()), E_UNEXPECTED);
    EXPECT_EQ(host->Run(L"MainStartup", nullptr, 0, result.Put()), E_UNEXPECTED);
  }
  // Closing breaks the engine's hold on its site: nothing is left behind.
  EXPECT_EQ(LiveObjects<CJScript>::Count(), hostsBefore);
  EXPECT_EQ(LiveObjects<CJSSubScriptLoader>::Count(), loadersBefore);
}

TEST(ScriptHostItems, GetItemInfoRules) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  // "ScriptLoader" is the host itself, whose IDispatch is the loader's.
  ComPtr<IUnknown> identity;
  ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  test::CheckItemInfoRules(
      identity.Get(),
      [&](const wchar_t* name, IUnknown* object) { return host->AddObject(name, object); },
      identity.Get());
}

TEST(ScriptHostParse, EvaluateAddCodeAndItemNames) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  UniqueVariant result;
  ASSERT_EQ(host->Evaluate(L"6 * 7", nullptr, result.Put()), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 42);
  // Without a result pointer the expression still runs.
  ASSERT_EQ(host->AddCode(L"var counter = 0;", L""), S_OK);
  EXPECT_EQ(host->Evaluate(L"counter = counter + 5", L"", nullptr), S_OK);
  EXPECT_EQ(host.EvalLong(L"counter"), 5);
  // Text under an unknown item fails.
  EXPECT_FAILED(host->AddCode(L"var z = 1;", L"noSuchItem"));
  // A run-time error comes back as the call's result.
  EXPECT_FAILED(host->AddCode(L"noSuchFunction();", L""));
}

// Start-up hands "MainStartup"'s value to its caller: nothing, true, false or a number.
TEST(ScriptHostRun, MainStartupResultsReachTheCaller) {
  struct Case {
    const wchar_t* body;
    VARTYPE vt;
    long value;
  };
  const Case cases[] = {
      {L"function MainStartup() {}", VT_EMPTY, 0},
      {L"function MainStartup() { return true; }", VT_BOOL, VARIANT_TRUE},
      {L"function MainStartup() { return false; }", VT_BOOL, VARIANT_FALSE},
      {L"function MainStartup() { return 7; }", VT_I4, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.body);
    ScriptHost host;
    ASSERT_EQ(host.created(), S_OK);
    ASSERT_EQ(host->AddCode(c.body, L""), S_OK);
    UniqueVariant result;
    ASSERT_EQ(host->Run(L"MainStartup", nullptr, 0, result.Put()), S_OK);
    EXPECT_EQ(result.vt, c.vt);
    if (c.vt == VT_BOOL) {
      EXPECT_EQ(result.boolVal, static_cast<VARIANT_BOOL>(c.value));
    }
    if (c.vt == VT_I4) {
      EXPECT_EQ(result.lVal, c.value);
    }
  }
}

TEST(ScriptHostRun, ArgumentsComeLastFirstAndResultMayBeOmitted) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ASSERT_EQ(host->AddCode(L"var calls = 0;\n"
                          L"function Minus(a, b) { calls++; return a - b; }",
                          L""),
            S_OK);
  VARIANT args[2];
  args[0].vt = VT_I4;
  args[0].lVal = 3;  // b
  args[1].vt = VT_I4;
  args[1].lVal = 10;  // a
  UniqueVariant result;
  ASSERT_EQ(host->Run(L"Minus", args, 2, result.Put()), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 7);
  EXPECT_EQ(host->Run(L"Minus", args, 2, nullptr), S_OK);
  EXPECT_EQ(host.EvalLong(L"calls"), 2);
  EXPECT_EQ(host->Run(L"Minus", nullptr, 2, nullptr), E_POINTER);
  EXPECT_EQ(host->Run(L"Minus", args, -1, nullptr), E_INVALIDARG);
}

// Names that are not declared functions fail with E_FAIL and call nothing; both ways of
// resolving a name agree (the type-information walk is what Windows uses).
TEST(ScriptHostRun, OnlyExactlyNamedFunctionsRun) {
  const FunctionLookup lookups[] = {FunctionLookup::kAuto, FunctionLookup::kTypeInfo,
                                    FunctionLookup::kDispatch};
  for (FunctionLookup lookup : lookups) {
    SCOPED_TRACE(testing::Message() << "lookup " << static_cast<int>(lookup));
    ScriptHost host;
    ASSERT_EQ(host.created(), S_OK);
    ASSERT_EQ(host->AddCode(L"var calls = 0;\n"
                            L"function MainStartup() { calls++; return 1; }\n"
                            L"var notAFunction = 5;\n"
                            L"var looksCallable = { call: function () {}, apply: 1 };\n",
                            L""),
              S_OK);
    UniqueVariant result;
    EXPECT_EQ(host.impl()->RunWith(lookup, L"MainStartup", nullptr, 0, result.Put()), S_OK);
    for (const wchar_t* name :
         {L"mainstartup", L"MAINSTARTUP", L"notAFunction", L"looksCallable", L"NoSuchName", L""}) {
      SCOPED_TRACE(testing::Message() << name);
      EXPECT_EQ(host.impl()->RunWith(lookup, name, nullptr, 0, result.Put()), E_FAIL);
    }
    EXPECT_EQ(host.EvalLong(L"calls"), 1);
  }
}

// Under Wine, the global scope's type information crashes once a global variable holds a host
// object; the host's own lookup must not go there.
TEST(ScriptHostRun, WorksWhileAGlobalHoldsAHostObject) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<CProbe> probe = MakeProbe(9);
  ASSERT_EQ(host->AddObject(L"probe", probe->GetUnknown()), S_OK);
  ASSERT_EQ(host->AddCode(L"var held = probe;\nfunction MainStartup() { return held.value; }", L""),
            S_OK);
  UniqueVariant result;
  ASSERT_EQ(host->Run(L"MainStartup", nullptr, 0, result.Put()), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 9);
}

TEST(ScriptHostPrelude, EveryEngineHasThePrelude) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  EXPECT_EQ(host.EvalString(L"typeof $include"), L"function");
  EXPECT_EQ(host.EvalString(L"typeof $uses"), L"function");
  EXPECT_EQ(host.EvalString(L"typeof g_UsedLibs"), L"object");
  EXPECT_EQ(host.EvalString(L"typeof ScriptLoader"), L"object");
}

TEST(ScriptHostPrelude, UsesLoadsOnceIncludeEveryTime) {
  test::ChromeFolder chrome;
  chrome.Write(L"counted.js",
               test::Utf16Bytes(L"loads = (typeof loads == 'number' ? loads : 0) + 1;"));
  const std::wstring name = chrome.NameOf(L"counted.js");
  std::wstring escaped;
  for (wchar_t c : name) escaped += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);

  ScriptHost usesHost, includeHost, otherEngine;
  ASSERT_EQ(usesHost.created(), S_OK);
  ASSERT_EQ(includeHost.created(), S_OK);
  ASSERT_EQ(otherEngine.created(), S_OK);
  const std::wstring uses = L"$uses('" + escaped + L"');";
  const std::wstring include = L"$include('" + escaped + L"');";
  ASSERT_EQ(usesHost->AddCode((uses + uses).c_str(), L""), S_OK);
  EXPECT_EQ(usesHost.EvalLong(L"loads"), 1);
  EXPECT_EQ(usesHost.EvalString((L"String(g_UsedLibs['" + escaped + L"'])").c_str()), L"true");
  ASSERT_EQ(includeHost->AddCode((include + include).c_str(), L""), S_OK);
  EXPECT_EQ(includeHost.EvalLong(L"loads"), 2);
  // Each engine has its own g_UsedLibs: a file used elsewhere still loads here.
  ASSERT_EQ(otherEngine->AddCode(uses.c_str(), L""), S_OK);
  EXPECT_EQ(otherEngine.EvalLong(L"loads"), 1);
}

TEST(ScriptHostPrelude, MissingScriptsNeverStopTheCaller) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ASSERT_EQ(
      host->AddCode(L"$include('no-such-file.js'); $uses('no-such-lib.js'); var after = 1;", L""),
      S_OK);
  EXPECT_EQ(host.EvalLong(L"after"), 1);
  // Marked as used even though it failed to load.
  EXPECT_EQ(host.EvalString(L"String(g_UsedLibs['no-such-lib.js'])"), L"true");
}

TEST(ScriptHostMainScript, LoadsMainJsFromChrome) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  const std::wstring mainJs = test::TestBinDir() + L"\\chrome\\main.js";
  ::DeleteFileW(mainJs.c_str());
  EXPECT_EQ(host.impl()->LoadMainScript(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  test::WriteBytes(mainJs, test::Utf16Bytes(L"function MainStartup() { return 'main'; }"));
  EXPECT_EQ(host.impl()->LoadMainScript(), S_OK);
  ::DeleteFileW(mainJs.c_str());
  UniqueVariant result;
  ASSERT_EQ(host->Run(L"MainStartup", nullptr, 0, result.Put()), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_STREQ(result.bstrVal, L"main");
}

// The demo's main script, as installed in dist/, loads, installs its command-line handler on
// the published command-line object and agrees to start.
TEST(ScriptHostMainScript, DemoMainScriptStarts) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  ComPtr<IDispatchEx> cmdline;  // stands in for the command-line service: takes any property
  ASSERT_EQ(CEmptyDispatchEx::Create(cmdline), S_OK);
  ASSERT_EQ(host->AddObject(L"cmdlineMgr", cmdline.Get()), S_OK);
  ComPtr<IJSSubScriptLoader> loader;
  ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&loader)), S_OK);
  UniqueBstr path(test::DistDir() + L"\\chrome\\main.js"), item(L"");
  ASSERT_EQ(loader->LoadSubScriptFromFile(path.Get(), item.Get()), S_OK);
  UniqueVariant result;
  ASSERT_EQ(host->Run(L"MainStartup", nullptr, 0, result.Put()), S_OK);
  ASSERT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  UniqueVariant handlerType;
  ASSERT_EQ(host->Evaluate(L"typeof cmdlineMgr.onCommandLine", L"", handlerType.Put()), S_OK);
  ASSERT_EQ(handlerType.vt, VT_BSTR);
  EXPECT_STREQ(handlerType.bstrVal, L"function");
  EXPECT_EQ(host->Run(L"MainShutdown", nullptr, 0, nullptr), S_OK);
}

}  // namespace
}  // namespace velmor
