// A window's script context with the real JScript engine: the interfaces it answers, every
// operation's results with and without an engine, the named-item lookup, compiled functions and
// their parameter lists, engine states, closing, the loader and prelude per engine, and the first
// break with debugging on.
#include "script/script_context_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_debug_manager.h"
#include "script/script_settings.h"
#include "script/sub_script_loader.h"
#include "script_test_support.h"
#include "support/test_env.h"
#include "typelib/type_library.h"

namespace velmor {
namespace {

using test::CProbe;
using test::MakeProbe;

// A script string literal holding 'text' (file paths with backslashes).
std::wstring JsString(const std::wstring& text) {
  std::wstring literal = L"'";
  for (wchar_t ch : text) literal += ch == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, ch);
  return literal + L"'";
}

// A context made as a window makes it, released (and so closed) at the end.
class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_contexts = LiveObjects<scScriptContext>::Count();
    m_loaders = LiveObjects<CJSSubScriptLoader>::Count();
    ASSERT_EQ(CreateDocumentScriptContext(&m_context), S_OK);
    ASSERT_NE(m_context, nullptr);
  }
  void TearDown() override {
    if (m_context != nullptr) {
      CloseScriptContext(m_context.Get());
      m_context.Reset();
    }
    EXPECT_EQ(LiveObjects<scScriptContext>::Count(), m_contexts) << "contexts leaked";
    EXPECT_EQ(LiveObjects<CJSSubScriptLoader>::Count(), m_loaders) << "loaders leaked";
  }
  scScriptContext* Impl() const { return static_cast<scScriptContext*>(m_context.Get()); }
  // An expression's value as a number (VT_I4), or -1000000 when it is something else.
  long EvalLong(const wchar_t* expression) const {
    UniqueVariant result;
    EXPECT_EQ(m_context->EvaluateString(expression, nullptr, result.Put()), S_OK) << expression;
    return result.vt == VT_I4 ? result.lVal : -1000000;
  }
  std::wstring EvalString(const wchar_t* expression) const {
    UniqueVariant result;
    EXPECT_EQ(m_context->EvaluateString(expression, nullptr, result.Put()), S_OK) << expression;
    return result.vt == VT_BSTR && result.bstrVal != nullptr ? result.bstrVal : L"(not a string)";
  }
  SCRIPTSTATE State() const {
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    EXPECT_EQ(Impl()->GetEngineState(&state), S_OK);
    return state;
  }

  ComPtr<scIScriptContext> m_context;
  long m_contexts = 0;
  long m_loaders = 0;
};

TEST_F(ContextTest, InterfacesInTheirOrderAndTheLoadersDispatch) {
  ComPtr<IUnknown> identity, site;
  ASSERT_EQ(m_context->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  ASSERT_EQ(m_context->QueryInterface(IID_IActiveScriptSite,
                                      reinterpret_cast<void**>(site.GetAddressOf())),
            S_OK);
  EXPECT_EQ(identity.Get(), site.Get()) << "the site is the identity";
  EXPECT_EQ(m_context->GetIdentity(), identity.Get());

  struct Case {
    const IID* iid;
    const char* name;
    HRESULT expected;
  };
  static const Case kCases[] = {
      {&IID_IActiveScriptSite, "IActiveScriptSite", S_OK},
      {&IID_IActiveScriptSiteWindow, "IActiveScriptSiteWindow", S_OK},
      {&__uuidof(scIScriptContext), "scIScriptContext", S_OK},
      {&__uuidof(IJSSubScriptLoader), "IJSSubScriptLoader", S_OK},
      {&IID_IDispatch, "IDispatch", S_OK},
      // Debugging is off.
      {&__uuidof(ActiveScriptSiteDebug), "IActiveScriptSiteDebug", E_NOINTERFACE},
      {&__uuidof(IDebugDocumentHost), "IDebugDocumentHost", E_NOINTERFACE},
      {&__uuidof(IScriptControlDebug), "IScriptControlDebug", E_NOINTERFACE},
      {&__uuidof(IScriptControl), "IScriptControl", E_NOINTERFACE},
  };
  for (const Case& c : kCases) {
    ComPtr<IUnknown> answered;
    EXPECT_EQ(m_context->QueryInterface(*c.iid, reinterpret_cast<void**>(answered.GetAddressOf())),
              c.expected)
        << c.name;
    EXPECT_EQ(answered != nullptr, c.expected == S_OK) << c.name;
  }
  // The context's IDispatch is its loader's: it describes IJSSubScriptLoader.
  ComPtr<IJSSubScriptLoader> loader;
  ComPtr<IDispatch> own, loaders;
  ASSERT_EQ(m_context->QueryInterface(IID_PPV_ARGS(&loader)), S_OK);
  ASSERT_EQ(m_context->QueryInterface(IID_PPV_ARGS(&own)), S_OK);
  ASSERT_EQ(loader->QueryInterface(IID_PPV_ARGS(&loaders)), S_OK);
  EXPECT_EQ(own.Get(), loaders.Get());
}

TEST_F(ContextTest, CreatedStartedWithThePreludeAndConnectOnlyFromStartedOrDisconnected) {
  EXPECT_EQ(State(), SCRIPTSTATE_STARTED);
  EXPECT_EQ(EvalString(L"typeof $include + ',' + typeof $uses + ',' + typeof g_UsedLibs"),
            L"function,function,object");
  EXPECT_EQ(m_context->GetScriptTypeId(), 2);

  EXPECT_EQ(m_context->Connect(), S_OK);
  EXPECT_EQ(State(), SCRIPTSTATE_CONNECTED);
  EXPECT_EQ(m_context->Connect(), S_OK) << "a connected engine is left alone";
  EXPECT_EQ(State(), SCRIPTSTATE_CONNECTED);

  ComPtr<IDispatch> global;
  ASSERT_EQ(m_context->GetScriptDispatch(nullptr, &global), S_OK);
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(EvalLong(L"40 + 2"), 42);
}

TEST_F(ContextTest, EveryOperationsResultWithAndWithoutAnEngine) {
  ComPtr<CProbe> probe = MakeProbe(5);
  IUnknown* object = probe->GetUnknown();
  IDispatch* filled = nullptr;
  UniqueVariant result;
  ComPtr<IDispatch> dispatch;
  const wchar_t* names[] = {nullptr};

  // With an engine: null inputs and out-pointers, the reserved operation and the scriptlet.
  EXPECT_EQ(m_context->AddObject(nullptr, object), E_POINTER);
  EXPECT_EQ(m_context->AddObject(L"probe", nullptr), E_POINTER);
  EXPECT_EQ(m_context->AddObject(L"probe", object), S_OK);
  EXPECT_EQ(m_context->AddObject(L"probe", object), E_FAIL);
  EXPECT_EQ(m_context->GetScriptDispatch(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(m_context->Reserved(object), E_NOTIMPL);
  EXPECT_EQ(m_context->Reserved(nullptr), E_NOTIMPL);
  EXPECT_EQ(m_context->ExecuteScript(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(m_context->EvaluateString(nullptr, nullptr, result.Put()), E_POINTER);
  EXPECT_EQ(m_context->CompileFunction(L"f", 0, nullptr, nullptr, dispatch.GetAddressOf()),
            E_POINTER);
  EXPECT_EQ(m_context->CompileFunction(L"f", 0, nullptr, L"return 1;", nullptr), E_POINTER);
  EXPECT_EQ(m_context->CompileEventHandler(nullptr, &filled, 1, names, L"x"), E_POINTER);
  EXPECT_EQ(m_context->CompileEventHandler(L"probe", nullptr, 1, names, L"x"), E_POINTER);
  EXPECT_EQ(m_context->CompileEventHandler(L"probe", &filled, 1, names, L"seen = 1;"), E_NOTIMPL);
  EXPECT_EQ(filled, nullptr) << "the scriptlet path never gives a handler";
  // The item name of a statement block may be empty (the global scope).
  EXPECT_EQ(m_context->ExecuteScript(L"var atGlobal = probe.value;", L""), S_OK);
  EXPECT_EQ(EvalLong(L"atGlobal"), 5);
  // An expression's item name goes to the engine as it is: "" names no item the engine knows.
  EXPECT_FAILED(m_context->EvaluateString(L"atGlobal", L"", result.Put()));
  EXPECT_EQ(m_context->EvaluateString(L"atGlobal", nullptr, result.Put()), S_OK);

  // After close: no engine, no parser.
  CloseScriptContext(m_context.Get());
  EXPECT_FALSE(Impl()->HasEngine());
  EXPECT_EQ(m_context->GetScriptTypeId(), 2);
  EXPECT_EQ(m_context->AddObject(L"late", object), E_UNEXPECTED);
  EXPECT_EQ(m_context->GetScriptDispatch(nullptr, dispatch.GetAddressOf()), E_UNEXPECTED);
  EXPECT_EQ(dispatch, nullptr);
  EXPECT_EQ(m_context->ExecuteScript(L"var x = 1;", nullptr), E_UNEXPECTED);
  EXPECT_EQ(m_context->EvaluateString(L"1", nullptr, result.Put()), E_UNEXPECTED);
  EXPECT_EQ(m_context->EvaluateString(L"1", nullptr, nullptr), E_UNEXPECTED);
  EXPECT_EQ(m_context->CompileFunction(L"f", 1, nullptr, L"return 1;", dispatch.GetAddressOf()),
            E_UNEXPECTED);
  EXPECT_EQ(m_context->CompileEventHandler(L"probe", &filled, 1, nullptr, L"x"), E_UNEXPECTED);
  EXPECT_EQ(m_context->Connect(), E_UNEXPECTED);
  EXPECT_EQ(m_context->Reserved(nullptr), E_NOTIMPL);
  // Closing again finds nothing to close.
  CloseScriptContext(m_context.Get());
  CloseScriptContext(nullptr);
}

TEST_F(ContextTest, EvaluateWithoutResultStillRunsAndErrorsComeBack) {
  EXPECT_EQ(m_context->ExecuteScript(L"var count = 0; function bump() { return ++count; }",
                                     nullptr),
            S_OK);
  EXPECT_EQ(m_context->EvaluateString(L"bump()", nullptr, nullptr), S_OK);
  EXPECT_EQ(m_context->EvaluateString(L"bump()", nullptr, nullptr), S_OK);
  EXPECT_EQ(EvalLong(L"count"), 2);
  // Script errors are the call's result (reported only with debugging on).
  EXPECT_FAILED(m_context->ExecuteScript(L"throw new Error('no');", nullptr));
  EXPECT_FAILED(m_context->ExecuteScript(L"function (", nullptr));
  UniqueVariant result;
  EXPECT_FAILED(m_context->EvaluateString(L"noSuchName.member", nullptr, result.Put()));
}

TEST_F(ContextTest, ClosingReleasesTheNamedItems) {
  ComPtr<CProbe> probe = MakeProbe(7);
  const long probesBefore = LiveObjects<CProbe>::Count();
  ASSERT_EQ(m_context->AddObject(L"probe", probe->GetUnknown()), S_OK);
  // Scripts may keep the object in variables of their own.
  ASSERT_EQ(m_context->ExecuteScript(L"var kept = probe;", nullptr), S_OK);
  EXPECT_EQ(Impl()->NamedItemCount(), 1u);
  const ULONG held = probe->AddRef() - 1;
  probe->Release();
  EXPECT_GT(held, 1u);
  CloseScriptContext(m_context.Get());
  EXPECT_EQ(Impl()->NamedItemCount(), 0u);
  const ULONG after = probe->AddRef() - 1;
  probe->Release();
  EXPECT_EQ(after, 1u) << "only the test holds the probe after close";
  EXPECT_EQ(LiveObjects<CProbe>::Count(), probesBefore);
}

TEST_F(ContextTest, GetItemInfoRules) {
  // "ScriptLoader" in any letter case is the context asked for IDispatch: the loader's.
  ComPtr<IDispatch> loaderDispatch;
  ASSERT_EQ(m_context->QueryInterface(IID_PPV_ARGS(&loaderDispatch)), S_OK);
  ComPtr<IUnknown> loaderUnknown(loaderDispatch.Get());
  EXPECT_NE(loaderUnknown.Get(), m_context->GetIdentity());
  test::CheckItemInfoRules(
      m_context.Get(),
      [&](const wchar_t* name, IUnknown* object) { return m_context->AddObject(name, object); },
      loaderUnknown.Get());
}

TEST(ScriptContextParameters, ListsBuiltFromCountAndNames) {
  const wchar_t* nullFirst[] = {nullptr, L"x"};
  const wchar_t* two[] = {L"a", L"b"};
  const wchar_t* nullSecond[] = {L"a", nullptr};
  const wchar_t* one[] = {L"q"};
  struct Case {
    ULONG count;
    const wchar_t* const* names;
    HRESULT expected;
    const wchar_t* list;
  };
  const Case cases[] = {
      {0, nullptr, S_OK, L""},
      {0, two, S_OK, L""},
      {1, nullptr, S_OK, L"event"},
      {3, nullptr, S_OK, L"event"},  // no names: one parameter, whatever the count
      {1, one, S_OK, L"q"},
      {2, nullFirst, S_OK, L"event,x"},
      {2, two, S_OK, L"a,b"},
      {1, two, S_OK, L"a"},
      {2, nullSecond, E_INVALIDARG, L""},
  };
  for (const Case& c : cases) {
    std::wstring list = L"stale";
    EXPECT_EQ(BuildParameterList(c.count, c.names, list), c.expected) << c.count;
    if (c.expected == S_OK) {
      EXPECT_EQ(list, c.list) << c.count;
    }
  }
}

// Calls a compiled function with string arguments (given in call order).
HRESULT CallWith(IDispatch* function, const std::vector<std::wstring>& args, VARIANT* result) {
  std::vector<VARIANT> raw(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    // Dispatch order: last argument first.
    VARIANT& v = raw[args.size() - 1 - i];
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(args[i].c_str());
  }
  DISPPARAMS params = {raw.empty() ? nullptr : raw.data(), nullptr,
                       static_cast<UINT>(raw.size()), 0};
  const HRESULT hr = function->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                      &params, result, nullptr, nullptr);
  for (VARIANT& v : raw) ::VariantClear(&v);
  return hr;
}

TEST_F(ContextTest, CompiledFunctionsTakeTheirParametersInOrder) {
  const wchar_t* nullFirst[] = {nullptr, L"x"};
  const wchar_t* named[] = {L"left", L"right"};
  struct Case {
    ULONG count;
    const wchar_t* const* names;
    const wchar_t* body;
    std::vector<std::wstring> args;
    const wchar_t* expected;
  };
  const Case cases[] = {
      // An "on" attribute's handler: one parameter, `event`.
      {1, nullptr, L"return 'got ' + event;", {L"click"}, L"got click"},
      {2, nullFirst, L"return event + '|' + x;", {L"e", L"second"}, L"e|second"},
      {2, named, L"return right + left;", {L"1", L"2"}, L"21"},
      {0, nullptr, L"return typeof event;", {L"ignored"}, L"undefined"},
      // The body sees the window's globals.
      {1, nullptr, L"return shared + event;", {L"!"}, L"global!"},
  };
  ASSERT_EQ(m_context->ExecuteScript(L"var shared = 'global';", nullptr), S_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    ComPtr<IDispatch> function;
    ASSERT_EQ(m_context->CompileFunction(L"onclick", c.count, c.names, c.body, &function), S_OK);
    ASSERT_NE(function, nullptr);
    UniqueVariant result;
    ASSERT_EQ(CallWith(function.Get(), c.args, result.Put()), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, c.expected);
  }
  // A body that does not compile gives the engine's error and no function.
  ComPtr<IDispatch> broken;
  EXPECT_FAILED(m_context->CompileFunction(L"bad", 1, nullptr, L"return (;", &broken));
  EXPECT_EQ(broken, nullptr);
}

TEST_F(ContextTest, TheLoaderRunsFilesInThisContext) {
  test::ChromeFolder chrome;
  chrome.Write(L"ctx.js", test::Utf16Bytes(L"var fromFile = (fromFile || 0) + 1;"));
  ComPtr<IJSSubScriptLoader> loader;
  ASSERT_EQ(m_context->QueryInterface(IID_PPV_ARGS(&loader)), S_OK);
  UniqueBstr path(chrome.PathOf(L"ctx.js")), item(L"");
  EXPECT_EQ(loader->LoadSubScriptFromFile(path.Get(), nullptr), S_OK);
  EXPECT_EQ(loader->LoadSubScriptFromFile(path.Get(), item.Get()), S_OK);
  EXPECT_EQ(EvalLong(L"fromFile"), 2);
  // Scripts reach the loader both as `ScriptLoader` and through its global members.
  const std::wstring code = L"ScriptLoader.LoadSubScript(" + JsString(chrome.NameOf(L"ctx.js")) +
                            L"); LoadSubScriptFromFile(" + JsString(chrome.PathOf(L"ctx.js")) +
                            L");";
  EXPECT_EQ(m_context->ExecuteScript(code.c_str(), nullptr), S_OK);
  EXPECT_EQ(EvalLong(L"fromFile"), 4);
}

TEST(ScriptContextEngines, EachEngineHasItsOwnUsedLibs) {
  test::ChromeFolder chrome;
  chrome.Write(L"counted.js",
               test::Utf16Bytes(L"loads = (typeof loads == 'number' ? loads : 0) + 1;"));
  const std::wstring name = JsString(chrome.NameOf(L"counted.js"));
  const std::wstring usesTwice = L"$uses(" + name + L"); $uses(" + name + L");";

  ComPtr<scIScriptContext> first, second;
  ASSERT_EQ(CreateDocumentScriptContext(&first), S_OK);
  ASSERT_EQ(CreateDocumentScriptContext(&second), S_OK);
  test::ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);

  ASSERT_EQ(first->ExecuteScript(usesTwice.c_str(), nullptr), S_OK);
  // The other engines have not used it: their g_UsedLibs do not list it, and they load it once
  // more for themselves.
  const std::wstring listed = L"g_UsedLibs[" + name + L"] == true";
  UniqueVariant seen;
  ASSERT_EQ(second->EvaluateString(listed.c_str(), nullptr, seen.Put()), S_OK);
  EXPECT_EQ(seen.boolVal, VARIANT_FALSE);
  EXPECT_EQ(host.EvalString((L"String(" + listed + L")").c_str()), L"false");
  ASSERT_EQ(second->ExecuteScript(usesTwice.c_str(), nullptr), S_OK);
  ASSERT_EQ(host->AddCode(usesTwice.c_str(), L""), S_OK);

  for (scIScriptContext* context : {first.Get(), second.Get()}) {
    UniqueVariant loads;
    ASSERT_EQ(context->EvaluateString(L"loads", nullptr, loads.Put()), S_OK);
    EXPECT_EQ(loads.lVal, 1);
  }
  EXPECT_EQ(host.EvalLong(L"loads"), 1);
  CloseScriptContext(first.Get());
  CloseScriptContext(second.Get());
}

TEST(ScriptContextCreation, NotAContextIsNotClosed) {
  ComPtr<CProbe> probe = MakeProbe(3);
  CloseScriptContext(probe->GetUnknown());  // answers no context: nothing happens
  EXPECT_EQ(scScriptContext::FromUnknown(probe->GetUnknown()), nullptr);
  EXPECT_EQ(CreateDocumentScriptContext(nullptr), E_POINTER);
}

// With debugging on, every new context gets debug support and breaks into the debugger, whatever
// the application's autobreak preference (which the context never reads).
TEST(ScriptContextDebugging, SwitchDecidesDebugSupportAndEveryContextBreaks) {
  const bool previous = IsScriptDebuggingEnabled();
  struct Case {
    bool enable;
    bool debugged;  // debug support and a break at creation
  };
  static const Case kCases[] = {{false, false}, {true, true}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "debugging " << c.enable);
    test::ScopedFakeDebugManager fake;
    ASSERT_EQ(fake.registered(), S_OK);
    SetScriptDebuggingEnabled(c.enable);
    ComPtr<scIScriptContext> context;
    ASSERT_EQ(CreateDocumentScriptContext(&context), S_OK);
    EXPECT_EQ(test::FakeDebugLog().Has(L"CauseBreak"), c.debugged);
    EXPECT_EQ(test::FakeDebugLog().instancesCreated, c.debugged ? 1 : 0);
    ComPtr<IScriptControlDebug> debug;
    EXPECT_EQ(SUCCEEDED(context->QueryInterface(IID_PPV_ARGS(&debug))), c.debugged);
    // Parsed text goes into the debug document.
    ASSERT_EQ(context->ExecuteScript(L"var traced = 1;", nullptr), S_OK);
    EXPECT_EQ(test::FakeDebugLog().Has(L"AddUnicodeText(var traced = 1;)"), c.debugged);
    debug.Reset();
    CloseScriptContext(context.Get());
    context.Reset();
    EXPECT_EQ(test::LiveFakeDebugObjects(), 0);
  }
  SetScriptDebuggingEnabled(previous);
}

}  // namespace
}  // namespace velmor
