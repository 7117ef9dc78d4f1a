// The product end to end: Velmor.exe with ui.dll and the runtime, installed into a temporary
// folder whose chrome\main.js the test writes. Scripts report back by writing a file through
// Scripting.FileSystemObject.
#include <gtest/gtest.h>

#include <string>

#include "support/test_env.h"

namespace velmor {
namespace {

constexpr const wchar_t* kConfigOther = L"software\\Velmor\\Config\\Other";

// A private install: the three modules, a main.js and the default skin's mainframe.xml.
class Install {
 public:
  explicit Install(const std::wstring& mainJs)
      : m_dir(test::MakeTempDir(L"install")) {
    for (const wchar_t* file : {L"Velmor.exe", L"ui.dll", L"vmrt.dll"})
      ::CopyFileW((test::DistDir() + L"\\" + file).c_str(), (m_dir + L"\\" + file).c_str(), FALSE);
    ::CreateDirectoryW((m_dir + L"\\chrome").c_str(), nullptr);
    test::WriteFileBytes(m_dir + L"\\chrome\\main.js", test::Utf16Bytes(mainJs));
    ::CreateDirectoryW((m_dir + L"\\skins").c_str(), nullptr);
    ::CreateDirectoryW((m_dir + L"\\skins\\default").c_str(), nullptr);
    test::WriteFileBytes(m_dir + L"\\skins\\default\\mainframe.xml",
                         "<window width=\"200\" height=\"100\"></window>\n");
  }
  std::wstring Exe() const { return L"\"" + m_dir + L"\\Velmor.exe\""; }

 private:
  std::wstring m_dir;
};

// Script lines that append text to the report file.
std::wstring ReportHelper(const std::wstring& reportPath) {
  return L"function report(text) {\n"
         L"  var fso = new ActiveXObject('Scripting.FileSystemObject');\n"
         L"  var f = fso.OpenTextFile('" + test::Escaped(reportPath) + L"', 8, true);\n"
         L"  f.WriteLine(text); f.Close();\n"
         L"}\n";
}

TEST(VelmorExe, LaterStartHandsItsCommandLineToTheRunningInstance) {
  ASSERT_EQ(test::FindListener(), nullptr);
  test::ScopedRegistryValue oneProcess(kConfigOther, L"OneProcess");
  oneProcess.Delete();
  const std::wstring dir = test::MakeTempDir(L"e2e");
  const std::wstring reportPath = dir + L"\\report.txt";
  Install install(ReportHelper(reportPath) +
                  L"function MainStartup() {\n"
                  L"  cmdlineMgr.onCommandLine = function (line, remote) {\n"
                  L"    report((remote ? 'remote:' : 'local:') + line);\n"
                  L"    if (remote) msgManager.Quit(true);\n"
                  L"  };\n"
                  L"  return true;\n"
                  L"}\n"
                  L"function MainShutdown() { report('shutdown'); }\n");

  HANDLE first = test::StartProcess(install.Exe() + L" -first");
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(test::PumpUntil([] { return test::FindListener() != nullptr; }, 20000));
  const std::wstring secondLine = install.Exe() + L" -second \"two words\"";
  HANDLE second = test::StartProcess(secondLine);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(test::WaitProcess(second, 20000).has_value()) << "the later start must end";
  // Quit from the handler ends the running instance's loop.
  const bool firstEnded = test::WaitProcess(first, 30000).has_value();
  if (!firstEnded) ::TerminateProcess(first, 1);
  EXPECT_TRUE(firstEnded) << "Quit from the command-line handler must end the running instance";
  ::CloseHandle(first);
  ::CloseHandle(second);

  // The report is ANSI text written by the script; the command line is ASCII here.
  const std::string report = test::ReadFileText(reportPath);
  std::string expected = "remote:";
  for (wchar_t c : secondLine) expected.push_back(static_cast<char>(c));
  EXPECT_NE(report.find(expected), std::string::npos) << report;
  // The instance's own arguments were handed over (remote 0) once its window had loaded.
  EXPECT_NE(report.find("local:-first"), std::string::npos) << report;
  EXPECT_EQ(report.find("local:"), report.rfind("local:")) << "the later start ran nothing";
  EXPECT_NE(report.find("shutdown"), std::string::npos) << report;
  EXPECT_EQ(test::FindListener(), nullptr);
}

// The first visible document window ("VelmorGUI") of a process owned by 'owner' (none: the main
// window), or null.
HWND VisibleDocumentWindowOf(DWORD processId, HWND owner = nullptr) {
  struct Search {
    DWORD processId;
    HWND owner;
    HWND found;
  } search{processId, owner, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t name[32] = L"";
        ::GetClassNameW(window, name, 32);
        if (owner != s->processId || std::wstring(name) != L"VelmorGUI" ||
            !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != s->owner)
          return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The demo as shipped in dist/ shows its skinned main window.
TEST(VelmorExe, DemoShowsItsSkinnedMainWindow) {
  ASSERT_EQ(test::FindListener(), nullptr);
  test::ScopedRegistryValue oneProcess(kConfigOther, L"OneProcess");
  oneProcess.SetDword(0);
  HANDLE process =
      test::StartProcess(L"\"" + test::DistDir() + L"\\Velmor.exe\"", test::DistDir());
  ASSERT_NE(process, nullptr);
  const DWORD id = ::GetProcessId(process);
  HWND shown = nullptr;
  EXPECT_TRUE(test::PumpUntil([&] { return (shown = VisibleDocumentWindowOf(id)) != nullptr; },
                              20000))
      << "the demo's main window never became visible";
  if (shown != nullptr) {
    wchar_t title[64] = L"";
    ::GetWindowTextW(shown, title, 64);
    EXPECT_EQ(std::wstring(title).rfind(L"Velmor", 0), 0u) << "title from the skin and main.js";
    // Frameless, centred on the work area by its "load" handler, and its title bar drags it.
    RECT outer{}, client{}, work{};
    ::GetWindowRect(shown, &outer);
    ::GetClientRect(shown, &client);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(client.right, outer.right - outer.left);
    EXPECT_EQ(client.bottom, outer.bottom - outer.top);
    EXPECT_EQ(outer.left, work.left + (work.right - work.left - 640) / 2);
    EXPECT_EQ(outer.top, work.top + (work.bottom - work.top - 420) / 2);
    // The tool window docks on the main window's right edge, 60 pixels down, and follows it.
    HWND tools = nullptr;
    EXPECT_TRUE(test::PumpUntil(
        [&] { return (tools = VisibleDocumentWindowOf(id, shown)) != nullptr; }, 20000));
    test::MouseWithRealInput({outer.left + 200, outer.top + 20},
                             {outer.left + 280, outer.top + 70});
    RECT moved{};
    ::GetWindowRect(shown, &moved);
    EXPECT_EQ(moved.left, outer.left + 80);
    EXPECT_EQ(moved.top, outer.top + 50);
    EXPECT_EQ(moved.right - moved.left, 640);
    RECT tool{};
    EXPECT_TRUE(test::PumpUntil(
        [&] {
          ::GetWindowRect(tools, &tool);
          return tool.left == moved.right && tool.top == moved.top + 60;
        },
        5000))
        << "the tool window stayed at " << tool.left << "," << tool.top;
  }
  // The demo runs until it is told to quit: end it here.
  ::TerminateProcess(process, 0);
  test::WaitProcess(process, 10000);
  ::CloseHandle(process);
  EXPECT_TRUE(test::PumpUntil([] { return test::FindListener() == nullptr; }, 5000));
}

}  // namespace
}  // namespace velmor
