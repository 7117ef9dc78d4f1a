// Opening and closing a second document window: one cycle creates a document, loads the demo's
// main window description from dist/skins/default (prototypes, live elements, the window's own
// script engine and the skin's script), shows the window, lets it paint once and destroys it.
// (Child windows and modal dialogs opened by scripts come later; this is the cycle they build
// on.) Baseline: a plain window of the same size and styles created, shown, painted once with
// GDI+ and destroyed. Open and close are timed apart; prints medians of several cycles and their
// ratios.
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "plain_window.h"
#include "window/document.h"

using velmor::bench::Median;
using velmor::bench::NowMs;

namespace {

constexpr int kRuns = 5;

}  // namespace

int main() {
  ULONG_PTR token = 0;
  if (!velmor::bench::StartWindowBenchmark(&token)) return 1;
  wchar_t folder[MAX_PATH];
  if (!velmor::GetPathBesideModule(L"skins\\default", folder, MAX_PATH)) return 1;
  const std::wstring path = std::wstring(folder) + L"\\mainframe.xml";
  WNDCLASSW wc{};
  wc.lpfnWndProc = velmor::bench::PlainWindowProcedure;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmorBenchPlain";
  ::RegisterClassW(&wc);

  // Each cycle's open (up to the end of the first paint) and close are timed apart: under Wine
  // without a window manager, destroying a shown framed window waits for the manager that never
  // answers, whoever made the window.
  bool painted = true;
  std::vector<double> times[4];  // plain open, plain close, document open, document close
  for (int run = 0; run < kRuns; ++run) {
    double start = NowMs();
    HWND plain = ::CreateWindowExW(velmor::scDocument::kWindowExStyle, wc.lpszClassName, L"",
                                   velmor::scDocument::kWindowStyle, 100, 100, 640, 420, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    ::ShowWindow(plain, SW_SHOWNOACTIVATE);
    ::UpdateWindow(plain);
    times[0].push_back(NowMs() - start);
    start = NowMs();
    ::DestroyWindow(plain);
    times[1].push_back(NowMs() - start);

    start = NowMs();
    velmor::scDocument* document = nullptr;
    if (FAILED(velmor::scDocument::CreateObject(&document))) return 1;
    if (FAILED(document->Load(folder, path.c_str()))) {
      std::printf("cannot load %ls\n", path.c_str());
      return 1;
    }
    const HWND window = document->WindowHandle();
    ::SetWindowPos(window, nullptr, 100, 100, 640, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window);
    times[2].push_back(NowMs() - start);
    RECT update{};
    painted = painted && !::GetUpdateRect(window, &update, FALSE);
    start = NowMs();
    LOG_IF_FAILED(document->Destroy());
    document->Release();
    times[3].push_back(NowMs() - start);
  }
  double m[4];
  for (int i = 0; i < 4; ++i) m[i] = Median(times[i]);
  std::printf("open and close of a second document window (the demo's main window description),\n"
              "median of %d cycles\n", kRuns);
  std::printf("  plain window of the same styles: create, show, paint  %8.2f ms  (baseline)\n",
              m[0]);
  std::printf("  document window: create, load, show, first paint     %8.2f ms  ratio %.1f\n",
              m[2], m[2] / m[0]);
  std::printf("  plain window: destroy                                 %8.2f ms  (baseline)\n",
              m[1]);
  std::printf("  document window: destroy and release                  %8.2f ms  ratio %.2f\n",
              m[3], m[3] / m[1]);
  std::printf("  whole cycle: plain %.2f ms, document %.2f ms, document without the destroy\n"
              "  wait of the plain window %.2f ms\n", m[0] + m[1], m[2] + m[3], m[2] + m[3] - m[1]);
  std::printf("  painted before closing: %s\n", painted ? "yes" : "NO");
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return painted ? 0 : 1;
}
