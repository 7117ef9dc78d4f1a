// velmor-render: loads a skin file into a real, hidden document window (with its scripts unless
// --no-scripts), lays it out at the skin's size or --size, asks the window to paint its client
// area into a bitmap (WM_PRINTCLIENT) and writes it as PNG. --state puts an element in the hover,
// active (pressed) or disabled state first; --element keeps only that element's box.
#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/com_object.h"
#include "events/event_state_manager.h"
#include "images/png_encoder.h"
#include "window/document.h"

namespace {

using velmor::FindPngEncoder;
using velmor::scDocument;

int Fail(const wchar_t* what, HRESULT hr = S_OK) {
  fwprintf(stderr, L"velmor-render: %ls", what);
  if (hr != S_OK) fwprintf(stderr, L" (0x%08lx)", static_cast<unsigned long>(hr));
  fputws(L"\n", stderr);
  return 2;
}

int Usage() {
  fputs("usage: velmor-render [--no-scripts] [--size WIDTHxHEIGHT] [--state ID=hover|active|disabled]...\n"
        "                     [--element ID] SKIN.xml OUT.png\n",
        stderr);
  return 2;
}

struct StateRequest {
  std::wstring id;
  std::wstring state;
};

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// The element's box in the window's client area (positions are relative to the parent).
bool ElementBox(scDocument& document, const std::wstring& id, RECT& box) {
  scIContent* element = document.FindElementById(id.c_str());
  if (element == nullptr) return false;
  Microsoft::WRL::ComPtr<IDOMAmbient> ambient;
  if (FAILED(element->QueryInterface(IID_PPV_ARGS(&ambient)))) return false;
  long width = 0, height = 0;
  (void)ambient->get_width(&width);
  (void)ambient->get_height(&height);
  long x = 0, y = 0;
  Microsoft::WRL::ComPtr<IDOMNode> node;
  (void)element->QueryInterface(IID_PPV_ARGS(&node));
  while (node) {
    Microsoft::WRL::ComPtr<IDOMAmbient> at;
    long left = 0, top = 0;
    if (SUCCEEDED(node.As(&at)) && at) {
      (void)at->get_left(&left);
      (void)at->get_top(&top);
    }
    Microsoft::WRL::ComPtr<IDOMNode> parent;
    if (FAILED(node->get_parentNode(&parent)) || !parent) break;  // the root sits at (0, 0)
    x += left;
    y += top;
    node = parent;
  }
  box = {x, y, x + width, y + height};
  return true;
}

HRESULT ApplyState(scDocument& document, const StateRequest& request) {
  scIContent* element = document.FindElementById(request.id.c_str());
  if (element == nullptr) return E_INVALIDARG;
  if (request.state == L"disabled") {
    Microsoft::WRL::ComPtr<IDOMAmbient> ambient;
    RETURN_IF_FAILED(element->QueryInterface(IID_PPV_ARGS(&ambient)));
    return ambient->put_disabled(VARIANT_TRUE);
  }
  if (request.state == L"active") {
    // Pressed: the element is the active one and the pointer is over it.
    RETURN_IF_FAILED(document.SetContentState(element, velmor::kStateActive));
    return document.SetContentState(element, velmor::kStateHover);
  }
  if (request.state == L"hover") return document.SetContentState(element, velmor::kStateHover);
  return E_INVALIDARG;
}

// The native controls are child windows the document does not paint: each visible one paints
// itself at its place, the bottom of the z-order first.
void PrintControls(HWND window, HDC dc) {
  for (HWND child = ::GetWindow(::GetWindow(window, GW_CHILD), GW_HWNDLAST); child != nullptr;
       child = ::GetWindow(child, GW_HWNDPREV)) {
    if ((::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    RECT box{};
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    const int saved = ::SaveDC(dc);
    ::SetViewportOrgEx(dc, box.left, box.top, nullptr);
    ::IntersectClipRect(dc, 0, 0, box.right - box.left, box.bottom - box.top);
    ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    ::RestoreDC(dc, saved);
  }
}

// Paints the client area through WM_PRINTCLIENT and writes 'box' of it as PNG.
int WritePicture(HWND window, const RECT& box, const std::wstring& out) {
  RECT client{};
  ::GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return Fail(L"the window has no client area");
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc == nullptr || bitmap == nullptr) return Fail(L"cannot make a bitmap");
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  PrintControls(window, dc);
  ::GdiFlush();
  int status = 0;
  {
    RECT part{};
    if (!::IntersectRect(&part, &box, &client)) part = client;
    auto* first = static_cast<BYTE*>(bits) + part.top * width * 4 + part.left * 4;
    Gdiplus::Bitmap picture(part.right - part.left, part.bottom - part.top, width * 4,
                            PixelFormat32bppRGB, first);
    CLSID png{};
    if (!FindPngEncoder(&png) || picture.Save(out.c_str(), &png, nullptr) != Gdiplus::Ok)
      status = Fail(L"cannot write the PNG file");
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return status;
}

int Render(const std::wstring& skin, const std::wstring& out, bool scripts, SIZE size,
           const std::vector<StateRequest>& states, const std::wstring& elementId) {
  wchar_t full[MAX_PATH];
  if (::GetFullPathNameW(skin.c_str(), MAX_PATH, full, nullptr) == 0) return Fail(L"bad skin path");
  std::wstring path = full;
  if (::PathIsDirectoryW(full)) path += L"\\mainframe.xml";
  std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));

  // An invisible owner lets the document window exist before its skin loads, so that its script
  // engine can be taken away first; the owner sits at (0, 0), where owned windows are placed
  // from.
  HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, nullptr, nullptr);
  if (owner == nullptr) return Fail(L"cannot create a window");
  scDocument* document = nullptr;
  HRESULT hr = scDocument::CreateObject(&document);
  if (SUCCEEDED(hr)) hr = document->CreateOwnedWindow(owner);
  if (SUCCEEDED(hr) && !scripts) hr = document->SetScriptContext(nullptr);
  if (SUCCEEDED(hr)) hr = document->Load(folder.c_str(), path.c_str());
  int status = 0;
  if (FAILED(hr)) {
    status = Fail(L"the skin does not load", hr);
  } else {
    HWND window = document->WindowHandle();
    // Scripts may show the window: nothing is to be seen, the picture comes from the window
    // itself.
    Pump();
    ::ShowWindow(window, SW_HIDE);
    if (size.cx > 0 && size.cy > 0) {
      RECT outer{}, client{};
      ::GetWindowRect(window, &outer);
      ::GetClientRect(window, &client);
      ::SetWindowPos(window, nullptr, 0, 0,
                     size.cx + (outer.right - outer.left) - client.right,
                     size.cy + (outer.bottom - outer.top) - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const StateRequest& request : states) {
      if (FAILED(ApplyState(*document, request))) {
        status = Fail((L"no element \"" + request.id + L"\" or no state \"" + request.state + L"\"").c_str());
      }
    }
    Pump();
    RECT box{0, 0, 0x7FFF, 0x7FFF};
    if (status == 0 && !elementId.empty() && !ElementBox(*document, elementId, box))
      status = Fail((L"no element \"" + elementId + L"\"").c_str());
    if (status == 0) status = WritePicture(window, box, out);
  }
  if (document != nullptr) {
    LOG_IF_FAILED(document->Destroy());
    document->Release();
  }
  ::DestroyWindow(owner);
  Pump();
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool scripts = true;
  SIZE size{0, 0};
  std::vector<StateRequest> states;
  std::wstring elementId;
  std::vector<std::wstring> files;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--no-scripts") {
      scripts = false;
    } else if (arg == L"--size" && i + 1 < argc) {
      if (swscanf(argv[++i], L"%ldx%ld", &size.cx, &size.cy) != 2) return Usage();
    } else if (arg == L"--state" && i + 1 < argc) {
      const std::wstring value = argv[++i];
      const size_t equals = value.find(L'=');
      if (equals == std::wstring::npos) return Usage();
      states.push_back({value.substr(0, equals), value.substr(equals + 1)});
    } else if (arg == L"--element" && i + 1 < argc) {
      elementId = argv[++i];
    } else if (arg.size() > 1 && arg[0] == L'-') {
      return Usage();
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) return Usage();
  ::OleInitialize(nullptr);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return Fail(L"no GDI+");
  const int status = Render(files[0], files[1], scripts, size, states, elementId);
  Gdiplus::GdiplusShutdown(token);
  ::OleUninitialize();
  return status;
}
