// Shared pieces of the scripting tests: ui.dll loaded from dist/ (its type library and prelude
// resource), script files written as UTF-16LE, a probe host object, and a host built through the
// real creation path.
#pragma once
#include <oaidl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "script/js_script.h"
#include "support/test_env.h"
#include "ui_h.h"

namespace velmor::test {

// UTF-16LE script bytes and escaped literals: support/test_env.h.

// A folder under "chrome" beside the test executable, removed with everything in it at the end.
class ChromeFolder {
 public:
  ChromeFolder();
  ~ChromeFolder();
  ChromeFolder(const ChromeFolder&) = delete;
  ChromeFolder& operator=(const ChromeFolder&) = delete;
  // The name LoadSubScript takes for 'file' in this folder ("<folder>\file").
  std::wstring NameOf(const wchar_t* file) const { return m_name + L"\\" + file; }
  std::wstring PathOf(const wchar_t* file) const { return m_path + L"\\" + file; }
  void Write(const wchar_t* file, const std::string& bytes);

 private:
  std::wstring m_name, m_path;
  std::vector<std::wstring> m_files;
};

// A scriptable object: "value" reads the number it was made with; "calls" counts Invoke calls.
// With class information it answers IProvideClassInfo with 'classInfo'.
class CProbe : public ComExtension<ComObject<CProbe, IDispatch>, IProvideClassInfo> {
 public:
  explicit CProbe(long value, ITypeInfo* classInfo = nullptr)
      : m_value(value), m_classInfo(classInfo) {}
  HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;
  long calls() const { return m_calls; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override;
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;

 private:
  long m_value;
  long m_calls = 0;
  ComPtr<ITypeInfo> m_classInfo;
};

// A new probe, held by the caller.
ComPtr<CProbe> MakeProbe(long value, ITypeInfo* classInfo = nullptr);

// Checks an engine owner's named-item lookup (its site's GetItemInfo): 'add' publishes an object
// the way the owner does; "ScriptLoader" in any letter case must give 'scriptLoader'.
void CheckItemInfoRules(IUnknown* owner,
                        const std::function<HRESULT(const wchar_t*, IUnknown*)>& add,
                        IUnknown* scriptLoader);

// The application script host as start-up creates it, closed when the holder goes away.
class ScriptHost {
 public:
  ScriptHost();
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  HRESULT created() const { return m_created; }
  IScriptControl* control() const { return m_control.Get(); }
  CJScript* impl() const;
  IScriptControl* operator->() const { return m_control.Get(); }
  HRESULT Eval(const wchar_t* expression, UniqueVariant& result) const;
  // Evaluates an expression whose value is a number (VT_I4) or -1000000 when it is not.
  long EvalLong(const wchar_t* expression) const;
  std::wstring EvalString(const wchar_t* expression) const;
  void Close();

 private:
  ComPtr<IScriptControl> m_control;
  HRESULT m_created = E_FAIL;
};

// Captures the script error reports for the lifetime of the object, debugging switched on.
class CapturedReports {
 public:
  explicit CapturedReports(bool debugging = true);
  ~CapturedReports();
  CapturedReports(const CapturedReports&) = delete;
  CapturedReports& operator=(const CapturedReports&) = delete;
  const std::vector<std::wstring>& texts() const;
  const std::vector<UINT>& icons() const;

 private:
  bool m_previousDebugging;
};

}  // namespace velmor::test
