// Cost of reading a native property through the dispatch bridge from JScript: a script loop
// reads `el.value` of a native object (its label interface behind the bridge) and, as the
// baseline in the same run, the same loop reads a property of a plain script object. Prints the
// median of several runs and the ratio.
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
#include "script/dispatch_bridge.h"
#include "script/js_script.h"
#include "typelib/dual_dispatch.h"

namespace {

using velmor::ComPtr;

constexpr int kReads = 20000;
constexpr int kRuns = 7;

const velmor::DispInterfaceEntry kEntries[] = {{&__uuidof(IDOMLabel), nullptr}};
const velmor::DispInterfaceTable kTable{kEntries, 1};

// A native object with one readable property, scriptable through the bridge.
class NativeLabel final
    : public velmor::ComObject<NativeLabel, velmor::IDispatchExImpl<NativeLabel>,
                               velmor::Also<IDispatch, velmor::IDispatchExImpl<NativeLabel>>,
                               velmor::IDispatchImplEx<NativeLabel>,
                               velmor::DualDispatchImpl<IDOMLabel>> {
 public:
  NativeLabel() : m_bridge(kTable) { m_bridge.Bind(GetUnknown(), this); }
  velmor::IDispatchExImplBase& Bridge() { return m_bridge; }
  STDMETHODIMP get_nodeName(BSTR* v) override { return Text(L"label", v); }
  STDMETHODIMP get_parentNode(IDOMNode** v) override { return None(v); }
  STDMETHODIMP get_firstChild(IDOMNode** v) override { return None(v); }
  STDMETHODIMP get_lastChild(IDOMNode** v) override { return None(v); }
  STDMETHODIMP get_previousSibling(IDOMNode** v) override { return None(v); }
  STDMETHODIMP get_nextSibling(IDOMNode** v) override { return None(v); }
  STDMETHODIMP get_ownerDocument(IDispatch** v) override { return None(v); }
  STDMETHODIMP get_value(BSTR* v) override { return Text(L"v0", v); }
  STDMETHODIMP put_value(BSTR) override { return S_OK; }
  STDMETHODIMP get_foregroundColor(VARIANT* v) override {
    ::VariantInit(v);
    return S_OK;
  }
  STDMETHODIMP put_foregroundColor(VARIANT) override { return S_OK; }

 private:
  static HRESULT Text(const wchar_t* text, BSTR* out) {
    *out = ::SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  template <class T>
  static HRESULT None(T** out) {
    *out = nullptr;
    return S_FALSE;
  }
  velmor::IDispatchExImplBase m_bridge;
};

double MedianMicrosPerRead(velmor::CJScript* host, const wchar_t* loop) {
  return velmor::bench::MedianMs(kRuns, [&] { (void)host->AddCode(loop, L""); }) * 1000.0 /
         kReads;
}

}  // namespace

int main() {
  ::CoInitialize(nullptr);
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  {
    ComPtr<IScriptControl> control;
    if (FAILED(velmor::CreateApplicationScriptHost(&control))) {
      std::printf("cannot create the script host\n");
      return 1;
    }
    auto* host = static_cast<velmor::CJScript*>(control.Get());
    ComPtr<IUnknown> label;
    if (FAILED(NativeLabel::Create(label)) || FAILED(host->AddObject(L"el", label.Get()))) {
      std::printf("cannot publish the native object\n");
      return 1;
    }
    (void)host->AddCode(L"var plain = { value: 'v0' }; var x;", L"");
    const std::wstring n = std::to_wstring(kReads);
    const std::wstring nativeLoop = L"for (var i = 0; i < " + n + L"; i++) x = el.value;";
    const std::wstring plainLoop = L"for (var i = 0; i < " + n + L"; i++) x = plain.value;";
    const double native = MedianMicrosPerRead(host, nativeLoop.c_str());
    const double plain = MedianMicrosPerRead(host, plainLoop.c_str());
    std::printf("bridge_read: %d reads x %d runs\n", kReads, kRuns);
    std::printf("  native property through the bridge  %8.3f us/read  ratio %.1f\n", native,
                native / plain);
    std::printf("  baseline: plain script object       %8.3f us/read  ratio 1.0\n", plain);
    host->CloseEngine();
  }
  ::CoUninitialize();
  return 0;
}
