#include "script/script_debug_support.h"

#include <cwchar>

namespace velmor {

CJScriptDebugSupport::CJScriptDebugSupport(IUnknown* outer, CJScriptDebugSupport** self)
    : AggregatedComObject(outer) {
  if (self != nullptr) *self = this;
}

CJScriptDebugSupport::~CJScriptDebugSupport() { ReleaseAll(); }

HRESULT CJScriptDebugSupport::CreateFor(IUnknown* outer, IUnknown** inner,
                                        CJScriptDebugSupport** self) {
  if (self == nullptr) return E_POINTER;
  *self = nullptr;
  CJScriptDebugSupport* created = nullptr;
  const HRESULT hr = Create(outer, inner, &created);
  if (SUCCEEDED(hr)) *self = created;
  return hr;
}

HRESULT CJScriptDebugSupport::FinalConstruct() {
  // In-process, local or remote: wherever the platform registers its debug manager.
  HRESULT hr = ::CoCreateInstance(CLSID_ProcessDebugManager, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                  __uuidof(ProcessDebugManager),
                                  reinterpret_cast<void**>(m_manager.GetAddressOf()));
  if (SUCCEEDED(hr) && !m_manager) hr = E_FAIL;
  if (SUCCEEDED(hr)) hr = m_manager->CreateApplication(&m_application);
  if (SUCCEEDED(hr) && !m_application) hr = E_FAIL;
  if (SUCCEEDED(hr)) hr = m_application->SetName(L"Velmor");
  if (SUCCEEDED(hr)) hr = m_manager->CreateDebugDocumentHelper(nullptr, &m_helper);
  if (SUCCEEDED(hr) && !m_helper) hr = E_FAIL;
  if (SUCCEEDED(hr))
    hr = m_helper->Init(m_application.Get(), L"Current Text", L"Velmor Scripted Current Text",
                        TEXT_DOC_ATTR_READONLY);
  if (SUCCEEDED(hr)) hr = m_helper->Attach(nullptr);
  if (SUCCEEDED(hr)) hr = m_helper->SetDocumentAttr(TEXT_DOC_ATTR_READONLY);
  if (SUCCEEDED(hr)) {
    hr = m_helper->SetDebugDocumentHost(static_cast<IDebugDocumentHost*>(this));
    m_hostAttached = SUCCEEDED(hr);
  }
  if (SUCCEEDED(hr)) {
    hr = m_manager->AddApplication(m_application.Get(), &m_cookie);
    m_registered = SUCCEEDED(hr);
  }
  if (FAILED(hr)) ReleaseAll();
  return hr;
}

void CJScriptDebugSupport::DetachDocumentHost() {
  if (m_hostAttached && m_helper) m_helper->SetDebugDocumentHost(nullptr);
  m_hostAttached = false;
}

void CJScriptDebugSupport::ReleaseAll() {
  DetachDocumentHost();
  if (m_registered && m_manager) m_manager->RemoveApplication(m_cookie);
  m_registered = false;
  m_cookie = 0;
  m_helper.Reset();
  m_application.Reset();
  m_manager.Reset();
}

HRESULT CJScriptDebugSupport::AddScriptBlock(LPCOLESTR code, IActiveScript* engine,
                                             SourceContextCookie* cookie) {
  if (code == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (!m_helper) return E_UNEXPECTED;
  RETURN_IF_FAILED(m_helper->AddUnicodeText(code));
  return m_helper->DefineScriptBlock(0, static_cast<ULONG>(std::wcslen(code)), engine, FALSE,
                                     cookie);
}

HRESULT CJScriptDebugSupport::CauseBreak() {
  if (!m_application) return E_UNEXPECTED;
  return m_application->CauseBreak();
}

// IActiveScriptSiteDebug

STDMETHODIMP CJScriptDebugSupport::GetDocumentContextFromPosition(SourceContextCookie, ULONG, ULONG,
                                                                  IDebugDocumentContext** ppsc) {
  if (ppsc != nullptr) *ppsc = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CJScriptDebugSupport::GetApplication(DebugApplication** ppda) {
  if (ppda == nullptr) return E_INVALIDARG;
  *ppda = nullptr;
  if (!m_application) return E_FAIL;
  *ppda = m_application.Get();
  (*ppda)->AddRef();
  return S_OK;
}

STDMETHODIMP CJScriptDebugSupport::GetRootApplicationNode(IDebugApplicationNode** ppdanRoot) {
  if (ppdanRoot == nullptr) return E_INVALIDARG;
  *ppdanRoot = nullptr;
  if (!m_helper) return E_UNEXPECTED;
  return m_helper->GetDebugApplicationNode(ppdanRoot);
}

// Every script error first offers the attached debugger a break; the error report follows.
STDMETHODIMP CJScriptDebugSupport::OnScriptErrorDebug(IActiveScriptErrorDebug*,
                                                      BOOL* pfEnterDebugger,
                                                      BOOL* pfCallOnScriptErrorWhenContinuing) {
  if (pfEnterDebugger != nullptr) *pfEnterDebugger = TRUE;
  if (pfCallOnScriptErrorWhenContinuing != nullptr) *pfCallOnScriptErrorWhenContinuing = TRUE;
  return S_OK;
}

// IDebugDocumentHost: the document is plain text with no file behind it.

STDMETHODIMP CJScriptDebugSupport::GetDeferredText(DWORD, WCHAR*, SOURCE_TEXT_ATTR*, ULONG*,
                                                   ULONG) {
  return E_NOTIMPL;
}
STDMETHODIMP CJScriptDebugSupport::GetScriptTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD,
                                                           SOURCE_TEXT_ATTR*) {
  return E_NOTIMPL;
}
STDMETHODIMP CJScriptDebugSupport::OnCreateDocumentContext(IUnknown** ppunkOuter) {
  if (ppunkOuter != nullptr) *ppunkOuter = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CJScriptDebugSupport::GetPathName(BSTR* pbstrLongName, BOOL* pfIsOriginalFile) {
  if (pbstrLongName != nullptr) *pbstrLongName = nullptr;
  if (pfIsOriginalFile != nullptr) *pfIsOriginalFile = FALSE;
  return E_FAIL;
}
STDMETHODIMP CJScriptDebugSupport::GetFileName(BSTR* pbstrShortName) {
  if (pbstrShortName != nullptr) *pbstrShortName = nullptr;
  return E_FAIL;
}
STDMETHODIMP CJScriptDebugSupport::NotifyChanged() { return S_OK; }

// IScriptControlDebug

STDMETHODIMP CJScriptDebugSupport::GetDebugApplication(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (!m_application) return E_UNEXPECTED;
  return m_application->QueryInterface(riid, ppvObject);
}

STDMETHODIMP CJScriptDebugSupport::GetProcessDebugManager(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (!m_manager) return E_UNEXPECTED;
  return m_manager->QueryInterface(riid, ppvObject);
}

}  // namespace velmor
