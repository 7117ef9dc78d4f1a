// A minimal JScript host for tests: runs script text against named host objects and reports
// script errors as text, so tests can drive native objects the way skins do.
#pragma once
#include <windows.h>
#include <activscp.h>

#include <map>
#include <string>

#include "base/com_object.h"

namespace velmor::test {

class ScriptRunner {
 public:
  ScriptRunner();
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  HRESULT Ready() const { return m_ready; }
  // Publishes an object as a named item (visible to scripts by that name).
  HRESULT AddObject(const wchar_t* name, IUnknown* object);
  // Runs statements in the global scope.
  HRESULT Execute(const wchar_t* code);
  // Evaluates an expression.
  HRESULT Evaluate(const wchar_t* expression, VARIANT* result);
  // An expression's value as text; "error: " and the script error's text when it fails.
  std::wstring Text(const wchar_t* expression);
  // An expression's object value; null, failing the test, when it is not one.
  ComPtr<IDispatch> Object(const wchar_t* expression);
  // The global object (script functions and variables by name).
  HRESULT Global(IDispatch** global);
  // Text of the last script error ("" when none).
  const std::wstring& LastError() const;

 private:
  class Site;
  ComPtr<IActiveScript> m_engine;
  ComPtr<Site> m_site;
  HRESULT m_ready = E_FAIL;
};

}  // namespace velmor::test
