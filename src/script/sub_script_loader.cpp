#include "script/sub_script_loader.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/bstr.h"
#include "script/script_context.h"
#include "typelib/type_library.h"

namespace velmor {
namespace {

constexpr BYTE kMark[2] = {0xFF, 0xFE};

// The text a failing file open leaves behind: the thread's last error as an HRESULT.
HRESULT OpenFailure() { return HRESULT_FROM_WIN32(::GetLastError()); }

class FileReader final : public ScriptReader {
 public:
  explicit FileReader(FILE* file) : m_file(file) {}
  HRESULT GetSize(ULONGLONG* bytes) override {
    if (_fseeki64(m_file, 0, SEEK_END) != 0) return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
    const __int64 size = _ftelli64(m_file);
    if (size < 0 || _fseeki64(m_file, 0, SEEK_SET) != 0)
      return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
    *bytes = static_cast<ULONGLONG>(size);
    return S_OK;
  }
  HRESULT Read(void* buffer, ULONG bytes) override {
    return std::fread(buffer, 1, bytes, m_file) == bytes ? S_OK
                                                         : HRESULT_FROM_WIN32(ERROR_READ_FAULT);
  }

 private:
  FILE* m_file;
};

// Reads from the stream's current position to its end.
class StreamReader final : public ScriptReader {
 public:
  explicit StreamReader(IStream* stream) : m_stream(stream) {}
  HRESULT GetSize(ULONGLONG* bytes) override {
    STATSTG stat = {};
    RETURN_IF_FAILED(m_stream->Stat(&stat, STATFLAG_NONAME));
    ULARGE_INTEGER position = {};
    LARGE_INTEGER zero = {};
    if (FAILED(m_stream->Seek(zero, STREAM_SEEK_CUR, &position))) position.QuadPart = 0;
    *bytes =
        stat.cbSize.QuadPart > position.QuadPart ? stat.cbSize.QuadPart - position.QuadPart : 0;
    return S_OK;
  }
  HRESULT Read(void* buffer, ULONG bytes) override {
    ULONG done = 0;
    while (done < bytes) {
      ULONG got = 0;
      const HRESULT hr = m_stream->Read(static_cast<BYTE*>(buffer) + done, bytes - done, &got);
      if (FAILED(hr)) return hr;
      if (got == 0) return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
      done += got;
    }
    return S_OK;
  }

 private:
  IStream* m_stream;
};

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
    FILE* file = _wfopen(path, L"rb");
    if (file == nullptr) return OpenFailure();
    FileReader reader(file);
    const HRESULT hr = RunFromReader(&reader, itemName);
    std::fclose(file);
    return hr;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP CJSSubScriptLoader::LoadSubScriptFromStream(IUnknown* pStream, BSTR itemName) {
  if (pStream == nullptr) return E_POINTER;
  try {
    ComPtr<IStream> stream;
    if (FAILED(pStream->QueryInterface(IID_PPV_ARGS(&stream))) || !stream) return E_NOINTERFACE;
    StreamReader reader(stream.Get());
    return RunFromReader(&reader, itemName);
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

HRESULT CJSSubScriptLoader::RunFromReader(ScriptReader* reader, BSTR itemName) {
  if (reader == nullptr) return E_POINTER;
  if (!HasOwner()) return E_UNEXPECTED;
  ULONGLONG size = 0;
  RETURN_IF_FAILED(reader->GetSize(&size));
  if (size <= 2) return S_FALSE;
  if (size > 0x7FFFFFF0ull) return E_OUTOFMEMORY;
  // Zero bytes after the content terminate the text, whether its length is even or not.
  const ULONG bytes = static_cast<ULONG>(size);
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes + 4]());
  RETURN_IF_NULL_ALLOC(buffer);
  RETURN_IF_FAILED(reader->Read(buffer.get(), bytes));
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
