// HRESULT helpers shared by the engine and the component runtime.
#pragma once
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <new>

namespace velmor {

// Whether failures returned through the macros below are written as debug lines (on unless a
// caller turns it off).
inline std::atomic<bool> g_traceFailures{true};

// Writes "Velmor: <folder/file>(<line>): 0x<hr>" with OutputDebugStringW, so that a failure
// leaves a trace for whoever listens to debug output, without costing anything on success.
inline void TraceFailure(const char* file, int line, HRESULT hr) noexcept {
  if (!g_traceFailures.load(std::memory_order_relaxed)) return;
  // Keep the last two path components: the layer folder and the file.
  const char* shown = file;
  int separators = 0;
  for (const char* p = file; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') ++separators;
  }
  for (const char* p = file; *p != '\0' && separators > 1; ++p) {
    if (*p == '/' || *p == '\\') {
      --separators;
      shown = p + 1;
    }
  }
  wchar_t line_[160];
  std::swprintf(line_, sizeof(line_) / sizeof(line_[0]), L"Velmor: %hs(%d): 0x%08lX\n", shown,
                line, static_cast<unsigned long>(hr));
  ::OutputDebugStringW(line_);
}

}  // namespace velmor

#define VELMOR_TRACE_HR(hr) ::velmor::TraceFailure(__FILE__, __LINE__, (hr))

// Each returns the failure after tracing it; RETURN_HR_IF and RETURN_HR_IF_NULL trace only
// failure codes (they also return success codes such as S_FALSE).
#define RETURN_IF_FAILED(expr)                         \
  do {                                                 \
    const HRESULT hr_ = (expr);                        \
    if (FAILED(hr_)) {                                 \
      VELMOR_TRACE_HR(hr_);                            \
      return hr_;                                      \
    }                                                  \
  } while (0)

#define RETURN_HR_IF(hr, cond)                         \
  do {                                                 \
    if (cond) {                                        \
      const HRESULT hr_ = (hr);                        \
      if (FAILED(hr_)) VELMOR_TRACE_HR(hr_);           \
      return hr_;                                      \
    }                                                  \
  } while (0)

#define RETURN_HR_IF_NULL(hr, ptr)                     \
  do {                                                 \
    if ((ptr) == nullptr) {                            \
      const HRESULT hr_ = (hr);                        \
      if (FAILED(hr_)) VELMOR_TRACE_HR(hr_);           \
      return hr_;                                      \
    }                                                  \
  } while (0)

// For results that must not stop the caller (clean-up, optional start-up steps): a failure is
// traced and the caller goes on.
#define LOG_IF_FAILED(expr)                            \
  do {                                                 \
    const HRESULT hr_ = (expr);                        \
    if (FAILED(hr_)) VELMOR_TRACE_HR(hr_);             \
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
[[nodiscard]] inline HRESULT HResultFromLastError() {
  const DWORD err = ::GetLastError();
  return err == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(err);
}

}  // namespace velmor
