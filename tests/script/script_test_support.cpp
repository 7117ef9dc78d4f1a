#include "script_test_support.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cwchar>
#include <fstream>

#include "script/script_error_report.h"
#include "script/script_settings.h"
#include "support/test_env.h"
#include "typelib/type_library.h"

namespace velmor::test {
namespace {

// Every engine runs the prelude from the "default.js" resource of the loaded module "ui.dll":
// load it from dist/ as the application does. (The type library is this executable's own.)
class UiModuleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::wstring path = DistDir() + L"\\ui.dll";
    m_module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(m_module, nullptr) << "cannot load dist/ui.dll";
  }
  // ui.dll stays loaded until the process ends.

 private:
  HMODULE m_module = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new UiModuleEnvironment);

std::vector<std::wstring>& ReportTexts() {
  static std::vector<std::wstring> s_texts;
  return s_texts;
}
std::vector<UINT>& ReportIcons() {
  static std::vector<UINT> s_icons;
  return s_icons;
}

}  // namespace

ChromeFolder::ChromeFolder() {
  const std::wstring chrome = TestBinDir() + L"\\chrome";
  ::CreateDirectoryW(chrome.c_str(), nullptr);
  static int s_serial = 0;
  m_name = L"t" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++s_serial);
  m_path = chrome + L"\\" + m_name;
  ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ChromeFolder::~ChromeFolder() {
  for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(m_path.c_str());
}

void ChromeFolder::Write(const wchar_t* file, const std::string& bytes) {
  const std::wstring path = PathOf(file);
  ASSERT_TRUE(WriteFileBytes(path, bytes)) << "cannot write a test script";
  m_files.push_back(path);
}

// CProbe

// Only a probe made with class information answers IProvideClassInfo.
HRESULT CProbe::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (!m_classInfo || !IsEqualIID(riid, IID_IProvideClassInfo)) return E_NOINTERFACE;
  *ppv = static_cast<IProvideClassInfo*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP CProbe::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}
STDMETHODIMP CProbe::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CProbe::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count >= 1 && std::wcscmp(names[0], L"value") == 0) {
    ids[0] = 1;
    return S_OK;
  }
  return DISP_E_UNKNOWNNAME;
}
STDMETHODIMP CProbe::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                            EXCEPINFO*, UINT*) {
  ++m_calls;
  if (id != 1) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (result != nullptr) {
    ::VariantInit(result);
    result->vt = VT_I4;
    result->lVal = m_value;
  }
  return S_OK;
}
STDMETHODIMP CProbe::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = m_classInfo.Get();
  if (*info == nullptr) return E_NOTIMPL;
  (*info)->AddRef();
  return S_OK;
}

// ScriptHost

ScriptHost::ScriptHost() { m_created = CreateApplicationScriptHost(&m_control); }

ScriptHost::~ScriptHost() { Close(); }

CJScript* ScriptHost::impl() const { return static_cast<CJScript*>(m_control.Get()); }

void ScriptHost::Close() {
  if (!m_control) return;
  ComPtr<IAppScriptHost> host;
  if (SUCCEEDED(m_control.As(&host))) host->CloseEngine();
  m_control.Reset();
}

HRESULT ScriptHost::Eval(const wchar_t* expression, UniqueVariant& result) const {
  return m_control->Evaluate(expression, L"", result.Put());
}

long ScriptHost::EvalLong(const wchar_t* expression) const {
  UniqueVariant value;
  if (FAILED(Eval(expression, value)) || value.vt != VT_I4) return -1000000;
  return value.lVal;
}

std::wstring ScriptHost::EvalString(const wchar_t* expression) const {
  UniqueVariant value;
  if (FAILED(Eval(expression, value)) || value.vt != VT_BSTR) return L"<not a string>";
  return value.bstrVal ? value.bstrVal : L"";
}

// CapturedReports

CapturedReports::CapturedReports(bool debugging) : m_previousDebugging(IsScriptDebuggingEnabled()) {
  ReportTexts().clear();
  ReportIcons().clear();
  SetScriptDebuggingEnabled(debugging);
  SetScriptErrorPresenter([](const wchar_t* text, UINT icon) {
    ReportTexts().push_back(text);
    ReportIcons().push_back(icon);
  });
}

CapturedReports::~CapturedReports() {
  SetScriptErrorPresenter({});
  SetScriptDebuggingEnabled(m_previousDebugging);
}

const std::vector<std::wstring>& CapturedReports::texts() const { return ReportTexts(); }
const std::vector<UINT>& CapturedReports::icons() const { return ReportIcons(); }

ComPtr<CProbe> MakeProbe(long value, ITypeInfo* classInfo) {
  CProbe* probe = nullptr;
  EXPECT_EQ(CProbe::CreateObject(&probe, value, classInfo), S_OK);
  ComPtr<CProbe> held(probe);  // (mingw's ComPtr::Attach would add a reference)
  if (probe != nullptr) probe->Release();
  return held;
}

void CheckItemInfoRules(IUnknown* owner,
                        const std::function<HRESULT(const wchar_t*, IUnknown*)>& add,
                        IUnknown* scriptLoader) {
  ComPtr<ITypeInfo> classInfo;
  ASSERT_EQ(GetEngineTypeInfo(__uuidof(Script), &classInfo), S_OK);
  ComPtr<CProbe> plain = MakeProbe(1), described = MakeProbe(2, classInfo.Get());
  ASSERT_EQ(add(L"plain", plain->GetUnknown()), S_OK);
  ASSERT_EQ(add(L"described", described->GetUnknown()), S_OK);
  ComPtr<IActiveScriptSite> site;
  ASSERT_EQ(
      owner->QueryInterface(IID_IActiveScriptSite, reinterpret_cast<void**>(site.GetAddressOf())),
      S_OK);
  ComPtr<IUnknown> plainUnknown, describedUnknown;
  plain->QueryInterface(IID_PPV_ARGS(&plainUnknown));
  described->QueryInterface(IID_PPV_ARGS(&describedUnknown));

  struct Case {
    const wchar_t* name;
    DWORD mask;
    bool unknownOut, typeInfoOut;
    HRESULT expected;
    IUnknown* object;     // expected object (or null)
    ITypeInfo* typeInfo;  // expected type information (or null)
  };
  const Case cases[] = {
      {L"plain", SCRIPTINFO_IUNKNOWN, false, false, E_POINTER, nullptr, nullptr},
      {nullptr, SCRIPTINFO_IUNKNOWN, true, false, E_INVALIDARG, nullptr, nullptr},
      {L"ScriptLoader", SCRIPTINFO_IUNKNOWN, true, false, S_OK, scriptLoader, nullptr},
      {L"SCRIPTLOADER", SCRIPTINFO_IUNKNOWN, true, false, S_OK, scriptLoader, nullptr},
      {L"plain", SCRIPTINFO_IUNKNOWN, true, false, S_OK, plainUnknown.Get(), nullptr},
      {L"Plain", SCRIPTINFO_IUNKNOWN, true, false, TYPE_E_ELEMENTNOTFOUND, nullptr, nullptr},
      {L"missing", SCRIPTINFO_IUNKNOWN, true, false, TYPE_E_ELEMENTNOTFOUND, nullptr, nullptr},
      {L"missing", SCRIPTINFO_ITYPEINFO, false, true, TYPE_E_ELEMENTNOTFOUND, nullptr, nullptr},
      {L"plain", SCRIPTINFO_ITYPEINFO, false, false, E_POINTER, nullptr, nullptr},
      {L"plain", SCRIPTINFO_ITYPEINFO, false, true, TYPE_E_ELEMENTNOTFOUND, nullptr, nullptr},
      {L"ScriptLoader", SCRIPTINFO_ITYPEINFO, false, true, TYPE_E_ELEMENTNOTFOUND, nullptr,
       nullptr},
      {L"described", SCRIPTINFO_ITYPEINFO, false, true, S_OK, nullptr, classInfo.Get()},
      {L"described", SCRIPTINFO_IUNKNOWN | SCRIPTINFO_ITYPEINFO, true, true, S_OK,
       describedUnknown.Get(), classInfo.Get()},
      {L"plain", SCRIPTINFO_IUNKNOWN | SCRIPTINFO_ITYPEINFO, true, true, TYPE_E_ELEMENTNOTFOUND,
       nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.name ? c.name : L"(null)") << " mask " << c.mask);
    IUnknown* unknown = reinterpret_cast<IUnknown*>(1);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(site->GetItemInfo(c.name, c.mask, c.unknownOut ? &unknown : nullptr,
                                c.typeInfoOut ? &info : nullptr),
              c.expected);
    if (c.unknownOut) {
      EXPECT_EQ(unknown, c.object);
      if (unknown != nullptr && unknown != reinterpret_cast<IUnknown*>(1)) unknown->Release();
    }
    if (c.typeInfoOut) {
      EXPECT_EQ(info, c.typeInfo);
      if (info != nullptr && info != reinterpret_cast<ITypeInfo*>(1)) info->Release();
    }
  }
}

}  // namespace velmor::test
