// The two owners of a JScript engine, with the real engine: the application script host and a
// window's script context. What both share (the site as identity, the loader's dispatch, named
// items and their lookup, the prelude with one g_UsedLibs per engine, closing), then what each
// adds: the host's calls of global functions by name, the context's states, compiled functions
// and the other operations of its interface.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "script/app_script_host.h"
#include "script/script_context_object.h"
#include "script/sub_script_loader.h"
#include "script_test_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::CProbe;
using test::MakeProbe;
using test::ScriptHost;

ComPtr<IUnknown> Interface(IUnknown* object, REFIID iid) {
  ComPtr<IUnknown> out;
  object->QueryInterface(iid, reinterpret_cast<void**>(out.GetAddressOf()));
  return out;
}

// A context made as a window makes it, closed at the end.
class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_contexts = LiveObjects<scScriptContext>::Count();
    m_loaders = LiveObjects<CJSSubScriptLoader>::Count();
    ASSERT_EQ(CreateDocumentScriptContext(&m_context), S_OK);
  }
  void TearDown() override {
    CloseScriptContext(m_context.Get());
    m_context.Reset();
    EXPECT_EQ(LiveObjects<scScriptContext>::Count(), m_contexts) << "contexts leaked";
    EXPECT_EQ(LiveObjects<CJSSubScriptLoader>::Count(), m_loaders) << "loaders leaked";
  }
  scScriptContext* Impl() const { return static_cast<scScriptContext*>(m_context.Get()); }
  std::wstring Eval(const wchar_t* expression) const {
    UniqueVariant result;
    if (FAILED(m_context->EvaluateString(expression, nullptr, result.Put()))) return L"<failed>";
    if (FAILED(::VariantChangeType(&result, &result, 0, VT_BSTR))) return L"<not text>";
    return result.bstrVal != nullptr ? result.bstrVal : L"";
  }
  SCRIPTSTATE State() const {
    SCRIPTSTATE state = SCRIPTSTATE_UNINITIALIZED;
    EXPECT_EQ(Impl()->GetEngineState(&state), S_OK);
    return state;
  }

  ComPtr<scIScriptContext> m_context;
  long m_contexts = 0, m_loaders = 0;
};

// Both owners answer the same interfaces in the same way: the site is the identity, IDispatch is
// the aggregated loader's, the debug interfaces only while debugging is on. Named items: a
// duplicate name fails and keeps the first object, another letter case is another item; the
// site's lookup follows the rules (ScriptLoader in any case is the loader).
TEST_F(ContextTest, BothOwnersAnswerTheirInterfacesAndNamedItems) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  const struct {
    const char* name;
    IUnknown* owner;
    IID own;  // the owner's own interface
    std::function<HRESULT(const wchar_t*, IUnknown*)> add;
  } owners[] = {
      {"host", host.control(), __uuidof(IScriptControl),
       [&](const wchar_t* name, IUnknown* object) { return host->AddObject(name, object); }},
      {"context", m_context.Get(), __uuidof(scIScriptContext),
       [&](const wchar_t* name, IUnknown* object) { return m_context->AddObject(name, object); }}};
  ComPtr<CProbe> first = MakeProbe(11), second = MakeProbe(22), other = MakeProbe(33);
  for (const auto& o : owners) {
    SCOPED_TRACE(o.name);
    ComPtr<IUnknown> identity = Interface(o.owner, IID_IUnknown);
    EXPECT_EQ(Interface(o.owner, IID_IActiveScriptSite).Get(), identity.Get());
    for (const IID& iid : {IID_IActiveScriptSiteWindow, o.own, __uuidof(IJSSubScriptLoader)})
      EXPECT_TRUE(Interface(o.owner, iid));
    for (const IID& iid : {__uuidof(ActiveScriptSiteDebug), __uuidof(IDebugDocumentHost),
                           __uuidof(IScriptControlDebug)})
      EXPECT_FALSE(Interface(o.owner, iid));
    ComPtr<IUnknown> loader = Interface(o.owner, __uuidof(IJSSubScriptLoader));
    EXPECT_EQ(Interface(o.owner, IID_IDispatch).Get(), Interface(loader.Get(), IID_IDispatch).Get());
    EXPECT_EQ(Interface(loader.Get(), IID_IUnknown).Get(), identity.Get())
        << "the aggregated loader answers its owner's identity";
    EXPECT_EQ(o.add(L"probe", first->GetUnknown()), S_OK);
    EXPECT_EQ(o.add(L"probe", second->GetUnknown()), E_FAIL);
    EXPECT_EQ(o.add(L"Probe", other->GetUnknown()), S_OK);
    test::CheckItemInfoRules(o.owner, o.add,
                             o.owner == m_context.Get() ? Interface(o.owner, IID_IDispatch).Get()
                                                        : identity.Get());
  }
  EXPECT_EQ(host.EvalLong(L"probe.value + Probe.value"), 44);
  EXPECT_EQ(Eval(L"probe.value + Probe.value"), L"44");
  EXPECT_EQ(second->calls(), 0);
  EXPECT_FALSE(Interface(host.control(), __uuidof(scIScriptContext)));
  EXPECT_FALSE(Interface(m_context.Get(), __uuidof(IScriptControl)));
  EXPECT_EQ(m_context->GetIdentity(), Interface(m_context.Get(), IID_IUnknown).Get());
}

// Every engine runs the prelude and has its own g_UsedLibs: $uses loads a file once per engine,
// $include every time, and a missing file stops neither.
TEST(ScriptPrelude, EachEngineUsesOnceAndIncludesEveryTime) {
  test::ChromeFolder chrome;
  chrome.Write(L"counted.js",
               test::Utf16Bytes(L"loads = (typeof loads == 'number' ? loads : 0) + 1;"));
  const std::wstring name = test::Escaped(chrome.NameOf(L"counted.js"));
  const std::wstring uses = L"$uses('" + name + L"');", include = L"$include('" + name + L"');";
  ScriptHost host, includer;
  ASSERT_EQ(host.created(), S_OK);
  ASSERT_EQ(includer.created(), S_OK);
  ComPtr<scIScriptContext> first, second;
  ASSERT_EQ(CreateDocumentScriptContext(&first), S_OK);
  ASSERT_EQ(CreateDocumentScriptContext(&second), S_OK);
  EXPECT_EQ(host.EvalString(L"typeof $include + typeof $uses + typeof g_UsedLibs + typeof ScriptLoader"),
            L"functionfunctionobjectobject");

  ASSERT_EQ(host->AddCode((uses + uses + L"$uses('no-such-lib.js'); var after = 1;").c_str(), L""),
            S_OK);
  EXPECT_EQ(host.EvalString(L"loads + ',' + after + ',' + g_UsedLibs['no-such-lib.js']"),
            L"1,1,true");
  ASSERT_EQ(includer->AddCode((include + include + L"$include('no-such-file.js');").c_str(), L""),
            S_OK);
  EXPECT_EQ(includer.EvalLong(L"loads"), 2);
  for (scIScriptContext* context : {first.Get(), second.Get()}) {
    UniqueVariant listed, loads;
    ASSERT_EQ(context->EvaluateString((L"g_UsedLibs['" + name + L"'] == true").c_str(), nullptr,
                                      listed.Put()),
              S_OK);
    EXPECT_EQ(listed.boolVal, VARIANT_FALSE) << "used by another engine only";
    ASSERT_EQ(context->ExecuteScript((uses + uses).c_str(), nullptr), S_OK);
    ASSERT_EQ(context->EvaluateString(L"loads", nullptr, loads.Put()), S_OK);
    EXPECT_EQ(loads.lVal, 1);
  }
  CloseScriptContext(first.Get());
  CloseScriptContext(second.Get());
}

// A closed owner refuses everything with E_UNEXPECTED and lets go of its named items; a host
// whose engine was never created answers the same.
TEST_F(ContextTest, ClosedOwnersRefuseEverythingAndReleaseTheirItems) {
  ComPtr<CProbe> probe = MakeProbe(7);
  const long probes = LiveObjects<CProbe>::Count();
  ASSERT_EQ(m_context->AddObject(L"probe", probe->GetUnknown()), S_OK);
  ASSERT_EQ(m_context->ExecuteScript(L"var kept = probe;", nullptr), S_OK);
  EXPECT_EQ(Impl()->NamedItemCount(), 1u);
  CloseScriptContext(m_context.Get());
  CloseScriptContext(m_context.Get());  // a second close finds nothing to close
  EXPECT_FALSE(Impl()->HasEngine());
  EXPECT_EQ(Impl()->NamedItemCount(), 0u);
  probe->AddRef();
  EXPECT_EQ(probe->Release(), 1u) << "only the test holds the probe after close";
  UniqueVariant result;
  ComPtr<IDispatch> dispatch;
  IDispatch* handler = nullptr;
  const HRESULT closed[] = {
      m_context->AddObject(L"late", probe->GetUnknown()),
      m_context->GetScriptDispatch(nullptr, dispatch.GetAddressOf()),
      m_context->ExecuteScript(L"var x = 1;", nullptr),
      m_context->EvaluateString(L"1", nullptr, result.Put()),
      m_context->CompileFunction(L"f", 1, nullptr, L"return 1;", dispatch.GetAddressOf()),
      m_context->CompileEventHandler(L"probe", &handler, 1, nullptr, L"x"),
      m_context->Connect(),
  };
  for (HRESULT hr : closed) EXPECT_EQ(hr, E_UNEXPECTED);
  EXPECT_EQ(m_context->GetScriptTypeId(), 2);

  const long hosts = LiveObjects<CJScript>::Count();
  {
    ScriptHost host;
    ASSERT_EQ(host->AddCode(L"function MainStartup() { return 1; }", L""), S_OK);
    ComPtr<IAppScriptHost> app;
    ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&app)), S_OK);
    EXPECT_EQ(app->CloseEngine(), S_OK);
    EXPECT_EQ(app->CloseEngine(), S_OK);
    CJScript* bare = nullptr;
    ASSERT_EQ(CJScript::CreateObject(&bare), S_OK);
    ComPtr<IScriptControl> never = AdoptRef<IScriptControl>(bare);
    for (IScriptControl* control : {host.control(), never.Get()}) {
      EXPECT_EQ(control->AddObject(L"late", probe->GetUnknown()), E_UNEXPECTED);
      EXPECT_EQ(control->AddCode(L"var x = 1;", L""), E_UNEXPECTED);
      EXPECT_EQ(control->Evaluate(L"1 + 1", L"", result.Put()), E_UNEXPECTED);
      EXPECT_EQ(control->Run(L"MainStartup", nullptr, 0, result.Put()), E_UNEXPECTED);
    }
  }
  EXPECT_EQ(LiveObjects<CJScript>::Count(), hosts) << "closing breaks the engine's hold on its site";
  EXPECT_EQ(LiveObjects<CProbe>::Count(), probes);
}

// Start-up hands "MainStartup"'s value to its caller; arguments come last first. Names that are
// not declared functions fail with E_FAIL and call nothing. Both ways of resolving a name agree
// (the type-information walk is what Windows uses), also while a global holds a host object
// (which crashes the walk under Wine).
TEST(ScriptHost, RunCallsExactlyNamedFunctionsWithArgumentsAndResults) {
  VARIANT args[2];
  args[0].vt = VT_I4;
  args[0].lVal = 3;  // b
  args[1].vt = VT_I4;
  args[1].lVal = 10;  // a
  const struct {
    const wchar_t* name;
    int count;  // of 'args'
    HRESULT expected;
    VARTYPE vt;
    long value;
  } kCalls[] = {
      {L"Nothing", 0, S_OK, VT_EMPTY, 0},    {L"Yes", 0, S_OK, VT_BOOL, VARIANT_TRUE},
      {L"No", 0, S_OK, VT_BOOL, VARIANT_FALSE}, {L"MainStartup", 0, S_OK, VT_I4, 9},
      {L"Minus", 2, S_OK, VT_I4, 7},         {L"Minus", -1, E_INVALIDARG, VT_EMPTY, 0},
      {L"mainstartup", 0, E_FAIL, VT_EMPTY, 0}, {L"MAINSTARTUP", 0, E_FAIL, VT_EMPTY, 0},
      {L"notAFunction", 0, E_FAIL, VT_EMPTY, 0}, {L"looksCallable", 0, E_FAIL, VT_EMPTY, 0},
      {L"NoSuchName", 0, E_FAIL, VT_EMPTY, 0}, {L"", 0, E_FAIL, VT_EMPTY, 0},
  };
  for (FunctionLookup lookup :
       {FunctionLookup::kAuto, FunctionLookup::kTypeInfo, FunctionLookup::kDispatch}) {
    SCOPED_TRACE(testing::Message() << "lookup " << static_cast<int>(lookup));
    ScriptHost host;
    ASSERT_EQ(host->AddCode(L"var calls = 0, held = { value: 9 }, notAFunction = 5;\n"
                            L"var looksCallable = { call: function () {}, apply: 1 };\n"
                            L"function Nothing() { calls++; }\n"
                            L"function Yes() { calls++; return true; }\n"
                            L"function No() { calls++; return false; }\n"
                            L"function MainStartup() { calls++; return held.value; }\n"
                            L"function Minus(a, b) { calls++; return a - b; }\n",
                            L""),
              S_OK);
    ComPtr<CProbe> probe = MakeProbe(9);
    if (lookup == FunctionLookup::kAuto) {
      ASSERT_EQ(host->AddObject(L"probe", probe->GetUnknown()), S_OK);
      ASSERT_EQ(host->AddCode(L"held = probe;", L""), S_OK);
    }
    for (const auto& c : kCalls) {
      UniqueVariant result;
      EXPECT_EQ(host.impl()->RunWith(lookup, c.name, args, c.count, result.Put()), c.expected)
          << c.name;
      EXPECT_EQ(result.vt, c.vt) << c.name;
      EXPECT_EQ(c.vt == VT_BOOL ? result.boolVal : c.vt == VT_I4 ? result.lVal : 0, c.value)
          << c.name;
    }
    EXPECT_EQ(host->Run(L"Minus", args, 2, nullptr), S_OK);
    EXPECT_EQ(host->Evaluate(L"calls = calls + 5", L"", nullptr), S_OK) << "runs without a result";
    EXPECT_EQ(host.EvalLong(L"calls"), 11);
  }
}

TEST_F(ContextTest, OperationsPassErrorsOn) {
  ComPtr<CProbe> probe = MakeProbe(5);
  UniqueVariant result;
  ASSERT_EQ(m_context->AddObject(L"probe", probe->GetUnknown()), S_OK);
  // A statement block's item name may be empty (the global scope); an expression's goes to the
  // engine as it is.
  EXPECT_EQ(m_context->ExecuteScript(L"var n = probe.value; function bump() { return ++n; }", L""),
            S_OK);
  EXPECT_FAILED(m_context->EvaluateString(L"n", L"", result.Put()));
  EXPECT_EQ(m_context->EvaluateString(L"bump()", nullptr, nullptr), S_OK);
  EXPECT_EQ(Eval(L"n"), L"6");
  for (const wchar_t* failing : {L"throw new Error('no');", L"function (", L"noSuchName.member"})
    EXPECT_FAILED(m_context->ExecuteScript(failing, nullptr)) << failing;
  // Only a context is closed.
  CloseScriptContext(probe->GetUnknown());
  CloseScriptContext(nullptr);
  EXPECT_EQ(scScriptContext::FromUnknown(probe->GetUnknown()), nullptr);
  // Connecting moves a started engine on and leaves a connected one alone.
  EXPECT_EQ(State(), SCRIPTSTATE_STARTED);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(m_context->Connect(), S_OK);
    EXPECT_EQ(State(), SCRIPTSTATE_CONNECTED);
  }
  ComPtr<IDispatch> global;
  EXPECT_EQ(m_context->GetScriptDispatch(nullptr, &global), S_OK);
  EXPECT_TRUE(global);
}

// Compiled functions: the parameter list built from the count and the names (an "on"
// attribute's handler gets one parameter, `event`), the body seeing the window's globals.
TEST_F(ContextTest, CompiledFunctionsTakeTheirParametersInOrder) {
  const wchar_t* nullFirst[] = {nullptr, L"x"};
  const wchar_t* named[] = {L"left", L"right"};
  const wchar_t* nullSecond[] = {L"a", nullptr};
  struct Case {
    ULONG count;
    const wchar_t* const* names;
    const wchar_t* body;
    std::vector<std::wstring> args;
    const wchar_t* expected;  // null: E_INVALIDARG
  };
  const Case cases[] = {
      {1, nullptr, L"return 'got ' + event;", {L"click"}, L"got click"},
      {3, nullptr, L"return arguments.length + event;", {L"e"}, L"1e"},
      {2, nullFirst, L"return event + '|' + x;", {L"e", L"second"}, L"e|second"},
      {2, named, L"return right + left;", {L"1", L"2"}, L"21"},
      {1, named, L"return typeof right + left;", {L"1"}, L"undefined1"},
      {0, named, L"return typeof event;", {L"ignored"}, L"undefined"},
      {1, nullptr, L"return shared + event;", {L"!"}, L"global!"},
      {2, nullSecond, L"return 1;", {}, nullptr},
  };
  ASSERT_EQ(m_context->ExecuteScript(L"var shared = 'global';", nullptr), S_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    ComPtr<IDispatch> function;
    const HRESULT hr = m_context->CompileFunction(L"onclick", c.count, c.names, c.body, &function);
    if (c.expected == nullptr) {
      EXPECT_EQ(hr, E_INVALIDARG);
      continue;
    }
    ASSERT_EQ(hr, S_OK);
    std::vector<VARIANT> raw(c.args.size());
    for (size_t i = 0; i < c.args.size(); ++i) {
      VARIANT& v = raw[c.args.size() - 1 - i];  // dispatch order: last argument first
      v.vt = VT_BSTR;
      v.bstrVal = ::SysAllocString(c.args[i].c_str());
    }
    DISPPARAMS params = {raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
    UniqueVariant result;
    EXPECT_EQ(function->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &params, result.Put(),
                               nullptr, nullptr),
              S_OK);
    for (VARIANT& v : raw) ::VariantClear(&v);
    ASSERT_EQ(::VariantChangeType(&result, &result, 0, VT_BSTR), S_OK);
    EXPECT_STREQ(result.bstrVal, c.expected);
  }
  ComPtr<IDispatch> broken;
  EXPECT_FAILED(m_context->CompileFunction(L"bad", 1, nullptr, L"return (;", &broken));
  EXPECT_EQ(broken, nullptr);
}

}  // namespace
}  // namespace velmor
