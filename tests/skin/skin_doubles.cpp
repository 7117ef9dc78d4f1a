#include "skin_doubles.h"

#include <cstdio>

#include "base/text_convert.h"
#include "skin/attribute_readers.h"

namespace velmor::test {

HRESULT RecordingListenerManager::AddScriptEventListener(const wchar_t* name, const wchar_t* text,
                                                         ULONG flag) {
  std::wstring owner = L"?";
  if (m_owner != nullptr) GetStringAttr(m_owner, L"id", owner);
  m_log.push_back(owner + L":" + name + L"=" + text + L"/" + std::to_wstring(flag));
  return S_OK;
}

HRESULT RecordingScriptContext::ExecuteScript(const wchar_t* code, const wchar_t* itemName) {
  const bool found = m_document.FindElementById(code) != nullptr;
  m_log.push_back(std::wstring(L"text:") + code + (found ? L"+" : L"-") +
                  (itemName == nullptr ? L"" : L"!item"));
  return S_OK;
}

HRESULT RecordingScriptContext::LoadSubScriptFromFile(BSTR path, BSTR itemName) {
  m_log.push_back(std::wstring(L"file:") + (path ? path : L"") +
                  (::SysStringLen(itemName) == 0 ? L"" : L"!item"));
  return S_OK;
}

HRESULT TestDocument::GetScriptContext(IUnknown** context) {
  if (context == nullptr) return E_POINTER;
  *context = nullptr;
  if (!m_scripts) return S_FALSE;
  if (!m_context) {
    ComPtr<scIScriptContext> context;
    RETURN_IF_FAILED(RecordingScriptContext::Create(context, log, *this));
    m_context = context;
  }
  return m_context.CopyTo(context);
}

HRESULT TestDocument::CreateListenerManager(scIEventListenerManager** manager) {
  if (manager == nullptr) return E_POINTER;
  *manager = nullptr;
  if (!m_listeners) return E_NOTIMPL;
  return RecordingListenerManager::Create(manager, log);
}

HRESULT TestDocument::AddKeySet(scIContent* keySet) {
  keySets.push_back(keySet);
  return S_OK;
}

HRESULT TestDocument::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  ++windowQueries;
  *window = m_window;
  return m_window != nullptr ? S_OK : E_FAIL;
}


std::string Utf8(const std::wstring& text) {
  std::string out;
  WideToMultiByte(CP_UTF8, text.c_str(), static_cast<int>(text.size()), out);
  return out;
}

}  // namespace velmor::test
