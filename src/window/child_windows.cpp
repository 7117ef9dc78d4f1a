// Windows opened by scripts: window.open and window.showModalDialog, the opener a new window
// sees as `parent`, and the values a dialog and its caller exchange (dialogArguments,
// returnValue). Each new window is a plain document window with a script engine of its own.
#include <shlwapi.h>

#include <cwchar>
#include <string>
#include <utility>

#include "window/document.h"

namespace velmor {
namespace {

// What the features string of open asks for.
struct WindowFeatures {
  bool modal = false;
  bool center = false;
  bool hidden = false;
  bool owner = false;
  bool keepOpenerEnabled = false;
};

// Tokens are separated by "," or ";"; a token is a keyword, optionally followed by "=" and a
// value that is ignored ("modal=0" still asks for a modal window). Keywords ignore letter case
// and surrounding blanks; unknown ones are ignored.
WindowFeatures ParseFeatures(const wchar_t* text) {
  struct Keyword {
    const wchar_t* name;
    bool WindowFeatures::*flag;
  };
  static const Keyword kKeywords[] = {
      {L"modal", &WindowFeatures::modal},
      {L"center", &WindowFeatures::center},
      {L"hidden", &WindowFeatures::hidden},
      {L"owner", &WindowFeatures::owner},
      {L"notdisableparent", &WindowFeatures::keepOpenerEnabled},
  };
  WindowFeatures features;
  if (text == nullptr) return features;
  const wchar_t* token = text;
  for (;;) {
    const size_t tokenLength = std::wcscspn(token, L",;");
    size_t length = std::wcscspn(token, L"=,;");
    const wchar_t* keyword = token;
    while (length > 0 && (*keyword == L' ' || *keyword == L'\t')) ++keyword, --length;
    while (length > 0 && (keyword[length - 1] == L' ' || keyword[length - 1] == L'\t')) --length;
    for (const Keyword& k : kKeywords) {
      if (std::wcslen(k.name) == length && _wcsnicmp(k.name, keyword, length) == 0)
        features.*k.flag = true;
    }
    if (token[tokenLength] == L'\0') break;
    token += tokenLength + 1;
  }
  return features;
}

bool IsFile(const wchar_t* path) {
  const DWORD attributes = ::GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// 'folder' with 'name' appended, when that names an existing file.
bool ExistingFileIn(const std::wstring& folder, const wchar_t* name, std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  if (folder.size() >= MAX_PATH || wcscpy_s(buffer, folder.c_str()) != 0 ||
      !::PathAppendW(buffer, name) || !IsFile(buffer))
    return false;
  path = buffer;
  return true;
}

// An argument the caller left out arrives as a parameter-not-found error value.
bool IsMissing(const VARIANT* value) {
  return value == nullptr || value->vt == VT_EMPTY ||
         (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND);
}

}  // namespace

HRESULT scDocument::OpenWindow(BSTR url, const wchar_t* features, const VARIANT* arguments,
                               ComPtr<scDocument>& opened) {
  opened.Reset();
  if (url == nullptr || url[0] == L'\0') return E_INVALIDARG;
  try {
    // A root path as it is; otherwise beside this window's base folder, then beside its own
    // description.
    std::wstring path;
    if (::PathIsRootW(url)) {
      path = url;
    } else if (!ExistingFileIn(m_content.BaseFolder(), url, path)) {
      std::wstring own = m_content.DocumentPath();
      own.resize(::PathFindFileNameW(own.c_str()) - own.c_str());
      if (own.empty() || !ExistingFileIn(own, url, path)) return E_INVALIDARG;
    }
    const WindowFeatures wanted = ParseFeatures(features);

    ComPtr<scDocument> child;
    RETURN_IF_FAILED(scDocument::CreateObject(child.GetAddressOf()));
    RETURN_IF_FAILED(m_weakSource.GiveReference(GetUnknown(), child->m_opener));
    if (!IsMissing(arguments)) RETURN_IF_FAILED(child->SetDialogArguments(arguments));
    if (wanted.modal || wanted.owner) RETURN_IF_FAILED(child->CreateOwnedWindow(m_hWnd));
    const HRESULT loaded = child->Load(m_content.BaseFolder().c_str(), path.c_str());
    if (FAILED(loaded)) {
      LOG_IF_FAILED(child->Destroy());
      return loaded;
    }
    ComPtr<IDOMWindow> opener;
    RETURN_IF_FAILED(QueryInterface(IID_PPV_ARGS(&opener)));
    if (wanted.center) (void)child->CenterOnOpener(opener.Get(), false);
    // A modal dialog is always shown.
    if (!wanted.hidden || wanted.modal) (void)child->put_visible(VARIANT_TRUE);
    if (wanted.modal) (void)child->RunModalLoop(!wanted.keepOpenerEnabled);
    opened = std::move(child);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP scDocument::open(BSTR url, BSTR /*name: has no effect*/, BSTR features,
                              IDOMWindow** window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  ComPtr<scDocument> opened;
  RETURN_IF_FAILED(OpenWindow(url, features, nullptr, opened));
  return opened->QueryInterface(IID_PPV_ARGS(window));
}

STDMETHODIMP scDocument::showModalDialog(BSTR dialog, VARIANT* args, VARIANT* options,
                                         VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  ::VariantInit(result);
  try {
    std::wstring features = L"modal=1,center=1";
    if (options != nullptr && options->vt == VT_BSTR && ::SysStringLen(options->bstrVal) != 0)
      features.append(L",").append(options->bstrVal, ::SysStringLen(options->bstrVal));
    // A dialog that cannot be opened answers nothing rather than failing the caller's script.
    ComPtr<scDocument> finished;
    if (FAILED(OpenWindow(dialog, features.c_str(), args, finished))) return S_OK;
    (void)finished->get_returnValue(result);
    // A dialog whose window is gone keeps nothing of its scripts.
    if (finished->m_hWnd == nullptr) finished->m_returnValue.Clear();
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

STDMETHODIMP scDocument::get_parent(IDOMWindow** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  // Only windows opened by another window have an opener.
  if (!m_opener.IsSet()) return E_UNEXPECTED;
  IUnknown* opener = m_opener.Get();
  if (opener == nullptr) return S_FALSE;  // it has closed
  return opener->QueryInterface(IID_PPV_ARGS(parent));
}

HRESULT scDocument::SetDialogArguments(const VARIANT* arguments) {
  if (arguments == nullptr) {
    m_dialogArguments.Clear();
    return S_OK;
  }
  return ::VariantCopyInd(&m_dialogArguments, const_cast<VARIANT*>(arguments));
}

STDMETHODIMP scDocument::get_dialogArguments(VARIANT* arguments) {
  if (arguments == nullptr) return E_POINTER;
  ::VariantInit(arguments);
  return ::VariantCopy(arguments, &m_dialogArguments);
}

STDMETHODIMP scDocument::get_returnValue(VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  ::VariantInit(value);
  return ::VariantCopy(value, &m_returnValue);
}

STDMETHODIMP scDocument::put_returnValue(VARIANT* value) {
  if (value == nullptr) {
    m_returnValue.Clear();
    return S_OK;
  }
  // Copied apart first: the value may be the one held now.
  UniqueVariant copy;
  RETURN_IF_FAILED(::VariantCopyInd(&copy, value));
  m_returnValue.Clear();
  copy.Detach(&m_returnValue);
  return S_OK;
}

}  // namespace velmor
