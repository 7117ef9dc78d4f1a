// The host side of the skin fuzzer: loads skins one after another in real document windows, each
// laid out, shown, painted and driven with the mouse so that its scripts and handlers run, and
// reports every skin on standard output ("begin N", then "end N clean" or "end N loadfail").
// At the end it reports what is still alive ("leaks ..."): engine objects, windows and kernel
// handles; and how many GDI objects more the process holds ("kept gdi=N").
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "../bench_timing.h"
#include "../engine_environment.h"
#include "fuzz.h"
#include "events/event_listener_manager.h"
#include "images/image_manager.h"
#include "script/script_context_object.h"
#include "skin/text_base_content.h"
#include "window/document.h"

namespace velmor::fuzz {
namespace {

int CountThreadWindows() {
  int count = 0;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND, LPARAM counter) -> BOOL {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// The process's kernel handles and GDI objects. GDI objects are found by asking the type of
// every handle slot, which Wine answers for a slot number without its generation bits; elsewhere
// that finds nothing and GetGuiResources answers instead.
struct Handles {
  long kernel = 0, gdi = 0;
};

Handles CountHandles() {
  Handles counts;
  DWORD kernel = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &kernel)) counts.kernel = static_cast<long>(kernel);
  counts.gdi = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
  if (counts.gdi == 0)
    for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot)
      if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++counts.gdi;
  return counts;
}

// Runs the thread's queue for 'ms' milliseconds (timers, posted closes, repaints).
void Pump(DWORD ms) {
  const DWORD until = ::GetTickCount() + ms;
  MSG msg;
  do {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(1);
  } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
}

bool HasClass(HWND window, const wchar_t* className) {
  wchar_t name[16] = L"";
  return ::GetClassNameW(window, name, 16) > 0 && ::lstrcmpW(name, className) == 0;
}

// Answers the message boxes and popup menus skins open (an alert from a close handler, a script
// error report, a context menu on a right press): without someone to click them each would wait
// for ever. A box is cancelled as soon as it is activated, after it has been created and laid
// out with its text; a menu is ended from a timer, which its tracking loop dispatches.
LRESULT CALLBACK DismissBoxes(int code, WPARAM wParam, LPARAM lParam) {
  const HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && HasClass(window, L"#32770")) {
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  } else if (code == HCBT_CREATEWND && HasClass(window, L"#32768")) {
    ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(nullptr, id);
      ::EndMenu();
    });
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Where one skin's time went, in milliseconds: the driver prints it for replayed skins, so a
// slow skin names the step that is slow.
struct Phases {
  double load = 0, show = 0, paint = 0, input = 0, resize = 0, destroy = 0;
};

// Loads one skin and puts it through what a user and its scripts would do. False when the skin
// did not load.
bool Exercise(const std::wstring& folder, const std::wstring& path, Phases& phases) {
  double mark = bench::NowMs();
  const auto lap = [&mark](double& into) {
    const double now = bench::NowMs();
    into += now - mark;
    mark = now;
  };
  scDocument* document = nullptr;
  if (FAILED(scDocument::CreateObject(&document))) return false;
  const bool loaded = SUCCEEDED(document->Load(folder.c_str(), path.c_str()));
  HWND window = document->WindowHandle();
  lap(phases.load);
  if (loaded && window != nullptr && ::IsWindow(window)) {
    ::SetWindowPos(window, nullptr, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    lap(phases.show);
    ::UpdateWindow(window);
    lap(phases.paint);
    static const POINT kPoints[] = {{5, 5}, {40, 30}, {160, 120}, {300, 220}};
    for (const POINT& p : kPoints) {
      if (!::IsWindow(window)) break;
      const LPARAM at = MAKELPARAM(p.x, p.y);
      ::SendMessageW(window, WM_MOUSEMOVE, 0, at);
      ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
      ::SendMessageW(window, WM_LBUTTONUP, 0, at);
      ::SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      ::SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, at);
      ::SendMessageW(window, WM_RBUTTONUP, 0, at);
    }
    lap(phases.input);
    if (::IsWindow(window)) {
      ::SendMessageW(window, WM_MOUSELEAVE, 0, 0);
      ::SetWindowPos(window, nullptr, 0, 0, 180, 90, SWP_NOZORDER | SWP_NOACTIVATE);
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    Pump(10);
    lap(phases.resize);
  }
  if (window != nullptr && ::IsWindow(window)) ::ShowWindow(window, SW_HIDE);
  LOG_IF_FAILED(document->Destroy());
  Pump(1);
  document->Release();
  lap(phases.destroy);
  return loaded;
}

}  // namespace

int RunHost(const std::wstring& folder, int first, int count) {
  const bench::EngineEnvironment environment;
  if (!environment.Ready()) return 2;
  const HHOOK boxes = ::SetWindowsHookExW(WH_CBT, DismissBoxes, nullptr, ::GetCurrentThreadId());
  const int windows = CountThreadWindows();
  const long documents = LiveObjects<scDocument>::Count();
  const long elements = LiveObjects<scITextBaseContent>::Count();
  const long contexts = LiveObjects<scScriptContext>::Count();
  const long listeners = LiveObjects<scEventListenerManagerImp>::Count();
  // The platform makes objects of its own the first time a window is painted, a font or a control
  // class is used; handles are counted from the end of the first skin, with the engine's image
  // and font caches emptied at both ends.
  Handles handles;

  for (int i = first; i < first + count; ++i) {
    const std::wstring path = folder + L"\\" + SkinFileName(i);
    std::printf("begin %d\n", i);
    std::fflush(stdout);
    Phases phases;
    const bool loaded = Exercise(folder, path, phases);
    std::printf("phases %d load=%.0f show=%.0f paint=%.0f input=%.0f resize=%.0f destroy=%.0f\n",
                i, phases.load, phases.show, phases.paint, phases.input, phases.resize,
                phases.destroy);
    std::printf("end %d %s\n", i, loaded ? "clean" : "loadfail");
    std::fflush(stdout);
    if (i == first) {
      EmptyImageCache();
      handles = CountHandles();
    }
  }
  EmptyImageCache();
  const Handles after = CountHandles();
  // Whatever the skins made must be gone again: windows, documents, elements, script engines.
  std::printf(
      "leaks windows=%d documents=%ld elements=%ld contexts=%ld listeners=%ld handles=%ld\n",
      CountThreadWindows() - windows, LiveObjects<scDocument>::Count() - documents,
      LiveObjects<scITextBaseContent>::Count() - elements,
      LiveObjects<scScriptContext>::Count() - contexts,
      LiveObjects<scEventListenerManagerImp>::Count() - listeners, after.kernel - handles.kernel);
  // GDI objects are reported apart: the platform keeps some for good the first time a skin uses
  // a control class or draws in a new way (cached device contexts with their regions, class
  // bitmaps), so a batch of different skins grows by a few dozen, while the same skins loaded
  // again add none.
  std::printf("kept gdi=%ld\n", after.gdi - handles.gdi);
  std::fflush(stdout);
  if (boxes != nullptr) ::UnhookWindowsHookEx(boxes);
  return 0;
}

}  // namespace velmor::fuzz
