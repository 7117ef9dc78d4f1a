// The command-line service keeps the last line it parsed, counts what it received and shows all
// of it to scripts, so a skin (and a test) can see lines forwarded by later starts.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "services.h"
#include "typeinfo_dispatch.h"

namespace vmrt {
namespace {

class CCommandLineService final
    : public velmor::ComObject<CCommandLineService, TypeInfoDispatch<ICommandLineService>,
                               velmor::Also<IDispatch, ICommandLineService>> {
 public:
  STDMETHODIMP ParseCommandLine(BSTR commandLine, LONG remote) override {
    try {
      m_line.assign(commandLine ? commandLine : L"", ::SysStringLen(commandLine));
      m_remote = remote;
      ++m_received;
      if (remote != 0) ++m_remoteCount;
      m_arguments.clear();
      if (!m_line.empty()) {
        int argc = 0;
        LPWSTR* argv = ::CommandLineToArgvW(m_line.c_str(), &argc);
        if (argv == nullptr) return velmor::HResultFromLastError();
        for (int i = 0; i < argc; ++i) m_arguments.emplace_back(argv[i]);
        ::LocalFree(argv);
      }
      return S_OK;
    }
    VELMOR_CATCH_RETURN()
  }
  STDMETHODIMP get_commandLine(BSTR* text) override { return CopyText(m_line, text); }
  STDMETHODIMP get_remote(LONG* remote) override { return GiveValue(m_remote, remote); }
  STDMETHODIMP ProcessCommandLine() override {
    ++m_processed;
    if (m_handler.vt != VT_DISPATCH || m_handler.pdispVal == nullptr) return S_OK;
    // Script handlers are called as handler(commandLine, remote); arguments go in reverse.
    velmor::ComPtr<IDispatch> handler = m_handler.pdispVal;
    VARIANT args[2];
    args[1].vt = VT_BSTR;
    args[1].bstrVal = ::SysAllocStringLen(m_line.data(), static_cast<UINT>(m_line.size()));
    if (args[1].bstrVal == nullptr) return E_OUTOFMEMORY;
    args[0].vt = VT_I4;
    args[0].lVal = m_remote;
    DISPPARAMS params{args, nullptr, 2, 0};
    velmor::UniqueVariant ignored;
    const HRESULT hr = handler->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                       &params, &ignored, nullptr, nullptr);
    ::SysFreeString(args[1].bstrVal);
    return SUCCEEDED(hr) ? S_OK : hr;
  }
  STDMETHODIMP get_receivedCount(LONG* count) override { return GiveValue(m_received, count); }
  STDMETHODIMP get_remoteCount(LONG* count) override { return GiveValue(m_remoteCount, count); }
  STDMETHODIMP get_processedCount(LONG* count) override { return GiveValue(m_processed, count); }
  STDMETHODIMP get_argumentCount(LONG* count) override {
    return GiveValue(static_cast<LONG>(m_arguments.size()), count);
  }
  STDMETHODIMP argument(LONG index, BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= m_arguments.size()) return E_INVALIDARG;
    return CopyText(m_arguments[static_cast<size_t>(index)], text);
  }
  STDMETHODIMP get_onCommandLine(VARIANT* handler) override {
    if (handler == nullptr) return E_POINTER;
    ::VariantInit(handler);
    return ::VariantCopy(handler, &m_handler);
  }
  STDMETHODIMP put_onCommandLine(VARIANT handler) override {
    if (handler.vt != VT_DISPATCH && handler.vt != VT_NULL && handler.vt != VT_EMPTY)
      return E_INVALIDARG;
    return m_handler.CopyFrom(handler);
  }

 private:
  [[nodiscard]] static HRESULT CopyText(const std::wstring& value, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  std::wstring m_line;
  std::vector<std::wstring> m_arguments;
  LONG m_remote = 0;
  LONG m_received = 0;
  LONG m_remoteCount = 0;
  LONG m_processed = 0;
  velmor::UniqueVariant m_handler;
};

}  // namespace

[[nodiscard]] HRESULT CreateCommandLineService(REFIID iid, void** object) {
  velmor::ComPtr<ICommandLineService> service;
  RETURN_IF_FAILED(CCommandLineService::Create(service));
  return service->QueryInterface(iid, object);
}

}  // namespace vmrt
