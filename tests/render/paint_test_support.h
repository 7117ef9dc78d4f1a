// Shared by the painting and control tests: GDI+ for the process, skins and bitmaps written to a
// temporary folder, a loaded document window of a chosen client size, and pictures of it taken
// through WM_PRINTCLIENT, from the screen, or by painting its tree into a GDI+ bitmap.
#pragma once
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/paint_context.h"
#include "support/test_env.h"
#include "window/document.h"

namespace velmor::paint_test {

// A picture as 0x00RRGGBB values, row by row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
  DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // How many pixels of the rectangle have the colour.
  int Count(const RECT& r, DWORD rgb) const;
};

// 0xAARRGGBB (or 0xRRGGBB) to the picture's 0x00RRGGBB.
constexpr DWORD Rgb(DWORD argb) { return argb & 0x00FFFFFFu; }

// The skin writes colours as "#rrggbb".
std::string Hex(DWORD rgb);

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a 32-bit PNG into the test folder and answers its full path, as UTF-8 for skins.
  std::string WritePng(const char* name, int width, int height,
                       const std::function<Gdiplus::ARGB(int, int)>& pixel);
  // Loads a window whose root element gets the client size width × height; the XML is placed
  // inside '<window ...>' with that size.
  HRESULT Load(const std::string& body, int width, int height);
  scDocument* Document() const { return m_document; }
  HWND Window() const { return m_document->WindowHandle(); }
  scIContent* Root() const { return m_document->RootElement(); }
  scIContent* ById(const wchar_t* id) const { return m_document->FindElementById(id); }
  // Gives the window that client size.
  void SetClientSize(int width, int height);

  // The whole client area as WM_PRINTCLIENT paints it into a 32-bit DIB.
  Picture PrintClient();
  // The tree painted by PaintElement into a GDI+ bitmap cleared to 'background', with the world
  // transform at the origin and 'clip' as the area to cover (client coordinates).
  Picture PaintTree(const RECT& clip, Gdiplus::ARGB background);
  // The window's client area as the screen shows it (the window must be shown).
  Picture Screen();

  std::wstring m_dir;
  scDocument* m_document = nullptr;
  int m_files = 0;
  long m_documents = 0;  // live documents and elements before the test
  long m_elements = 0;
};

// Reads a rectangle of the screen through the desktop DC.
Picture ReadScreen(const RECT& screenRect);

}  // namespace velmor::paint_test
