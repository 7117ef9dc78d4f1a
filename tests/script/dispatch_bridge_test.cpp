// The dispatch bridge with the real JScript engine: expandos, native members in any letter case,
// read-only members shadowed by expandos, method values as function objects, accessor
// properties and native descriptors.
#include <gtest/gtest.h>

#include <string>

#include "base/bstr.h"
#include "script/dispatch_bridge.h"
#include "support/script_runner.h"
#include "support/test_env.h"
#include "typelib/dual_dispatch.h"

namespace velmor {
namespace {

class BridgeProbe;

HRESULT NoHeldDispatch(IUnknown*, IDispatch** out) {
  *out = nullptr;
  return S_OK;
}

const DispInterfaceEntry kProbeEntries[] = {
    {&__uuidof(IDOMLabel), nullptr},
    {&__uuidof(IDOMEvent), nullptr},
    {nullptr, &NoHeldDispatch},  // a held pointer that is absent
};
const DispInterfaceTable kProbeTable{kProbeEntries, 3};

// A native object with a label's and an event's members behind the bridge.
class BridgeProbe final
    : public ComObject<BridgeProbe, IDispatchExImpl<BridgeProbe>,
                       Also<IDispatch, IDispatchExImpl<BridgeProbe>>, IDispatchImplEx<BridgeProbe>,
                       DualDispatchImpl<IDOMLabel>, Also<IDOMNode, DualDispatchImpl<IDOMLabel>>,
                       DualDispatchImpl<IDOMEvent>> {
 public:
  BridgeProbe() : m_bridge(kProbeTable) { m_bridge.Bind(GetUnknown(), this); }
  IDispatchExImplBase& Bridge() { return m_bridge; }

  // IDOMNode
  STDMETHODIMP get_nodeName(BSTR* v) override { return Copy(L"probe", v); }
  STDMETHODIMP get_parentNode(IDOMNode** v) override { return Null(v); }
  STDMETHODIMP get_firstChild(IDOMNode** v) override { return Null(v); }
  STDMETHODIMP get_lastChild(IDOMNode** v) override { return Null(v); }
  STDMETHODIMP get_previousSibling(IDOMNode** v) override { return Null(v); }
  STDMETHODIMP get_nextSibling(IDOMNode** v) override { return Null(v); }
  STDMETHODIMP get_ownerDocument(IDispatch** v) override { return Null(v); }
  // IDOMLabel
  STDMETHODIMP get_value(BSTR* v) override { return Copy(value.c_str(), v); }
  STDMETHODIMP put_value(BSTR v) override {
    value.assign(v ? v : L"", ::SysStringLen(v));
    return S_OK;
  }
  STDMETHODIMP get_foregroundColor(VARIANT* v) override {
    ::VariantInit(v);
    return S_OK;
  }
  STDMETHODIMP put_foregroundColor(VARIANT) override { return S_OK; }
  // IDOMEvent
  STDMETHODIMP get_type(BSTR* v) override { return Copy(L"probe-event", v); }
  STDMETHODIMP get_target(IDispatch** v) override { return Null(v); }
  STDMETHODIMP preventDefault() override {
    ++prevented;
    return S_OK;
  }
  STDMETHODIMP initEvent(BSTR type) override {
    initType.assign(type ? type : L"", ::SysStringLen(type));
    return S_OK;
  }

  std::wstring value = L"v0";
  std::wstring initType;
  int prevented = 0;

 private:
  static HRESULT Copy(const wchar_t* text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = ::SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  template <class T>
  static HRESULT Null(T** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  IDispatchExImplBase m_bridge;
};

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BridgeProbe* raw = nullptr;
    ASSERT_EQ(BridgeProbe::CreateObject(&raw), S_OK);
    probe.Attach(raw);
    ASSERT_EQ(runner.Ready(), S_OK);
    ASSERT_EQ(runner.AddObject(L"el", probe->GetUnknown()), S_OK);
  }
  std::wstring Eval(const wchar_t* expression) {
    UniqueVariant v;
    const HRESULT hr = runner.Evaluate(expression, v.Put());
    if (FAILED(hr)) return L"<error " + runner.LastError() + L">";
    if (FAILED(::VariantChangeType(&v, &v, VARIANT_ALPHABOOL, VT_BSTR))) return L"<not text>";
    return std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal));
  }

  test::ScriptRunner runner;
  ComPtr<BridgeProbe> probe;
};

TEST_F(BridgeTest, ExpandosAreCaseSensitiveWhileNativeNamesAreNot) {
  ASSERT_EQ(runner.Execute(L"el.foo = 1;"), S_OK) << runner.LastError();
  EXPECT_EQ(Eval(L"el.foo"), L"1");
  EXPECT_EQ(Eval(L"typeof el.Foo"), L"undefined");
  ASSERT_EQ(runner.Execute(L"el.VALUE = 'written';"), S_OK) << runner.LastError();
  EXPECT_EQ(probe->value, L"written");
  EXPECT_EQ(Eval(L"el.Value"), L"written");
}

TEST_F(BridgeTest, ReadOnlyNativeMemberIsShadowedByAnExpandoOfThatExactName) {
  ASSERT_EQ(runner.Execute(L"el.nodeName = 'mine';"), S_OK) << runner.LastError();
  EXPECT_EQ(Eval(L"el.nodeName"), L"mine");
  EXPECT_EQ(Eval(L"el.NODENAME"), L"probe");
}

TEST_F(BridgeTest, MethodReadAsValueIsAFunctionTakingItsTarget) {
  ASSERT_EQ(runner.Execute(L"var f = el.initEvent; f(el, 'click');"), S_OK) << runner.LastError();
  EXPECT_EQ(probe->initType, L"click");
  ASSERT_EQ(runner.Execute(L"f.call(el, 'dblclick');"), S_OK) << runner.LastError();
  EXPECT_EQ(probe->initType, L"dblclick");
  EXPECT_FAILED(runner.Execute(L"f('alone');"));
  EXPECT_EQ(probe->initType, L"dblclick");
  // Members of the second interface of the table are reached too.
  ASSERT_EQ(runner.Execute(L"el.preventDefault();"), S_OK) << runner.LastError();
  EXPECT_EQ(probe->prevented, 1);
}

TEST_F(BridgeTest, DefinedGetterIsCalledWithTheElementAsThis) {
  ASSERT_EQ(runner.Execute(L"var seen = '';"
                           L"el.DefineOwnProperty('value', { get: function () {"
                           L"  seen = this.NodeName; return 42; } }, false);"),
            S_OK)
      << runner.LastError();
  EXPECT_EQ(Eval(L"el.value + 1"), L"43");
  EXPECT_EQ(Eval(L"seen"), L"probe");
  EXPECT_EQ(probe->value, L"v0");  // the native member is not touched
}

TEST_F(BridgeTest, NativeDescriptorReadsAndWritesTheMember) {
  ASSERT_EQ(runner.Execute(L"var d = el.GetOwnProperty('value');"), S_OK) << runner.LastError();
  EXPECT_EQ(Eval(L"d.get(el)"), L"v0");
  ASSERT_EQ(runner.Execute(L"d.set(el, 'through set');"), S_OK) << runner.LastError();
  EXPECT_EQ(probe->value, L"through set");
  EXPECT_EQ(Eval(L"el.GetOwnProperty('nothing') === null"), L"True");
}

TEST_F(BridgeTest, ExpandoHoldingAFunctionIsCalledAsAMethod) {
  ASSERT_EQ(runner.Execute(L"el.twice = function (x) { return x * 2; };"), S_OK)
      << runner.LastError();
  EXPECT_EQ(Eval(L"el.twice(21)"), L"42");
  ASSERT_EQ(runner.Execute(L"el.twice = function (x) { return x * 3; };"), S_OK)
      << runner.LastError();
  EXPECT_EQ(Eval(L"el.twice(2)"), L"6");
}

// The same rules through the native interfaces, with the exact results.
class BridgeDirectTest : public BridgeTest {
 protected:
  ComPtr<IDispatchEx> Ex() {
    ComPtr<IDispatchEx> ex;
    EXPECT_EQ(probe->GetUnknown()->QueryInterface(IID_PPV_ARGS(&ex)), S_OK);
    return ex;
  }
};

TEST_F(BridgeDirectTest, NamesAndIdentifiers) {
  ComPtr<IDispatchEx> ex = Ex();
  UniqueBstr width(L"VALUE"), foo(L"foo"), own(L"getownproperty"), type(L"type");
  DISPID id = 0;
  ASSERT_EQ(ex->GetDispID(width.Get(), fdexNameCaseSensitive, &id), S_OK);
  EXPECT_EQ(id, 0x100000a0);  // position 1, member 0xa0
  ASSERT_EQ(ex->GetDispID(type.Get(), 0, &id), S_OK);
  EXPECT_EQ(id, 0x200000f0);
  ASSERT_EQ(ex->GetDispID(own.Get(), 0, &id), S_OK);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(ex->GetDispID(foo.Get(), 0, &id), DISP_E_UNKNOWNNAME);
  ASSERT_EQ(ex->GetDispID(foo.Get(), fdexNameEnsure, &id), S_OK);
  EXPECT_EQ(id, 3);
  UniqueBstr name;
  ASSERT_EQ(ex->GetMemberName(3, name.Put()), S_OK);
  EXPECT_EQ(name.View(), L"foo");
  EXPECT_EQ(ex->GetMemberName(99, name.Put()), E_FAIL);
  // Deleted expandos come back with a new identifier.
  ASSERT_EQ(ex->DeleteMemberByName(foo.Get(), 0), S_OK);
  ASSERT_EQ(ex->GetDispID(foo.Get(), fdexNameEnsure, &id), S_OK);
  EXPECT_EQ(id, 4);
  EXPECT_EQ(ex->DeleteMemberByDispID(4), S_OK);
  EXPECT_EQ(ex->DeleteMemberByDispID(4), S_FALSE);
}

TEST_F(BridgeDirectTest, ErrorsOfTheDispatchFace) {
  ComPtr<IDispatchEx> ex = Ex();
  LPOLESTR names[1] = {const_cast<LPOLESTR>(L"value")};
  DISPID id = 0;
  const IID other = __uuidof(IDOMLabel);
  EXPECT_EQ(ex->GetIDsOfNames(other, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(ex->GetIDsOfNames(IID_NULL, names, 0, 0, &id), E_INVALIDARG);
  EXPECT_EQ(ex->GetDispID(nullptr, 0, &id), E_POINTER);
  // Constructing a native object succeeds and does nothing.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(ex->InvokeEx(0x100000a0, 0, DISPATCH_CONSTRUCT, &none, nullptr, nullptr, nullptr),
            S_OK);
  // A method call carrying a 'this' is refused.
  VARIANT self;
  self.vt = VT_UNKNOWN;
  self.punkVal = probe->GetUnknown();
  DISPID thisId = DISPID_THIS;
  DISPPARAMS withThis{&self, &thisId, 1, 1};
  EXPECT_EQ(ex->InvokeEx(0x200000f2, 0, DISPATCH_METHOD, &withThis, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(ex->GetMemberProperties(1, 0, nullptr), E_NOTIMPL);
  UINT count = 0;
  EXPECT_EQ(ex->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(ex->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(ex->GetTypeInfo(0, 0, &info), S_OK);
  // Reading an expando that was never given a value.
  UniqueBstr foo(L"foo");
  ASSERT_EQ(ex->GetDispID(foo.Get(), fdexNameEnsure, &id), S_OK);
  UniqueVariant result;
  EXPECT_EQ(ex->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(ex->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(ex->InvokeEx(0x0ABCDEF0, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr,
                         nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(BridgeDirectTest, DescriptorOperationsCheckTheirArguments) {
  ComPtr<IJSObject> js;
  ASSERT_EQ(probe->GetUnknown()->QueryInterface(IID_PPV_ARGS(&js)), S_OK);
  UniqueBstr value(L"value");
  EXPECT_EQ(js->GetOwnProperty(value.Get(), nullptr), E_POINTER);
  EXPECT_EQ(js->DefineOwnProperty(nullptr, nullptr, VARIANT_FALSE), E_INVALIDARG);
  EXPECT_EQ(js->DefineOwnProperty(value.Get(), nullptr, VARIANT_FALSE), E_INVALIDARG);
  ComPtr<IDispatch> desc;
  ASSERT_EQ(js->GetOwnProperty(value.Get(), &desc), S_OK);
  ASSERT_TRUE(desc);
  EXPECT_EQ(LiveObjects<CEmptyDispatchEx>::Count(), 1);
  desc.Reset();
  EXPECT_EQ(LiveObjects<CEmptyDispatchEx>::Count(), 0);
  EXPECT_EQ(LiveObjects<CDispFunction>::Count(), 0);
}

}  // namespace
}  // namespace velmor
