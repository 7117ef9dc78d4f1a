// Helpers shared by the benchmarks: a millisecond clock, medians, interleaved runs (each round
// runs every measured body once, so a machine whose load drifts affects them alike), input files
// in the temporary folder and the engine module from dist/.
#pragma once
#include <windows.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/module_instance.h"

namespace velmor::bench {

inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return -1.0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median time in milliseconds of 'runs' calls of 'body'.
template <class Body>
double MedianMs(int runs, Body body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    body();
    times.push_back(NowMs() - start);
  }
  return Median(std::move(times));
}

// The median time of each body, run in turn round after round; all -1 when a body fails.
inline std::vector<double> InterleavedMediansMs(int runs,
                                                const std::vector<std::function<bool()>>& bodies) {
  std::vector<std::vector<double>> times(bodies.size());
  for (int i = 0; i < runs; ++i) {
    for (size_t b = 0; b < bodies.size(); ++b) {
      const double start = NowMs();
      if (!bodies[b]()) return std::vector<double>(bodies.size(), -1.0);
      times[b].push_back(NowMs() - start);
    }
  }
  std::vector<double> medians;
  for (auto& t : times) medians.push_back(Median(std::move(t)));
  return medians;
}

// "load a b c": the host's load averages (Linux's, read through Wine's drive Z:), so figures
// can be weighed against what else the machine was doing; "load unknown" elsewhere.
inline std::string LoadAverage() {
  FILE* in = std::fopen("Z:\\proc\\loadavg", "r");
  double load[3] = {};
  const bool read = in != nullptr && std::fscanf(in, "%lf %lf %lf", &load[0], &load[1], &load[2]) == 3;
  if (in != nullptr) std::fclose(in);
  if (!read) return "load unknown";
  char text[64];
  std::snprintf(text, sizeof(text), "load %.2f %.2f %.2f", load[0], load[1], load[2]);
  return text;
}

// Writes 'bytes' to a file of that name in the temporary folder; answers its path ("" on failure).
inline std::wstring WriteTempFile(const wchar_t* name, const std::string& bytes) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + name;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return L"";
  const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return fclose(out) == 0 && written ? path : L"";
}

// Loads ui.dll from dist/ (beside the bench folder) and makes it the engine's module, so its
// type library and prelude resource are found. False, with a message, when it cannot.
inline bool UseEngineModuleFromDist() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ::PathRemoveFileSpecW(path);
  ::PathAppendW(path, L"..\\dist\\ui.dll");
  const HMODULE ui = ::LoadLibraryW(path);
  if (ui == nullptr) {
    std::printf("cannot load dist/ui.dll\n");
    return false;
  }
  SetModuleInstance(ui);
  return true;
}

// What every benchmark of whole windows starts with: the engine module from dist/, COM in this
// apartment and GDI+. False, with a message, when one of them fails.
inline bool StartWindowBenchmark(ULONG_PTR* gdiplusToken) {
  if (!UseEngineModuleFromDist()) return false;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(gdiplusToken, &input, nullptr) == Gdiplus::Ok) return true;
  std::printf("cannot start GDI+\n");
  return false;
}

}  // namespace velmor::bench
