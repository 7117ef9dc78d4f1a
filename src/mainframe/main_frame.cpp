#include "mainframe/main_frame.h"

#include <shlwapi.h>

#include "base/bstr.h"
#include "components/component_manager.h"

namespace velmor {
namespace {

// Calls a method of an outside object by name with integer arguments (first to last); the
// result is not wanted.
void CallByName(IDispatch* object, const wchar_t* name, std::initializer_list<LONG> values) {
  std::wstring text(name);
  LPOLESTR names[] = {text.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
  VARIANT args[8];
  const UINT count = static_cast<UINT>(values.size());
  if (count > 8) return;
  UINT i = count;
  for (LONG value : values) {
    --i;
    ::VariantInit(&args[i]);
    args[i].vt = VT_I4;
    args[i].lVal = value;
  }
  DISPPARAMS params{args, nullptr, count, 0};
  UniqueVariant result;
  (void)object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.Put(),
                       nullptr, nullptr);
}

bool HasNamedThis(const DISPPARAMS* params) {
  if (params == nullptr) return false;
  for (UINT i = 0; i < params->cNamedArgs; ++i)
    if (params->rgdispidNamedArgs[i] == DISPID_THIS) return true;
  return false;
}

}  // namespace

HRESULT CMainFrame::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (!IsEqualIID(riid, __uuidof(IAppMainWindow))) return scDocument::QueryInterfaceExtra(riid, ppv);
  *ppv = static_cast<IAppMainWindow*>(this);
  AddRef();
  return S_OK;
}

HRESULT CMainFrame::CreateFrame(CMainFrame** frame) {
  if (frame == nullptr) return E_POINTER;
  *frame = nullptr;
  CMainFrame* created = nullptr;
  RETURN_IF_FAILED(CreateObjectOf(&created));
  const HRESULT hr = created->AddTroubleShooterMember();
  if (FAILED(hr)) {
    created->scDocument::Release();
    return hr;
  }
  *frame = created;
  return S_OK;
}

HRESULT CMainFrame::CreateInstance(IAppMainWindow** window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  CMainFrame* frame = nullptr;
  RETURN_IF_FAILED(CreateFrame(&frame));
  const HRESULT hr = frame->QueryInterface(IID_PPV_ARGS(window));
  frame->scDocument::Release();
  return hr;
}

HRESULT CMainFrame::AddTroubleShooterMember() {
  UniqueBstr name(::SysAllocString(L"showTroubleShooter"));
  RETURN_IF_NULL_ALLOC(name.Get());
  return GetDispID(name.Get(), fdexNameEnsure | fdexNameCaseSensitive, &m_troubleShooterId);
}

STDMETHODIMP CMainFrame::InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excep, IServiceProvider* caller) {
  if (result != nullptr) ::VariantInit(result);
  if (id == m_troubleShooterId && id != DISPID_UNKNOWN) {
    // Reading the member gives nothing; calling it shows the troubleshooter, when there is one.
    if (flags & DISPATCH_METHOD) ShowTroubleShooter();
    return S_OK;
  }
  if (flags & DISPATCH_CONSTRUCT) return S_OK;
  if ((flags & DISPATCH_METHOD) && HasNamedThis(params)) return DISP_E_BADPARAMCOUNT;
  return scDocument::InvokeEx(id, lcid, flags, params, result, excep, caller);
}

void CMainFrame::ShowTroubleShooter() {
  // Loaded once and kept: a second call finds it among the process's modules.
  HMODULE library = ::GetModuleHandleW(kTroubleShooterLibrary);
  if (library == nullptr) {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !::PathRemoveFileSpecW(path) ||
        !::PathAppendW(path, kTroubleShooterLibrary))
      return;
    library = ::LoadLibraryW(path);
  }
  if (library == nullptr) return;
  auto entry = reinterpret_cast<TroubleShooterEntry>(
      reinterpret_cast<void*>(::GetProcAddress(library, kTroubleShooterEntry)));
  if (entry != nullptr) (void)entry(WindowHandle(), 0);
}

STDMETHODIMP CMainFrame::put_topMost(VARIANT_BOOL topMost) {
  // The application frame keeps its own windows in step with the main window.
  ComPtr<IDispatch> frame;
  if (SUCCEEDED(components::GetService(contracts::kFrame, frame)) && frame)
    CallByName(frame.Get(), L"ResizerCommand", {5, topMost != VARIANT_FALSE ? 1 : 0});
  return scDocument::put_topMost(topMost);
}

}  // namespace velmor
