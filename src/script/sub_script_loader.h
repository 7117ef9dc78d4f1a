// CJSSubScriptLoader: reads UTF-16LE script text (byte-order mark FF FE required) from files,
// streams and "JSCRIPT" resources and runs it in the engine owner it is aggregated into. Owners
// publish it to their scripts as the named item "ScriptLoader" with global members.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "ui_h.h"

namespace velmor {

// The source of one script's bytes for the common run step.
class ScriptReader {
 public:
  virtual ~ScriptReader() = default;
  virtual HRESULT GetSize(ULONGLONG* bytes) = 0;
  // Reads exactly 'bytes' bytes.
  virtual HRESULT Read(void* buffer, ULONG bytes) = 0;
};

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

  // The common run step: size, read, byte-order mark check, then the owner runs the text.
  [[nodiscard]] HRESULT RunFromReader(ScriptReader* reader, BSTR itemName);

 private:
  // Runs zero-terminated text in the owner (the host's AddCode or the context's ExecuteScript).
  HRESULT RunInOwner(const wchar_t* text, BSTR itemName);
  bool HasOwner();
  HRESULT LoadTypeInfo();

  ComPtr<ITypeInfo> m_typeInfo;
};

}  // namespace velmor
