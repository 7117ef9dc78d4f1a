#include "base/control_classes.h"

#include "base/module_instance.h"
#include "base/window_impl.h"

namespace velmor {
namespace {

// The context of the module's manifest, made on first use and kept for the life of the process
// (INVALID_HANDLE_VALUE when the module has none).
HANDLE EngineActivationContext() {
  static HANDLE s_context = [] {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = ::GetModuleFileNameW(GetModuleInstance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return INVALID_HANDLE_VALUE;
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = GetModuleInstance();
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEW(2);  // the isolation-aware manifest
    return ::CreateActCtxW(&request);
  }();
  return s_context;
}

}  // namespace

scControlsActivation::scControlsActivation() {
  HANDLE context = EngineActivationContext();
  if (context != INVALID_HANDLE_VALUE) m_active = ::ActivateActCtx(context, &m_cookie) != FALSE;
}

scControlsActivation::~scControlsActivation() {
  if (m_active) ::DeactivateActCtx(0, m_cookie);
}

WNDPROC PrepareSuperclass(const wchar_t* superclass, const wchar_t* name, WNDPROC procedure,
                          WNDCLASSEXW& wc) {
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  scControlsActivation activation;
  if (!::GetClassInfoExW(nullptr, superclass, &wc)) return nullptr;
  const WNDPROC original = wc.lpfnWndProc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleInstance();
  wc.lpszClassName = name;
  // The copy is the engine's own class, not one every module sees.
  wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  wc.lpszMenuName = nullptr;
  return original;
}

}  // namespace velmor
