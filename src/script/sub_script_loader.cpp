#include "script/sub_script_loader.h"

#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/bstr.h"
#include "script/script_context.h"
#include "typelib/type_library.h"

namespace velmor {
namespace {

constexpr BYTE kMark[2] = {0xFF, 0xFE};

bool IsEmpty(BSTR text) { return text == nullptr || text[0] == L'\0'; }

}  // namespace

// IJSSubScriptLoader

STDMETHODIMP CJSSubScriptLoader::LoadSubScript(BSTR name, BSTR itemName) {
  if (name == nullptr) return S_FALSE;
  try {
    // Scripts loaded by name live in "chrome" beside the executable; names may hold folders.
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    ::PathAppendW(path, L"chrome");
    if (!::PathAppendW(path, name)) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    UniqueBstr full(path);
    RETURN_IF_NULL_ALLOC(full.Get());
    return LoadSubScriptFromFile(full.Get(), itemName);
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CJSSubScriptLoader::LoadSubScriptFromFile(BSTR path, BSTR itemName) {
  if (path == nullptr) return E_POINTER;
  try {
    ::SetLastError(ERROR_SUCCESS);
    CxIOFile file;
    if (!file.Open(path, L"rb")) return HRESULT_FROM_WIN32(::GetLastError());
    return RunFromFile(&file, itemName);
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CJSSubScriptLoader::LoadSubScriptFromStream(IUnknown* pStream, BSTR itemName) {
  if (pStream == nullptr) return E_POINTER;
  try {
    CxStreamFile file(pStream);
    if (file.GetStream() == nullptr) return E_NOINTERFACE;
    return RunFromFile(&file, itemName);
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CJSSubScriptLoader::LoadSubScriptFromResource(BSTR dllName, BSTR jsName,
                                                           BSTR itemName) {
  if (dllName == nullptr || jsName == nullptr) return E_POINTER;
  if (!HasOwner()) return E_UNEXPECTED;
  try {
    // The module must already be loaded: resources are never a reason to load a library.
    const HMODULE module = ::GetModuleHandleW(dllName);
    if (module == nullptr) return E_INVALIDARG;
    const HRSRC found = ::FindResourceW(module, jsName, L"JSCRIPT");
    if (found == nullptr) return E_INVALIDARG;
    const HGLOBAL loaded = ::LoadResource(module, found);
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const DWORD size = ::SizeofResource(module, found);
    if (data == nullptr || size < 2) return E_INVALIDARG;
    if (data[0] != kMark[0] || data[1] != kMark[1]) return E_INVALIDARG;

    const DWORD textBytes = size - 2;
    const bool terminated =
        textBytes >= 2 && textBytes % 2 == 0 && data[size - 1] == 0 && data[size - 2] == 0;
    if (terminated) return RunInOwner(reinterpret_cast<const wchar_t*>(data + 2), itemName);
    // Resource data is read-only: add the terminating zero in a copy.
    const size_t chars = textBytes / 2 + textBytes % 2 + 1;
    std::unique_ptr<wchar_t[]> copy(new (std::nothrow) wchar_t[chars]());
    RETURN_IF_NULL_ALLOC(copy);
    std::memcpy(copy.get(), data + 2, textBytes);
    return RunInOwner(copy.get(), itemName);
  }
  VELMOR_CATCH_RETURN()
}

// The common run step

HRESULT CJSSubScriptLoader::RunFromFile(CxFile* file, BSTR itemName) {
  if (file == nullptr) return E_POINTER;
  if (!HasOwner()) return E_UNEXPECTED;
  const long size = file->Size();
  if (size <= 2) return S_FALSE;
  // Zero bytes after the content terminate the text, whether its length is even or not. A
  // stream already read in part yields less than its size: the rest of the buffer stays zero.
  const size_t bytes = static_cast<size_t>(size);
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes + 4]());
  RETURN_IF_NULL_ALLOC(buffer);
  (void)file->Read(buffer.get(), 1, bytes);
  // Text in any other encoding is skipped without an error.
  if (buffer[0] != kMark[0] || buffer[1] != kMark[1]) return S_FALSE;
  return RunInOwner(reinterpret_cast<const wchar_t*>(buffer.get() + 2), itemName);
}

bool CJSSubScriptLoader::HasOwner() {
  ComPtr<IScriptControl> control;
  if (SUCCEEDED(Outer()->QueryInterface(IID_PPV_ARGS(&control))) && control) return true;
  ComPtr<scIScriptContext> context;
  return SUCCEEDED(Outer()->QueryInterface(IID_PPV_ARGS(&context))) && context;
}

HRESULT CJSSubScriptLoader::RunInOwner(const wchar_t* text, BSTR itemName) {
  // The owner is asked at each call: the application script host runs the text with AddCode, a
  // window's script context with ExecuteScript.
  const wchar_t* item = IsEmpty(itemName) ? L"" : itemName;
  ComPtr<IScriptControl> control;
  if (SUCCEEDED(Outer()->QueryInterface(IID_PPV_ARGS(&control))) && control)
    return control->AddCode(text, item);
  ComPtr<scIScriptContext> context;
  if (SUCCEEDED(Outer()->QueryInterface(IID_PPV_ARGS(&context))) && context)
    return context->ExecuteScript(text, item);
  return E_UNEXPECTED;
}

// IDispatch

HRESULT CJSSubScriptLoader::LoadTypeInfo() {
  if (m_typeInfo) return S_OK;
  return GetEngineTypeInfo(__uuidof(IJSSubScriptLoader), &m_typeInfo);
}

STDMETHODIMP CJSSubScriptLoader::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo == nullptr) return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

STDMETHODIMP CJSSubScriptLoader::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo == nullptr) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  RETURN_IF_FAILED(LoadTypeInfo());
  *ppTInfo = m_typeInfo.Get();
  (*ppTInfo)->AddRef();
  return S_OK;
}

STDMETHODIMP CJSSubScriptLoader::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                               DISPID* rgDispId) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  RETURN_IF_FAILED(LoadTypeInfo());
  return ::DispGetIDsOfNames(m_typeInfo.Get(), rgszNames, cNames, rgDispId);
}

STDMETHODIMP CJSSubScriptLoader::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                        DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                        EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  RETURN_IF_FAILED(LoadTypeInfo());
  return ::DispInvoke(static_cast<IJSSubScriptLoader*>(this), m_typeInfo.Get(), dispIdMember,
                      wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

}  // namespace velmor
