// The script error report shared by every engine of the engine: OnScriptError formats the
// error and, only while script debugging is on, shows it in a message box.
#pragma once
#include <activscp.h>
#include <windows.h>

#include <functional>
#include <string>

namespace velmor {

// Shows one report: the text and the message-box icon. The default is MessageBoxW without owner
// and with the system's default caption.
using ScriptErrorPresenter = std::function<void(const wchar_t* text, UINT icon)>;

// Replaces the presenter (an empty function restores the default); answers the previous one.
ScriptErrorPresenter SetScriptErrorPresenter(ScriptErrorPresenter presenter);

// The report's text for an error. Wine's JScript reports the error in scode with wCode 0 and
// gives the source line only for syntax errors: the text then carries scode and a placeholder.
std::wstring FormatScriptError(IActiveScriptError* error);

// What IActiveScriptSite::OnScriptError does; always answers E_NOTIMPL.
[[nodiscard]] HRESULT ReportScriptError(IActiveScriptError* error);

}  // namespace velmor
