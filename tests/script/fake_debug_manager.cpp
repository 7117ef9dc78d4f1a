#include "fake_debug_manager.h"

#include <cwchar>

namespace velmor::test {
namespace {

constexpr DWORD kAppCookie = 0x5150;
constexpr DWORD_PTR kBlockCookieBase = 0x7000;

std::wstring Text(const wchar_t* s) { return s ? s : L"(null)"; }

// Members the debug support never calls.
#define NOT_CALLED(signature) \
  STDMETHODIMP signature override { return E_NOTIMPL; }

// Records a call; answers the injected failure when it is the one to fail.
HRESULT Record(const std::wstring& name, const std::wstring& args = L"") {
  DebugManagerLog& log = FakeDebugLog();
  log.calls.push_back(args.empty() ? name : name + L"(" + args + L")");
  return name == log.failAt ? log.failure : S_OK;
}

class CFakeApplication : public ComObject<CFakeApplication, DebugApplication,
                                          Also<IRemoteDebugApplication, DebugApplication>> {
 public:
  // IRemoteDebugApplication
  NOT_CALLED(ResumeFromBreakPoint(IRemoteDebugApplicationThread*, BREAKRESUMEACTION,
                                  ERRORRESUMEACTION))
  STDMETHODIMP CauseBreak() override { return Record(L"CauseBreak"); }
  NOT_CALLED(ConnectDebugger(IApplicationDebugger*))
  NOT_CALLED(DisconnectDebugger())
  NOT_CALLED(GetDebugger(IApplicationDebugger**))
  NOT_CALLED(CreateInstanceAtApplication(REFCLSID, IUnknown*, DWORD, REFIID, IUnknown**))
  STDMETHODIMP QueryAlive() override { return S_OK; }
  NOT_CALLED(EnumThreads(IEnumRemoteDebugApplicationThreads**))
  NOT_CALLED(GetName(BSTR*))
  NOT_CALLED(GetRootNode(IDebugApplicationNode**))
  NOT_CALLED(EnumGlobalExpressionContexts(IEnumDebugExpressionContexts**))
  // IDebugApplication
  STDMETHODIMP SetName(LPCOLESTR name) override { return Record(L"SetName", Text(name)); }
  NOT_CALLED(StepOutComplete())
  NOT_CALLED(DebugOutput(LPCOLESTR))
  NOT_CALLED(StartDebugSession())
  NOT_CALLED(HandleBreakPoint(BREAKREASON, BREAKRESUMEACTION*))
  NOT_CALLED(Close())
  NOT_CALLED(GetBreakFlags(APPBREAKFLAGS*, IRemoteDebugApplicationThread**))
  NOT_CALLED(GetCurrentThread(IDebugApplicationThread**))
  NOT_CALLED(CreateAsyncDebugOperation(IDebugSyncOperation*, IDebugAsyncOperation**))
  NOT_CALLED(AddStackFrameSniffer(IDebugStackFrameSniffer*, DWORD*))
  NOT_CALLED(RemoveStackFrameSniffer(DWORD))
  STDMETHODIMP QueryCurrentThreadIsDebuggerThread() override { return S_FALSE; }
  NOT_CALLED(SynchronousCallInDebuggerThread(IDebugThreadCall*, DWORD_PTR, DWORD_PTR, DWORD_PTR))
  NOT_CALLED(CreateApplicationNode(IDebugApplicationNode**))
  NOT_CALLED(FireDebuggerEvent(REFGUID, IUnknown*))
  NOT_CALLED(HandleRuntimeError(IActiveScriptErrorDebug*, IActiveScriptSite*, BREAKRESUMEACTION*,
                                ERRORRESUMEACTION*, BOOL*))
  STDMETHODIMP_(BOOL) FCanJitDebug() override { return FALSE; }
  STDMETHODIMP_(BOOL) FIsAutoJitDebugEnabled() override { return FALSE; }
  NOT_CALLED(AddGlobalExpressionContextProvider(IProvideExpressionContexts*, DWORD_PTR*))
  NOT_CALLED(RemoveGlobalExpressionContextProvider(DWORD_PTR))
};

class CFakeHelper : public ComObject<CFakeHelper, DebugDocumentHelper> {
 public:
  void FinalRelease() {
    if (m_host) FakeDebugLog().lastHost = nullptr;
  }
  STDMETHODIMP Init(DebugApplication* app, LPCOLESTR shortName, LPCOLESTR longName,
                    TEXT_DOC_ATTR attr) override {
    return Record(L"Init", std::wstring(app ? L"app" : L"(null)") + L"|" + Text(shortName) + L"|" +
                               Text(longName) + L"|" + std::to_wstring(attr));
  }
  STDMETHODIMP Attach(DebugDocumentHelper* parent) override {
    return Record(L"Attach", parent ? L"parent" : L"(null)");
  }
  STDMETHODIMP Detach() override { return Record(L"Detach"); }
  STDMETHODIMP AddUnicodeText(LPCOLESTR text) override {
    return Record(L"AddUnicodeText", Text(text));
  }
  NOT_CALLED(AddDBCSText(LPCSTR))
  STDMETHODIMP SetDebugDocumentHost(IDebugDocumentHost* host) override {
    const HRESULT hr = Record(L"SetDebugDocumentHost", host ? L"host" : L"(null)");
    if (SUCCEEDED(hr)) {
      m_host = host;  // held, as the platform's helper holds it
      FakeDebugLog().lastHost = host;
    }
    return hr;
  }
  NOT_CALLED(AddDeferredText(ULONG, DWORD))
  STDMETHODIMP DefineScriptBlock(ULONG offset, ULONG chars, IActiveScript* engine, BOOL scriptlet,
                                 DWORD_PTR* cookie) override {
    const HRESULT hr =
        Record(L"DefineScriptBlock", std::to_wstring(offset) + L"," + std::to_wstring(chars) +
                                         L"," + (engine ? L"engine" : L"(null)") + L"," +
                                         std::to_wstring(scriptlet));
    if (SUCCEEDED(hr) && cookie != nullptr) *cookie = kBlockCookieBase + (++m_blocks);
    return hr;
  }
  NOT_CALLED(SetDefaultTextAttr(SOURCE_TEXT_ATTR))
  NOT_CALLED(SetTextAttributes(ULONG, ULONG, SOURCE_TEXT_ATTR*))
  NOT_CALLED(SetLongName(LPCOLESTR))
  NOT_CALLED(SetShortName(LPCOLESTR))
  STDMETHODIMP SetDocumentAttr(TEXT_DOC_ATTR attr) override {
    return Record(L"SetDocumentAttr", std::to_wstring(attr));
  }
  // A distinctive answer, so tests can see that it is passed on.
  STDMETHODIMP GetDebugApplicationNode(IDebugApplicationNode** node) override {
    *node = nullptr;
    Record(L"GetDebugApplicationNode");
    return S_FALSE;
  }
  NOT_CALLED(GetScriptBlockInfo(DWORD_PTR, IActiveScript**, ULONG*, ULONG*))
  NOT_CALLED(CreateDebugDocumentContext(ULONG, ULONG, IDebugDocumentContext**))
  NOT_CALLED(BringDocumentToTop())
  NOT_CALLED(BringDocumentContextToTop(IDebugDocumentContext*))

 private:
  ComPtr<IDebugDocumentHost> m_host;
  DWORD_PTR m_blocks = 0;
};

class CFakeManager : public ComObject<CFakeManager, ProcessDebugManager> {
 public:
  STDMETHODIMP CreateApplication(DebugApplication** app) override {
    *app = nullptr;
    RETURN_IF_FAILED(Record(L"CreateApplication"));
    return CFakeApplication::Create(app);
  }
  STDMETHODIMP GetDefaultApplication(DebugApplication** app) override {
    *app = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP AddApplication(DebugApplication* app, DWORD* cookie) override {
    RETURN_IF_FAILED(Record(L"AddApplication", app ? L"app" : L"(null)"));
    *cookie = kAppCookie;
    return S_OK;
  }
  STDMETHODIMP RemoveApplication(DWORD cookie) override {
    return Record(L"RemoveApplication", std::to_wstring(cookie));
  }
  STDMETHODIMP CreateDebugDocumentHelper(IUnknown* outer, DebugDocumentHelper** helper) override {
    *helper = nullptr;
    RETURN_IF_FAILED(Record(L"CreateDebugDocumentHelper", outer ? L"outer" : L"(null)"));
    return CFakeHelper::Create(helper);
  }
};

class CFakeManagerFactory : public ComObject<CFakeManagerFactory, IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ++FakeDebugLog().instancesCreated;
    ComPtr<ProcessDebugManager> manager;
    RETURN_IF_FAILED(CFakeManager::Create(manager));
    return manager->QueryInterface(riid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

}  // namespace

bool DebugManagerLog::Has(const std::wstring& call) const {
  for (const std::wstring& c : calls)
    if (c == call) return true;
  return false;
}

DebugManagerLog& FakeDebugLog() {
  static DebugManagerLog s_log;
  return s_log;
}

long LiveFakeDebugObjects() {
  return LiveObjects<CFakeManager>::Count() + LiveObjects<CFakeApplication>::Count() +
         LiveObjects<CFakeHelper>::Count();
}

ScopedFakeDebugManager::ScopedFakeDebugManager() {
  FakeDebugLog() = DebugManagerLog{};
  ComPtr<IClassFactory> factory;
  m_registered = CFakeManagerFactory::Create(factory);
  if (SUCCEEDED(m_registered))
    m_registered = ::CoRegisterClassObject(CLSID_ProcessDebugManager, factory.Get(),
                                           CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
}

ScopedFakeDebugManager::~ScopedFakeDebugManager() {
  if (SUCCEEDED(m_registered)) ::CoRevokeClassObject(m_cookie);
}

}  // namespace velmor::test
