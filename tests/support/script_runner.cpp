#include "support/script_runner.h"

#include <dispex.h>
#include <gtest/gtest.h>

#include "base/bstr.h"

namespace velmor::test {
namespace {

constexpr CLSID kJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
#ifdef _WIN64
using ParseT = IActiveScriptParse64;
#else
using ParseT = IActiveScriptParse32;
#endif

}  // namespace

class ScriptRunner::Site final : public ComObject<ScriptRunner::Site, IActiveScriptSite> {
 public:
  STDMETHODIMP GetLCID(LCID* lcid) override {
    if (lcid == nullptr) return E_POINTER;
    *lcid = ::GetUserDefaultLCID();
    return S_OK;
  }
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override {
    if (item) *item = nullptr;
    if (info) *info = nullptr;
    auto it = items.find(name ? name : L"");
    if (it == items.end()) return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) && item) it->second.CopyTo(item);
    return S_OK;
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    EXCEPINFO info{};
    lastError = L"script error";
    if (error && SUCCEEDED(error->GetExceptionInfo(&info))) {
      wchar_t code[32];
      swprintf(code, 32, L" 0x%08lx: ", static_cast<unsigned long>(info.scode));
      lastError += code;
      if (info.bstrDescription) lastError += info.bstrDescription;
      ::SysFreeString(info.bstrDescription);
      ::SysFreeString(info.bstrSource);
      ::SysFreeString(info.bstrHelpFile);
    }
    return S_OK;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

  std::map<std::wstring, ComPtr<IUnknown>> items;
  std::wstring lastError;
};

ScriptRunner::ScriptRunner() {
  m_ready = ::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_engine));
  if (FAILED(m_ready)) return;
  Site* site = nullptr;
  m_ready = Site::CreateObject(&site);
  if (FAILED(m_ready)) return;
  m_site = AdoptRef(site);
  ComPtr<ParseT> parse;
  if (FAILED(m_ready = m_engine.As(&parse)) || FAILED(m_ready = m_engine->SetScriptSite(site)) ||
      FAILED(m_ready = parse->InitNew()))
    return;
  m_ready = m_engine->SetScriptState(SCRIPTSTATE_CONNECTED);
}

ScriptRunner::~ScriptRunner() {
  if (m_engine) m_engine->Close();
}

HRESULT ScriptRunner::AddObject(const wchar_t* name, IUnknown* object) {
  RETURN_IF_FAILED(m_ready);
  m_site->items[name] = object;
  return m_engine->AddNamedItem(name, SCRIPTITEM_ISVISIBLE);
}

HRESULT ScriptRunner::Execute(const wchar_t* code) {
  RETURN_IF_FAILED(m_ready);
  m_site->lastError.clear();
  ComPtr<ParseT> parse;
  RETURN_IF_FAILED(m_engine.As(&parse));
  EXCEPINFO excep{};
  return parse->ParseScriptText(code, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &excep);
}

HRESULT ScriptRunner::Evaluate(const wchar_t* expression, VARIANT* result) {
  RETURN_IF_FAILED(m_ready);
  m_site->lastError.clear();
  ComPtr<ParseT> parse;
  RETURN_IF_FAILED(m_engine.As(&parse));
  ::VariantInit(result);
  EXCEPINFO excep{};
  return parse->ParseScriptText(expression, nullptr, nullptr, nullptr, 0, 0,
                                SCRIPTTEXT_ISEXPRESSION, result, &excep);
}

std::wstring ScriptRunner::Text(const wchar_t* expression) {
  UniqueVariant v;
  if (FAILED(Evaluate(expression, v.Put()))) return L"error: " + LastError();
  if (FAILED(::VariantChangeType(&v, &v, 0, VT_BSTR))) return L"?";
  return v.bstrVal != nullptr ? v.bstrVal : L"";
}

ComPtr<IDispatch> ScriptRunner::Object(const wchar_t* expression) {
  UniqueVariant v;
  EXPECT_EQ(Evaluate(expression, v.Put()), S_OK) << LastError();
  EXPECT_EQ(v.vt, VT_DISPATCH) << expression;
  return ComPtr<IDispatch>(v.vt == VT_DISPATCH ? v.pdispVal : nullptr);
}

HRESULT ScriptRunner::Global(IDispatch** global) {
  RETURN_IF_FAILED(m_ready);
  return m_engine->GetScriptDispatch(nullptr, global);
}

const std::wstring& ScriptRunner::LastError() const {
  static const std::wstring kNone;
  return m_site ? m_site->lastError : kNone;
}

}  // namespace velmor::test
