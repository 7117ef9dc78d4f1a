// The start-up sequence with the engine's real message manager and script host: main.js from
// "chrome" runs, "MainStartup" decides whether the main window is attempted, "MainShutdown" runs
// at the end and the host's engine is closed. Only the main window is a stand-in here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/module_instance.h"
#include "components/component_manager.h"
#include "host/module.h"
#include "host/run.h"
#include "script/js_script.h"
#include "script_test_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

// The engine's parts, with a main window that cannot be created and messages recorded.
class StartupParts final : public AppParts {
 public:
  HRESULT CreateMessageManager(IAppMessageManager** manager) override {
    return EngineParts().CreateMessageManager(manager);
  }
  HRESULT CreateScriptHost(IScriptControl** host) override {
    ++hostsCreated;
    return EngineParts().CreateScriptHost(host);
  }
  HRESULT CreateMainWindow(IAppMainWindow** window) override {
    *window = nullptr;
    ++windowsAsked;
    return E_NOTIMPL;
  }
  void EmptyImageCache() override {}
  void ShowMessage(const wchar_t* text, UINT) override { messages.push_back(text); }

  int hostsCreated = 0;
  int windowsAsked = 0;
  std::vector<std::wstring> messages;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_HRESULT_SUCCEEDED(Module().Init(EngineObjectMap(), GetModuleInstance(), nullptr));
    // The chrome folder beside the test executables may not exist yet in a fresh build.
    ::CreateDirectoryW((test::TestBinDir() + L"\\chrome").c_str(), nullptr);
    m_mainJs = test::TestBinDir() + L"\\chrome\\main.js";
    m_trace = test::MakeTempDir(L"startup") + L"\\trace.txt";
  }
  void TearDown() override {
    ::DeleteFileW(m_mainJs.c_str());
    ::DeleteFileW(m_trace.c_str());
    Module().Term();
    EXPECT_HRESULT_SUCCEEDED(components::Shutdown());
  }
  // main.js: each named function appends its name to the trace file, then returns 'startup'.
  void WriteMain(const wchar_t* startupResult) {
    std::wstring trace;
    for (wchar_t c : m_trace) trace += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    const std::wstring text =
        L"function Trace(word) {\n"
        L"  var fso = new ActiveXObject('Scripting.FileSystemObject');\n"
        L"  var file = fso.OpenTextFile('" + trace + L"', 8, true);\n"
        L"  file.Write(word + ';');\n"
        L"  file.Close();\n"
        L"}\n"
        L"function MainStartup() { Trace('startup:' + typeof msgManager + ',' + typeof cmdlineMgr"
        L" + ',' + typeof Components); return " + startupResult + L"; }\n"
        L"function MainShutdown() { Trace('shutdown'); }\n";
    test::WriteBytes(m_mainJs, test::Utf16Bytes(text));
  }
  std::string Trace() const { return test::ReadFileText(m_trace); }

  std::wstring m_mainJs, m_trace;
};

TEST_F(StartupTest, MainScriptRunsAndAgreesToStart) {
  WriteMain(L"true");
  StartupParts parts;
  const long hostsBefore = LiveObjects<CJScript>::Count();
  EXPECT_HRESULT_SUCCEEDED(velmor::Run("", SW_SHOW, parts));
  EXPECT_EQ(parts.hostsCreated, 1);
  EXPECT_EQ(parts.windowsAsked, 1);
  ASSERT_EQ(parts.messages.size(), 1u);
  EXPECT_EQ(parts.messages[0], L"载入皮肤失败！");
  // The host objects were published before the script ran; shutdown ran last.
  EXPECT_EQ(Trace(), "startup:object,object,object;shutdown;");
  EXPECT_EQ(LiveObjects<CJScript>::Count(), hostsBefore);
}

TEST_F(StartupTest, MainStartupFalseEndsTheRunBeforeAnyWindow) {
  WriteMain(L"false");
  StartupParts parts;
  EXPECT_EQ(velmor::Run("", SW_SHOW, parts), S_OK);
  EXPECT_EQ(parts.windowsAsked, 0);
  EXPECT_TRUE(parts.messages.empty());
  EXPECT_EQ(Trace(), "startup:object,object,object;");
}

TEST_F(StartupTest, MissingMainScriptEndsTheRunWithItsError) {
  ::DeleteFileW(m_mainJs.c_str());
  StartupParts parts;
  EXPECT_EQ(velmor::Run("", SW_SHOW, parts), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(parts.windowsAsked, 0);
}

// Start-up reaches the host through the engine's real parts.
TEST(ScriptHostParts, EnginePartsCreateTheApplicationHost) {
  ComPtr<IScriptControl> control;
  ASSERT_EQ(EngineParts().CreateScriptHost(&control), S_OK);
  ASSERT_TRUE(control);
  UniqueVariant result;
  EXPECT_EQ(control->Evaluate(L"typeof $uses", L"", result.Put()), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_STREQ(result.bstrVal, L"function");
  ComPtr<IAppScriptHost> app;
  ASSERT_EQ(control.As(&app), S_OK);
  EXPECT_EQ(app->CloseEngine(), S_OK);
}

}  // namespace
}  // namespace velmor
