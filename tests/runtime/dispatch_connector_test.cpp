// The dispatch connector service: script objects (here a recording IDispatchEx double) behind
// the vtable interfaces of ui.dll's type library, messages handed over as record objects, the
// answer read back, identity, and the signatures it refuses.
#include <gtest/gtest.h>

#include <windows.h>
#include <dispex.h>

#include <functional>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "components/component_manager.h"
#include "support/test_env.h"
#include "ui_h.h"

namespace velmor {
namespace {

std::wstring Render(const VARIANT& v);

// Renders a script-side object by walking its properties in order.
std::wstring RenderObject(IDispatch* object) {
  ComPtr<IDispatchEx> ex;
  if (object == nullptr || FAILED(object->QueryInterface(IID_PPV_ARGS(&ex)))) return L"[object]";
  std::wstring out = L"{";
  DISPID id = DISPID_STARTENUM;
  while (ex->GetNextDispID(fdexEnumAll, id, &id) == S_OK) {
    UniqueBstr name;
    ex->GetMemberName(id, name.Put());
    UniqueVariant value;
    DISPPARAMS none{};
    ex->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, value.Put(), nullptr, nullptr);
    if (out.size() > 1) out += L",";
    out += std::wstring(name.View()) + L"=" + Render(value);
  }
  return out + L"}";
}

std::wstring Render(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY: return L"undefined";
    case VT_NULL: return L"null";
    case VT_I4: return std::to_wstring(v.lVal);
    case VT_R8: return std::to_wstring(static_cast<long long>(v.dblVal));
    case VT_BOOL: return v.boolVal ? L"true" : L"false";
    case VT_BSTR: return L"'" + std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal)) + L"'";
    case VT_DISPATCH: return RenderObject(v.pdispVal);
    default: return L"vt" + std::to_wstring(v.vt);
  }
}

// A script object double: members by name, each call recorded as
// "<member>/<flags>(<arguments>)", answered with 'answer' (or 'failure').
class FakeScript final : public ComObject<FakeScript, IDispatchEx, Also<IDispatch, IDispatchEx>> {
 public:
  explicit FakeScript(std::vector<std::wstring> members) : m_members(std::move(members)) {}

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    ++lookups;
    UniqueBstr name(names[0]);
    return GetDispID(name.Get(), fdexNameCaseSensitive, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT*) override {
    return InvokeEx(id, lcid, flags, params, result, excep, nullptr);
  }
  STDMETHODIMP GetDispID(BSTR name, DWORD, DISPID* id) override {
    for (size_t i = 0; i < m_members.size(); ++i)
      if (m_members[i] == name) {
        *id = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    *id = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, IServiceProvider*) override {
    std::wstring call = id == DISPID_VALUE ? L"(value)" : m_members.at(static_cast<size_t>(id - 1));
    call += L"/" + std::to_wstring(flags) + L"(";
    for (UINT i = params->cArgs; i-- > 0;) {
      call += Render(params->rgvarg[i]);
      if (i) call += L",";
    }
    if (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)
      call += L";put";
    calls.push_back(call + L")");
    if (params->cArgs > 0 && params->rgvarg[params->cArgs - 1].vt == VT_DISPATCH) {
      kept = params->rgvarg[params->cArgs - 1].pdispVal;  // scripts may keep what they get
      if (duringCall) duringCall(kept.Get());
    }
    if (id == DISPID_VALUE && !callable) return DISP_E_MEMBERNOTFOUND;
    if (FAILED(failure)) return failure;
    if (result) ::VariantCopy(result, &answer);
    return S_OK;
  }
  STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

  std::vector<std::wstring> calls;
  UniqueVariant answer;
  HRESULT failure = S_OK;
  int lookups = 0;
  bool callable = false;  // answers DISPID_VALUE like a script function
  ComPtr<IDispatch> kept;
  std::function<void(IDispatch*)> duringCall;

 private:
  std::vector<std::wstring> m_members;
};

// The same object seen through IDispatch alone.
class PlainDispatch final : public ComObject<PlainDispatch, IDispatch> {
 public:
  explicit PlainDispatch(FakeScript* inner) : m_inner(inner) {}
  STDMETHODIMP GetTypeInfoCount(UINT* c) override { return m_inner->GetTypeInfoCount(c); }
  STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return m_inner->GetTypeInfo(i, l, t);
  }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return m_inner->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                      EXCEPINFO* e, UINT* a) override {
    return m_inner->Invoke(d, r, l, f, p, v, e, a);
  }

 private:
  ComPtr<FakeScript> m_inner;
};

class Marker final : public ComObject<Marker, IUnknown> {};

class DispatchConnector : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(components::GetService(contracts::kDispatchConnector, m_connector), S_OK);
    ASSERT_EQ(::LoadTypeLibEx((test::DistDir() + L"\\ui.dll").c_str(), REGKIND_NONE, &m_lib),
              S_OK);
  }
  void TearDown() override {
    m_connector.Reset();
    m_lib.Reset();
    EXPECT_EQ(components::Shutdown(), S_OK);
  }
  ComPtr<ITypeInfo> Info(REFIID iid) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(m_lib->GetTypeInfoOfGuid(iid, &info), S_OK);
    return info;
  }
  ComPtr<FakeScript> Script(std::vector<std::wstring> members) {
    FakeScript* raw = nullptr;
    EXPECT_EQ(FakeScript::CreateObject(&raw, std::move(members)), S_OK);
    return AdoptRef(raw);
  }
  template <class I>
  HRESULT Connect(IUnknown* object, ComPtr<I>& out) {
    return m_connector->ConnectDispatch(object, Info(__uuidof(I)).Get(), __uuidof(I),
                                        reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
  }

  ComPtr<IDispatchConnector> m_connector;
  ComPtr<ITypeLib> m_lib;
};

TEST_F(DispatchConnector, ChecksWhatItIsGiven) {
  auto script = Script({L"OnIdle"});
  ComPtr<ITypeInfo> idle = Info(IID_IIdleHandler);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(m_connector->ConnectDispatch(script.Get(), idle.Get(), IID_IIdleHandler, nullptr),
            E_POINTER);
  EXPECT_EQ(m_connector->ConnectDispatch(nullptr, idle.Get(), IID_IIdleHandler, &out), E_POINTER);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(m_connector->ConnectDispatch(script.Get(), nullptr, IID_IIdleHandler, &out), E_POINTER);
  // Nothing to call: not a script object.
  ComPtr<IUnknown> marker;
  ASSERT_EQ(Marker::Create(marker), S_OK);
  EXPECT_EQ(m_connector->ConnectDispatch(marker.Get(), idle.Get(), IID_IIdleHandler, &out),
            E_NOINTERFACE);
  // The description must be that of the wanted interface.
  EXPECT_EQ(m_connector->ConnectDispatch(script.Get(), idle.Get(), IID_IMsgFilter, &out),
            E_INVALIDARG);
  // A DATE travels in a floating-point register on x64: such signatures are refused.
  EXPECT_EQ(m_connector->ConnectDispatch(script.Get(), Info(IID_IDOMDateTimePicker).Get(),
                                         IID_IDOMDateTimePicker, &out),
            E_NOTIMPL);
  EXPECT_EQ(out, nullptr);
}

struct AnswerCase {
  const char* what;
  VARTYPE answerType;  // VT_EMPTY: the script returns nothing
  LONG answer;
  bool setsProperty;   // the script sets msg.bProcessed = true
  BOOL before;         // *bProcessed when the call starts
  BOOL after;
};

class FilterAnswers : public DispatchConnector, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(FilterAnswers, MessageReachesScriptAsAnObjectAndTheAnswerComesBack) {
  const AnswerCase& c = GetParam();
  auto script = Script({L"PreTranslateMessage"});
  script->answer.vt = c.answerType;
  if (c.answerType == VT_BOOL) script->answer.boolVal = c.answer ? VARIANT_TRUE : VARIANT_FALSE;
  if (c.answerType == VT_I4) script->answer.lVal = c.answer;
  if (c.setsProperty) {
    script->duringCall = [](IDispatch* msg) {
      ComPtr<IDispatchEx> ex;
      ASSERT_EQ(msg->QueryInterface(IID_PPV_ARGS(&ex)), S_OK);
      UniqueBstr name(L"bProcessed");
      DISPID id = DISPID_UNKNOWN;
      ASSERT_EQ(ex->GetDispID(name.Get(), fdexNameCaseSensitive | fdexNameEnsure, &id), S_OK);
      VARIANT value;
      value.vt = VT_BOOL;
      value.boolVal = VARIANT_TRUE;
      DISPID put = DISPID_PROPERTYPUT;
      DISPPARAMS params{&value, &put, 1, 1};
      ASSERT_EQ(ex->InvokeEx(id, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
                S_OK);
    };
  }
  ComPtr<IMsgFilter> filter;
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  MSG msg{reinterpret_cast<HWND>(static_cast<INT_PTR>(0x2a)), 0x100, 'A', -7, 99, {3, -4}};
  BOOL processed = c.before;
  EXPECT_EQ(filter->PreTranslateMessage(&msg, &processed), S_OK);
  EXPECT_EQ(processed, c.after) << c.what;
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(script->calls[0],
            L"PreTranslateMessage/1({hwnd=42,message=256,wParam=65,lParam=-7,time=99,"
            L"pt={x=3,y=-4}}," + std::to_wstring(c.before) + L")")
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterAnswers,
    ::testing::Values(AnswerCase{"returns nothing", VT_EMPTY, 0, false, FALSE, FALSE},
                      AnswerCase{"nothing keeps the value", VT_EMPTY, 0, false, TRUE, TRUE},
                      AnswerCase{"returns true", VT_BOOL, 1, false, FALSE, TRUE},
                      AnswerCase{"returns false", VT_BOOL, 0, false, TRUE, FALSE},
                      AnswerCase{"returns a number", VT_I4, 5, false, FALSE, 5},
                      AnswerCase{"sets msg.bProcessed", VT_EMPTY, 0, true, FALSE, TRUE},
                      AnswerCase{"the result wins", VT_BOOL, 0, true, FALSE, FALSE}));

TEST_F(DispatchConnector, TheMessageObjectOutlivesTheCall) {
  auto script = Script({L"PreTranslateMessage"});
  ComPtr<IMsgFilter> filter;
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  {
    MSG msg{nullptr, 0x201, 1, 2, 3, {4, 5}};
    BOOL processed = FALSE;
    ASSERT_EQ(filter->PreTranslateMessage(&msg, &processed), S_OK);
    msg.message = 0;  // the record changes after the call; the script's copy does not
  }
  ASSERT_TRUE(script->kept);
  EXPECT_EQ(RenderObject(script->kept.Get()),
            L"{hwnd=0,message=513,wParam=1,lParam=2,time=3,pt={x=4,y=5}}");
}

TEST_F(DispatchConnector, FailuresOfTheScriptAreTheCallsResult) {
  auto script = Script({L"PreTranslateMessage", L"OnIdle"});
  script->failure = DISP_E_EXCEPTION;
  ComPtr<IMsgFilter> filter;
  ComPtr<IIdleHandler> idle;
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  ASSERT_EQ(Connect(script.Get(), idle), S_OK);
  MSG msg{};
  BOOL processed = FALSE;
  EXPECT_EQ(filter->PreTranslateMessage(&msg, &processed), DISP_E_EXCEPTION);
  EXPECT_EQ(processed, FALSE);
  EXPECT_EQ(idle->OnIdle(), DISP_E_EXCEPTION);
  // A missing member: the object is called itself, which works only for a function.
  auto empty = Script({});
  ASSERT_EQ(Connect(empty.Get(), idle), S_OK);
  EXPECT_EQ(idle->OnIdle(), DISP_E_MEMBERNOTFOUND);
  empty->callable = true;
  EXPECT_EQ(idle->OnIdle(), S_OK);
  EXPECT_EQ(empty->calls, (std::vector<std::wstring>{L"(value)/1()", L"(value)/1()"}));
}

TEST_F(DispatchConnector, PlainIDispatchObjectsWorkByName) {
  auto script = Script({L"OnIdle"});
  ComPtr<IDispatch> plain;
  ASSERT_EQ(PlainDispatch::Create(plain, script.Get()), S_OK);
  ComPtr<IIdleHandler> idle;
  ASSERT_EQ(Connect(plain.Get(), idle), S_OK);
  EXPECT_EQ(idle->OnIdle(), S_OK);
  EXPECT_EQ(idle->OnIdle(), S_OK);
  EXPECT_EQ(script->calls, (std::vector<std::wstring>{L"OnIdle/1()", L"OnIdle/1()"}));
  EXPECT_EQ(script->lookups, 2);
}

TEST_F(DispatchConnector, DualInterfacesForwardPropertiesResultsAndTheirDispatchPart) {
  auto script = Script({L"Tile", L"alert", L"echoTickCount"});
  ComPtr<IMainWindow> window;
  ASSERT_EQ(Connect(script.Get(), window), S_OK);
  EXPECT_EQ(window->put_Tile(VARIANT_TRUE), S_OK);
  script->answer.vt = VT_BOOL;
  script->answer.boolVal = VARIANT_TRUE;
  VARIANT_BOOL tile = VARIANT_FALSE;
  EXPECT_EQ(window->get_Tile(&tile), S_OK);
  EXPECT_EQ(tile, VARIANT_TRUE);
  UniqueBstr message(L"hello"), title(L"t");
  EXPECT_EQ(window->alert(message.Get(), title.Get()), S_OK);
  script->answer.Clear();
  script->answer.vt = VT_I4;
  script->answer.lVal = 42;
  long ticks = 0;
  EXPECT_EQ(window->echoTickCount(&ticks), S_OK);
  EXPECT_EQ(ticks, 42);
  EXPECT_EQ(script->calls,
            (std::vector<std::wstring>{L"Tile/4(true;put)", L"Tile/2()", L"alert/1('hello','t')",
                                       L"echoTickCount/1()"}));
  // The interface's IDispatch part is the script object's own.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(window.As(&dispatch), S_OK);
  std::wstring name(L"alert");
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 2);
}

TEST_F(DispatchConnector, AdaptersAnswerForTheirScriptObject) {
  auto script = Script({L"OnIdle", L"PreTranslateMessage"});
  auto other = Script({L"OnIdle"});
  ComPtr<IIdleHandler> idle;
  ComPtr<IMsgFilter> filter;
  ComPtr<IIdleHandler> otherIdle;
  ASSERT_EQ(Connect(script.Get(), idle), S_OK);
  ASSERT_EQ(Connect(script.Get(), filter), S_OK);
  ASSERT_EQ(Connect(other.Get(), otherIdle), S_OK);
  ComPtr<IObjectIdentity> identity;
  ASSERT_EQ(idle.As(&identity), S_OK);
  ComPtr<IUnknown> scriptUnknown;
  ASSERT_EQ(script.As(&scriptUnknown), S_OK);
  EXPECT_EQ(identity->IsEqualObject(scriptUnknown.Get()), S_OK);
  EXPECT_EQ(identity->IsEqualObject(filter.Get()), S_OK);  // another adapter of the same object
  EXPECT_EQ(identity->IsEqualObject(other.Get()), S_FALSE);
  EXPECT_EQ(identity->IsEqualObject(otherIdle.Get()), S_FALSE);
  // The adapter is a COM object of its own: one identity for its interfaces.
  EXPECT_TRUE(IsSameObject(idle.Get(), identity.Get()));
  EXPECT_FALSE(IsSameObject(idle.Get(), scriptUnknown.Get()));
  ComPtr<IMsgFilter> wrong;
  EXPECT_EQ(idle.As(&wrong), E_NOINTERFACE);
}

TEST_F(DispatchConnector, AdaptersReleaseTheirScriptObject) {
  {
    auto script = Script({L"PreTranslateMessage"});
    ComPtr<IMsgFilter> filter;
    ASSERT_EQ(Connect(script.Get(), filter), S_OK);
    MSG msg{};
    BOOL processed = FALSE;
    filter->PreTranslateMessage(&msg, &processed);
    script->kept.Reset();  // the double itself holds the message object
  }
  EXPECT_EQ(LiveObjects<FakeScript>::Count(), 0);
}

}  // namespace
}  // namespace velmor
