// The cost of one WM_MOUSEMOVE on a document window of 1,001 elements (the root, 10 rows, 99
// buttons per row): the hit test, the hover step (with "mouseout" and "mouseover" when the
// pointer changes element), the tooltip step, the cursor and the "mousemove" dispatch, sent
// with SendMessage to a hidden window. Baselines in the same run: an empty SendMessage to the
// same window, the bare hit-test walk at the same points, and two platform calls a move avoids:
// the key-state snapshot (Shift, Ctrl and the buttons come from the message's MK_ flags, Alt only
// when a listener reads it) and SetCursor, made only when the cursor changes (under Wine each is
// a round trip to the window server). The pointed-at buttons are the
// last ones in tree order, so the hit test walks the whole tree. Each element carries a native
// "mousemove" listener, so every dispatch runs a listener walk. Prints medians of several runs
// (microseconds per message) and their ratios to the baselines.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_timing.h"
#include "events/event_listener_manager.h"
#include "events/mouse_input.h"
#include "window/document.h"

using velmor::bench::InterleavedMediansMs;

namespace {

constexpr int kRows = 10;
constexpr int kColumns = 99;
constexpr int kMovesPerRun = 1000;
constexpr int kRuns = 15;

std::string MakeSkin() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window width=\"800\" "
      "height=\"600\">\n";
  for (int r = 0; r < kRows; ++r) {
    xml += "  <subwindow top=\"" + std::to_string(r * 60) +
           "\" left=\"0\" width=\"800\" height=\"60\">\n";
    for (int c = 0; c < kColumns; ++c) {
      xml += "    <button id=\"b" + std::to_string(r * kColumns + c) + "\" left=\"" +
             std::to_string(c * 8) + "\" top=\"0\" width=\"8\" height=\"60\"/>\n";
    }
    xml += "  </subwindow>\n";
  }
  return xml + "</window>\n";
}

class CountingListener final : public velmor::ComObject<CountingListener, scIDOMEventListener> {
 public:
  HRESULT STDMETHODCALLTYPE HandleEvent(IDOMEvent*) override {
    ++calls;
    return S_OK;
  }
  long calls = 0;
};

}  // namespace

int main() {
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring path = velmor::bench::WriteTempFile(L"bench_mouse_move.xml", MakeSkin());
  if (path.empty()) return 1;
  velmor::scDocument* document = nullptr;
  if (FAILED(velmor::scDocument::CreateObject(&document))) return 1;
  wchar_t folder[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  if (FAILED(document->Load(folder, path.c_str()))) {
    std::printf("cannot load the skin\n");
    return 1;
  }
  const HWND window = document->WindowHandle();
  ::SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);

  velmor::ComPtr<CountingListener> listener;
  CountingListener::CreateObject(&listener);
  int elements = 1;
  for (int i = 0; i < kRows * kColumns; ++i) {
    scIContent* e = document->FindElementById((L"b" + std::to_wstring(i)).c_str());
    velmor::ComPtr<scIEventListenerManager> table;
    if (e == nullptr || FAILED(e->GetListenerManager(TRUE, &table))) continue;
    table->AddEventListener(listener->GetUnknown(), L"onmousemove", 0);
    ++elements;
  }
  elements += kRows;

  // The last two buttons of the last row, and a second point inside the last one.
  const int y = (kRows - 1) * 60 + 30;
  const int xLast = (kColumns - 1) * 8 + 4, xBefore = (kColumns - 2) * 8 + 4;
  scIContent* root = document->RootElement();
  volatile LONG_PTR sink = 0;

  auto moves = [&](int xa, int xb) {
    return [&, xa, xb] {
      for (int i = 0; i < kMovesPerRun; ++i)
        ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM((i & 1) ? xa : xb, y));
      return true;
    };
  };
  const std::vector<double> medians = InterleavedMediansMs(
      kRuns, {
                 [&] {
                   for (int i = 0; i < kMovesPerRun; ++i) ::SendMessageW(window, WM_NULL, 0, 0);
                   return true;
                 },
                 [&] {
                   for (int i = 0; i < kMovesPerRun; ++i)
                     sink = sink + reinterpret_cast<LONG_PTR>(velmor::scMouseInput::HitTest(
                                       root, (i & 1) ? xLast : xBefore, y));
                   return true;
                 },
                 [&] {
                   BYTE keys[256];
                   for (int i = 0; i < kMovesPerRun; ++i) ::GetKeyboardState(keys);
                   return true;
                 },
                 [&] {
                   const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
                   for (int i = 0; i < kMovesPerRun; ++i) ::SetCursor(arrow);
                   return true;
                 },
                 moves(xLast, xLast - 2),  // the same element: no hover change
                 moves(xLast, xBefore),    // alternating elements: mouseout and mouseover each time
             });
  const double perMove = 1000.0 / kMovesPerRun;  // ms per run -> us per message
  std::printf("mouse move over %d elements (%d listener calls), median of %d runs of %d:\n",
              elements, static_cast<int>(listener->calls), kRuns, kMovesPerRun);
  std::printf("  empty SendMessage (baseline)      %8.2f us\n", medians[0] * perMove);
  std::printf("  bare hit-test walk (baseline)     %8.2f us\n", medians[1] * perMove);
  std::printf("  key-state snapshot (baseline)     %8.2f us\n", medians[2] * perMove);
  std::printf("  SetCursor (baseline)              %8.2f us\n", medians[3] * perMove);
  for (int i = 4; i < 6; ++i) {
    std::printf(
        "  WM_MOUSEMOVE, %-19s %8.2f us  %+.2f us over SendMessage  x%.1f hit test\n",
        i == 4 ? "same element" : "element changes", medians[i] * perMove,
        (medians[i] - medians[0]) * perMove, medians[i] / medians[1]);
  }
  document->Destroy();
  document->Release();
  ::CoUninitialize();
  return 0;
}
