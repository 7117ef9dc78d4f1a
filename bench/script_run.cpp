// Cost of calling a global script function by name (IScriptControl::Run) in an engine with 200
// other global functions: the name lookup used under Wine (IDispatchEx plus a function check)
// and the type-information walk used on Windows, each against the baseline of invoking an
// identifier looked up once beforehand. Prints the median of several runs and the ratios.
#include <objbase.h>
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "bench_timing.h"
#include "base/module_instance.h"
#include "script/js_script.h"

namespace {

constexpr int kCalls = 2000;
constexpr int kRuns = 7;

template <class F>
double MedianMicrosPerCall(F call) {
  return velmor::bench::MedianMs(kRuns, [&] {
           for (int i = 0; i < kCalls; ++i) call();
         }) *
         1000.0 / kCalls;
}

}  // namespace

int main() {
  ::CoInitialize(nullptr);
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  int rc = 0;
  {
    velmor::ComPtr<IScriptControl> control;
    if (FAILED(velmor::CreateApplicationScriptHost(&control))) {
      std::printf("cannot create the script host\n");
      return 1;
    }
    auto* host = static_cast<velmor::CJScript*>(control.Get());
    std::wstring code = L"var calls = 0;\n";
    for (int i = 0; i < 200; ++i)
      code += L"function f" + std::to_wstring(i) + L"() { return 1; }\n";
    code += L"function Target() { calls++; return calls; }\n";
    if (FAILED(host->AddCode(code.c_str(), L""))) {
      std::printf("cannot load the functions\n");
      return 1;
    }

    // Baseline: the global scope invoked with an identifier looked up once beforehand.
    IDispatch* global = host->GlobalDispatch();
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Target")};
    DISPID id = DISPID_UNKNOWN;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    velmor::UniqueVariant probe;
    HRESULT hr = global->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr))
      hr = global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, probe.Put(),
                          nullptr, nullptr);
    if (FAILED(hr)) {
      std::printf("cannot call the function by a known identifier: 0x%08lx\n",
                  static_cast<unsigned long>(hr));
      return 1;
    }
    const double known = MedianMicrosPerCall([&] {
      velmor::UniqueVariant r;
      global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, r.Put(), nullptr,
                     nullptr);
    });
    const double dispatchLookup = MedianMicrosPerCall([&] {
      velmor::UniqueVariant r;
      (void)host->RunWith(velmor::FunctionLookup::kDispatch, L"Target", nullptr, 0, r.Put());
    });
    const double typeInfoWalk = MedianMicrosPerCall([&] {
      velmor::UniqueVariant r;
      (void)host->RunWith(velmor::FunctionLookup::kTypeInfo, L"Target", nullptr, 0, r.Put());
    });
    std::printf("script_run: %d calls x %d runs, 200 other global functions\n", kCalls, kRuns);
    std::printf("  Run, name lookup (Wine path)  %8.2f us/call  ratio %.2f\n", dispatchLookup,
                dispatchLookup / known);
    std::printf("  Run, type-information walk    %8.2f us/call  ratio %.2f\n", typeInfoWalk,
                typeInfoWalk / known);
    std::printf("  baseline: Invoke of a known id %7.2f us/call  ratio 1.00\n", known);
    velmor::UniqueVariant calls;
    (void)host->Evaluate(L"calls", L"", calls.Put());
    std::printf("  (calls made: %ld of %d)\n", calls.vt == VT_I4 ? calls.lVal : -1L,
                3 * kCalls * kRuns + 1);
    host->CloseEngine();
  }
  ::CoUninitialize();
  return rc;
}
