// instance_probe.exe: runs the engine's entry with test doubles for the message manager, the
// script host and the main window, so single-instance tests can start real processes.
//   instance_probe.exe --out <file> [--hold <ms>] [--wait-remote] [anything else]
// The loop runs until a forwarded command line arrives (--wait-remote) or --hold ms pass, then
// the probe writes what it saw to <file>.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>

#include "components/component_manager.h"
#include "host/entry.h"
#include "host_doubles.h"

using namespace velmor;

namespace {

struct Options {
  std::wstring out;
  DWORD holdMs = 0;
  bool waitRemote = false;
};

struct Seen {
  long remoteCount = 0;
  std::string remoteLine;
  long remoteFlag = -1;
};
Seen g_seen;

class ProbeLoop final : public CMessageLoop {
 public:
  explicit ProbeLoop(const Options& options) : m_options(options) {}
  int Run() override {
    ::SetTimer(nullptr, 0, m_options.holdMs, &ProbeLoop::OnDeadline);
    return CMessageLoop::Run();
  }
  BOOL PreTranslateMessage(MSG*) override {
    Check();
    return FALSE;
  }
  BOOL OnIdle(int) override {
    Check();
    return FALSE;
  }

 private:
  static void CALLBACK OnDeadline(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); }
  void Check() {
    ComPtr<ICommandLineService> service;
    if (FAILED(components::GetService(contracts::kCommandLine, service))) return;
    LONG count = 0;
    service->get_remoteCount(&count);
    if (count == 0 || g_seen.remoteCount == count) return;
    g_seen.remoteCount = count;
    UniqueBstr line;
    service->get_commandLine(line.Put());
    g_seen.remoteLine = test::Narrow(line.Get());
    service->get_remote(&g_seen.remoteFlag);
    if (m_options.waitRemote) ::PostQuitMessage(0);
  }
  const Options& m_options;
};

class ProbeManager final : public ComObject<ProbeManager, IAppMessageManager> {
 public:
  explicit ProbeManager(const Options& options) : m_loop(options) {}
  CMessageLoop* STDMETHODCALLTYPE GetMessageLoop() override { return &m_loop; }

 private:
  ProbeLoop m_loop;
};

class ProbeParts final : public AppParts {
 public:
  ProbeParts(const Options& options, test::CallLog& log) : m_options(options), m_fake(log) {}
  HRESULT CreateMessageManager(IAppMessageManager** manager) override {
    created = true;
    return ProbeManager::Create(manager, m_options);
  }
  HRESULT CreateScriptHost(IScriptControl** host) override { return m_fake.CreateScriptHost(host); }
  HRESULT CreateMainWindow(IAppMainWindow** window) override {
    return m_fake.CreateMainWindow(window);
  }
  void EmptyImageCache() override {}
  void ShowMessage(const wchar_t*, UINT) override {}
  bool created = false;

 private:
  const Options& m_options;
  test::FakeParts m_fake;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int nShowCmd) {
  Options options;
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--out" && i + 1 < argc) options.out = argv[++i];
    else if (a == L"--hold" && i + 1 < argc) options.holdMs = static_cast<DWORD>(_wtoi(argv[++i]));
    else if (a == L"--wait-remote") options.waitRemote = true;
  }
  ::LocalFree(argv);

  test::CallLog log;
  ProbeParts parts(options, log);
  const EntryOutcome outcome = EntryMain(lpCmdLine, nShowCmd, parts);

  std::ofstream out(options.out.c_str(), std::ios::binary);
  out << "path=" << (outcome.path == EntryPath::kForwarded ? "forwarded" : "ran") << "\n";
  out << "created=" << (parts.created ? 1 : 0) << "\n";
  out << "remote_count=" << g_seen.remoteCount << "\n";
  out << "remote_flag=" << g_seen.remoteFlag << "\n";
  out << "remote_line=" << g_seen.remoteLine << "\n";
  out << "done=1\n";
  return 0;
}
