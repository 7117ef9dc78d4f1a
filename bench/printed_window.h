// A skin loaded into a real document window of a given size, with a memory bitmap of that size
// for WM_PRINTCLIENT to paint into: what the benchmarks of whole-window paints measure.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "window/document.h"

namespace velmor::bench {

class PrintedWindow {
 public:
  PrintedWindow() = default;
  PrintedWindow(const PrintedWindow&) = delete;
  PrintedWindow& operator=(const PrintedWindow&) = delete;
  ~PrintedWindow() {
    if (m_memory != nullptr) {
      ::SelectObject(m_memory, m_old);
      ::DeleteObject(m_bitmap);
      ::DeleteDC(m_memory);
    }
    if (m_document != nullptr) {
      LOG_IF_FAILED(m_document->Destroy());
      m_document->Release();
    }
  }

  // Writes 'skin' to the temporary folder as 'fileName' and loads it; false, with a message,
  // when it cannot.
  bool Load(const wchar_t* fileName, const std::string& skin, int width, int height) {
    const std::wstring path = WriteTempFile(fileName, skin);
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    if (path.empty() || FAILED(scDocument::CreateObject(&m_document)) ||
        FAILED(m_document->Load(folder, path.c_str())) || m_document->WindowHandle() == nullptr) {
      std::printf("cannot load the benchmark window\n");
      return false;
    }
    ::SetWindowPos(m_document->WindowHandle(), nullptr, 0, 0, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    HDC screen = ::GetDC(nullptr);
    m_memory = ::CreateCompatibleDC(screen);
    m_bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    m_old = ::SelectObject(m_memory, m_bitmap);
    return true;
  }

  // Paints the whole client area into the memory bitmap. The window keeps its last picture and
  // would answer with a copy of it: releasing a paint lock makes all of it stale, as a size change
  // does, so the whole tree is painted each time.
  void Print() {
    (void)m_document->lock(kPaintLock);
    (void)m_document->unlock(kPaintLock);
    ::SendMessageW(m_document->WindowHandle(), WM_PRINTCLIENT,
                   reinterpret_cast<WPARAM>(m_memory), PRF_CLIENT);
  }

 private:
  scDocument* m_document = nullptr;
  HDC m_memory = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
};

}  // namespace velmor::bench
