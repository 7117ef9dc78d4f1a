// What a program that hosts document windows sets up first: the engine module from dist/ (for
// its type library and prelude script), COM, the common controls and GDI+; undone in reverse,
// the image cache emptied while GDI+ is still up.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include "bench_timing.h"
#include "images/image_manager.h"

namespace velmor::bench {

class EngineEnvironment {
 public:
  EngineEnvironment() {
    m_ready = UseEngineModuleFromDist();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
  }
  ~EngineEnvironment() {
    EmptyImageCache();
    Gdiplus::GdiplusShutdown(m_token);
    ::CoUninitialize();
  }
  EngineEnvironment(const EngineEnvironment&) = delete;
  EngineEnvironment& operator=(const EngineEnvironment&) = delete;
  // False when ui.dll could not be loaded from dist/ (a message has been printed).
  bool Ready() const { return m_ready; }

 private:
  bool m_ready = false;
  ULONG_PTR m_token = 0;
};

}  // namespace velmor::bench
