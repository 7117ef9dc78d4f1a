// Cost of reading an element's native property through the dispatch bridge from JScript: the
// window's own script engine reads `el.width` of a real button (its IDOMAmbient, second in the
// button's interface table) in a loop, and, as the baseline in the same run, the same loop reads
// a property of a plain script object. For comparison it also reads `window.sizemode` through the
// document's bridge, and calls `document.getElementById` with a name no element has, as a skin's
// script searching for elements does. Each bridge loop runs twice: with members called straight
// through the vtable where the arguments allow it, and with every call handed to the platform's
// DispInvoke. Prints the median of several interleaved runs and the ratios.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/direct_invoke.h"
#include "bench_timing.h"
#include "window/document.h"

namespace {

constexpr int kReads = 20000;
constexpr int kRuns = 9;

const char kSkin[] =
    "<window title='bench' width='200' height='100'>"
    "<button id='b' left='10' top='10' width='30' height='20'/>"
    "</window>";

}  // namespace

int main() {
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int rc = 0;
  {
    const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-bridge.xml", kSkin);
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    velmor::scDocument* document = nullptr;
    if (path.empty() || FAILED(velmor::scDocument::CreateObject(&document)) ||
        FAILED(document->Load(folder, path.c_str())) || document->ScriptContext() == nullptr ||
        FAILED(document->ScriptContext()->ExecuteScript(
            L"var el = document.getElementById('b'), plain = { width: 30 }, x;", nullptr))) {
      std::printf("cannot load the benchmark window\n");
      return 1;
    }
    scIScriptContext* context = document->ScriptContext();
    const std::wstring n = std::to_wstring(kReads);
    const std::wstring loops[] = {
        L"for (var i = 0; i < " + n + L"; i++) x = plain.width;",
        L"for (var i = 0; i < " + n + L"; i++) x = el.width;",
        L"for (var i = 0; i < " + n + L"; i++) x = window.sizemode;",
        L"for (var i = 0; i < " + n + L"; i++) x = document.getElementById('x');",
    };
    using velmor::DirectInvokeTable;
    std::vector<std::function<bool()>> bodies;
    for (const bool direct : {true, false}) {
      for (const std::wstring& loop : loops) {
        if (!direct && &loop == &loops[0]) continue;  // the baseline never reaches the bridge
        bodies.push_back([&context, &loop, direct] {
          DirectInvokeTable::SetEnabled(direct);
          const bool ok = SUCCEEDED(context->ExecuteScript(loop.c_str(), nullptr));
          DirectInvokeTable::SetEnabled(true);
          return ok;
        });
      }
    }
    const std::vector<double> ms = velmor::bench::InterleavedMediansMs(kRuns, bodies);
    auto perRead = [](double total) { return total * 1000.0 / kReads; };
    std::printf("bridge_read: %d reads, median of %d runs (direct / all through DispInvoke)\n",
                kReads, kRuns);
    std::printf("  baseline: plain script object       %8.3f us/read  ratio 1.0\n", perRead(ms[0]));
    const char* names[] = {"element el.width through the bridge", "window.sizemode through the bridge ",
                           "document.getElementById (not found)"};
    for (size_t i = 0; i < 3; ++i)
      std::printf("  %s %8.3f / %8.3f us  ratio %.2f / %.2f\n", names[i], perRead(ms[1 + i]),
                  perRead(ms[4 + i]), ms[1 + i] / ms[0], ms[4 + i] / ms[0]);
    if (ms[0] <= 0) rc = 1;
    LOG_IF_FAILED(document->Destroy());
    document->Release();
  }
  ::CoUninitialize();
  return rc;
}
