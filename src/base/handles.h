// RAII holders for kernel, registry, module, GDI and USER handles.
#pragma once
#include <windows.h>

#include <utility>

namespace velmor {

template <class T, class Traits>
class UniqueHandleT {
 public:
  UniqueHandleT() = default;
  explicit UniqueHandleT(T value) : m_value(value) {}
  UniqueHandleT(const UniqueHandleT&) = delete;
  UniqueHandleT& operator=(const UniqueHandleT&) = delete;
  UniqueHandleT(UniqueHandleT&& other) noexcept : m_value(other.Release()) {}
  UniqueHandleT& operator=(UniqueHandleT&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandleT() { Reset(); }

  T Get() const { return m_value; }
  T* Put() {
    Reset();
    return &m_value;
  }
  T Release() { return std::exchange(m_value, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    if (m_value != Traits::Invalid()) Traits::Close(m_value);
    m_value = value;
  }
  explicit operator bool() const { return m_value != Traits::Invalid(); }

 private:
  T m_value = Traits::Invalid();
};

namespace detail {
template <class T, auto CloseFn>
struct NullHandleTraits {
  static constexpr T Invalid() { return nullptr; }
  static void Close(T value) { CloseFn(value); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE value) { ::CloseHandle(value); }
};
inline void DeleteGdiObject(HGDIOBJ value) { ::DeleteObject(value); }
}  // namespace detail

using UniqueHandle = UniqueHandleT<HANDLE, detail::NullHandleTraits<HANDLE, ::CloseHandle>>;
using UniqueFileHandle = UniqueHandleT<HANDLE, detail::FileHandleTraits>;
using UniqueHKey = UniqueHandleT<HKEY, detail::NullHandleTraits<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandleT<HMODULE, detail::NullHandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueHWnd = UniqueHandleT<HWND, detail::NullHandleTraits<HWND, ::DestroyWindow>>;
using UniqueHMenu = UniqueHandleT<HMENU, detail::NullHandleTraits<HMENU, ::DestroyMenu>>;
using UniqueHIcon = UniqueHandleT<HICON, detail::NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueHdc = UniqueHandleT<HDC, detail::NullHandleTraits<HDC, ::DeleteDC>>;
template <class T>
using UniqueGdiObject = UniqueHandleT<T, detail::NullHandleTraits<T, detail::DeleteGdiObject>>;
using UniqueHFont = UniqueGdiObject<HFONT>;
using UniqueHBrush = UniqueGdiObject<HBRUSH>;
using UniqueHBitmap = UniqueGdiObject<HBITMAP>;
using UniqueHRgn = UniqueGdiObject<HRGN>;
using UniqueHPen = UniqueGdiObject<HPEN>;

// Selects an object into a DC for the lifetime of the scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() {
    if (m_old != nullptr && m_old != HGDI_ERROR) ::SelectObject(m_dc, m_old);
  }

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// A DC obtained with GetDC, released with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (m_dc != nullptr) ::ReleaseDC(m_hwnd, m_dc);
  }
  HDC Get() const { return m_dc; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// A critical section and its scoped lock.
class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&m_cs); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
  void Lock() { ::EnterCriticalSection(&m_cs); }
  void Unlock() { ::LeaveCriticalSection(&m_cs); }

  class Scope {
   public:
    explicit Scope(CriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { m_cs.Unlock(); }

   private:
    CriticalSection& m_cs;
  };

 private:
  CRITICAL_SECTION m_cs;
};

}  // namespace velmor
