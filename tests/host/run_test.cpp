// The start-up sequence with doubles for the message manager, the script host and the main
// window over the runtime's real command-line and preferences services: the order of every step,
// every failure path and the run result.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/component_manager.h"
#include "base/bstr.h"
#include "base/module_instance.h"
#include "host/module.h"
#include "host/run.h"
#include "host_doubles.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::CallLog;

const std::string kBoxLoop = "box:" + test::Units(L"创建消息循环失败！") + ":16";
const std::string kBoxCmdline = "box:" + test::Units(L"命令行解析失败！") + ":16";
const std::string kBoxSkin = "box:" + test::Units(L"载入皮肤失败！") + ":48";

struct RunCase {
  const char* what;
  std::function<void(test::FakeParts&)> arrange;
  HRESULT expected;
  std::vector<std::string> log;
  // A contract whose name is given to something that is not its service.
  const wchar_t* notAService = nullptr;
  bool otherLoop = false;  // another loop is registered for the thread before the run
};

test::CallLog g_otherLog;
test::RecordingLoop g_otherLoop(g_otherLog);

const std::vector<std::string> kHead = {
    "create.msgmgr", "create.script",   "script.add:msgManager", "script.add:cmdlineMgr",
    "script.load:main.js:[]", "script.run:MainStartup"};
const std::vector<std::string> kWindowRun = {
    "create.window", "window.load+++", "loop.run:handed", "window.destroy",
    "script.run:MainShutdown:noresult"};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class NotAService final : public ComObject<NotAService, IUnknown> {};

class RunTest : public ::testing::TestWithParam<RunCase> {
 protected:
  void SetUp() override {
    ASSERT_EQ(components::Initialize(), S_OK);
    ASSERT_HRESULT_SUCCEEDED(Module().Init(EngineObjectMap(), GetModuleInstance(), nullptr));
  }
  void TearDown() override {
    // Not every case registered one.
    (void)components::UnregisterObject(contracts::kCommandLine);
    (void)components::UnregisterObject(contracts::kPreferences);
    Module().Term();
    EXPECT_HRESULT_SUCCEEDED(components::Shutdown());
  }
};

TEST_P(RunTest, FollowsTheStepsInOrder) {
  const RunCase& c = GetParam();
  CallLog log;
  test::FakeParts parts(log);
  parts.loopResult = 7;
  ComPtr<IUnknown> notService;
  ASSERT_EQ(NotAService::Create(notService), S_OK);
  if (c.notAService) {
    ASSERT_HRESULT_SUCCEEDED(components::RegisterObject(c.notAService, notService.Get()));
  }
  if (c.arrange) c.arrange(parts);
  if (c.otherLoop) ASSERT_TRUE(Module().AddMessageLoop(&g_otherLoop));

  const HRESULT hr = velmor::Run("-demo \"two words\"", SW_SHOW, parts);

  EXPECT_EQ(hr, c.expected) << c.what;
  EXPECT_EQ(log, c.log) << c.what;
  // Nothing stays alive or registered and no loop stays in the module's table but the other one.
  if (c.otherLoop) {
    EXPECT_EQ(Module().GetMessageLoop(), &g_otherLoop);
    Module().RemoveMessageLoop();
  }
  EXPECT_EQ(Module().GetMessageLoop(), nullptr);
  EXPECT_EQ(LiveObjects<test::FakeMessageManager>::Count(), 0);
  EXPECT_EQ(LiveObjects<test::FakeScriptHost>::Count(), 0);
  for (const wchar_t* name : {contracts::kMainWindow, contracts::kMsgManagerName,
                              contracts::kScriptHostName}) {
    ComPtr<IUnknown> found;
    EXPECT_FAILED(components::GetService(name, IID_PPV_ARGS(&found)));
  }
  // The loop ran after the process's own command line was handed over once, not remote.
  // A registered name hides its contract's service until unregistered, then lets go of it.
  if (c.notAService) {
    ASSERT_EQ(components::UnregisterObject(c.notAService), S_OK);
    EXPECT_EQ(components::UnregisterObject(c.notAService), S_FALSE);
  }
  notService.Reset();
  EXPECT_EQ(LiveObjects<NotAService>::Count(), 0);
  ComPtr<ICommandLineService> cmdline;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, cmdline), S_OK);
  UniqueBstr line;
  LONG remote = -1;
  EXPECT_EQ(cmdline->get_commandLine(line.Put()), S_OK);
  EXPECT_EQ(cmdline->get_remote(&remote), S_OK);
  const bool ran = std::find(log.begin(), log.end(), "loop.run:handed") != log.end();
  EXPECT_EQ(std::wstring(line.Get() ? line.Get() : L""), ran ? L"-demo \"two words\"" : L"");
  EXPECT_EQ(remote, 0);
  if (parts.window) {
    EXPECT_NE(parts.window->m_path.find(L"\\skins\\default\\mainframe.xml"), std::wstring::npos);
    EXPECT_EQ(parts.window->m_folder + L"\\mainframe.xml", parts.window->m_path);
  }
}

void StartupReturns(test::FakeParts& p, VARTYPE vt, LONG value) {
  p.script.startupType = vt;
  p.script.startupValue = value;
}

const std::vector<std::string> kEnd = {"script.close", "images.empty"};

// The loop answers 7; the preferences service's end-of-run answer (S_OK) replaces it.
const RunCase kCases[] = {
    {"startup returns nothing: the application runs", nullptr, S_OK,
     Join({kHead, kWindowRun, kEnd})},
    {"startup returns true", [](test::FakeParts& p) { StartupReturns(p, VT_BOOL, VARIANT_TRUE); },
     S_OK, Join({kHead, kWindowRun, kEnd})},
    {"without a preferences service the loop's result is the run result", nullptr, 7,
     Join({kHead, kWindowRun, kEnd}), contracts::kPreferences},
    {"startup returns false: no window, no MainShutdown",
     [](test::FakeParts& p) { StartupReturns(p, VT_BOOL, VARIANT_FALSE); }, S_OK,
     Join({kHead, kEnd})},
    {"startup returns a number", [](test::FakeParts& p) { StartupReturns(p, VT_I4, 1); }, S_OK,
     Join({kHead, kEnd})},
    {"startup returns a string", [](test::FakeParts& p) { StartupReturns(p, VT_BSTR, 0); }, S_OK,
     Join({kHead, kEnd})},
    {"the MainStartup call fails", [](test::FakeParts& p) { p.script.startupCall = 0x800A1391; },
     static_cast<HRESULT>(0x800A1391), Join({kHead, kEnd})},
    {"main.js cannot be loaded",
     [](test::FakeParts& p) { p.script.loadMainScript = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); },
     HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
     {"create.msgmgr", "create.script", "script.add:msgManager", "script.add:cmdlineMgr",
      "script.load:main.js:[]", "script.close", "images.empty"}},
    {"the script host cannot be created",
     [](test::FakeParts& p) { p.scriptHostResult = E_NOTIMPL; }, E_NOTIMPL,
     {"create.msgmgr", "create.script", "images.empty"}},
    {"the message manager cannot be created",
     [](test::FakeParts& p) { p.messageManagerResult = E_OUTOFMEMORY; }, E_OUTOFMEMORY,
     {"create.msgmgr", kBoxLoop}},
    {"a loop is already registered for the thread", nullptr, E_FAIL, {"create.msgmgr", kBoxLoop},
     nullptr, true},
    {"the command-line service is not one", nullptr, E_FAIL, {"create.msgmgr", kBoxCmdline},
     contracts::kCommandLine},
    {"the skin cannot be loaded: message, MainShutdown, normal end",
     [](test::FakeParts& p) { p.mainWindowLoad = E_FAIL; }, S_OK,
     Join({kHead, {"create.window", "window.load+++", kBoxSkin, "script.run:MainShutdown:noresult"},
           kEnd})},
    {"the main window cannot be created",
     [](test::FakeParts& p) { p.mainWindowResult = E_NOTIMPL; }, S_OK,
     Join({kHead, {"create.window", kBoxSkin, "script.run:MainShutdown:noresult"}, kEnd})},
};

INSTANTIATE_TEST_SUITE_P(Cases, RunTest, ::testing::ValuesIn(kCases));

// The skin folder: "skins" beside the module, then the registry's skin name or "default".
struct SkinCase {
  const char* what;
  DWORD type;  // REG_NONE: no value
  std::wstring data;
  size_t bytes;  // bytes stored; SIZE_MAX: the whole string with its NUL
  const wchar_t* expectedTail;
};

class SkinFolderTest : public ::testing::TestWithParam<SkinCase> {};

TEST_P(SkinFolderTest, ChoosesTheFolder) {
  const SkinCase& c = GetParam();
  test::ScopedRegistryValue value(L"Software\\Velmor\\Skin", L"Skin");
  if (c.type == REG_NONE) {
    value.Delete();
  } else {
    const size_t bytes = c.bytes == SIZE_MAX ? (c.data.size() + 1) * sizeof(wchar_t) : c.bytes;
    std::wstring buffer = c.data;
    buffer.resize(bytes / sizeof(wchar_t) + 2, L'\0');
    value.SetRaw(c.type, buffer.data(), static_cast<DWORD>(bytes));
  }
  wchar_t folder[MAX_PATH];
  EXPECT_TRUE(GetSkinFolder(folder));
  const std::wstring expected = c.expectedTail[0] == L'C' && c.expectedTail[1] == L':'
                                    ? std::wstring(c.expectedTail)
                                    : test::TestBinDir() + c.expectedTail;
  EXPECT_EQ(std::wstring(folder), expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkinFolderTest,
    ::testing::Values(
        SkinCase{"no value", REG_NONE, L"", 0, L"\\skins\\default"},
        SkinCase{"a name", REG_SZ, L"blue", SIZE_MAX, L"\\skins\\blue"},
        SkinCase{"expandable, used as stored", REG_EXPAND_SZ, L"%X%", SIZE_MAX, L"\\skins\\%X%"},
        SkinCase{"empty value leaves the skins folder", REG_SZ, L"", SIZE_MAX, L"\\skins"},
        SkinCase{"a full path replaces the folder", REG_SZ, L"C:\\skins\\x", SIZE_MAX,
                 L"C:\\skins\\x"},
        SkinCase{"not a string", REG_DWORD, L"ab", 4, L"\\skins\\default"},
        SkinCase{"odd byte length", REG_SZ, L"blue", 9, L"\\skins\\default"},
        // (the registry itself adds a forgotten NUL when the next character is one)
        SkinCase{"no terminating NUL", REG_SZ, L"blueX", 8, L"\\skins\\default"},
        SkinCase{"longer than a path", REG_SZ, std::wstring(300, L'a'), SIZE_MAX,
                 L"\\skins\\default"}));

}  // namespace
}  // namespace velmor
