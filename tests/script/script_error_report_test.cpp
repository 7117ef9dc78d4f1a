// The script error report: its exact text (with Wine's scode-only codes and missing source lines
// covered), shown once per error and only while script debugging is on.
#include "script/script_error_report.h"

#include <gtest/gtest.h>

#include <string>

#include "script/script_settings.h"
#include "script_test_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::CapturedReports;
using test::ScriptHost;

// An error object as an engine hands it to OnScriptError.
struct ErrorFields {
  WORD wCode = 0;
  SCODE scode = 0;
  const wchar_t* description = nullptr;
  const wchar_t* sourceLine = nullptr;  // null: GetSourceLineText fails
  ULONG line = 0;
  LONG column = 0;
  bool deferred = false;  // the description arrives through the deferred fill-in
};

class CFakeError : public ComObject<CFakeError, IActiveScriptError>, public ErrorFields {
 public:

  STDMETHODIMP GetExceptionInfo(EXCEPINFO* info) override {
    *info = {};
    info->wCode = wCode;
    info->scode = scode;
    info->bstrSource = ::SysAllocString(L"engine");
    if (deferred) {
      info->pfnDeferredFillIn = &FillIn;
      s_deferredDescription = description;
    } else if (description != nullptr) {
      info->bstrDescription = ::SysAllocString(description);
    }
    return S_OK;
  }
  STDMETHODIMP GetSourcePosition(DWORD* context, ULONG* lineNumber, LONG* position) override {
    *context = 0;
    *lineNumber = line;
    *position = column;
    return S_OK;
  }
  STDMETHODIMP GetSourceLineText(BSTR* text) override {
    *text = nullptr;
    if (sourceLine == nullptr) return E_FAIL;
    *text = ::SysAllocString(sourceLine);
    return S_OK;
  }

 private:
  static HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* info) {
    info->bstrDescription = ::SysAllocString(s_deferredDescription);
    return S_OK;
  }
  static inline const wchar_t* s_deferredDescription = nullptr;
};

// (An error in scode with wCode 0, as Wine's engine reports them: the real engine's errors below.)
TEST(ScriptErrorText, FollowsTheReportFormat) {
  struct Case {
    const char* what;
    ErrorFields error;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"16-bit code", {1010, 0, L"Expected identifier", L"var = ;", 3, 4, false},
       L"出现了运行时间错误。\r\n\r\n行号:  3 字符数: 4\r\n错误号:0x000003f2\r\n"
       L"错误:  Expected identifier\r\n行源码:var = ;"},
      {"deferred description",
       {0, static_cast<SCODE>(0x800A138F), L"Object expected", L"o.f();", 12, 7, true},
       L"出现了运行时间错误。\r\n\r\n行号:  12 字符数: 7\r\n错误号:0x800a138f\r\n"
       L"错误:  Object expected\r\n行源码:o.f();"},
      {"nothing but a code", {0, static_cast<SCODE>(0x800A01B6), nullptr, nullptr, 2, 0, false},
       L"出现了运行时间错误。\r\n\r\n行号:  2 字符数: 0\r\n错误号:0x800a01b6\r\n"
       L"错误:  (脚本引擎没有给出错误描述)\r\n行源码:(脚本引擎没有给出这一行的源码)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFakeError* raw = nullptr;
    ASSERT_EQ(CFakeError::CreateObject(&raw), S_OK);
    ComPtr<CFakeError> error = AdoptRef(raw);
    static_cast<ErrorFields&>(*raw) = c.error;
    EXPECT_EQ(FormatScriptError(error.Get()), c.expected);
  }
}

// The real engine's errors through the host's site, one report per error.
TEST(ScriptErrorReport, RuntimeAndSyntaxErrorsFromTheEngine) {
  ScriptHost host;
  ASSERT_EQ(host.created(), S_OK);
  CapturedReports reports(true);

  EXPECT_FAILED(host->AddCode(L"var fine = 1;\nnoSuchFunction();", L""));
  ASSERT_EQ(reports.texts().size(), 1u);
  EXPECT_EQ(reports.icons()[0], static_cast<UINT>(MB_ICONINFORMATION));
  const std::wstring runtime = reports.texts()[0];
  EXPECT_EQ(runtime.rfind(L"出现了运行时间错误。\r\n\r\n行号:  1 字符数: ", 0), 0u) << runtime;
  // A JScript run-time error: in wCode (Windows) or in scode (Wine, facility 0x0A).
  EXPECT_TRUE(runtime.find(L"\r\n错误号:0x800a") != std::wstring::npos ||
              runtime.find(L"\r\n错误号:0x0000") != std::wstring::npos)
      << runtime;
  EXPECT_EQ(runtime.find(L"错误号:0x00000000"), std::wstring::npos) << runtime;
  EXPECT_EQ(runtime.find(L"(脚本引擎没有给出错误描述)"), std::wstring::npos) << runtime;
  EXPECT_NE(runtime.find(L"\r\n行源码:"), std::wstring::npos);

  EXPECT_FAILED(host->AddCode(L"var ok = 1;\nvar = ;", L""));
  ASSERT_EQ(reports.texts().size(), 2u);
  const std::wstring syntax = reports.texts()[1];
  EXPECT_EQ(syntax.rfind(L"出现了运行时间错误。\r\n\r\n行号:  1 ", 0), 0u) << syntax;
  EXPECT_NE(syntax.find(L"\r\n行源码:var = ;"), std::wstring::npos) << syntax;

  // The same errors with debugging off: the calls still fail, nothing is shown.
  SetScriptDebuggingEnabled(false);
  EXPECT_FAILED(host->AddCode(L"noSuchFunction();", L""));
  EXPECT_FAILED(host->Evaluate(L"var = ;", L"", nullptr));
  EXPECT_EQ(reports.texts().size(), 2u);
}

}  // namespace
}  // namespace velmor
