// CJSSubScriptLoader: reads UTF-16LE script text (byte-order mark FF FE required) from files and
// streams (both through CxFile) and "JSCRIPT" resources and runs it in the engine owner it is aggregated into. Owners
// publish it to their scripts as the named item "ScriptLoader" with global members.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "images/cx_file.h"
#include "ui_h.h"

namespace velmor {

class CJSSubScriptLoader : public AggregatedComObject<CJSSubScriptLoader, IJSSubScriptLoader,
                                                      Also<IDispatch, IJSSubScriptLoader>> {
 public:
  explicit CJSSubScriptLoader(IUnknown* outer) : AggregatedComObject(outer) {}

  // IJSSubScriptLoader
  STDMETHODIMP LoadSubScript(BSTR name, BSTR itemName) override;
  STDMETHODIMP LoadSubScriptFromFile(BSTR path, BSTR itemName) override;
  STDMETHODIMP LoadSubScriptFromResource(BSTR dllName, BSTR jsName, BSTR itemName) override;
  STDMETHODIMP LoadSubScriptFromStream(IUnknown* pStream, BSTR itemName) override;

  // IDispatch, described by the engine's type library
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                      UINT* puArgErr) override;

  // The common run step over a file or a stream: size, read, byte-order mark check, then the
  // owner runs the text.
  [[nodiscard]] HRESULT RunFromFile(CxFile* file, BSTR itemName);

 private:
  // Runs zero-terminated text in the owner (the host's AddCode or the context's ExecuteScript).
  [[nodiscard]] HRESULT RunInOwner(const wchar_t* text, BSTR itemName);
  bool HasOwner();
  [[nodiscard]] HRESULT LoadTypeInfo();

  ComPtr<ITypeInfo> m_typeInfo;
};

}  // namespace velmor
