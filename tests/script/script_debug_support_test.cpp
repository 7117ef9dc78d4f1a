// The debug support against an in-process fake of the process debug manager: its construction
// sequence, every failure path, the debug document fed by parsing, the interfaces it answers for
// its owner, teardown, and the preference switches of the application script host. Wine has no
// process debug manager, so the unregistered case is what the real platform gives.
#include "script/script_debug_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "components/component_manager.h"
#include "fake_debug_manager.h"
#include "script/script_settings.h"
#include "script_test_support.h"

namespace velmor {
namespace {

using test::FakeDebugLog;
using test::ScopedFakeDebugManager;

// A host with an engine in the CONNECTED state, built step by step so debug support can be
// added without the preferences service.
class DebuggedHost {
 public:
  explicit DebuggedHost(bool withDebug) {
    EXPECT_EQ(CJScript::CreateObject(&m_host), S_OK);
    if (withDebug) m_debugResult = m_host->CreateDebugSupport();
    EXPECT_EQ(m_host->CreateEngine(L"JScript"), S_OK);
    EXPECT_EQ(m_host->SetScriptState(SCRIPTSTATE_STARTED), S_OK);
    EXPECT_EQ(m_host->SetScriptState(SCRIPTSTATE_CONNECTED), S_OK);
  }
  ~DebuggedHost() { Release(); }
  void Release() {
    if (m_host == nullptr) return;
    m_host->CloseEngine();
    m_host->Release();
    m_host = nullptr;
  }
  CJScript* operator->() const { return m_host; }
  HRESULT debugResult() const { return m_debugResult; }

 private:
  CJScript* m_host = nullptr;
  HRESULT m_debugResult = E_FAIL;
};

TEST(ScriptDebugSupport, RegistersOneApplicationAndDocumentAndFeedsIt) {
  ScopedFakeDebugManager fake;
  ASSERT_EQ(fake.registered(), S_OK);
  const long hostsBefore = LiveObjects<CJScript>::Count();
  {
    DebuggedHost host(true);
    ASSERT_EQ(host.debugResult(), S_OK);
    const std::vector<std::wstring> expected = {
        L"CreateApplication",
        L"SetName(Velmor)",
        L"CreateDebugDocumentHelper((null))",
        L"Init(app|Current Text|Velmor Scripted Current Text|1)",
        L"Attach((null))",
        L"SetDocumentAttr(1)",
        L"SetDebugDocumentHost(host)",
        L"AddApplication(app)",
    };
    ASSERT_GE(FakeDebugLog().calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::wstring>(FakeDebugLog().calls.begin(),
                                        FakeDebugLog().calls.begin() + expected.size()),
              expected);
    // The document's host is the owner's own IDebugDocumentHost.
    ComPtr<IDebugDocumentHost> documentHost;
    ASSERT_EQ(host->QueryInterface(__uuidof(IDebugDocumentHost),
                                   reinterpret_cast<void**>(documentHost.GetAddressOf())),
              S_OK);
    EXPECT_TRUE(IsSameObject(FakeDebugLog().lastHost, documentHost.Get()));
    documentHost.Reset();
    {
      // The one debug application goes to the owner's interface and to the engine's site alike;
      // script errors break into the debugger.
      ComPtr<IScriptControlDebug> control;
      ASSERT_EQ(host->QueryInterface(IID_PPV_ARGS(&control)), S_OK);
      ComPtr<IUnknown> application, manager;
      ASSERT_EQ(control->GetDebugApplication(IID_IUnknown,
                                             reinterpret_cast<void**>(application.GetAddressOf())),
                S_OK);
      ASSERT_EQ(control->GetProcessDebugManager(IID_IUnknown,
                                                reinterpret_cast<void**>(manager.GetAddressOf())),
                S_OK);
      EXPECT_NE(application.Get(), manager.Get());
      ComPtr<ActiveScriptSiteDebug> site;
      ASSERT_EQ(host->QueryInterface(__uuidof(ActiveScriptSiteDebug),
                                     reinterpret_cast<void**>(site.GetAddressOf())),
                S_OK);
      ComPtr<DebugApplication> fromSite;
      ASSERT_EQ(site->GetApplication(&fromSite), S_OK);
      EXPECT_TRUE(IsSameObject(fromSite.Get(), application.Get()));
      BOOL enter = FALSE, callOnError = FALSE;
      EXPECT_EQ(site->OnScriptErrorDebug(nullptr, &enter, &callOnError), S_OK);
      EXPECT_TRUE(enter && callOnError);
    }

    // Parsed text goes into the debug document.
    FakeDebugLog().calls.clear();
    ASSERT_EQ(host->AddCode(L"var answer = 42;", L""), S_OK);
    UniqueVariant result;
    ASSERT_EQ(host->Evaluate(L"answer", L"", result.Put()), S_OK);
    EXPECT_EQ(result.lVal, 42);
    const std::vector<std::wstring> parsed = {
        L"AddUnicodeText(var answer = 42;)", L"DefineScriptBlock(0,16,engine,0)",
        L"AddUnicodeText(answer)", L"DefineScriptBlock(0,6,engine,0)"};
    EXPECT_EQ(FakeDebugLog().calls, parsed);
    // A debug document that refuses the block does not stop the text from running.
    FakeDebugLog().failAt = L"DefineScriptBlock";
    ASSERT_EQ(host->AddCode(L"answer = 43;", L""), S_OK);
    ASSERT_EQ(host->Evaluate(L"answer", L"", result.Put()), S_OK);
    EXPECT_EQ(result.lVal, 43);

    FakeDebugLog().calls.clear();
    FakeDebugLog().failAt.clear();
    host.Release();
    // Closing gives the document its host back; the application is removed with its cookie.
    EXPECT_TRUE(FakeDebugLog().Has(L"SetDebugDocumentHost((null))"));
    EXPECT_TRUE(FakeDebugLog().Has(L"RemoveApplication(20816)"));
  }
  EXPECT_EQ(LiveObjects<CJScript>::Count(), hostsBefore);
  EXPECT_EQ(test::LiveFakeDebugObjects(), 0);
}

TEST(ScriptDebugSupport, AnyFailingStepLeavesNoDebugSupport) {
  // "": no process debug manager registered, as under Wine.
  const wchar_t* steps[] = {L"",
                            L"CreateApplication",
                            L"SetName",
                            L"CreateDebugDocumentHelper",
                            L"Init",
                            L"Attach",
                            L"SetDocumentAttr",
                            L"SetDebugDocumentHost",
                            L"AddApplication"};
  for (const wchar_t* step : steps) {
    SCOPED_TRACE(testing::Message() << step);
    std::optional<ScopedFakeDebugManager> fake;
    if (*step != L'\0') {
      ASSERT_EQ(fake.emplace().registered(), S_OK);
    } else {
      FakeDebugLog() = test::DebugManagerLog{};
    }
    FakeDebugLog().failAt = step;
    FakeDebugLog().failure = static_cast<HRESULT>(0x80041001);
    {
      DebuggedHost host(true);
      EXPECT_EQ(host.debugResult(), fake ? static_cast<HRESULT>(0x80041001) : REGDB_E_CLASSNOTREG);
      EXPECT_FALSE(host->HasDebugSupport());
      ComPtr<IScriptControlDebug> debug;
      EXPECT_EQ(host->QueryInterface(IID_PPV_ARGS(&debug)), E_NOINTERFACE);
      // Only a registered application is removed again.
      EXPECT_FALSE(FakeDebugLog().Has(L"RemoveApplication(20816)"));
      UniqueVariant result;
      EXPECT_EQ(host->Evaluate(L"1", L"", result.Put()), S_OK);
      // Nothing was added to a debug document.
      EXPECT_FALSE(FakeDebugLog().Has(L"AddUnicodeText(1)"));
    }
    EXPECT_EQ(test::LiveFakeDebugObjects(), 0);
  }
}



// The application script host reads both switches through the preferences service.
class DebugPreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(components::GetService(contracts::kPreferences, m_prefs), S_OK);
  }
  void TearDown() override {
    m_prefs->ClearPref(kPrefScriptDebugEnable);
    m_prefs->ClearPref(kPrefScriptDebugAutoBreak);
    m_prefs.Reset();
    SetScriptDebuggingEnabled(false);
    EXPECT_EQ(components::Shutdown(), S_OK);
  }
  void Set(bool enable, bool autoBreak) {
    ASSERT_EQ(m_prefs->SetBoolPref(kPrefScriptDebugEnable, enable ? VARIANT_TRUE : VARIANT_FALSE),
              S_OK);
    ASSERT_EQ(
        m_prefs->SetBoolPref(kPrefScriptDebugAutoBreak, autoBreak ? VARIANT_TRUE : VARIANT_FALSE),
        S_OK);
  }
  ComPtr<IPreferencesService> m_prefs;
};

TEST_F(DebugPreferencesTest, SwitchesDecideDebugSupportAndTheFirstBreak) {
  struct Case {
    bool enable, autoBreak;
    bool managerCreated, answersDebug, breaks;
  };
  const Case cases[] = {
      {false, false, false, false, false},
      {false, true, false, false, false},
      {true, false, true, true, false},
      {true, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "enable " << c.enable << " autobreak " << c.autoBreak);
    ScopedFakeDebugManager fake;
    ASSERT_EQ(fake.registered(), S_OK);
    Set(c.enable, c.autoBreak);
    test::ScriptHost host;
    ASSERT_EQ(host.created(), S_OK);
    EXPECT_EQ(IsScriptDebuggingEnabled(), c.enable);
    EXPECT_EQ(FakeDebugLog().instancesCreated > 0, c.managerCreated);
    ComPtr<IScriptControlDebug> debug;
    EXPECT_EQ(SUCCEEDED(host->QueryInterface(IID_PPV_ARGS(&debug))), c.answersDebug);
    EXPECT_EQ(FakeDebugLog().Has(L"CauseBreak"), c.breaks);
    // Start-up publishes the service manager to scripts.
    EXPECT_EQ(host.EvalString(L"typeof Components"), L"object");
  }
}

}  // namespace
}  // namespace velmor
