// The debug support of the application script host, made as start-up makes it with both
// preference switches, against an in-process fake of the process debug manager: its construction
// sequence, every failure path, the debug document fed by parsing, the interfaces it answers for
// its owner and teardown. Wine has no process debug manager, so the unregistered case is what the
// real platform gives.
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

// Both switches are read through the preferences service when the host is made.
class ScriptDebugSupportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_EQ(components::GetService(contracts::kPreferences, m_prefs), S_OK);
    m_hosts = LiveObjects<CJScript>::Count();
  }
  void TearDown() override {
    m_prefs->ClearPref(kPrefScriptDebugEnable);
    m_prefs->ClearPref(kPrefScriptDebugAutoBreak);
    m_prefs.Reset();
    SetScriptDebuggingEnabled(false);
    EXPECT_EQ(components::Shutdown(), S_OK);
    EXPECT_EQ(LiveObjects<CJScript>::Count(), m_hosts);
    EXPECT_EQ(test::LiveFakeDebugObjects(), 0);
  }
  void Set(bool enable, bool autoBreak) {
    ASSERT_EQ(m_prefs->SetBoolPref(kPrefScriptDebugEnable, enable ? VARIANT_TRUE : VARIANT_FALSE),
              S_OK);
    ASSERT_EQ(
        m_prefs->SetBoolPref(kPrefScriptDebugAutoBreak, autoBreak ? VARIANT_TRUE : VARIANT_FALSE),
        S_OK);
  }
  ComPtr<IPreferencesService> m_prefs;
  long m_hosts = 0;
};

TEST_F(ScriptDebugSupportTest, RegistersOneApplicationAndDocumentAndFeedsIt) {
  ScopedFakeDebugManager fake;
  ASSERT_EQ(fake.registered(), S_OK);
  Set(true, false);
  test::ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
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
  {
    // The document's host is the owner's own IDebugDocumentHost.
    ComPtr<IDebugDocumentHost> documentHost;
    ASSERT_EQ(host->QueryInterface(__uuidof(IDebugDocumentHost),
                                   reinterpret_cast<void**>(documentHost.GetAddressOf())),
              S_OK);
    EXPECT_TRUE(IsSameObject(FakeDebugLog().lastHost, documentHost.Get()));
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
    ComPtr<IDebugApplicationNode> root;
    EXPECT_EQ(site->GetRootApplicationNode(&root), S_FALSE) << "the document's answer";
    BOOL enter = FALSE, callOnError = FALSE;
    EXPECT_EQ(site->OnScriptErrorDebug(nullptr, &enter, &callOnError), S_OK);
    EXPECT_TRUE(enter && callOnError);
  }

  // Parsed text goes into the debug document; a document that refuses the block does not stop
  // the text from running.
  FakeDebugLog().calls.clear();
  ASSERT_EQ(host->AddCode(L"var answer = 42;", L""), S_OK);
  EXPECT_EQ(host.EvalLong(L"answer"), 42);
  const std::vector<std::wstring> parsed = {
      L"AddUnicodeText(var answer = 42;)", L"DefineScriptBlock(0,16,engine,0)",
      L"AddUnicodeText(answer)", L"DefineScriptBlock(0,6,engine,0)"};
  EXPECT_EQ(FakeDebugLog().calls, parsed);
  FakeDebugLog().failAt = L"DefineScriptBlock";
  ASSERT_EQ(host->AddCode(L"answer = 43;", L""), S_OK);
  EXPECT_EQ(host.EvalLong(L"answer"), 43);

  FakeDebugLog().calls.clear();
  FakeDebugLog().failAt.clear();
  host.Close();
  // Closing gives the document its host back; the application is removed with its cookie.
  EXPECT_TRUE(FakeDebugLog().Has(L"SetDebugDocumentHost((null))"));
  EXPECT_TRUE(FakeDebugLog().Has(L"RemoveApplication(20816)"));
}

// The host has debug support only with the switch on, a manager registered and every step of
// the construction succeeding; the first break needs the second switch. Start-up publishes the
// service manager to scripts either way.
TEST_F(ScriptDebugSupportTest, SwitchesAndEveryFailingStepDecideDebugSupport) {
  const struct {
    bool enable, autoBreak, registered;
    const wchar_t* failAt;
  } kCases[] = {
      {false, false, true, L""},
      {false, true, true, L""},
      {true, false, true, L""},
      {true, true, true, L""},
      {true, true, false, L""},  // no process debug manager, as under Wine
      {true, true, true, L"CreateApplication"},
      {true, true, true, L"SetName"},
      {true, true, true, L"CreateDebugDocumentHelper"},
      {true, true, true, L"Init"},
      {true, true, true, L"Attach"},
      {true, true, true, L"SetDocumentAttr"},
      {true, true, true, L"SetDebugDocumentHost"},
      {true, true, true, L"AddApplication"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "enable " << c.enable << " autobreak " << c.autoBreak
                                    << " registered " << c.registered << " failing " << c.failAt);
    std::optional<ScopedFakeDebugManager> fake;
    if (c.registered) {
      ASSERT_EQ(fake.emplace().registered(), S_OK);
    } else {
      FakeDebugLog() = test::DebugManagerLog{};
    }
    FakeDebugLog().failAt = c.failAt;
    FakeDebugLog().failure = static_cast<HRESULT>(0x80041001);
    const bool debugs = c.enable && c.registered && *c.failAt == L'\0';
    Set(c.enable, c.autoBreak);
    {
      test::ScriptHost host;
      ASSERT_EQ(host.created(), S_OK);
      EXPECT_EQ(IsScriptDebuggingEnabled(), c.enable);
      EXPECT_EQ(FakeDebugLog().instancesCreated > 0, c.enable && c.registered);
      EXPECT_EQ(host.impl()->HasDebugSupport(), debugs);
      ComPtr<IScriptControlDebug> debug;
      EXPECT_EQ(host->QueryInterface(IID_PPV_ARGS(&debug)), debugs ? S_OK : E_NOINTERFACE);
      EXPECT_EQ(FakeDebugLog().Has(L"CauseBreak"), debugs && c.autoBreak);
      EXPECT_EQ(host.EvalString(L"typeof Components"), L"object");
      EXPECT_EQ(FakeDebugLog().Has(L"AddUnicodeText(typeof Components)"), debugs);
    }
    // Only a registered application is removed again.
    EXPECT_EQ(FakeDebugLog().Has(L"RemoveApplication(20816)"), debugs);
    EXPECT_EQ(test::LiveFakeDebugObjects(), 0);
  }
}

}  // namespace
}  // namespace velmor
