// Opening and closing a document window full of native controls: 120 text boxes, 60 check boxes
// and 60 date pickers on a 600 x 400 window, laid out in a grid either inside the client area or,
// but for the first row, below it (a skin's hidden pages and panels are the same case: controls
// nobody sees yet). One cycle loads the skin, shows the window, paints it once and destroys it.
// Baseline: the same window with plain subwindow elements in the controls' places.
// Prints the medians of several interleaved cycles, their ratios to the baseline and the load.
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "window/document.h"

namespace {

constexpr int kRuns = 5;
constexpr int kColumns = 6;
constexpr int kRows = 40;

// The grid of kColumns x kRows cells, a row 24 pixels high (rows past the 16th lie over the
// first ones, and their controls wait under those); with 'firstRowOnly' every row but the first
// is below the window's bottom edge.
// Controls cycle through text box, check box, text box, date picker.
std::string GridSkin(bool firstRowOnly, bool controls) {
  static const char* const kTags[] = {"textbox", "checkbox", "textbox", "datepicker"};
  std::string skin =
      "<?xml version='1.0' encoding='UTF-8'?>"
      "<window width='600' height='400'><subwindow width='600' height='400'"
      " backgroundColor='#f0f0f0'/>";
  for (int row = 0; row < kRows; ++row) {
    const int top = firstRowOnly && row > 0 ? 420 + row * 24 : 4 + (row % 16) * 24;
    for (int column = 0; column < kColumns; ++column) {
      const char* tag = controls ? kTags[(row * kColumns + column) % 4] : "subwindow";
      skin += std::string("<") + tag + " left='" + std::to_string(4 + column * 98) + "' top='" +
              std::to_string(top) + "' width='94' height='22'/>";
    }
  }
  return skin + "</window>";
}

}  // namespace

int main() {
  ULONG_PTR token = 0;
  if (!velmor::bench::StartWindowBenchmark(&token)) return 1;
  const std::wstring paths[] = {
      velmor::bench::WriteTempFile(L"velmor_bench_plain_grid.xml", GridSkin(false, false)),
      velmor::bench::WriteTempFile(L"velmor_bench_controls_seen.xml", GridSkin(false, true)),
      velmor::bench::WriteTempFile(L"velmor_bench_controls_below.xml", GridSkin(true, true)),
  };
  std::vector<std::function<bool()>> cycles;
  for (const std::wstring& path : paths) {
    cycles.push_back([&path] {
      velmor::scDocument* document = nullptr;
      if (path.empty() || FAILED(velmor::scDocument::CreateObject(&document))) return false;
      const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
      const bool loaded = SUCCEEDED(document->Load(folder.c_str(), path.c_str()));
      if (loaded) {
        const HWND window = document->WindowHandle();
        ::SetWindowPos(window, nullptr, 100, 100, 600, 400,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ::UpdateWindow(window);
      }
      LOG_IF_FAILED(document->Destroy());
      document->Release();
      return loaded;
    });
  }
  const std::vector<double> m = velmor::bench::InterleavedMediansMs(kRuns, cycles);
  if (m[0] < 0) {
    std::printf("cannot load the grid skins\n");
    return 1;
  }
  std::printf("open, show, first paint and close of a window of %d native controls, median of %d"
              " cycles (%s)\n", kColumns * kRows, kRuns, velmor::bench::LoadAverage().c_str());
  std::printf("  plain elements in their place            %8.2f ms  (baseline)\n", m[0]);
  std::printf("  controls, 16 rows in sight, 24 under them %7.2f ms  ratio %.1f\n", m[1],
              m[1] / m[0]);
  std::printf("  controls, all but one row below the edge %8.2f ms  ratio %.1f\n", m[2],
              m[2] / m[0]);
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return 0;
}
