// Plain JScript objects as message filters and idle handlers: the message manager adapts them
// through the component runtime's dispatch connector, the script sees the message's fields and
// answers through its return value or msg.bProcessed, and removing the script object finds the
// adapter again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/activscp_ids.h"
#include "base/bstr.h"
#include "base/com_object.h"
#include "components/component_manager.h"
#include "host/message_manager.h"
#include "host_doubles.h"
#include "loop_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

// The smallest site JScript needs: no named items; script errors are counted.
class MinimalSite final : public ComObject<MinimalSite, IActiveScriptSite> {
 public:
  STDMETHODIMP GetLCID(LCID* lcid) override {
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown** item, ITypeInfo** info) override {
    if (item) *item = nullptr;
    if (info) *info = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  STDMETHODIMP GetDocVersionString(BSTR* version) override {
    *version = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError*) override {
    ++errors;
    return S_OK;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }
  int errors = 0;
};

constexpr const wchar_t* kScript = LR"JS(
var seen = [];
var idleCount = 0;
var ticks = 0;
var filter = {
  PreTranslateMessage: function (msg, processed) {
    seen.push([msg.hwnd, msg.message, msg.wParam, msg.lParam, msg.time, msg.pt.x, msg.pt.y,
               processed].join(','));
    if (msg.message == 0x8001) return true;          // answers through its result
    if (msg.message == 0x8002) msg.bProcessed = true;  // answers through the message
    if (msg.message == 0x8003) return false;
  }
};
var idle = { OnIdle: function () { idleCount++; } };
function tick() { ticks++; }
var silent = { unrelated: 1 };
var thrower = { PreTranslateMessage: function () { throw new Error('no'); } };
)JS";

class ScriptFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DrainQueue();
    ASSERT_TRUE(m_module.Loaded());
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(CMessageManager::Create(m_manager), S_OK);
    ASSERT_EQ(m_manager->QueryInterface(IID_PPV_ARGS(&m_app)), S_OK);
    m_loop = static_cast<CMessageLoopEx*>(m_app->GetMessageLoop());

    ASSERT_EQ(::CoCreateInstance(kClsidJScript, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&m_engine)),
              S_OK);
    ASSERT_EQ(MinimalSite::Create(m_siteUnknown), S_OK);
    m_site = static_cast<MinimalSite*>(static_cast<IActiveScriptSite*>(m_siteUnknown.Get()));
    ASSERT_EQ(m_engine->SetScriptSite(m_siteUnknown.Get()), S_OK);
    // The identifier of the build's bitness (defined by base/activscp_ids.cpp).
    ASSERT_EQ(m_engine->QueryInterface(IID_IActiveScriptParse,
                                       reinterpret_cast<void**>(m_parse.GetAddressOf())),
              S_OK);
    ASSERT_EQ(m_parse->InitNew(), S_OK);
    ASSERT_EQ(m_parse->ParseScriptText(kScript, nullptr, nullptr, nullptr, 0, 0, 0, nullptr,
                                       nullptr),
              S_OK);
    ASSERT_EQ(m_engine->SetScriptState(SCRIPTSTATE_CONNECTED), S_OK);
  }
  void TearDown() override {
    m_manager.Reset();
    m_app.Reset();
    if (m_engine) m_engine->Close();
    m_parse.Reset();
    m_engine.Reset();
    m_siteUnknown.Reset();
    EXPECT_EQ(components::Shutdown(), S_OK);
    test::DrainQueue();
  }

  // The value of a script expression.
  void Eval(const wchar_t* expression, VARIANT* result) {
    ::VariantInit(result);
    ASSERT_EQ(m_parse->ParseScriptText(expression, nullptr, nullptr, nullptr, 0, 0,
                                       SCRIPTTEXT_ISEXPRESSION, result, nullptr),
              S_OK)
        << test::Narrow(expression);
  }
  ComPtr<IDispatch> Object(const wchar_t* expression) {
    UniqueVariant v;
    Eval(expression, &v);
    EXPECT_EQ(v.vt, VT_DISPATCH);
    return ComPtr<IDispatch>(v.vt == VT_DISPATCH ? v.pdispVal : nullptr);
  }
  std::wstring Text(const wchar_t* expression) {
    UniqueVariant v;
    Eval(expression, &v);
    UniqueVariant s;
    if (FAILED(::VariantChangeType(&s, &v, 0, VT_BSTR))) return L"?";
    return std::wstring(s.bstrVal, ::SysStringLen(s.bstrVal));
  }
  long Number(const wchar_t* expression) {
    UniqueVariant v;
    Eval(expression, &v);
    UniqueVariant n;
    if (FAILED(::VariantChangeType(&n, &v, 0, VT_I4))) return -1;
    return n.lVal;
  }
  BOOL Offer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, POINT pt) {
    MSG msg{hwnd, message, wParam, lParam, time, pt};
    return m_loop->PreTranslateMessage(&msg);
  }

  test::ScopedEngineModule m_module;
  ComPtr<IMessageManager> m_manager;
  ComPtr<IAppMessageManager> m_app;
  CMessageLoopEx* m_loop = nullptr;
  ComPtr<IActiveScript> m_engine;
  ComPtr<IActiveScriptParseT> m_parse;
  ComPtr<IActiveScriptSite> m_siteUnknown;
  MinimalSite* m_site = nullptr;
};

TEST_F(ScriptFilterTest, ScriptObjectSeesTheMessageFieldsAndAnswersProcessed) {
  ComPtr<IDispatch> filter = Object(L"filter");
  ASSERT_EQ(m_manager->AddMsgFilter(filter.Get()), S_OK);
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  EXPECT_TRUE(Offer(hwnd, 0x8001, 7, -5, 1000, {10, -20}));
  EXPECT_TRUE(Offer(hwnd, 0x8002, 8, 6, 1001, {0, 0}));
  EXPECT_FALSE(Offer(hwnd, 0x8003, 9, 0, 1002, {1, 2}));
  EXPECT_FALSE(Offer(nullptr, 0x8004, 0, 0, 0, {0, 0}));
  EXPECT_EQ(Text(L"seen.join('|')"),
            L"4660,32769,7,-5,1000,10,-20,0|4660,32770,8,6,1001,0,0,0|"
            L"4660,32771,9,0,1002,1,2,0|0,32772,0,0,0,0,0,0");
  // Wide values reach script whole.
  const WPARAM wide = sizeof(WPARAM) == 8 ? static_cast<WPARAM>(0x123456789ull) : 0x80000000u;
  Offer(nullptr, 0x8004, wide, 0, 0xFFFFFFFFu, {0, 0});
  EXPECT_EQ(Text(L"seen[4]"), sizeof(WPARAM) == 8 ? L"0,32772,4886718345,0,4294967295,0,0,0"
                                                  : L"0,32772,2147483648,0,4294967295,0,0,0");
  EXPECT_EQ(m_site->errors, 0);
}

TEST_F(ScriptFilterTest, ScriptFilterSwallowsMessagesInTheRunningLoop) {
  std::vector<std::string> log;
  test::RecordingWindow window(log);
  window.onMessage = [this](UINT message, WPARAM) {
    if (message == 0x8009) {
      m_manager->Quit(FALSE);
    }
  };
  ComPtr<IDispatch> filter = Object(L"filter");
  ASSERT_EQ(m_manager->AddMsgFilter(filter.Get()), S_OK);
  for (UINT message : {0x8001u, 0x8002u, 0x8003u, 0x8009u})
    ::PostMessageW(window.Get(), message, 0, 0);
  EXPECT_EQ(m_loop->Run(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{test::MessageEntry("window", 0x8003, 0),
                                           test::MessageEntry("window", 0x8009, 0)}));
  EXPECT_EQ(Number(L"seen.length"), 4);
}

TEST_F(ScriptFilterTest, RemovingTheScriptObjectFindsItsAdapter) {
  ComPtr<IDispatch> filter = Object(L"filter");
  ComPtr<IDispatch> other = Object(L"idle");
  ASSERT_EQ(m_manager->AddMsgFilter(filter.Get()), S_OK);
  EXPECT_EQ(m_manager->RemoveMsgFilter(other.Get()), S_FALSE);
  // The script hands the same object again: a new evaluation, the same identity.
  ComPtr<IDispatch> again = Object(L"filter");
  EXPECT_EQ(m_manager->RemoveMsgFilter(again.Get()), S_OK);
  EXPECT_EQ(m_manager->RemoveMsgFilter(again.Get()), S_FALSE);
  EXPECT_FALSE(Offer(nullptr, 0x8001, 0, 0, 0, {0, 0}));
  EXPECT_EQ(Number(L"seen.length"), 0);
}

TEST_F(ScriptFilterTest, ScriptIdleHandlersRunAndAreRemoved) {
  ComPtr<IDispatch> idle = Object(L"idle");
  ComPtr<IDispatch> tick = Object(L"tick");  // a plain function stands for OnIdle
  ASSERT_EQ(m_manager->AddIdleHandler(idle.Get()), S_OK);
  ASSERT_EQ(m_manager->AddIdleHandler(tick.Get()), S_OK);
  m_loop->OnIdle(0);
  m_loop->OnIdle(0);
  EXPECT_EQ(Number(L"idleCount"), 2);
  EXPECT_EQ(Number(L"ticks"), 2);
  EXPECT_EQ(m_manager->RemoveIdleHandler(Object(L"idle").Get()), S_OK);
  m_loop->OnIdle(0);
  EXPECT_EQ(Number(L"idleCount"), 2);
  EXPECT_EQ(Number(L"ticks"), 3);
  EXPECT_EQ(m_manager->RemoveIdleHandler(tick.Get()), S_OK);
  EXPECT_EQ(m_manager->RemoveIdleHandler(tick.Get()), S_FALSE);
}

TEST_F(ScriptFilterTest, ObjectsWithoutTheMemberOrThatThrowDoNotSwallow) {
  // Accepted by the connector; the call fails, which counts as not processed.
  ASSERT_EQ(m_manager->AddMsgFilter(Object(L"silent").Get()), S_OK);
  ASSERT_EQ(m_manager->AddMsgFilter(Object(L"thrower").Get()), S_OK);
  ASSERT_EQ(m_manager->AddMsgFilter(Object(L"filter").Get()), S_OK);
  EXPECT_FALSE(Offer(nullptr, 0x8003, 0, 0, 0, {0, 0}));
  EXPECT_TRUE(Offer(nullptr, 0x8001, 0, 0, 0, {0, 0}));
  EXPECT_EQ(Number(L"seen.length"), 2);
}

TEST_F(ScriptFilterTest, WithoutTheConnectorScriptObjectsAreRefused) {
  // Something that is not a connector stands under the connector's contract.
  EXPECT_EQ(components::RegisterObject(contracts::kDispatchConnector, m_manager.Get()), S_OK);
  ComPtr<IDispatch> filter = Object(L"filter");
  const HRESULT hr = m_manager->AddMsgFilter(filter.Get());
  components::UnregisterObject(contracts::kDispatchConnector);
  EXPECT_EQ(hr, E_NOINTERFACE);
}

}  // namespace
}  // namespace velmor
