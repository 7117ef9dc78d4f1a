// Cost of painting labels whose long paragraphs run far below the window: a 300 x 300 window of
// 40 wrapped labels, each 280 x 2000 with 4,000 characters, painted whole through WM_PRINTCLIENT.
// The baseline, in the same run, is the same texts drawn whole with bare GDI+ calls into a bitmap
// of the window's size. Prints the median of several interleaved runs and the ratio.
#include <objbase.h>
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "printed_window.h"

namespace {

constexpr int kLabels = 40;
constexpr int kRuns = 7;

std::string Paragraph() {
  std::string text;
  for (int i = 0; text.size() < 4000; ++i) text += "word" + std::to_string(i) + " ";
  return text.substr(0, 4000);
}

}  // namespace

int main() {
  ULONG_PTR token = 0;
  if (!velmor::bench::StartWindowBenchmark(&token)) return 1;
  int rc = 0;
  {
    const std::string text = Paragraph();
    std::string skin = "<window title='bench' width='300' height='300'>";
    for (int i = 0; i < kLabels; ++i)
      skin += "<label left='10' top='10' width='280' height='2000' fontFace='Tahoma' "
              "fontSize='13' wordWrap='true'>" + text + "</label>";
    skin += "</window>";
    velmor::bench::PrintedWindow window;
    if (!window.Load(L"velmor-bench-labels.xml", skin, 300, 300)) return 1;

    const std::wstring wide(text.begin(), text.end());
    Gdiplus::FontFamily family(L"Tahoma");
    Gdiplus::Font font(&family, 13, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
    const Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF000000));
    Gdiplus::Bitmap pixels(300, 300, PixelFormat32bppRGB);

    const std::vector<double> ms = velmor::bench::InterleavedMediansMs(
        kRuns,
        {[&] {
           Gdiplus::Graphics graphics(&pixels);
           for (int i = 0; i < kLabels; ++i)
             graphics.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font,
                                 Gdiplus::RectF(10, 10, 280, 2000), &format, &brush);
           return true;
         },
         [&] {
           window.Print();
           return true;
         }});
    std::printf("label_text: %d labels of %zu characters, median of %d runs, %s\n", kLabels,
                text.size(), kRuns, velmor::bench::LoadAverage().c_str());
    std::printf("  baseline: bare GDI+, whole texts   %9.1f ms  ratio 1.0\n", ms[0]);
    std::printf("  the window's paint                 %9.1f ms  ratio %.2f\n", ms[1],
                ms[1] / ms[0]);
    if (ms[0] <= 0) rc = 1;
  }
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return rc;
}
