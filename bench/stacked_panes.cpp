// Cost of painting a window whose panes lie on top of each other: 200 copies of a 300 x 300 pane
// (an opaque fill with 12 labels and a nested panel), as generated and hostile skins stack them,
// painted whole through WM_PRINTCLIENT. The baseline, in the same run, is the same window painted
// with every element drawn (no element left out for lying under a later opaque fill). Prints the
// median of several interleaved runs and the ratio.
#include <objbase.h>
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "printed_window.h"
#include "render/paint.h"

namespace {

constexpr int kPanes = 200;
constexpr int kLabelsPerPane = 12;
constexpr int kRuns = 7;

std::string Pane(int index) {
  std::string pane = "<subwindow left='0' top='0' width='300' height='300' backgroundColor='#f4f6fa'>";
  for (int i = 0; i < kLabelsPerPane; ++i)
    pane += "<label left='10' top='" + std::to_string(10 + 22 * i) +
            "' width='280' height='20' fontFace='Tahoma' fontSize='13' foregroundColor='#1f2a36'>"
            "Pane " + std::to_string(index) + ", line " + std::to_string(i) + " of its text</label>";
  pane += "<subwindow left='150' top='150' width='140' height='140' backgroundColor='#2d6cdf'>"
          "<label left='4' top='4' width='132' height='60' wordWrap='true' fontFace='Tahoma' "
          "fontSize='12' foregroundColor='#ffffff'>A nested panel with a wrapped caption</label>"
          "</subwindow></subwindow>";
  return pane;
}

}  // namespace

int main() {
  ULONG_PTR token = 0;
  if (!velmor::bench::StartWindowBenchmark(&token)) return 1;
  int rc = 0;
  {
    std::string skin = "<window title='bench' width='300' height='300'>";
    for (int i = 0; i < kPanes; ++i) skin += Pane(i);
    skin += "</window>";
    velmor::bench::PrintedWindow window;
    if (!window.Load(L"velmor-bench-panes.xml", skin, 300, 300)) return 1;
    const auto paint = [&](bool skipCovered) {
      velmor::SetCoveredElementsSkipped(skipCovered);
      window.Print();
      velmor::SetCoveredElementsSkipped(true);
      return true;
    };
    const std::vector<double> ms = velmor::bench::InterleavedMediansMs(
        kRuns, {[&] { return paint(false); }, [&] { return paint(true); }});
    std::printf("stacked_panes: %d panes of %d labels and a panel, median of %d runs, %s\n",
                kPanes, kLabelsPerPane + 1, kRuns, velmor::bench::LoadAverage().c_str());
    std::printf("  baseline: every element drawn      %9.1f ms  ratio 1.0\n", ms[0]);
    std::printf("  covered elements left out          %9.1f ms  ratio %.3f\n", ms[1],
                ms[1] / ms[0]);
    if (ms[0] <= 0) rc = 1;
  }
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return rc;
}
