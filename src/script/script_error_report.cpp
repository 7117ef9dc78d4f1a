#include "script/script_error_report.h"

#include "base/platform_text.h"

#include <cwchar>
#include <utility>

#include "base/bstr.h"
#include "script/script_settings.h"

namespace velmor {
namespace {

ScriptErrorPresenter& Presenter() {
  static ScriptErrorPresenter s_presenter;
  return s_presenter;
}

void ShowMessageBox(const wchar_t* text, UINT icon) { ::MessageBoxW(nullptr, text, nullptr, icon); }

// Takes the strings out of an exception record, running its deferred fill-in first.
struct ExceptionText {
  DWORD code = 0;
  UniqueBstr description;
};

ExceptionText ReadException(IActiveScriptError* error) {
  ExceptionText out;
  EXCEPINFO info = {};
  if (FAILED(error->GetExceptionInfo(&info))) return out;
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  // The 16-bit code widened to 32 bits; engines that leave it 0 put the error in scode.
  out.code = info.wCode != 0 ? static_cast<DWORD>(info.wCode) : static_cast<DWORD>(info.scode);
  out.description = UniqueBstr::Attach(info.bstrDescription);
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrHelpFile);
  return out;
}

std::wstring Hex8(DWORD value) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"%08lx", static_cast<unsigned long>(value));
  return buffer;
}

}  // namespace

ScriptErrorPresenter SetScriptErrorPresenter(ScriptErrorPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

std::wstring FormatScriptError(IActiveScriptError* error) {
  if (error == nullptr) return {};
  UniqueBstr sourceLine;
  if (FAILED(error->GetSourceLineText(sourceLine.Put()))) sourceLine.Reset();
  const ExceptionText exception = ReadException(error);
  DWORD context = 0;
  ULONG line = 0;
  LONG column = 0;
  if (FAILED(error->GetSourcePosition(&context, &line, &column))) {
    line = 0;
    column = 0;
  }

  const std::wstring_view description = exception.description.Length() != 0
                                            ? exception.description.View()
                                            : std::wstring_view(L"(脚本引擎没有给出错误描述)");
  const std::wstring_view source = sourceLine.Length() != 0
                                       ? sourceLine.View()
                                       : std::wstring_view(L"(脚本引擎没有给出这一行的源码)");
  std::wstring text = L"出现了运行时间错误。\r\n\r\n行号:  ";
  text += std::to_wstring(static_cast<int>(line));
  text += L" 字符数: ";
  text += std::to_wstring(static_cast<int>(column));
  text += L"\r\n错误号:0x";
  text += Hex8(exception.code);
  text += L"\r\n错误:  ";
  text += description;
  text += L"\r\n行源码:";
  text += source;
  return text;
}

[[nodiscard]] HRESULT ReportScriptError(IActiveScriptError* error) {
  if (error == nullptr || !IsScriptDebuggingEnabled()) return E_NOTIMPL;
  try {
    const std::wstring text = BoundedText(FormatScriptError(error));
    if (Presenter())
      Presenter()(text.c_str(), MB_ICONINFORMATION);
    else
      ShowMessageBox(text.c_str(), MB_ICONINFORMATION);
  } catch (...) {
    // A report that cannot be built is dropped; the failing call still returns its error.
  }
  return E_NOTIMPL;
}

}  // namespace velmor
