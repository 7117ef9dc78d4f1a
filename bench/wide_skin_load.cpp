// Loading wide skins into a document window: 100,000 siblings with ids, 100,000 attributes on
// one element, 100,000 handler attributes on one element and 100,000 elements with a handler
// each, against 100,000 plain elements in groups of 100 (the baseline), and the same texts in
// attributes that are not handlers (what the larger XML costs by itself). Each load builds the
// live tree and its ids in a real document with its script context (listener tables wait for
// the first event a handler may hear); the document is destroyed again after each run. Prints
// medians of several interleaved runs and their ratios to the baseline: a quadratic step
// anywhere shows as a ratio far above 1. --wide prints these figures alone.
// Then native controls: how their cost grows with their number, and 500 check boxes and 500 text
// boxes, and 10,000 of them stacked in view, loaded, shown, painted and destroyed, against 1,000
// labels the same way (each control is a platform window of its own).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine_environment.h"
#include "window/document.h"

namespace {

constexpr int kCount = 100000, kRuns = 7;

std::string Wrap(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window width=\"320\" height=\"240\">" +
         body + "</window>";
}

std::string PlainElements() {
  std::string body;
  for (int g = 0; g < kCount / 100; ++g) {
    body += "<subwindow>";
    for (int c = 0; c < 100; ++c) body += "<label/>";
    body += "</subwindow>";
  }
  return Wrap(body);
}

std::string Siblings() {
  std::string body;
  for (int i = 0; i < kCount; ++i) body += "<label id=\"e" + std::to_string(i) + "\"/>";
  return Wrap(body);
}

// One label with 'count' attributes named prefix0, prefix1, ...
std::string OneElement(const char* prefix, const char* value) {
  std::string body = "<label id=\"wide\"";
  for (int i = 0; i < kCount; ++i)
    body += std::string(" ") + prefix + std::to_string(i) + "=\"" + value + "\"";
  return Wrap(body + "/>");
}

// 100,000 labels in groups of 100, each with the attribute 'attribute'.
std::string AttributePerElement(const char* attribute) {
  std::string body;
  for (int g = 0; g < kCount / 100; ++g) {
    body += "<subwindow>";
    for (int c = 0; c < 100; ++c) body += std::string("<label ") + attribute + "/>";
    body += "</subwindow>";
  }
  return Wrap(body);
}

// 'count' elements made by 'element(i)' on a grid of 20 columns.
std::string Grid(int count, const std::function<std::string(int)>& element) {
  std::string body;
  for (int i = 0; i < count; ++i) {
    body += "<" + element(i) + " left=\"" + std::to_string(i % 20 * 30) + "\" top=\"" +
            std::to_string(i / 20 * 12) + "\" width=\"28\" height=\"11\"/>";
  }
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window width=\"640\" height=\"620\">" +
         body + "</window>";
}

struct Case {
  const char* name;
  std::string xml;
  std::wstring path;
  std::vector<double> cpuMs = {};  // this thread's processor time in each run
};

// This thread's processor time (user and kernel) in milliseconds: less disturbed than the clock
// by other work on a busy machine.
double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  const auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Writes each case's skin to a temporary file named prefix + its number; answers the folder they
// are in, empty when one could not be written.
std::wstring WriteCases(std::vector<Case>& cases, const wchar_t* prefix) {
  std::wstring folder;
  for (size_t i = 0; i < cases.size(); ++i) {
    cases[i].path = velmor::bench::WriteTempFile(
        (prefix + std::to_wstring(i) + L".xml").c_str(), cases[i].xml);
    if (cases[i].path.empty()) return L"";
    folder = cases[i].path.substr(0, cases[i].path.find_last_of(L'\\'));
  }
  return folder;
}

bool LoadOnce(const std::wstring& folder, const std::wstring& path) {
  velmor::scDocument* document = nullptr;
  if (FAILED(velmor::scDocument::CreateObject(&document))) return false;
  const bool loaded = SUCCEEDED(document->Load(folder.c_str(), path.c_str()));
  LOG_IF_FAILED(document->Destroy());
  document->Release();
  return loaded;
}

// Position changes (WM_WINDOWPOSCHANGING) the platform makes in this thread's windows: each is a
// move, size, show or hide of some window, each a round trip under Wine.
long g_positionChanges = 0;
LRESULT CALLBACK CountPositionChanges(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lParam)->message == WM_WINDOWPOSCHANGING)
    ++g_positionChanges;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Loads a skin, shows and paints its window, then destroys it.
bool ShowOnce(const std::wstring& folder, const std::wstring& path) {
  velmor::scDocument* document = nullptr;
  if (FAILED(velmor::scDocument::CreateObject(&document))) return false;
  const bool loaded = SUCCEEDED(document->Load(folder.c_str(), path.c_str()));
  const HWND window = document->WindowHandle();
  if (loaded && window != nullptr) {
    ::SetWindowPos(window, nullptr, 0, 0, 640, 620,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
    ::ShowWindow(window, SW_HIDE);
  }
  (void)document->Destroy();
  document->Release();
  return loaded;
}

// 'count' elements made by 'element(i)' stacked in the client area: a grid of 20 x 50 cells that
// wraps over itself, so that past 1,000 elements each cell holds several, as in generated skins.
std::string Stacked(int count, const std::function<std::string(int)>& element) {
  std::string body;
  for (int i = 0; i < count; ++i) {
    body += "<" + element(i) + " left=\"" + std::to_string(i % 20 * 30) + "\" top=\"" +
            std::to_string(i / 20 % 50 * 12) + "\" width=\"28\" height=\"11\"/>";
  }
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window width=\"640\" height=\"620\">" +
         body + "</window>";
}

// How the cost of native controls grows with their number: loading (the controls are made),
// showing with painting, and destroying, timed apart for one run each. A flat cost per control
// means the platform's work does not grow with the number of sibling windows; past the window's
// bound on control windows the elements get no control and the cost stops growing.
void NativeScaling() {
  std::printf("native controls by count, stacked in view: one run each, ms (ms per element)\n");
  for (const char* tag : {"checkbox", "timepicker"}) {
    for (const int count : {100, 1000, 5000}) {
      const auto element = [tag](int) { return std::string(tag); };
      std::vector<Case> cases = {{tag, Stacked(count, element), L""}};
      const std::wstring folder = WriteCases(cases, L"velmor-bench-scaling-");
      velmor::scDocument* document = nullptr;
      if (folder.empty() || FAILED(velmor::scDocument::CreateObject(&document))) return;
      double start = velmor::bench::NowMs();
      const bool loaded = SUCCEEDED(document->Load(folder.c_str(), cases[0].path.c_str()));
      const double load = velmor::bench::NowMs() - start;
      const HWND window = document->WindowHandle();
      start = velmor::bench::NowMs();
      if (loaded && window != nullptr) {
        ::SetWindowPos(window, nullptr, 0, 0, 640, 620,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
      }
      const double shown = velmor::bench::NowMs() - start;
      start = velmor::bench::NowMs();
      if (window != nullptr) ::ShowWindow(window, SW_HIDE);
      LOG_IF_FAILED(document->Destroy());
      document->Release();
      const double destroyed = velmor::bench::NowMs() - start;
      ::DeleteFileW(cases[0].path.c_str());
      std::printf("  %5d %-10s  load %7.1f (%.2f)  show+paint %7.1f (%.2f)  destroy %7.1f (%.2f)\n",
                  count, tag, load, load / count, shown, shown / count, destroyed,
                  destroyed / count);
    }
  }
}

int NativeControls() {
  constexpr int kNativeRuns = 5;
  const auto checkOrText = [](int i) {
    return std::string(i % 2 ? "textbox value=\"t\"" : "checkbox");
  };
  std::vector<Case> cases = {
      {"1,000 labels (baseline)", Grid(1000, [](int) { return std::string("label"); }), L""},
      {"500 check boxes + 500 text boxes", Grid(1000, checkOrText), L""},
      {"10,000 check boxes and text boxes, stacked", Stacked(10000, checkOrText), L""},
  };
  const std::wstring folder = WriteCases(cases, L"velmor-bench-native-");
  if (folder.empty()) return 1;
  std::vector<std::function<bool()>> bodies;
  std::vector<long> changes(cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    bodies.push_back([&folder, &c = cases[i], &changed = changes[i]] {
      const long before = g_positionChanges;
      const bool shown = ShowOnce(folder, c.path);
      changed = g_positionChanges - before;
      return shown;
    });
  }
  const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountPositionChanges, nullptr,
                                         ::GetCurrentThreadId());
  const std::vector<double> medians = velmor::bench::InterleavedMediansMs(kNativeRuns, bodies);
  if (hook != nullptr) ::UnhookWindowsHookEx(hook);
  for (const Case& c : cases) ::DeleteFileW(c.path.c_str());
  std::printf("native controls: load, show, paint and destroy, median of %d runs\n", kNativeRuns);
  for (size_t i = 0; i < cases.size(); ++i) {
    std::printf("  %-44s %9.1f ms  ratio %.2f  (%ld window position changes)\n", cases[i].name,
                medians[i], medians[0] > 0 ? medians[i] / medians[0] : 0.0, changes[i]);
  }
  return medians[0] >= 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const velmor::bench::EngineEnvironment environment;
  if (!environment.Ready()) return 1;
  // --native: only the native-control figures; --wide: only the wide skins.
  const std::string only = argc > 1 ? argv[1] : "";
  if (only == "--native") return NativeScaling(), NativeControls();

  std::vector<Case> cases = {
      {"100,000 plain elements (baseline)", PlainElements(), L""},
      {"100,000 siblings with ids", Siblings(), L""},
      {"100,000 attributes on one element", OneElement("a", "v"), L""},
      {"100,000 handler attributes on one element", OneElement("on", "n = 1;"), L""},
      {"100,000 elements with a handler each", AttributePerElement("onclick=\"n = 1;\""), L""},
      // The same texts in attributes that are not handlers: what the XML alone costs.
      {"  the same texts, not handlers: one element", OneElement("xn", "n = 1;"), L""},
      {"  the same texts, not handlers: per element", AttributePerElement("xnclick=\"n = 1;\""),
       L""},
  };
  const std::wstring folder = WriteCases(cases, L"velmor-bench-wide-");
  if (folder.empty()) return 1;
  std::vector<std::function<bool()>> bodies;
  for (Case& c : cases) {
    bodies.push_back([&folder, &c] {
      const double start = ThreadCpuMs();
      const bool loaded = LoadOnce(folder, c.path);
      c.cpuMs.push_back(ThreadCpuMs() - start);
      return loaded;
    });
  }
  const std::vector<double> medians = velmor::bench::InterleavedMediansMs(kRuns, bodies);
  for (const Case& c : cases) ::DeleteFileW(c.path.c_str());

  std::printf("wide skins: load into a document window, median of %d runs (%s);"
              " elapsed and processor time\n",
              kRuns, velmor::bench::LoadAverage().c_str());
  const double baseline = medians[0];
  const double cpuBaseline = velmor::bench::Median(cases[0].cpuMs);
  for (size_t i = 0; i < cases.size(); ++i) {
    const double cpu = velmor::bench::Median(cases[i].cpuMs);
    std::printf("  %-44s %7.1f ms ratio %.2f  %7.1f ms cpu ratio %.2f  (%zu bytes)\n",
                cases[i].name, medians[i], baseline > 0 ? medians[i] / baseline : 0.0, cpu,
                cpuBaseline > 0 ? cpu / cpuBaseline : 0.0, cases[i].xml.size());
  }
  const bool loaded = medians[0] >= 0;
  if (!loaded) std::printf("  a skin did not load\n");
  if (only == "--wide") return loaded ? 0 : 1;
  NativeScaling();
  return NativeControls() == 0 && loaded ? 0 : 1;
}
