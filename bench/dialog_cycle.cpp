// One open+close cycle of a modal dialog, as a skin's script runs it: the opener's script calls
// window.showModalDialog, the dialog (a description with images, its own script engine and, in
// the second row, two timers) loads, shows, runs its modal loop and closes itself from its "load"
// handler; showModalDialog then returns its value. The third row closes the dialog from a 0 ms
// timeout (raised to 10 ms), so it shows the timer's latency on top of the cycle.
// Baseline: a plain owned popup window of the same size and styles created, shown, painted once
// with GDI+ and destroyed. Prints the median per-cycle time of several batches and its ratio.
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "components/component_manager.h"
#include "plain_window.h"
#include "window/document.h"

using velmor::bench::Median;
using velmor::bench::NowMs;

namespace {

constexpr int kBatches = 5;
constexpr int kCycles = 40;

// A 300 x 200 dialog with the demo's images; 'onload' decides how it ends.
std::string Dialog(const char* onload) {
  return std::string("<window width='300' height='200' onload=\"") + onload +
         "\"><subwindow left='0' top='0' width='300' height='200' backgroundColor='#1f2a36'>"
         "<image src='images/banner.png' stretchMode='stretch' left='10' top='10' width='280'"
         " height='40'/><image src='images/logo.png' left='10' top='60' width='24' height='24'/>"
         "</subwindow><script>var ticks = 0;</script></window>";
}

}  // namespace

int main() {
  ULONG_PTR token = 0;
  if (!velmor::bench::StartWindowBenchmark(&token)) return 1;
  if (FAILED(velmor::components::Initialize())) {
    std::printf("cannot start the component runtime\n");
    return 1;
  }
  wchar_t skins[MAX_PATH];
  if (!velmor::GetPathBesideModule(L"skins\\default", skins, MAX_PATH)) return 1;
  // The dialogs are found beside the opener's own file; their images under the skin folder.
  struct Row {
    const char* name;
    const wchar_t* file;
    const char* onload;
  } const kRows[] = {
      {"dialog closed from its load handler     ", L"velmor-bench-dialog-plain.xml",
       "window.close();"},
      {"the same with an interval and a timeout ", L"velmor-bench-dialog-timers.xml",
       "window.setInterval('ticks++', 10); window.setTimeout('ticks = -1', 60000);"
       " window.close();"},
      {"closed from a 0 ms timeout (10 ms)      ", L"velmor-bench-dialog-timeout.xml",
       "window.setTimeout('window.close()', 0);"},
  };
  const std::wstring opener = velmor::bench::WriteTempFile(
      L"velmor-bench-dialog-opener.xml",
      "<window width='640' height='420'><script>var answers = 0;</script></window>");
  if (opener.empty()) return 1;
  for (const Row& row : kRows)
    if (velmor::bench::WriteTempFile(row.file, Dialog(row.onload)).empty()) return 1;

  velmor::scDocument* document = nullptr;
  if (FAILED(velmor::scDocument::CreateObject(&document)) ||
      FAILED(document->Load(skins, opener.c_str()))) {
    std::printf("cannot load the opener\n");
    return 1;
  }
  ::SetWindowPos(document->WindowHandle(), nullptr, 100, 100, 640, 420,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);

  WNDCLASSW wc{};
  wc.lpfnWndProc = velmor::bench::PlainWindowProcedure;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmorBenchPlainDialog";
  ::RegisterClassW(&wc);
  std::vector<double> plain;
  for (int batch = 0; batch < kBatches; ++batch) {
    const double start = NowMs();
    for (int i = 0; i < kCycles; ++i) {
      HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", velmor::scDocument::kWindowStyle,
                                      270, 210, 300, 200, document->WindowHandle(), nullptr,
                                      wc.hInstance, nullptr);
      ::ShowWindow(window, SW_SHOW);
      ::UpdateWindow(window);
      ::DestroyWindow(window);
    }
    plain.push_back((NowMs() - start) / kCycles);
  }
  const double baseline = Median(plain);

  std::printf("one open+close cycle of a modal dialog through window.showModalDialog,\n"
              "median of %d batches of %d cycles\n", kBatches, kCycles);
  std::printf("  plain owned window: create, show, paint, destroy %8.2f ms  (baseline)\n",
              baseline);
  bool ok = true;
  for (const Row& row : kRows) {
    const std::wstring script = L"for (var i = 0; i < " + std::to_wstring(kCycles) +
                                L"; i++) window.showModalDialog('" + row.file + L"', i);";
    std::vector<double> times;
    for (int batch = 0; batch < kBatches && ok; ++batch) {
      const double start = NowMs();
      ok = SUCCEEDED(document->ScriptContext()->ExecuteScript(script.c_str(), nullptr));
      times.push_back((NowMs() - start) / kCycles);
    }
    const double m = Median(times);
    std::printf("  %s        %8.2f ms  ratio %.1f\n", row.name, m, m / baseline);
  }
  if (!ok) std::printf("a script failed\n");
  LOG_IF_FAILED(document->Destroy());
  document->Release();
  (void)velmor::components::Shutdown();
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return ok ? 0 : 1;
}
