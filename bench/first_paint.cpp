// First paint of the demo application: the time from the call of the engine's entry (RD_XXXX
// of dist/ui.dll, with the demo's chrome and skin beside it) to the end of the main window's
// first WM_PAINT, measured inside the process, so process start-up and loading ui.dll are not
// part of it. Each run is a fresh process (the entry runs once per process); the run ends the
// application when the paint is done (the main window's procedure is wrapped to see it). Baseline: in the same kind of fresh process, GDI+ started
// and a plain window of the same size created, shown and painted once with GDI+. Prints the
// median of several runs of each and their ratio.
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "plain_window.h"

using velmor::bench::Median;
using velmor::bench::NowMs;

namespace {

constexpr int kRuns = 7;
double g_start = 0;
double g_painted = -1;
HHOOK g_hook = nullptr;

WNDPROC g_engineProcedure = nullptr;

// Wraps the main window's procedure: the end of its first WM_PAINT ends the measurement and the
// application.
LRESULT CALLBACK AfterEngineMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ::CallWindowProcW(g_engineProcedure, window, message, wParam, lParam);
  if (message == WM_PAINT && g_painted < 0) {
    g_painted = NowMs() - g_start;
    ::PostQuitMessage(0);
  }
  return result;
}

// Sees the first engine window being created and wraps its procedure.
LRESULT CALLBACK OnWindowCreated(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_engineProcedure == nullptr) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t name[32] = L"";
    ::GetClassNameW(window, name, 32);
    if (wcscmp(name, L"VelmorGUI") == 0) {
      g_engineProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
          window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfterEngineMessage)));
    }
  }
  return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

int RunEngine() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring ui(path);
  ui = ui.substr(0, ui.find_last_of(L'\\')) + L"\\ui.dll";  // this copy runs in dist/
  const HMODULE module = ::LoadLibraryW(ui.c_str());
  if (module == nullptr) return 1;
  using Entry = void(WINAPI*)(HINSTANCE, HINSTANCE, LPWSTR, int);
  const auto entry = reinterpret_cast<Entry>(::GetProcAddress(module, "RD_XXXX"));
  if (entry == nullptr) return 1;
  g_hook = ::SetWindowsHookExW(WH_CBT, OnWindowCreated, nullptr, ::GetCurrentThreadId());
  wchar_t commandLine[] = L"";
  g_start = NowMs();
  entry(::GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWNOACTIVATE);
  ::UnhookWindowsHookEx(g_hook);
  std::printf("%.3f\n", g_painted);
  return g_painted < 0 ? 1 : 0;
}

LRESULT CALLBACK BareProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    velmor::bench::PaintPlainWindow(window);
    if (g_painted < 0) g_painted = NowMs() - g_start;
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunBare() {
  g_start = NowMs();
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = BareProcedure;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmorBenchBare";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 100, 100, 640, 420,
                                  nullptr, nullptr, wc.hInstance, nullptr);
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  ::DestroyWindow(window);
  Gdiplus::GdiplusShutdown(token);
  std::printf("%.3f\n", g_painted);
  return g_painted < 0 ? 1 : 0;
}

// Runs 'program' with 'mode' and answers the figure it prints (-1 on failure).
double RunChild(const std::wstring& program, const wchar_t* mode) {
  std::wstring commandLine = L"\"" + program + L"\" " + mode;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, 0)) return -1;
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{sizeof(startup)};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::CloseHandle(write);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0)
      output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (code != 0) output.clear();
  }
  ::CloseHandle(read);
  return output.empty() ? -1 : std::atof(output.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--engine") == 0) return RunEngine();
  if (argc > 1 && strcmp(argv[1], "--bare") == 0) return RunBare();
  // The engine finds the application's scripts beside the executable: the runs of the entry use
  // a copy of this program placed in dist/.
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring copy(self);
  copy = copy.substr(0, copy.find_last_of(L'\\')) + L"\\..\\dist\\velmor-bench-first-paint.exe";
  if (!::CopyFileW(self, copy.c_str(), FALSE)) {
    std::printf("cannot place a copy in dist/\n");
    return 1;
  }
  std::vector<double> engine, bare;
  for (int i = 0; i < kRuns; ++i) {
    bare.push_back(RunChild(self, L"--bare"));
    engine.push_back(RunChild(copy, L"--engine"));
    if (engine.back() < 0 || bare.back() < 0) {
      std::printf("a run failed (engine %.1f, bare %.1f)\n", engine.back(), bare.back());
      ::DeleteFileW(copy.c_str());
      return 1;
    }
  }
  ::DeleteFileW(copy.c_str());
  const double e = Median(engine), b = Median(bare);
  std::printf("first paint of the demo skin, median of %d fresh processes (process start-up and\n"
              "loading ui.dll excluded)\n", kRuns);
  std::printf("  plain window with GDI+, first paint  %8.2f ms  (baseline)\n", b);
  std::printf("  engine entry to the end of the main window's first WM_PAINT\n"
              "                                       %8.2f ms  ratio %.1f\n", e, e / b);
  return 0;
}
