// HRESULT helpers shared by the engine and the component runtime.
#pragma once
#include <windows.h>
#include <new>

#define RETURN_IF_FAILED(expr)                         \
  do {                                                 \
    const HRESULT hr_ = (expr);                        \
    if (FAILED(hr_)) return hr_;                       \
  } while (0)

#define RETURN_HR_IF(hr, cond)                         \
  do {                                                 \
    if (cond) return (hr);                             \
  } while (0)

#define RETURN_HR_IF_NULL(hr, ptr)                     \
  do {                                                 \
    if ((ptr) == nullptr) return (hr);                 \
  } while (0)

#define RETURN_IF_NULL_ALLOC(ptr) RETURN_HR_IF_NULL(E_OUTOFMEMORY, ptr)

// Ends a function body that must not let an exception escape (COM methods, window procedures,
// exports, callbacks): try { ... } VELMOR_CATCH_RETURN()
#define VELMOR_CATCH_RETURN()                          \
  catch (const std::bad_alloc&) {                      \
    return E_OUTOFMEMORY;                              \
  }                                                    \
  catch (...) {                                        \
    return E_FAIL;                                     \
  }

namespace velmor {

// The HRESULT of the calling thread's last Win32 error, E_FAIL when none was recorded.
inline HRESULT HResultFromLastError() {
  const DWORD err = ::GetLastError();
  return err == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(err);
}

}  // namespace velmor
